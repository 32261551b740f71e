// The machine's own time and the one-shot timers that run on it. Time moves
// by the T-states of the instructions at the clock frequency (or by a fixed
// time per instruction), by what a sleep inside an instruction adds, and when
// a test or a stopped machine's host says so; never by the host's own clock.
// Every timer falls due at a point of that time and fires at the first
// instruction boundary that reaches it: the slices a host asks for end there,
// and a timer started inside a slice ends it, so how a run is cut into
// pieces never changes when an event takes effect.
#pragma once

#include <array>
#include <cstdint>
#include <optional>

#include "core/EtatsMachine.h"
#include "core/Hote.h"

struct TMachine;

class THorlogeMachine {
public:
    uint64_t MaintenantUs = 0;                // machine time since start, microseconds
    uint32_t HorlogeKHz = 3000;               // processor clock: the T-states advance the time
    std::optional<uint64_t> NsParInstruction; // instead, a fixed time per instruction (0: none)
    // The clock ports read the local time `Origine` had at machine time
    // OrigineUs, moved on by the machine's time since: a replay reads the
    // same hours, at any speed. (Not part of the machine's record.)
    THeureLocale Origine{2026, 12, 7, 1, 9, 0, 0, 0};
    uint64_t OrigineUs = 0;
    // The local time at MaintenantUs (the caller synchronises first).
    THeureLocale HeureLocale() const;

    // Brings the time up to the machine's count: its T-states or, with
    // NsParInstruction, its instructions (those of the slice under way
    // included, as a port sees them). Without a machine, `instructions`
    // more instructions stand for it.
    void Synchronise(const TMachine* m, uint32_t instructions = 0);

    void DemarreMinuterie(TTimer t, uint32_t ms);
    void ArreteMinuterie(TTimer t) { FActif[t] = false; }
    bool MinuterieActive(TTimer t) const { return FActif[t]; }
    // Instructions that may run before the first boundary where a timer may
    // be due (at least 1, at most `max`): no instruction lasts more than
    // EtatsMaxParInstruction T-states.
    uint32_t Marge(uint32_t max) const;
    // Fires, in order of due time, every timer already due (the machine's
    // TimerExpire; `expire` for the host's own ones).
    void Declenche(TMachine* m);
    // Time that passes with no instruction: a sleep inside one (nothing
    // fires then), or a stopped machine's host moving it on (`m` given:
    // every timer that falls due on the way fires, in order).
    void Ajoute(uint64_t us);
    void Avance(uint64_t us, TMachine* m);

    // The time and the timers as a value, for a saved state.
    TEtatHorloge Etat() const;
    void Restaure(const TEtatHorloge& e);

private:
    std::array<uint64_t, NbTimers> FEcheance{};
    std::array<bool, NbTimers> FActif{};
    uint64_t FResteNs = 0;          // below one microsecond, by instructions
    uint64_t FResteCycles = 0;      // below one microsecond, in T-states × 1000
    uint64_t FCyclesVus = 0;        // the machine's T-states at the last reckoning
    uint64_t FInstructionsVues = 0; // its instructions then
};
