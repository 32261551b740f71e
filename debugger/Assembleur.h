// The 8085 assembler: Intel mnemonics, two passes, output as a memory image.
//
// Source syntax (letter case ignored, ";" starts a comment):
//   [label[:]] [mnemonic|directive [operands]]
// A label without a colon must start in the first column. Directives:
//   ORG expr            next address
//   name EQU expr       constant (defined once)
//   name SET expr       variable (may be set again)
//   DB item,...         bytes: expressions or 'strings' ("strings" too)
//   DW expr,...         16-bit words, low byte first
//   DS expr             reserves bytes (nothing written)
//   END [expr]          end of source; the optional value is the entry address
//   INCLUDE file        inserts a file (path relative to the including file)
// Numbers: 123, 123D, 0FFH, 1010B, 17O, 17Q, 'c', 'cc', $ (address of the
// current line). Operators: + - * / MOD SHL SHR NOT AND OR XOR HIGH LOW ( ).
// Byte operands accept -128..255, word operands -32768..65535.
//
// Use from tests:
//   TResultatAsm r = Assemble("ORG 100H\nDEBUT: MVI A,5\n HLT\n");
//   ASSERT_TRUE(r.Ok()) << r.TexteErreurs();
//   ChargeEnRam(machine, r);            // assembled bytes into bank 0 RAM
//   machine.RegPC = r.Adresse("DEBUT");
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "debugger/Symboles.h"

struct TMachine;

struct TErreurAsm {
    std::string Fichier;
    int Ligne = 0;
    std::string Message;
    std::string Texte() const; // "file:line: message"
};

enum TGenreSymbAsm : uint8_t { gsEtiquette, gsEqu, gsSet };

struct TSymboleAsm {
    int32_t Valeur = 0;
    TGenreSymbAsm Genre = gsEtiquette;
};

// Bytes emitted by one source line: Longueur bytes from Debut, from line
// Ligne of Sources[Source].
struct TPlageSource {
    uint16_t Debut = 0;
    uint32_t Longueur = 0;
    uint32_t Source = 0;
    int Ligne = 0;
    bool operator==(const TPlageSource&) const = default;
};

struct TResultatAsm {
    // Bytes from the lowest to the highest assembled address; gaps between
    // ORG blocks (and DS areas inside) hold 0 and are marked false in Ecrit.
    std::vector<uint8_t> Octets;
    std::vector<bool> Ecrit;
    uint16_t Origine = 0;                     // lowest assembled address
    std::optional<uint16_t> Entree;           // value given to END
    std::map<std::string, TSymboleAsm> Symboles; // names in upper case
    std::vector<TErreurAsm> Erreurs;
    std::string Listing;
    std::vector<std::string> Fichiers;        // source files read (INCLUDE too)
    // The line map: every file that gave lines (the main one first, then
    // the INCLUDE'd ones as met), and the bytes each line emitted, in the
    // order they were assembled.
    std::vector<std::string> Sources;
    std::vector<TPlageSource> Plages;

    bool Ok() const { return Erreurs.empty(); }
    std::string TexteErreurs() const;          // one error per line
    // Value of a symbol (any letter case); throws std::out_of_range if absent.
    uint16_t Adresse(const std::string& nom) const;
    // The labels, in address order, as the debugger's symbol list (a label
    // just past 0xFFFF is left out).
    TListeSymboles Etiquettes() const;
};

// Reads the source files; INCLUDE paths are taken relative to the folder of
// the including file.
struct ILecteurSource {
    virtual ~ILecteurSource() = default;
    virtual std::optional<std::string> Lit(const std::string& chemin) = 0;
};

// Assembles source text. `nomFichier` names it in error messages and is the
// base of INCLUDE paths.
TResultatAsm Assemble(const std::string& source, const std::string& nomFichier = "<source>");
TResultatAsm Assemble(const std::string& source, const std::string& nomFichier,
                      ILecteurSource& lecteur);

// Assembles a file from disk (a missing file is reported as an error).
TResultatAsm AssembleFichier(const std::string& chemin);

// Writes the assembled bytes (only those, never the gaps) into a bank of the
// machine's RAM, ZorvMem, directly (no ROM or video overlay).
void ChargeEnRam(TMachine& m, const TResultatAsm& r, uint8_t banque = 0);
