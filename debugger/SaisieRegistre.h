// The register entries of the CPU window: display texts, the conversion of
// typed text and the key-by-key filter.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// "%.2XH" / "%.4XH" in hexadecimal, "%u" in decimal; `largeur` 1 or 2 bytes.
std::string TexteRegistre(uint32_t valeur, int largeur, bool decimal);

// The text read with the prefix "0" (decimal) or "$0" (hexadecimal): the
// value of the leading digits of the base, 0 when there is none, so a
// displayed "H" suffix is ignored. Saturates at 0xFFFFFFFF.
uint32_t ValeurRegistre(std::string_view texte, bool decimal);

// First two steps of the key filter: the key as it goes in (letters
// upper-cased), or 0 when it is dropped. Backspace ('\b') always passes.
char FiltreToucheRegistre(char touche, bool decimal);

// Third step: the text the entry would hold (selection [debutSel,
// debutSel + longSel) replaced by the key, or the key inserted at debutSel
// when nothing is selected) must give a value below 256 (largeur 1) or
// 65,536 (largeur 2).
bool SaisieValide(std::string_view texte, int debutSel, int longSel, char touche, int largeur, bool decimal);
