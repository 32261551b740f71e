// The intelligent floppy controller as the processor sees it: a byte-driven
// state machine held in the machine record, reached through the data port
// (0xB9, both ways) and the status port (0x99, read). Commands (read a
// sector, write a sector, format a disk) run synchronously, at the moment the
// processor reads the last echo byte of the command, against the drive table
// TMachine::Lecteurs (none = every drive answers as empty).
#pragma once

#include <cstdint>

struct TMachine;

// A byte from the processor (OUT to the data port).
void EcritCtrlDsq(TMachine& m, uint8_t b);
// A byte for the processor (IN from the data port); 0 when none is pending.
uint8_t LitCtrlDsq(TMachine& m);
// IN from the status port: 0x80 once right after a command ran, otherwise
// StatusCtrl (0x81 while a byte is pending, 0x80 when none is).
uint8_t LitStatusCtrlDsq(TMachine& m);

// Drive code of a command (bit 7 ignored) to slot 1…6; 0 for no drive.
int NumeroDisque(uint8_t code);

// Status codes of the replies.
constexpr uint8_t StatutSucces = 0x00;
constexpr uint8_t StatutProtege = 0x69;
constexpr uint8_t StatutAbsent = 0x6A;

// Command codes.
constexpr uint8_t CmdLecture = 0x0C;
constexpr uint8_t CmdEcriture = 0x0D;
constexpr uint8_t CmdFormatage = 0x1B;
