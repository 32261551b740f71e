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

// --- What the debugger's tools follow of the execution ---------------------
// While TMachine::Suivi is set the interpreter takes its following paths
// (chosen once per slice like the probe path): every executed instruction
// goes into the journal, which is handed to its reader when it is full and
// at the end of each slice, and every data access is noted in the access
// tables that are present. With Suivi unset none of this code runs.

// One executed instruction, with the registers it left.
struct TPasExecute {
    uint16_t Adresse = 0; // of its opcode
    uint16_t PC = 0;      // where the processor went on
    uint16_t SP = 0;
    uint8_t A = 0, F = 0, B = 0, C = 0, D = 0, E = 0, H = 0, L = 0;
    // Its opcode and the bytes after it as the processor read them; those it
    // did not read (a condition not met skips its address) are left as they
    // were, and the debugger reads them from memory.
    uint8_t Octets[3] = {};
    uint8_t Etats = 0;      // its T-states (a taken branch included)
    uint8_t Banque = 0;     // bank of its opcode fetch
};

// Bits of the access table, one byte per address of each bank.
constexpr uint8_t AccesExecute = 1, AccesLu = 2, AccesEcrit = 4;
constexpr uint32_t TailleTablesAcces = 0x20000; // bank << 16 | address

// The last instruction that wrote a byte: its address and the bank of its
// opcode, and the instruction count once it had run (0: never written while followed).
struct TEcriture {
    uint64_t Numero = 0;
    uint16_t PC = 0;
    uint8_t Banque = 0;
};

class ILecteurPas {
public:
    virtual ~ILecteurPas() = default;
    // `n` instructions in order; the last one is instruction number `dernier`
    // (TMachine::NbInstructions once it has run).
    virtual void Recoit(const TPasExecute* pas, uint32_t n, uint64_t dernier) = 0;
};

struct TSuiviExecution {
    TPasExecute* Journal = nullptr; // Taille entries, Nombre of them filled
    uint32_t Taille = 0, Nombre = 0;
    ILecteurPas* Lecteur = nullptr;
    uint8_t* Acces = nullptr;        // TailleTablesAcces bytes, or none
    TEcriture* Ecritures = nullptr;  // TailleTablesAcces entries, or none
};
