#include "debugger/Historique.h"

#include <algorithm>
#include <cstring>

void THistorique::Active(bool actif) {
    if (actif == Actif()) return;
    FAnneau.assign(actif ? Capacite : 0, TPasExecute{});
    FAnneau.shrink_to_fit();
    Vide();
}

void THistorique::Vide() {
    FProchain = FTaille = 0;
    FDernier = 0;
}

void THistorique::Recoit(const TPasExecute* pas, uint32_t n, uint64_t dernier) {
    if (!Actif() || n == 0) return;
    if (FTaille > 0 && dernier - n != FDernier) Vide();
    FDernier = dernier;
    if (n > Capacite) {
        pas += n - Capacite;
        n = Capacite;
    }
    const uint32_t avant = std::min(n, Capacite - FProchain);
    std::memcpy(&FAnneau[FProchain], pas, avant * sizeof(TPasExecute));
    std::memcpy(&FAnneau[0], pas + avant, (n - avant) * sizeof(TPasExecute));
    FProchain = (FProchain + n) % Capacite;
    FTaille = std::min(Capacite, FTaille + n);
}

const TPasExecute& THistorique::Recent(uint32_t k) const {
    return FAnneau[(FProchain + Capacite - 1 - k) % Capacite];
}
