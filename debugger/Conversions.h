// The converter between decimal floating-point text and the eight bytes of
// an IEEE 754 double ("Conversions hexadécimal <-> flottant", TConvertForm),
// with the key filters of its two entries. Window-free.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

constexpr int LgMaxConversion = 30; // characters of each entry

struct TOctetsDouble {
    std::array<uint8_t, 8> Octets{}; // Octets[0] the most significant
    bool Valide = false;
};

// Up to 8 groups of hexadecimal digits separated by blanks; a group of more
// than two digits keeps its last two; missing groups are 0. Valid when
// nothing but blanks follows the groups read. A single group of exactly 16
// digits is the 8 bytes written without blanks ("40BB000000000000").
TOctetsDouble HexVersOctets(std::string_view texte);
double DoubleDeOctets(const std::array<uint8_t, 8>& octets);
std::array<uint8_t, 8> OctetsDeDouble(double v);

// A decimal floating-point number: optional sign, digits with an optional
// "." and an optional exponent "E" with optional sign. Returns the length of
// the longest readable beginning (0 when none) and its value, correctly
// rounded to double ("." whatever the host's locale; too large gives an
// infinity, too small a zero).
size_t LitFlottant(std::string_view texte, double& valeur);
// The whole text reads as a number.
bool FlottantLisible(std::string_view texte);

// "Flottant -> hexa.": the value of the text's readable beginning (0 when
// none), its 8 bytes from the most significant, each as two upper-case
// digits followed by a blank.
std::string FlottantVersHexa(std::string_view texte);
std::string OctetsEnHexa(const std::array<uint8_t, 8>& octets);
// "Hexa. -> flottant": the bytes of HexVersOctets as a double, "%.14f" with
// "." (see TexteFlottant).
std::string HexaVersFlottant(std::string_view texte);

// The converter's two buttons: the result, or (Erreur not empty) why the
// text is refused — empty, or not wholly a number / 8 bytes — and the
// result field keeps what it holds.
struct TResultatConversion {
    std::string Texte;
    std::string Erreur;
};
TResultatConversion ConvertitVersHexa(std::string_view flottant);
TResultatConversion ConvertitVersFlottant(std::string_view hexa);

// Key filters: the key as the entry takes it ('a'..'f' upper-cased, ','
// turned to '.', 'e' to 'E'), '\b' for backspace, or 0 when dropped.
char FiltreToucheOctetsHexa(char touche);
char FiltreToucheFlottant(char touche);
// The text the entry would hold (selection [debut, debut + longueur)
// replaced by the key) is still acceptable: at most 30 characters, and for
// the hexadecimal entry valid for HexVersOctets, for the decimal entry
// readable once "1" is appended to "-" or to a text ending with "E".
bool SaisieHexaValide(const std::string& texte, int debut, int longueur, char touche);
bool SaisieFlottantValide(const std::string& texte, int debut, int longueur, char touche);
