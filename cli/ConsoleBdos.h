// A CP/M-style console for 8080 test programs: the program runs at 0x0100
// with all memory as bank-0 RAM; 0x0005 jumps to a trap near the top of
// memory (so the word at 0x0006 is a stack top) where calls 2 (character in
// E) and 9 ("$"-terminated string at DE) print on the console; reaching
// 0x0000 ends the program.
#pragma once

#include <cstdint>
#include <cstdio>
#include <vector>

struct TMachine;

constexpr uint16_t AdrProgrammeBdos = 0x0100;
constexpr uint16_t AdrTrapBdos = 0xFE00;

// Machine set-up for a program (already reset by InitMachine). Returns false
// when the program does not fit between 0x0100 and the trap.
bool PrepareBdos(TMachine& m, const std::vector<uint8_t>& programme);

enum class TArretBdos { Continue, Fin, Autre };

// The run stopped on a temporary stop: the end (0x0000), a console call
// (answered, then the program returns from it and the CPU runs again), or
// another stop that is not the console's.
TArretBdos TraiteArretBdos(TMachine& m, FILE* console);
