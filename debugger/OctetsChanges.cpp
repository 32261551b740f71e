#include "debugger/OctetsChanges.h"

void TOctetsChanges::Note(uint64_t instructions, const TLecteur& lit) {
    if (FInstructions && *FInstructions != instructions) FAvant.swap(FNote);
    FInstructions = instructions;
    FNote.resize(0x10000);
    for (uint32_t a = 0; a < 0x10000; ++a) FNote[a] = lit(uint16_t(a));
}

bool TOctetsChanges::Change(uint16_t adresse, uint8_t valeur) const {
    return !FAvant.empty() && FAvant[adresse] != valeur;
}

std::optional<uint8_t> TOctetsChanges::Avant(uint16_t adresse) const {
    if (FAvant.empty()) return std::nullopt;
    return FAvant[adresse];
}

void TOctetsChanges::Oublie() {
    FInstructions.reset();
    FNote.clear();
    FAvant.clear();
}
