// The manual's chapter of the console's commands, made from the command
// table itself (docs/manuel/commandes-console.md, written by `zorv manuel
// console`), so that a command added to the table reaches the manual.
#pragma once

#include <string>

// The chapter, in Markdown.
std::string TexteManuelConsole();
// A table cell's text: the characters Markdown would take as marks escaped.
std::string CelluleMarkdown(const std::string& texte);
