// The journal of a session: who follows what reaches the machine from
// outside (a recording) or puts it back at the same instants (a replay).
// The run loop calls it at the instruction boundaries where the host has had
// its turn; the entry points of the outside world (keys, reset, interrupt)
// tell it before they act. With no journal the machine runs as usual.
#pragma once

#include <cstdint>

struct TMachine;

class IJournal {
public:
    virtual ~IJournal() = default;
    // An entry of the keyboard queue pushed by the host (a key typed, a
    // pasted text, the keys of a command line). False: the entry is dropped
    // (a replay in progress owns the keyboard).
    virtual bool Touche(TMachine& m, uint16_t entree) = 0;
    // The reset and interrupt buttons, before they act.
    virtual void Raz(TMachine& m) = 0;
    virtual void Int(TMachine& m) = 0;
    // Each of the three above has acted.
    virtual void ApresEvenement(TMachine&) {}
    // The run loop starts (or a single step): what the host changed while
    // the machine stood still is taken up here.
    virtual void Reprise(TMachine& m) = 0;
    // A boundary of the run loop, after the host's turn and before the next
    // slice; also the first one of a run.
    virtual void Frontiere(TMachine& m) = 0;
    // The run loop (or a step) is left: the machine stands still.
    virtual void Suspension(TMachine& m) = 0;
    // Around a change the host makes to the machine's records while it may
    // be running (a debugger window's write, the settings, a loaded state).
    virtual void AvantModification(TMachine&) {}
    virtual void ApresModification(TMachine&) {}
};

// The instant of the machine an outside event takes effect at: the
// instructions done, counting an instruction under way (a port handler that
// asks for keys) as done, since the event shows from the next boundary on.
inline uint64_t InstantEvenement(uint64_t instructions, uint32_t faitesTranche, bool dansInstruction) {
    return instructions + faitesTranche + (dansInstruction ? 1 : 0);
}
