#include "debugger/Profileur.h"

#include <algorithm>
#include <map>

#include "core/Texte.h"

namespace {

// CALL, a taken Ccc (18 T-states), RST.
bool EstAppel(const TPasExecute& p) {
    const uint8_t op = p.Octets[0];
    return op == 0xCD || (op & 0xC7) == 0xC7 || ((op & 0xC7) == 0xC4 && p.Etats == 18);
}

// RET, a taken Rcc (12 T-states).
bool EstRetour(const TPasExecute& p) {
    const uint8_t op = p.Octets[0];
    return op == 0xC9 || ((op & 0xC7) == 0xC0 && p.Etats == 12);
}

struct TBorne {
    uint16_t Debut;
    std::string Nom;
};

// The routines' starts in address order: one per address (its first
// symbol), "(sans symbole)" from 0000H when the first starts above.
std::vector<TBorne> Bornes(const TListeSymboles& symboles) {
    std::map<uint16_t, std::string> parAdresse;
    for (const TSymbole& s : symboles)
        if (s.Adresse >= 0 && s.Adresse <= 0xFFFF) parAdresse.emplace(uint16_t(s.Adresse), s.Nom);
    std::vector<TBorne> b;
    if (parAdresse.empty() || parAdresse.begin()->first > 0) b.push_back({0, "(sans symbole)"});
    for (const auto& [a, nom] : parAdresse) b.push_back({a, nom});
    return b;
}

} // namespace

void TProfileur::Active(bool actif) {
    if (actif && FComptes.empty()) {
        FComptes.assign(TailleTablesAcces, TCompte{});
        FAppels.assign(0x10000, 0);
        FInclusif.assign(0x10000, 0);
        FOuverts.assign(0x10000, 0);
    }
    FActif = actif;
    FPile.clear(); // an interval not followed leaves no frame behind
    std::fill(FOuverts.begin(), FOuverts.end(), 0);
}

void TProfileur::Raz() {
    std::fill(FComptes.begin(), FComptes.end(), TCompte{});
    for (auto* v : {&FAppels, &FInclusif}) std::fill(v->begin(), v->end(), 0);
    std::fill(FOuverts.begin(), FOuverts.end(), 0);
    FPile.clear();
    FInstructions = FEtats = 0;
}

void TProfileur::Recoit(const TPasExecute* pas, uint32_t n) {
    if (!FActif) return;
    TCompte* const comptes = FComptes.data();
    for (uint32_t i = 0; i < n; ++i) {
        const TPasExecute& p = pas[i];
        const uint32_t lieu = uint32_t(p.Banque & 1) << 16 | p.Adresse;
        ++comptes[lieu].Executions;
        comptes[lieu].Etats += p.Etats;
        FEtats += p.Etats;
        if ((p.Octets[0] & 0xC0) == 0xC0) [[unlikely]] {
            if (EstAppel(p)) Appel(p);
            else if (EstRetour(p)) Retour(p);
        }
    }
    FInstructions += n;
}

void TProfileur::Appel(const TPasExecute& p) {
    ++FAppels[p.PC];
    if (FPile.size() >= ProfondeurMax) return; // a runaway recursion: counted, not timed
    FPile.push_back({p.SP, p.PC, FEtats});
    ++FOuverts[p.PC];
}

void TProfileur::Retour(const TPasExecute& p) {
    // The return read its address at SP - 2: every frame opened at or below it is left.
    const uint16_t lu = uint16_t(p.SP - 2);
    while (!FPile.empty() && FPile.back().SP <= lu) {
        const TCadre c = FPile.back();
        FPile.pop_back();
        // A recursive routine counts once, from its outermost entry.
        if (--FOuverts[c.Cible] == 0) FInclusif[c.Cible] += FEtats - c.Depart;
    }
}

uint64_t TProfileur::Executions(uint16_t adresse, uint8_t banque) const {
    return FComptes.empty() ? 0 : FComptes[uint32_t(banque & 1) << 16 | adresse].Executions;
}

std::vector<TProfilAdresse> TProfileur::Chaudes(size_t n) const {
    std::vector<TProfilAdresse> v;
    for (uint32_t i = 0; i < FComptes.size(); ++i)
        if (FComptes[i].Executions)
            v.push_back({uint16_t(i), uint8_t(i >> 16), FComptes[i].Executions, FComptes[i].Etats});
    auto avant = [](const TProfilAdresse& a, const TProfilAdresse& b) {
        if (a.Etats != b.Etats) return a.Etats > b.Etats;
        if (a.Executions != b.Executions) return a.Executions > b.Executions;
        return (a.Banque << 16 | a.Adresse) < (b.Banque << 16 | b.Adresse);
    };
    const size_t k = std::min(n, v.size());
    std::partial_sort(v.begin(), v.begin() + ptrdiff_t(k), v.end(), avant);
    v.resize(k);
    return v;
}

std::vector<TProfilRoutine> TProfileur::Routines(const TListeSymboles& symboles) const {
    if (FComptes.empty()) return {};
    // Frames still open: the outermost of each target counts up to now.
    std::vector<uint64_t> inclusif = FInclusif;
    std::vector<bool> compte(0x10000, false);
    for (const TCadre& c : FPile) {
        if (compte[c.Cible]) continue;
        compte[c.Cible] = true;
        inclusif[c.Cible] += FEtats - c.Depart;
    }
    const std::vector<TBorne> bornes = Bornes(symboles);
    std::vector<TProfilRoutine> v;
    for (size_t i = 0; i < bornes.size(); ++i) {
        TProfilRoutine r;
        r.Nom = bornes[i].Nom;
        r.Debut = bornes[i].Debut;
        r.Fin = i + 1 < bornes.size() ? uint16_t(bornes[i + 1].Debut - 1) : 0xFFFF;
        for (uint32_t a = r.Debut; a <= r.Fin; ++a) {
            r.Exclusif += FComptes[a].Etats + FComptes[0x10000 | a].Etats;
            r.Appels += FAppels[a];
            r.Inclusif += inclusif[a];
        }
        if (r.Exclusif || r.Appels) v.push_back(std::move(r));
    }
    std::stable_sort(v.begin(), v.end(), [](const TProfilRoutine& a, const TProfilRoutine& b) {
        return a.Exclusif != b.Exclusif ? a.Exclusif > b.Exclusif : a.Inclusif > b.Inclusif;
    });
    return v;
}

std::string TProfileur::Csv(const TListeSymboles& symboles) const {
    std::string t = "adresse,banque,symbole,executions,etats_t\n";
    for (uint32_t i = 0; i < FComptes.size(); ++i) {
        if (!FComptes[i].Executions) continue;
        std::string nom = NomSymbole(symboles, int32_t(i & 0xFFFF));
        if (nom.find_first_of(",\"") != std::string::npos) nom = "\"" + nom + "\"";
        t += Format("%.4X,%u,%s,%llu,%llu\n", unsigned(i & 0xFFFF), unsigned(i >> 16), nom.c_str(),
                    static_cast<unsigned long long>(FComptes[i].Executions),
                    static_cast<unsigned long long>(FComptes[i].Etats));
    }
    return t;
}
