// Operations on the breakpoint table TblPtArret (one flag byte per processor
// address): bit 0 a breakpoint, bit 1 a temporary stop of step over and run
// to. The run loop only reads the table.
#pragma once

#include <cstdint>
#include <vector>

#include "core/Machine.h"

constexpr uint8_t PtArretPermanent = 1;
constexpr uint8_t PtArretTemporaire = 2;

inline bool EstPtArret(const TTblPtArret& t, uint16_t a) { return (t[a] & PtArretPermanent) != 0; }
// The add dialog: an address above 0xFFFF counts as 0xFFFF; false (and
// nothing changed) when the breakpoint is already there.
bool AjoutePtArret(TTblPtArret& t, uint64_t adresse);
// False when there was none.
bool RetirePtArret(TTblPtArret& t, uint16_t a);
// The listing's double click; returns whether a breakpoint is now set.
bool BasculePtArret(TTblPtArret& t, uint16_t a);
void PoseArretTemporaire(TTblPtArret& t, uint16_t a);
// Every temporary stop, wherever it is.
void EffaceArretsTemporaires(TTblPtArret& t);
// Addresses with a breakpoint, ascending.
std::vector<uint16_t> ListePtArret(const TTblPtArret& t);
