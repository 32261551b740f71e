#include "debugger/VuesSuivi.h"

#include <algorithm>

#include "core/Texte.h"
#include "debugger/Desassembleur.h"
#include "debugger/Trace.h"

namespace {

std::string Pourcent(uint64_t part, uint64_t tout) {
    return NombreFr(tout ? 100.0 * double(part) / double(tout) : 0.0, 1) + " %";
}

std::string Nombre(uint64_t n) { return NombreFr(int64_t(n)); }

std::string SansBlancsFinaux(std::string t) {
    while (!t.empty() && t.back() == ' ') t.pop_back();
    return t;
}

TLigneProfil LigneAdresse(const TProfilAdresse& x, const TListeSymboles& symboles, uint64_t total) {
    TLigneProfil l;
    l.Adresse = x.Adresse;
    l.Banque = x.Banque;
    const std::string nom = NomProche(symboles, x.Adresse);
    l.Textes = {Format("%.4XH", unsigned(x.Adresse)), Format("%u", unsigned(x.Banque)), nom, Nombre(x.Executions),
                Nombre(x.Etats), Pourcent(x.Etats, total)};
    l.Cles = {uint64_t(x.Adresse), uint64_t(x.Banque), nom, x.Executions, x.Etats, x.Etats};
    return l;
}

TLigneProfil LigneRoutine(const TProfilRoutine& r) {
    TLigneProfil l;
    l.Adresse = r.Debut;
    l.Textes = {r.Nom, Format("%.4XH", unsigned(r.Debut)), Format("%.4XH", unsigned(r.Fin)), Nombre(r.Appels),
                Nombre(r.Exclusif), r.Appels ? Nombre(r.Inclusif) : std::string()};
    l.Cles = {r.Nom, uint64_t(r.Debut), uint64_t(r.Fin), r.Appels, r.Exclusif, r.Inclusif};
    return l;
}

} // namespace

std::string NomProche(const TListeSymboles& symboles, uint16_t adresse) {
    const TSymbole* meilleur = nullptr;
    for (const TSymbole& s : symboles)
        if (s.Adresse <= adresse && s.Adresse >= 0 && (!meilleur || s.Adresse > meilleur->Adresse)) meilleur = &s;
    if (!meilleur) return {};
    const int d = adresse - meilleur->Adresse;
    return d == 0 ? meilleur->Nom : meilleur->Nom + Format("+%d", d);
}

// --- History -------------------------------------------------------------------

std::vector<TLigneHistorique> LignesHistorique(const TSuiviDebogueur& suivi, const TListeSymboles& symboles,
                                               uint32_t max) {
    const THistorique& h = suivi.Historique();
    const uint32_t n = std::min(max, h.Taille());
    std::vector<TLigneHistorique> lignes;
    lignes.reserve(n);
    for (uint32_t k = n; k-- > 0;) {
        const TPasExecute p = suivi.PasHistorique(k);
        TLigneHistorique l;
        l.Numero = h.NumeroRecent(k);
        l.Adresse = p.Adresse;
        l.Banque = p.Banque;
        TSourceDasm src;
        src.Lit = [&p](uint16_t a) { return p.Octets[uint16_t(a - p.Adresse) % 3]; };
        src.Symboles = &symboles;
        l.Instruction = SansBlancsFinaux(LigneDasm(src, p.Adresse, false).Texte);
        EcritRegistres(p, l.Registres);
        l.Etats = p.Etats;
        lignes.push_back(std::move(l));
    }
    return lignes;
}

// --- Profiler ------------------------------------------------------------------

std::vector<std::string> EntetesProfil(TModeProfil mode) {
    if (mode == TModeProfil::Adresses)
        return {"Adresse", "Banque", "Symbole", "Ex\u00e9cutions", "\u00c9tats T", "Part"};
    return {"Routine", "D\u00e9but", "Fin", "Appels", "Exclusif", "Inclusif"};
}

std::vector<TLigneProfil> LignesProfil(const TProfileur& p, const TListeSymboles& symboles, TModeProfil mode,
                                       size_t max) {
    std::vector<TLigneProfil> lignes;
    if (mode == TModeProfil::Adresses) {
        for (const TProfilAdresse& x : p.Chaudes(max)) lignes.push_back(LigneAdresse(x, symboles, p.Etats()));
        return lignes;
    }
    for (const TProfilRoutine& r : p.Routines(symboles)) {
        if (lignes.size() >= max) break;
        lignes.push_back(LigneRoutine(r));
    }
    return lignes;
}

void TrieProfil(std::vector<TLigneProfil>& lignes, size_t colonne, bool croissant) {
    auto lieu = [](const TLigneProfil& l) { return uint32_t(l.Banque) << 16 | l.Adresse; };
    std::stable_sort(lignes.begin(), lignes.end(), [&](const TLigneProfil& a, const TLigneProfil& b) {
        if (colonne >= a.Cles.size() || colonne >= b.Cles.size()) return false;
        const TCleProfil &x = a.Cles[colonne], &y = b.Cles[colonne];
        if (x != y) return croissant ? x < y : y < x;
        return lieu(a) < lieu(b);
    });
}

std::string ResumeProfil(const TProfileur& p) {
    return std::string(p.Actif() ? "en marche, " : "arr\u00eat\u00e9, ") + Nombre(p.Instructions()) +
           " instructions, " + Nombre(p.Etats()) + " \u00e9tats T";
}

// --- Coverage colours ------------------------------------------------------------

std::optional<TCouleurRGB> CouleurCouverture(uint8_t acces) {
    if (acces & AccesEcrit) return CouleurEcrit;
    if (acces & AccesLu) return CouleurLu;
    if (acces & AccesExecute) return CouleurExecute;
    return std::nullopt;
}

std::vector<uint8_t> CouvertureLignes(const TCouverture& c, const std::vector<TLigneListing>& lignes, uint8_t banque) {
    std::vector<uint8_t> acces(lignes.size(), 0);
    for (size_t i = 0; i < lignes.size(); ++i) {
        const uint32_t debut = lignes[i].Adresse;
        const uint32_t suivante = i + 1 < lignes.size() ? lignes[i + 1].Adresse : debut + 1;
        const uint32_t fin = std::min(suivante > debut ? suivante : debut + 1, std::min(debut + 3, 0x10000u));
        for (uint32_t a = debut; a < fin; ++a) acces[i] |= c.Acces(uint16_t(a), banque);
    }
    return acces;
}

// --- Who wrote this ------------------------------------------------------------------

std::vector<std::string> TextesQui(const TEcrivains& e, uint16_t adresse, std::optional<uint8_t> banque,
                                   const TListeSymboles& symboles) {
    if (banque) return {TexteEcrivain(adresse, *banque, e.De(adresse, *banque), symboles)};
    const TEcriture e0 = e.De(adresse, 0), e1 = e.De(adresse, 1);
    if (e0.Numero == 0 && e1.Numero == 0)
        return {Format("%.4XH : pas \u00e9crit depuis l'ouverture du d\u00e9bogueur", unsigned(adresse))};
    std::vector<std::string> lignes;
    const bool unDabord = e1.Numero > e0.Numero;
    for (uint8_t b : {uint8_t(unDabord ? 1 : 0), uint8_t(unDabord ? 0 : 1)})
        if (e.De(adresse, b).Numero) lignes.push_back(TexteEcrivain(adresse, b, e.De(adresse, b), symboles));
    return lignes;
}
