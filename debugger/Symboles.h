// The debugger's symbol list: ordered (name, address) pairs, duplicates
// allowed, first match wins; and the loader of symbol list files.
#pragma once

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

struct TSymbole {
    std::string Nom;
    int32_t Adresse = 0;
};

using TListeSymboles = std::vector<TSymbole>;

// Name of the first symbol whose address equals `adresse`, or "".
std::string NomSymbole(const TListeSymboles& liste, int32_t adresse);

// Index of the first symbol named `nom` without regard to letter case, or -1.
int IndexSymboleNomme(const TListeSymboles& liste, const std::string& nom);

// A name cut for the 8-character label column of listings: longer names keep
// their first 7 characters followed by "…". Characters are counted as UTF-8
// code points, so a multi-byte character is never split.
std::string AbregeSymbole(const std::string& nom);

// Number of characters (UTF-8 code points) of a text.
size_t NbCaracteres(const std::string& texte);

// Reads a symbol list file and appends its pairs to `liste`; returns the
// number of symbols added. Each line holds pairs "name address" separated by
// blanks, the address in hexadecimal without prefix or suffix. A pair whose
// address is not pure hexadecimal is skipped; when it is the last pair of its
// line, loading stops after that line. Each step keeps at most 255
// characters of what follows the current word. Read errors end the loading
// with the count reached.
int ChargeSymboles(std::istream& fichier, TListeSymboles& liste);

// Writes pairs in the form ChargeSymboles reads: one "NAME XXXX" per line.
void EcritSymboles(std::ostream& fichier, const TListeSymboles& liste);
