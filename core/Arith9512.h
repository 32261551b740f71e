// The Am9512 floating-point processor: a 16-byte operand stack (NOS in bytes
// 0..7, TOS in bytes 8..15, least significant byte first), seven
// double-precision commands and a status byte.
#pragma once

#include <cstdint>

struct TMachine;

// OUT 0xEF: the stack moves down one byte, the new byte becomes byte 15.
void Empile9512(TMachine& m, uint8_t octet);
// IN 0xEF: byte IndTos9512 of the stack; the index then cycles 15..8.
uint8_t Depile9512(TMachine& m);
// OUT 0xFF: execute a command and recompute the status.
void Commande9512(TMachine& m, uint8_t commande);
