#include "devices/Capture.h"

#include <filesystem>

#include "core/Fichiers.h"
#include "core/Texte.h"
#include "devices/Ecran.h"
#include "devices/Png.h"

std::string NomCapture(const THeureLocale& h, int rang) {
    std::string nom = Format("Zorvex-%04d-%02d-%02d-%02dh%02dm%02d", h.Annee, h.Mois, h.Jour, h.Heure, h.Minute,
                             h.Seconde);
    if (rang > 1) nom += Format("-%d", rang);
    return nom + ".png";
}

std::string EnregistreCapture(TMachine& m, const std::string& dossier, const THeureLocale& h, std::string& erreur,
                              const std::function<bool(const std::string&)>& existe) {
    const std::string d = AvecSeparateur(dossier);
    std::error_code ec;
    std::filesystem::create_directories(d, ec);
    if (ec) {
        erreur = "Impossible de cr\u00e9er le dossier " + d + " : " + ec.message();
        return {};
    }
    const auto pris = existe ? existe : [](const std::string& c) { return FichierExiste(c); };
    std::string chemin;
    for (int rang = 1; chemin.empty() || pris(chemin); ++rang) {
        if (rang > 1000) {
            erreur = "Trop de captures dans la m\u00eame seconde";
            return {};
        }
        chemin = d + NomCapture(h, rang);
    }
    DessineEcran(m);
    if (!EcritCapturePng(m, chemin, erreur)) return {};
    return chemin;
}
