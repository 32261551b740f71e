// The option table shared by every zorv subcommand: each option has its
// names, the name of its value (none for a switch), a help line and a
// handler. The table answers --help/-h and --version itself, builds the help
// text, and refuses bad arguments with one French line and exit status 2.
//
// Numbers follow one convention (core/Nombres.h): addresses, bytes and port
// numbers are hexadecimal ("2100", "2100H", "0x2100", "0FFH", "FFFF"), counts
// are decimal, sizes may end in K or M.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "core/Version.h"

constexpr const char* VersionZorv = VersionEmulZorv;
constexpr int SortieArguments = 2;

// Handler of an option: gets the value ("" for a switch) and returns an
// empty text when it is accepted, else the reason of the refusal (the
// option's name is put in front of it).
using TTraiteOption = std::function<std::string(const std::string& valeur)>;

struct TOption {
    std::vector<std::string> Noms; // "-o", "--output"
    std::string Valeur;            // name of the value in the help; empty: a switch
    std::string Aide;              // help text (may hold "\n" for more lines)
    TTraiteOption Traite;
};

class TOptions {
public:
    // `commande` as typed ("asm"), the usage line(s) and a short description.
    TOptions(std::string commande, std::string usage, std::string description);

    TOptions& Option(std::vector<std::string> noms, std::string valeur, std::string aide, TTraiteOption traite);
    TOptions& Drapeau(std::vector<std::string> noms, std::string aide, bool& dest);
    // Arguments that are not options (files); without a handler they are refused.
    TOptions& Arguments(TTraiteOption traite);
    // Text shown after the table: number convention, exit statuses.
    TOptions& Fin(std::string texte);

    // Reads argv[1..argc-1] ("--nom=valeur" is accepted for long names, "--"
    // ends the options). Returns -1 when the command goes on, else its exit
    // status: 0 after --help or --version, 2 after a refusal (already shown).
    int Analyse(int argc, char** argv) const;
    std::string TexteAide() const;
    // Shows "zorv COMMANDE : message" on one line of stderr; returns 2.
    int Refus(const std::string& message) const;
    const std::string& Commande() const { return FCommande; }

private:
    std::string FCommande, FUsage, FDescription, FFin;
    std::vector<TOption> FOptions;
    TTraiteOption FArguments;
    const TOption* Trouve(const std::string& nom) const;
};

// One line on stderr (line ends inside the text become blanks).
void AfficheUneLigne(const std::string& texte);

// How the convention is written in every --help.
extern const char* const ConventionNombres;

// Expected forms, for messages.
std::string FormeHexa(uint64_t max);                           // "hexadécimal (2100, 2100H ou 0x2100) de 0 à FFFF"
std::string FormeDecimal(uint64_t min, uint64_t max, bool suffixes); // "décimal de 1 à 65536 (4K, 1M acceptés)"

// Handlers that store a value after checking it against the convention.
TTraiteOption Hexa(std::optional<uint32_t>& dest, uint32_t max);
TTraiteOption Decimal(std::optional<uint64_t>& dest, uint64_t min, uint64_t max, bool suffixes = false);
TTraiteOption Entier(int& dest, int min, int max);    // small decimal choice
TTraiteOption Chemin(std::string& dest);              // non-empty file name
TTraiteOption Chemin(std::optional<std::string>& dest);
