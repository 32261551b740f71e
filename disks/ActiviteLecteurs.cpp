#include "disks/ActiviteLecteurs.h"

#include <algorithm>

void TActiviteLecteurs::ActiviteLecteur(int slot, TOperationLecteur operation) {
    if (!EstSlot(slot)) return;
    TLumiere& l = FLumieres[size_t(slot)];
    l.Instant = Horloge ? Horloge() : 0;
    l.Operation = operation;
    ++l.Nombre;
    if (SurActivite) SurActivite();
}

// Tick counts wrap after 49 days: the age is taken modulo 2^32.
bool TActiviteLecteurs::Allume(int slot, uint32_t maintenant) const {
    if (!EstSlot(slot)) return false;
    const TLumiere& l = FLumieres[size_t(slot)];
    return l.Nombre > 0 && uint32_t(maintenant - l.Instant) < DureeAllumageMs;
}

TOperationLecteur TActiviteLecteurs::DerniereOperation(int slot) const {
    return EstSlot(slot) ? FLumieres[size_t(slot)].Operation : TOperationLecteur::Lecture;
}

uint64_t TActiviteLecteurs::NbOperations(int slot) const { return EstSlot(slot) ? FLumieres[size_t(slot)].Nombre : 0; }

uint32_t TActiviteLecteurs::AvantExtinction(uint32_t maintenant) const {
    uint32_t reste = 0;
    for (int slot = 1; slot <= 6; ++slot) {
        if (!Allume(slot, maintenant)) continue;
        const uint32_t r = DureeAllumageMs - uint32_t(maintenant - FLumieres[size_t(slot)].Instant);
        reste = reste == 0 ? r : std::min(reste, r);
    }
    return reste;
}
