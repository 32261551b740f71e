// Interpreter entry points used by the run loop and the debugger.
#pragma once

#include <array>
#include <cstdint>

struct TMachine;

// S, Z and P of every 8-bit result (0x80 sign, 0x40 zero, 0x04 even parity).
extern const std::array<uint8_t, 256> TableSZP;

// Runs at most n instructions with the breakpoint test before each one and
// the interrupt test after each one. `debut` is the address whose permanent
// breakpoint is skipped once (-1 once the first instruction has run).
// Returns the number of instructions executed; stops early when the CPU
// leaves CPURun or FinEmul is set.
uint32_t ExecuteTranche(TMachine& m, uint32_t n, int32_t& debut);
