#include "config/ParametresFenetre.h"

#include "config/DispositionFenetres.h"
#include "config/FichierIni.h"
#include "core/Fichiers.h"

namespace {

constexpr const char* Section = "Fenetre";

} // namespace

TParametresFenetre LitParametresFenetre(const std::string& chemin) {
    TParametresFenetre p;
    TFichierIni ini;
    if (!ini.Charge(chemin)) return p;
    const int32_t zoom = ini.LitEntier(Section, "Zoom", int32_t(p.Zoom));
    if (zoom >= 0 && zoom <= 2) p.Zoom = TZoom(zoom);
    p.PleinEcran = ini.LitEntier(Section, "PleinEcran", 0) == 1;
    p.Geometrie = LitRect(ini.LitTexte(Section, "Geometrie", ""));
    return p;
}

bool EcritParametresFenetre(const std::string& chemin, const TParametresFenetre& p, std::string& erreur) {
    TFichierIni ini;
    ini.Charge(chemin);
    ini.EcritEntier(Section, "Zoom", int32_t(p.Zoom));
    ini.EcritEntier(Section, "PleinEcran", p.PleinEcran ? 1 : 0);
    if (p.Geometrie) ini.EcritTexte(Section, "Geometrie", TexteRect(*p.Geometrie));
    return EcritFichierAtomique(chemin, ini.Texte(), erreur);
}
