#include "debugger/Couverture.h"

#include <algorithm>
#include <map>

#include "core/Processeur.h"

void TCouverture::Active(bool actif) {
    if (actif && FAcces.empty()) {
        FAcces.assign(TailleTablesAcces, 0);
        FExecutions.assign(TailleTablesAcces, 0);
    }
    FActif = actif;
}

void TCouverture::Raz() {
    std::fill(FAcces.begin(), FAcces.end(), 0);
    std::fill(FExecutions.begin(), FExecutions.end(), 0);
}

void TCouverture::Recoit(const TPasExecute* pas, uint32_t n) {
    if (!FActif) return;
    uint8_t* const acces = FAcces.data();
    uint64_t* const executions = FExecutions.data();
    for (uint32_t i = 0; i < n; ++i) {
        const TPasExecute& p = pas[i];
        const uint32_t banque = uint32_t(p.Banque & 1) << 16;
        ++executions[banque | p.Adresse];
        const unsigned lg = LgExecution[p.Octets[0]];
        for (unsigned k = 0; k < lg; ++k) acces[banque | uint16_t(p.Adresse + k)] |= AccesExecute;
    }
}

uint8_t TCouverture::Acces(uint16_t adresse, uint8_t banque) const {
    return FAcces.empty() ? 0 : FAcces[uint32_t(banque & 1) << 16 | adresse];
}

uint64_t TCouverture::Executions(uint16_t adresse, uint8_t banque) const {
    return FExecutions.empty() ? 0 : FExecutions[uint32_t(banque & 1) << 16 | adresse];
}

TResumeCouverture TCouverture::Resume() const {
    TResumeCouverture r;
    for (uint8_t a : FAcces) {
        r.Executes += (a & AccesExecute) != 0;
        r.Lus += (a & AccesLu) != 0;
        r.Ecrits += (a & AccesEcrit) != 0;
    }
    return r;
}

bool TCouverture::Lcov(const TCarteSource& carte, std::optional<uint8_t> banque, std::string& texte,
                       std::string& erreur) const {
    auto acces = [&](uint16_t a) {
        if (banque) return Acces(a, *banque);
        return uint8_t(Acces(a, 0) | Acces(a, 1));
    };
    auto executions = [&](uint16_t a) { return banque ? Executions(a, *banque) : Executions(a, 0) + Executions(a, 1); };
    // file → line → hits
    std::map<uint32_t, std::map<int, uint64_t>> lignes;
    for (const TPlageSource& p : carte.Plages) {
        if (p.Longueur == 0 || p.Source >= carte.Fichiers.size()) continue;
        bool execute = false, donnee = false;
        for (uint32_t k = 0; k < p.Longueur && k < 0x10000; ++k) {
            const uint8_t a = acces(uint16_t(p.Debut + k));
            execute |= (a & AccesExecute) != 0;
            donnee |= (a & (AccesLu | AccesEcrit)) != 0;
        }
        if (donnee && !execute) continue;
        uint64_t& n = lignes[p.Source][p.Ligne];
        n = std::max(n, executions(p.Debut));
    }
    if (lignes.empty()) {
        erreur = "la carte des sources ne donne aucune ligne de code";
        return false;
    }
    texte.clear();
    for (const auto& [source, parLigne] : lignes) {
        texte += "TN:\nSF:" + carte.Fichiers[source] + "\n";
        size_t touchees = 0;
        for (const auto& [ligne, n] : parLigne) {
            texte += "DA:" + std::to_string(ligne) + "," + std::to_string(n) + "\n";
            touchees += n > 0;
        }
        texte += "LF:" + std::to_string(parLigne.size()) + "\nLH:" + std::to_string(touchees) + "\nend_of_record\n";
    }
    return true;
}
