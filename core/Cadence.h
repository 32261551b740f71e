// Pacing of "Vitesse réelle": the machine's T-states at the clock frequency
// against the host's monotonic clock. After each slice the run loop asks how
// long to wait so that the host clock catches up with the emulated one.
#pragma once

#include <cstdint>

class TCadence {
public:
    // Beyond this lag (a box left open, a host too slow) the emulated clock
    // is not chased: the reference starts again from now.
    static constexpr int64_t RetardMaxNs = 100'000'000;
    // Waits shorter than this are left for a later slice: fewer, longer
    // sleeps keep an idle machine's host idle; keys still reach the machine
    // within this time.
    static constexpr int64_t AttenteMinNs = 4'000'000;

    void ChoisitHorloge(uint32_t kHz);
    uint32_t HorlogeKHz() const { return FKHz; }
    // Forget the reference: the next call starts from there.
    void Recale() { FValide = false; }
    // `cycles`: the machine's T-state count; `maintenantNs`: the host clock.
    // Nanoseconds to wait (0: none yet).
    int64_t Attente(uint64_t cycles, int64_t maintenantNs);
    // Emulated nanoseconds since the reference.
    int64_t TempsEmuleNs(uint64_t cycles) const;

private:
    uint32_t FKHz = 3000;
    bool FValide = false;
    uint64_t FCycles0 = 0;
    int64_t FNs0 = 0;
};
