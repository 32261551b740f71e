// What the windows of the execution tools show, without their widgets: the
// rows of the history ("Historique") and of the profiler ("Profil", by
// address or by routine, sorted by any column), the colour of a byte or a
// listing line by its coverage, and the "who wrote this" lines of a byte.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "debugger/Couverture.h"
#include "debugger/Debogueur.h"
#include "debugger/Ecrivains.h"
#include "debugger/Profileur.h"
#include "debugger/Suivi.h"

// "BOUCLE", "BOUCLE+3" after the nearest symbol at or below, or "".
std::string NomProche(const TListeSymboles& symboles, uint16_t adresse);

// --- History -------------------------------------------------------------------

struct TLigneHistorique {
    uint64_t Numero = 0; // the machine's instruction count once it had run
    uint16_t Adresse = 0;
    uint8_t Banque = 0;
    std::string Instruction; // the listing line, as the trace writes it
    std::string Registres;   // "A=3F B=09 … PC=2003"
    uint8_t Etats = 0;
};

// The last `max` instructions of the history, the oldest first.
std::vector<TLigneHistorique> LignesHistorique(const TSuiviDebogueur& suivi, const TListeSymboles& symboles,
                                               uint32_t max);

// --- Profiler ------------------------------------------------------------------

enum class TModeProfil : uint8_t { Adresses, Routines };

using TCleProfil = std::variant<uint64_t, std::string>;

struct TLigneProfil {
    uint16_t Adresse = 0; // the address, or the routine's start
    uint8_t Banque = 0;
    std::vector<std::string> Textes; // one per column
    std::vector<TCleProfil> Cles;    // what each column sorts by
};

// Column headings: "Adresse", "Banque", "Symbole", "Exécutions", "États T",
// "Part"; "Routine", "Début", "Fin", "Appels", "Exclusif", "Inclusif".
std::vector<std::string> EntetesProfil(TModeProfil mode);
// At most `max` rows: the addresses of most T-states, or every routine by
// exclusive T-states.
std::vector<TLigneProfil> LignesProfil(const TProfileur& p, const TListeSymboles& symboles, TModeProfil mode,
                                       size_t max);
// Sorted on `colonne`; equal keys keep the order of their addresses.
void TrieProfil(std::vector<TLigneProfil>& lignes, size_t colonne, bool croissant);
// A column clicked the first time: the names and addresses (0 to 2) in
// ascending order, the counts (3 to 5) the largest first.
constexpr bool TriCroissantParDefaut(size_t colonne) { return colonne < 3; }
// "en marche, 1 234 instructions, 5 678 états T"
std::string ResumeProfil(const TProfileur& p);

// --- Coverage colours ------------------------------------------------------------

constexpr TCouleurRGB CouleurExecute{0x9C, 0xE0, 0x9C}; // green
constexpr TCouleurRGB CouleurLu{0xA8, 0xC8, 0xF8};      // blue
constexpr TCouleurRGB CouleurEcrit{0xF8, 0xC0, 0x80};   // orange
// The colour of the access bits: written over read over executed; none
// without any.
std::optional<TCouleurRGB> CouleurCouverture(uint8_t acces);
// The access bits of each listing line: those of its bytes, from its
// address up to the next line's (at most three).
std::vector<uint8_t> CouvertureLignes(const TCouverture& c, const std::vector<TLigneListing>& lignes, uint8_t banque);

// --- Who wrote this ------------------------------------------------------------------

// The lines of `qui ADR [banque]`: one for the bank named; without one, each
// bank written, the latest first, or one line when neither was.
std::vector<std::string> TextesQui(const TEcrivains& e, uint16_t adresse, std::optional<uint8_t> banque,
                                   const TListeSymboles& symboles);
