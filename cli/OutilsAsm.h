// Helpers shared by zorv asm and zorv dasm: numbers on the command line and
// the guard against writing over an input file.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

// A number as typed on the command line: 4096, 0x1000, 1000H, 0FFH, $1000.
std::optional<uint32_t> NombreCli(const std::string& texte);

// True when both paths name the same existing file (or the same path text).
bool MemeFichier(const std::string& a, const std::string& b);

// Writes a whole file through a temporary file renamed over the target;
// false on any failure, leaving the target as it was.
bool EcritFichier(const std::string& chemin, const std::string& contenu);
