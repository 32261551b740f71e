// "Who wrote this": for every byte of each bank, the last instruction that
// wrote it while the debugger followed the execution, and the instruction
// count once it had run. Kept while the history is (the debugger has a user).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/Sonde.h"
#include "debugger/Symboles.h"

class TEcrivains {
public:
    void Active(bool actif);
    bool Actif() const { return !FTable.empty(); }
    // The interpreter writes there.
    TEcriture* Table() { return FTable.data(); }
    // Numero 0: not written while followed.
    TEcriture De(uint16_t adresse, uint8_t banque) const;

private:
    std::vector<TEcriture> FTable; // bank << 16 | address
};

// "2000H banque 0 : écrit par 2105H (DEBUT+5), instruction n° 1 234" or
// "2000H banque 0 : pas écrit depuis l'ouverture du débogueur".
std::string TexteEcrivain(uint16_t adresse, uint8_t banque, const TEcriture& e, const TListeSymboles& symboles);
