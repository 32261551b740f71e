// Why and where a run of the machine stopped: the one report that every
// client of the run loop hears (the window, the debugger, the console, the
// command-line tool).
#pragma once

#include <cstdint>

// Why a run (TMachine::Execute) came back.
enum class TCauseArret : uint8_t {
    PointArret,        // CPUStop: permanent breakpoint (bit 0) at Adresse
    ArretTemporaire,   // CPUStop: temporary stop (bit 1) of run-to or step-over
    Pause,             // CPUStop: the state was changed from outside (debugger pause)
    Halte,             // CPUHalt: HLT executed at Adresse
    FinEmul,           // end of emulation requested
    Budget,            // the instruction budget is spent
    PointSurveillance, // CPUStop: a watchpoint or a condition of the debugger
    DejaEnCours        // the run loop was already running: the request is kept
};

// The one report of a run: why and where it stopped. For a stop on a flag
// the instruction at Adresse has not run; for HLT, Adresse is the HLT itself.
struct TRapportArret {
    TCauseArret Cause = TCauseArret::Budget;
    uint16_t Adresse = 0;
    uint64_t Instructions = 0; // executed by this call
};
