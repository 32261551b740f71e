#include "config/ReglagesImprimante.h"

#include <algorithm>

#include "config/Parametres.h"
#include "core/Machine.h"
#include "core/Nombres.h"
#include "core/Texte.h"

const std::array<const char*, 6> TaillesFonte{"7 points", "8 points", "9 points",
                                              "10 points", "11 points", "12 points"};

namespace {

constexpr int32_t PremiereTaille = 7;

std::string SurUneLigne(std::string texte) {
    std::replace(texte.begin(), texte.end(), '\r', ' ');
    std::replace(texte.begin(), texte.end(), '\n', ' ');
    return texte;
}

} // namespace

int PositionTaille(int32_t points) {
    const int32_t position = points - PremiereTaille;
    return position >= 0 && size_t(position) < TaillesFonte.size() ? int(position) : 2;
}

int32_t PointsDePosition(int position) {
    return position >= 0 && size_t(position) < TaillesFonte.size() ? PremiereTaille + position : 9;
}

int32_t TempsImpression(bool manuelle, const std::string& texte) {
    if (manuelle) return -1;
    const auto valeur = LitDecimal("0" + texte, INT32_MAX);
    return valeur && *valeur > 0 ? int32_t(*valeur) : 1;
}

void PrendTailleFonte(TMachine& m) { m.PointsImpr = m.TaillePoliceImpr; }

TReglagesImprimante LitReglagesImprimante(const TMachine& m, const TParametres& p, const std::string& texteTemps) {
    TReglagesImprimante r;
    r.Imprimante = p.Imprimante;
    r.Manuelle = m.TimeOutImpr == -1;
    if (r.Manuelle)
        r.Temps = texteTemps.empty() ? std::string(TempsParDefaut) : texteTemps;
    else
        r.Temps = std::to_string(m.TimeOutImpr);
    r.EnTete = m.ImprEnTete;
    r.NoPage = m.ImprNoPage;
    r.Hexa = m.ImprHexadec;
    r.TexteEnTete = m.EnTeteImpr;
    r.Taille = PositionTaille(m.PointsImpr);
    return r;
}

TEffetsImprimante AppliqueReglagesImprimante(const TReglagesImprimante& r, TMachine& m, TParametres& p) {
    TEffetsImprimante e;
    m.TimeOutImpr = TempsImpression(r.Manuelle, r.Temps);
    m.ImprEnTete = r.EnTete;
    m.EnTeteImpr = SurUneLigne(r.TexteEnTete);
    m.ImprNoPage = r.NoPage;
    m.ImprHexadec = r.Hexa;
    m.PointsImpr = PointsDePosition(r.Taille);
    if (!r.Imprimante.empty() && r.Imprimante != p.Imprimante) {
        p.Imprimante = r.Imprimante;
        e.Imprimante = true;
    }
    e.ImprimeActif = m.TimeOutImpr == -1;
    e.Fichier = EcrireParametres(m, p);
    return e;
}

std::string DossierImpressions(const TParametres& p) {
    return AvecSeparateur(p.ProgDir + NomDossierImpressions);
}
