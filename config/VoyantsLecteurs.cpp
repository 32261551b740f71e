#include "config/VoyantsLecteurs.h"

#include <algorithm>

// Tick counts wrap after 49 days: ages are taken modulo 2^32.
void TVoyantsLecteurs::Maj(const TActiviteLecteurs& activite, const std::function<bool(int)>& disque,
                           uint32_t maintenant) {
    for (int slot = 1; slot <= 6; ++slot) {
        TVoyant& v = FVoyants[size_t(slot - 1)];
        const uint64_t n = activite.NbOperations(slot);
        if (n != v.Vues) {
            v.Vues = n;
            v.Depuis = maintenant;
            v.Allume = true;
            v.Operation = activite.DerniereOperation(slot);
        } else if (v.Allume && uint32_t(maintenant - v.Depuis) >= TenueMs) {
            v.Allume = false;
        }
        v.Disque = disque && disque(slot);
    }
}

TAspectVoyant TVoyantsLecteurs::Aspect(int slot) const {
    if (slot < 1 || slot > 6) return TAspectVoyant::Vide;
    const TVoyant& v = FVoyants[size_t(slot - 1)];
    if (v.Allume) return v.Operation == TOperationLecteur::Lecture ? TAspectVoyant::Lecture : TAspectVoyant::Ecriture;
    return v.Disque ? TAspectVoyant::Monte : TAspectVoyant::Vide;
}

uint32_t TVoyantsLecteurs::AvantRepos(uint32_t maintenant) const {
    uint32_t reste = 0;
    for (const TVoyant& v : FVoyants) {
        if (!v.Allume) continue;
        const uint32_t age = maintenant - v.Depuis;
        const uint32_t r = age >= TenueMs ? 1 : TenueMs - age;
        reste = reste == 0 ? r : std::min(reste, r);
    }
    return reste;
}
