// Interpreter entry points used by the run loop and the debugger.
#pragma once

#include <array>
#include <cstdint>

struct TMachine;

// S, Z and P of every 8-bit result (0x80 sign, 0x40 zero, 0x04 even parity).
extern const std::array<uint8_t, 256> TableSZP;

// T-states of each opcode on the 8085, the not-taken figure for the
// conditional jumps, calls and returns (Jcc 7, Ccc 9, Rcc 6), and what a
// taken one adds (3, 9, 6: 10, 18, 12 in all). Counted in TMachine::NbCycles.
extern const std::array<uint8_t, 256> EtatsInstruction;
extern const std::array<uint8_t, 256> EtatsSiPris;
// The acknowledge of the interrupt (vector 0x002C), counted when it is taken.
constexpr uint8_t EtatsInterruption = 12;
// The most one instruction of a slice can count, its interrupt included.
constexpr uint32_t EtatsMaxParInstruction = 18 + EtatsInterruption;

// Runs at most n instructions with the breakpoint test before each one and
// the interrupt test after each one. The permanent breakpoint at
// m.DebutCourse is skipped once (DebutCourse becomes -1 once an instruction
// has run). Returns the number of instructions executed; stops early when the
// CPU leaves CPURun or FinEmul is set (or when the RAM limit changes so that
// the slice must go on through the record's own memory access).
uint32_t ExecuteTranche(TMachine& m, uint32_t n);

// Bytes each opcode really occupies in the interpreter: what RegPC moves by
// when the instruction does not jump. The ten undocumented opcodes skip 1 to
// 3 bytes (0x28 and 0x38 two, 0xDD and 0xFD three), while the listing counts
// every one of them as one byte.
extern const std::array<uint8_t, 256> LgExecution;
