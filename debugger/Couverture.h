// Coverage: for every address of each bank, whether it was executed (the
// bytes of an instruction that ran), read or written as data, and how many
// times an instruction started there; and the lcov tracefile of a loaded
// line map, one hit count per source line that emitted bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/Sonde.h"
#include "debugger/CarteSource.h"

struct TResumeCouverture {
    uint32_t Executes = 0, Lus = 0, Ecrits = 0; // bytes, both banks
};

class TCouverture {
public:
    void Active(bool actif);
    bool Actif() const { return FActif; }
    void Raz();
    // The interpreter notes the reads and writes there (AccesLu, AccesEcrit).
    uint8_t* TableAcces() { return FAcces.data(); }
    void Recoit(const TPasExecute* pas, uint32_t n);

    uint8_t Acces(uint16_t adresse, uint8_t banque) const;
    uint64_t Executions(uint16_t adresse, uint8_t banque) const;
    TResumeCouverture Resume() const;
    // The hit count of a line: the runs of the instruction at its first
    // byte, in `banque` or in both banks. A line none of whose bytes ran but
    // which was read or written as data is data, not code, and is left out.
    // False with a French message when the map gives no line of code.
    bool Lcov(const TCarteSource& carte, std::optional<uint8_t> banque, std::string& texte,
              std::string& erreur) const;

private:
    bool FActif = false;
    std::vector<uint8_t> FAcces;       // bank << 16 | address
    std::vector<uint64_t> FExecutions; // instructions started there
};
