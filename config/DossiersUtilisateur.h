// Where the program finds its ROM images and where it keeps what it writes.
// Run from its build folder (the ROM images beside the executable) it keeps
// the settings file, the captures and the PDF prints there, as long as that
// folder is writable. Installed (the images in <prefix>/share/emulzorv), or
// when its folder is read-only, it writes into the user's folders:
// $XDG_CONFIG_HOME/EmulZorv/ (default ~/.config/EmulZorv/) for the settings
// file and $XDG_DATA_HOME/EmulZorv/ (default ~/.local/share/EmulZorv/) for
// the captures and the prints.
#pragma once

#include <functional>
#include <string>

struct TEnvironnementDossiers {
    std::string Home, XdgConfigHome, XdgDataHome; // empty when unset
    static TEnvironnementDossiers DuProcessus();
};

struct TDossiers {
    std::string Programme;  // ROM images (and names without a folder), trailing separator
    std::string Parametres; // folder of EmulZorv.ini, trailing separator
    std::string Donnees;    // captures and prints, trailing separator
    bool Utilisateur = false; // the user's XDG folders are used
};

// `dossierExe`: folder of the executable. `inscriptible` tells whether the
// program may write in a folder (default: the host's access rights).
TDossiers ChoisitDossiers(const std::string& dossierExe, const TEnvironnementDossiers& env,
                          const std::function<bool(const std::string&)>& inscriptible = {});

// The "Captures" folder of the screenshots.
std::string DossierCaptures(const TDossiers& d);

// The "États" folder of the saved states, beside the captures.
std::string DossierEtats(const TDossiers& d);
// The "Sessions" folder of the recorded sessions, beside them.
std::string DossierSessions(const TDossiers& d);
// The quick states, numbered 1 … NbEtatsRapides: "Rapide-2.zetat" in the
// "États" folder.
constexpr int NbEtatsRapides = 4;
std::string FichierEtatRapide(const TDossiers& d, int numero);
