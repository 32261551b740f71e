// The history: the last instructions executed, with the registers each one
// left, in a ring. It follows the execution while the debugger has a user
// (the CPU window, a console); the numbers are the instruction counts of
// the machine (TMachine::NbInstructions once the instruction had run).
#pragma once

#include <cstdint>
#include <vector>

#include "core/Sonde.h"

class THistorique {
public:
    static constexpr uint32_t Capacite = 100'000;

    void Active(bool actif);
    bool Actif() const { return !FAnneau.empty(); }
    void Vide();
    // A gap in the numbers (the history was off meanwhile) starts it again.
    void Recoit(const TPasExecute* pas, uint32_t n, uint64_t dernier);

    uint32_t Taille() const { return FTaille; }
    // `k` back from the last one executed (0).
    const TPasExecute& Recent(uint32_t k) const;
    uint64_t NumeroRecent(uint32_t k) const { return FDernier - k; }

private:
    std::vector<TPasExecute> FAnneau;
    uint32_t FProchain = 0, FTaille = 0;
    uint64_t FDernier = 0;
};
