// The 8085 instruction set as one constant table: for each opcode its Intel
// mnemonic, its register operands and the kind of immediate value that
// follows. The listing tables (lengths and mnemonic texts) and the
// assembler's opcode look-up are all derived from it.
#pragma once

#include <array>
#include <cstdint>
#include <string>

enum TGenreImm : uint8_t {
    ikAucun, // no immediate: 1 byte
    ikOctet, // one data byte follows: 2 bytes
    ikMot    // a 16-bit value follows, low byte first: 3 bytes
};

struct TDefInstr {
    const char* Mnemo;      // Intel mnemonic, or "-XX-" for an undocumented opcode
    const char* Operandes;  // register operands as written ("B,C", "SP", "PSW", "5"), or ""
    TGenreImm Imm;
    bool Documente = true;
};

// Indexed by opcode.
extern const std::array<TDefInstr, 256> TableInstr;

// Length of each instruction, 1 to 3 (undocumented opcodes count as 1).
extern const std::array<uint8_t, 256> LgInstr;

// Listing text of each opcode: the bare mnemonic when there is no operand,
// otherwise the mnemonic in a five-character field followed by the register
// operands; entries with an immediate value end where the value is appended
// ("MVI  A,", "JMP  ").
extern const std::array<std::string, 256> MnemoDasm;
