#include "core/Cadence.h"

void TCadence::ChoisitHorloge(uint32_t kHz) {
    FKHz = kHz == 0 ? 1 : kHz;
    FValide = false;
}

int64_t TCadence::TempsEmuleNs(uint64_t cycles) const {
    if (!FValide || cycles < FCycles0) return 0;
    // T-states × 10^6 / kHz, without overflow over any run.
    const unsigned __int128 ns = (unsigned __int128)(cycles - FCycles0) * 1'000'000u / FKHz;
    return int64_t(ns);
}

int64_t TCadence::Attente(uint64_t cycles, int64_t maintenantNs) {
    if (!FValide || cycles < FCycles0) {
        FValide = true;
        FCycles0 = cycles;
        FNs0 = maintenantNs;
        return 0;
    }
    const int64_t avance = TempsEmuleNs(cycles) - (maintenantNs - FNs0);
    if (avance < -RetardMaxNs) {
        FCycles0 = cycles;
        FNs0 = maintenantNs;
        return 0;
    }
    return avance >= AttenteMinNs ? avance : 0;
}
