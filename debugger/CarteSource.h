// The line map of an assembled program (.zdbg, JSON): its source files,
// the bytes each source line emitted, and its symbols with their kind. The
// assembler writes it beside the image; the debugger reads it to name
// addresses and to go from an address to its line and back.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "debugger/Assembleur.h"

constexpr int VersionCarteSource = 1;

enum class TGenreSymboleCarte : uint8_t { Etiquette, Equ, Set };

struct TSymboleCarte {
    std::string Nom;
    int32_t Valeur = 0;
    TGenreSymboleCarte Genre = TGenreSymboleCarte::Etiquette;
    bool operator==(const TSymboleCarte&) const = default;
};

struct TCarteSource {
    std::string Image;                // the image file, as named to the assembler
    uint16_t Origine = 0;             // lowest assembled address
    std::optional<uint16_t> Entree;   // END's value
    std::vector<std::string> Fichiers;
    std::vector<TPlageSource> Plages; // in assembly order
    std::vector<TSymboleCarte> Symboles;
    bool operator==(const TCarteSource&) const = default;
    bool Vide() const { return Fichiers.empty() && Plages.empty() && Symboles.empty(); }
};

// The map of an assembly; `fichiers` replaces the names of its sources
// (absolute paths in the file written beside the image).
TCarteSource CarteDe(const TResultatAsm& r, const std::string& image);
std::string CodeCarteSource(const TCarteSource& c);
// False with a French message: not JSON, another format, a newer version,
// a field missing or out of range.
bool LitCarteSource(const std::string& texte, TCarteSource& c, std::string& erreur);

// The line that emitted the byte at `adresse`, or nullptr.
const TPlageSource* PlageDe(const TCarteSource& c, uint16_t adresse);
// "fichier:ligne" of an address, or empty.
std::string TexteSource(const TCarteSource& c, uint16_t adresse);
// The first address of the first line at or after `ligne` of `fichier` that
// emitted bytes (a breakpoint set on a comment goes to the next code line).
std::optional<uint16_t> AdresseDeLigne(const TCarteSource& c, const std::string& fichier, int ligne);
