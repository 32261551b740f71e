// The listing disassembler: one text line per 8085 instruction, with the
// breakpoint and program-counter markers, the symbol label column and symbol
// names in place of 16-bit operands. Window-free: the CPU and code windows
// put these lines into their list controls.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/Machine.h"
#include "debugger/Symboles.h"

// Where the disassembler reads: a byte reader (one bank of memory), the
// breakpoint table (or none) and the program counter (or -1 for none).
struct TSourceDasm {
    std::function<uint8_t(uint16_t)> Lit;
    const TTblPtArret* PtArret = nullptr;
    int32_t PC = -1;
    const TListeSymboles* Symboles = nullptr;
};

// The machine's memory as the processor sees it in bank `banque` (through
// ReadMem, with its ROM and video overlays), its breakpoints and its RegPC.
TSourceDasm SourceMachine(const TMachine& m, uint8_t banque, const TListeSymboles& symboles);

struct TLigneDasm {
    std::string Texte;  // UTF-8
    int Longueur = 1;   // 1 to 3 bytes
};

// One listing line for the instruction at `adresse`. Outside hint mode the
// line starts with the two marker columns ("■" breakpoint, "►" program
// counter) and the label is cut to 8 characters; in hint mode the markers are
// left out and the label stays whole.
TLigneDasm LigneDasm(const TSourceDasm& src, uint16_t adresse, bool modeBulle);
TLigneDasm LigneDasm(const TMachine& m, const TListeSymboles& symboles, uint16_t adresse,
                     uint8_t banque, bool modeBulle);

// A line of a listing with the address of its first byte.
struct TLigneListing {
    std::string Texte;
    uint16_t Adresse = 0;
};

// The lines from `debut` to `fin` (fin limited to 0xFFFF): the last line may
// run past `fin`, and the walk ends after an instruction that reaches 0xFFFF.
std::vector<TLigneListing> Dasm(const TSourceDasm& src, int32_t debut, int32_t fin,
                                bool modeBulle = false);
// The same from a machine's memory in one bank, with its breakpoints and PC.
std::vector<TLigneListing> Dasm(const TMachine& m, const TListeSymboles& symboles,
                                int32_t debut, uint8_t banque, int32_t fin);
