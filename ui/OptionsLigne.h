// The options of emulzorv's command line (after the window system took its
// own, -platform and the like).
#pragma once

#include <string>
#include <vector>

struct TOptionsLigne {
    std::string EtatACharger; // --load-state FICHIER: loaded once the machine has started
    std::string SessionAEnregistrer; // --record FICHIER: the session from the start, written at the end
    std::string SessionARejouer;     // --replay FICHIER
    bool Aide = false;        // --help, -h
    std::string Erreur;       // a bad command line, in French; empty when it is sound
};

// `arguments` without the program's name.
TOptionsLigne LitOptionsLigne(const std::vector<std::string>& arguments);
// The usage text printed by --help and after an error.
std::string UsageEmulZorv();
