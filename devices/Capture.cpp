#include "devices/Capture.h"

#include <filesystem>

#include "core/Fichiers.h"
#include "core/Texte.h"
#include "devices/Ecran.h"
#include "devices/Png.h"

std::string NomHorodate(const THeureLocale& h, const std::string& extension, int rang) {
    std::string nom = Format("Zorvex-%04d-%02d-%02d-%02dh%02dm%02d", h.Annee, h.Mois, h.Jour, h.Heure, h.Minute,
                             h.Seconde);
    if (rang > 1) nom += Format("-%d", rang);
    return nom + extension;
}

std::string NomCapture(const THeureLocale& h, int rang) { return NomHorodate(h, ".png", rang); }

std::string CheminHorodateLibre(const std::string& dossier, const THeureLocale& h, const std::string& extension,
                                std::string& erreur, const std::function<bool(const std::string&)>& existe) {
    const auto pris = existe ? existe : [](const std::string& c) { return FichierExiste(c); };
    for (int rang = 1; rang <= 1000; ++rang) {
        const std::string chemin = dossier + NomHorodate(h, extension, rang);
        if (!pris(chemin)) return chemin;
    }
    erreur = "Trop de fichiers dans la m\u00eame seconde";
    return {};
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
    const std::string chemin = CheminHorodateLibre(d, h, ".png", erreur, existe);
    if (chemin.empty()) return {};
    DessineEcran(m);
    if (!EcritCapturePng(m, chemin, erreur)) return {};
    return chemin;
}
