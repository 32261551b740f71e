// The machine's records (and its clock) as bytes at one instant: what a
// session compares to see what the host changed while the machine stood
// still, the differences it keeps of those changes, and the fingerprints by
// which a replay checks that it still follows the recording.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

struct TMachine;
class THorlogeMachine;

// The processor, memory, ROM images, screen, keyboard, printer port, floppy
// controller, arithmetic chip, hard disk, clock ports and the machine's time.
constexpr size_t NbComposants = 11;
// The chunk identifier of each record ("CPU ", "MEM ", …, "HORL").
const char* IdComposant(size_t i);
// Its French name, for the messages ("le processeur", "la mémoire", …).
const char* NomComposant(size_t i);

struct TCliche {
    std::array<std::vector<uint8_t>, NbComposants> Octets;
    bool operator==(const TCliche&) const = default;
};
// Without a clock the time's record is left empty.
TCliche Cliche(const TMachine& m, const THorlogeMachine* h);

// What turns `avant` into `apres`, each changed record as the runs of bytes
// that differ, with a fingerprint of the record it starts from; empty when
// the two are equal.
std::vector<uint8_t> CodeDifference(const TCliche& avant, const TCliche& apres);
// The difference's form (records known, runs inside their record): empty
// when sound, else what is wrong.
std::string ControleDifference(const std::vector<uint8_t>& d);
// Puts a difference into the machine. Refused with a French message, the
// machine untouched, when a record is not the one the difference starts
// from (the replay no longer follows the recording: `composant` says
// which), or when the result is not a state a machine can be in.
bool AppliqueDifference(TMachine& m, THorlogeMachine* h, const std::vector<uint8_t>& d, size_t& composant,
                        std::string& erreur);

// A fast 64-bit fingerprint of each record, read in place.
using TEmpreintes = std::array<uint64_t, NbComposants>;
TEmpreintes Empreintes(const TMachine& m, const THorlogeMachine* h);
