// The Winchester hard-disk controller, as far as its register handshake:
// select byte, six-byte command block, eight parameter bytes, DMA address
// and status. No disk stands behind it.
#pragma once

#include <cstdint>

struct TMachine;

void ControleWinch(TMachine& m, uint8_t a); // OUT 0x85
void DonneeWinch(TMachine& m, uint8_t a);   // OUT 0xA5
void ExecCmdWinch(TMachine& m);
