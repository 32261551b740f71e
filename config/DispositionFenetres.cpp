#include "config/DispositionFenetres.h"

#include <algorithm>
#include <charconv>

#include "config/FichierIni.h"
#include "core/Fichiers.h"
#include "core/Texte.h"

namespace {

constexpr const char* Section = "Debogueur";
constexpr int TailleMax = 10000;

// How many cascade positions fit from `r` within `zone` (at least 1).
int PositionsCascade(const TRect& r, const TRect& zone) {
    const int enX = (zone.X + zone.L - (r.X + r.L)) / PasCascade;
    const int enY = (zone.Y + zone.H - (r.Y + r.H)) / PasCascade;
    return std::max(0, std::min(enX, enY)) + 1;
}

TRect Decale(TRect r, int pas) {
    r.X += pas * PasCascade;
    r.Y += pas * PasCascade;
    return r;
}

} // namespace

const char* CleGenreFenetre(TGenreFenetre genre) {
    static const char* const Cles[NbGenresFenetres] = {"CPU",       "Donnees",    "Code",  "Variables",
                                                       "Pile",      "Historique", "Profil"};
    return Cles[size_t(genre)];
}

std::string TexteRect(const TRect& r) { return Format("%d,%d,%d,%d", r.X, r.Y, r.L, r.H); }

std::optional<TRect> LitRect(const std::string& texte) {
    int v[4] = {};
    const char* p = texte.data();
    const char* const fin = p + texte.size();
    for (int i = 0; i < 4; ++i) {
        while (p < fin && *p == ' ') ++p;
        const auto [q, ec] = std::from_chars(p, fin, v[i]);
        if (ec != std::errc() || q == p) return std::nullopt;
        p = q;
        while (p < fin && *p == ' ') ++p;
        if (i < 3) {
            if (p == fin || *p != ',') return std::nullopt;
            ++p;
        }
    }
    if (p != fin) return std::nullopt;
    if (v[2] < 1 || v[3] < 1 || v[2] > TailleMax || v[3] > TailleMax) return std::nullopt;
    return TRect{v[0], v[1], v[2], v[3]};
}

std::optional<TRect> LitDisposition(const TFichierIni& ini, TGenreFenetre genre) {
    return LitRect(ini.LitTexte(Section, CleGenreFenetre(genre), ""));
}

std::optional<TRect> LitDisposition(const std::string& chemin, TGenreFenetre genre) {
    TFichierIni ini;
    if (!ini.Charge(chemin)) return std::nullopt;
    return LitDisposition(ini, genre);
}

bool EcritDisposition(const std::string& chemin, TGenreFenetre genre, const TRect& r, std::string& erreur) {
    TFichierIni ini;
    ini.Charge(chemin);
    ini.EcritTexte(Section, CleGenreFenetre(genre), TexteRect(r));
    return EcritFichierAtomique(chemin, ini.Texte(), erreur);
}

TRect PlaceFenetre(const TRect& base, int rang, const TRect& zone) {
    TRect r = base;
    r.L = std::min(r.L, zone.L);
    r.H = std::min(r.H, zone.H);
    r = DansLaZone(r, zone);
    rang = std::max(rang, 0);
    if (rang == 0) return r;
    int n = PositionsCascade(r, zone);
    if (n == 1) {
        // No room below the base: the cascade runs from the zone's corner.
        r.X = zone.X;
        r.Y = zone.Y;
        n = PositionsCascade(r, zone);
    }
    return Decale(r, rang % n);
}
