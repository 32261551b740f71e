// The command line of the CPU window's console pane without its widget: the
// lines entered, which Up and Down walk through, and Tab's completion of the
// command name over the console's one table.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

class THistoriqueConsole {
public:
    static constexpr size_t Capacite = 100;

    // A line entered: kept unless it is blank or repeats the last one; the
    // walk starts again after the last line.
    void Ajoute(const std::string& ligne);
    // Up: the line before the one shown; `enCours` is the text being typed,
    // given back by Down past the last line. Nothing before the first.
    std::optional<std::string> Precedente(const std::string& enCours);
    // Down: the next line, then the text that was being typed.
    std::optional<std::string> Suivante();
    const std::vector<std::string>& Lignes() const { return FLignes; }

private:
    std::vector<std::string> FLignes;
    size_t FPos = 0; // FLignes.size(): past the last line
    std::string FBrouillon;
};

struct TCompletion {
    std::string Texte;                   // the line, completed as far as it can be
    std::vector<std::string> Candidats;  // the commands left when several are
};

// Tab on the line `texte`: its first word completed as far as the commands
// starting with it agree (a blank after a single one); the line unchanged
// past the first word.
TCompletion CompleteCommande(const std::string& texte);
