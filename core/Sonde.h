// The debugger's probes on the running processor: the condition of a
// breakpoint, and the watch of memory accesses. The interpreter calls them
// only when the machine record names a probe; with none it runs its usual
// paths untouched.
#pragma once

#include <cstdint>

class ISondeMachine {
public:
    virtual ~ISondeMachine() = default;
    // A permanent breakpoint is reached at `adresse` (the registers are in
    // the record): whether the processor stops there.
    virtual bool ArretPermis(uint16_t adresse) = 0;
    // A data access of the instruction at `pc` (opcode and operand bytes are
    // fetches and are not reported), through the machine's ReadMem/WriteMem
    // with bank `banque`. True: the processor stops after this instruction.
    virtual bool Lecture(uint16_t adresse, uint8_t banque, uint8_t valeur, uint16_t pc) = 0;
    virtual bool Ecriture(uint16_t adresse, uint8_t banque, uint8_t avant, uint8_t apres, uint16_t pc) = 0;
};
