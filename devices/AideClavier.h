// The keyboard help: what each host key gives the machine in a keyboard
// mode, found by putting every key and character through the translation
// rules themselves (so the help can never disagree with them).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TLigneAideClavier {
    std::string Touche;   // host key or character, e.g. "Ctrl+Maj+A … Z", "é", "F9"
    std::string Entrees;  // queue entries in hexadecimal, e.g. "0256 0345"
    std::string Machine;  // what the machine's character set shows, when it is text
};

// Lines in the order: keys, Alt keys, characters. Runs of keys or characters
// whose single entry follows them one for one are given as one line
// ("a … z"). The F9 line shows the date of `annee`-`mois`-`jour`.
std::vector<TLigneAideClavier> AideClavier(int32_t modeClavier, int annee = 2026, int mois = 12, int jour = 7);

// "INCONNU", "BASIC", "TTX" or "APL".
std::string NomModeClavier(int32_t modeClavier);
