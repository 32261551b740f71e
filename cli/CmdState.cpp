// zorv state: what a saved state holds.
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "cli/Commandes.h"
#include "cli/Options.h"
#include "config/FichierEtat.h"
#include "core/Fichiers.h"
#include "core/Texte.h"

namespace {

constexpr const char* AideState =
    "usage : zorv state info FICHIER\n"
    "  info  version du format, modèle, date, lecteurs et tailles d'un état enregistré\n"
    "Statut : 0 état lisible, 1 état refusé (la raison sur la sortie d'erreur), 2 arguments.\n";

std::string Date(int64_t secondes) {
    const std::time_t t = std::time_t(secondes);
    std::tm tm{};
    if (!gmtime_r(&t, &tm)) return "?";
    char texte[32];
    std::strftime(texte, sizeof texte, "%Y-%m-%d %H:%M:%S UTC", &tm);
    return texte;
}

std::string Milliers(uint64_t n) { return NombreFr(int64_t(n)); }

void AfficheInfo(const TEtatComplet& e, const std::vector<TMorceauEtat>& morceaux, size_t taille) {
    std::printf("format : %u\n", unsigned(e.VersionFormat));
    std::printf("modèle : %s\n", e.Info.NomModele.empty() ? std::to_string(e.Info.Modele).c_str()
                                                          : e.Info.NomModele.c_str());
    std::printf("date : %s\n", Date(e.Info.DateUnix).c_str());
    std::printf("programme : %s\n", e.Info.Programme.c_str());
    std::printf("instructions : %s\n", Milliers(e.Processeur.NbInstructions).c_str());
    for (size_t s = 0; s < e.Disques.Lecteurs.size(); ++s) {
        static const int numeros[] = {1, 2, 9, 10, 11, 12};
        const TDisqueEtat& d = e.Disques.Lecteurs[s];
        if (d.Chemin.empty()) {
            std::printf("lecteur %d : vide\n", numeros[s]);
            continue;
        }
        std::printf("lecteur %d : %s (%s octets%s) SHA-256 %s\n", numeros[s], d.Chemin.c_str(),
                    Milliers(d.Taille).c_str(), d.Protege ? ", protégé" : "", TexteSha256(d.Empreinte).c_str());
    }
    std::printf("vignette : %s\n", e.Vignette.Png.empty() ? "aucune" : (Milliers(e.Vignette.Png.size()) + " octets (PNG)").c_str());
    for (const TMorceauEtat& m : morceaux)
        std::printf("bloc %s v%u : %s octets, %s dans le fichier\n", m.Id.c_str(), unsigned(m.Version),
                    Milliers(m.Longueur).c_str(), Milliers(m.LongueurStockee).c_str());
    std::printf("taille : %s octets\n", Milliers(taille).c_str());
}

} // namespace

int CommandeState(int argc, char** argv) {
    if (argc >= 2 && (!std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h"))) {
        std::fputs(AideState, stdout);
        return 0;
    }
    if (argc != 3 || std::strcmp(argv[1], "info") != 0) {
        std::fputs(AideState, stderr);
        return SortieArguments;
    }
    const std::string chemin = argv[2];
    std::vector<uint8_t> octets;
    const TLectureFichier r = LitFichierEntier(chemin, octets, 16u << 20);
    if (r != TLectureFichier::Ok) {
        std::fprintf(stderr, "zorv state : %s\n", MessageLecture(r, chemin).c_str());
        return 1;
    }
    TEtatComplet e;
    std::vector<TMorceauEtat> morceaux;
    std::string erreur;
    if (!LitMorceaux(octets.data(), octets.size(), e.VersionFormat, morceaux, erreur) || !DecodeEtat(octets, e, erreur)) {
        std::fprintf(stderr, "zorv state : %s : %s\n", chemin.c_str(), erreur.c_str());
        return 1;
    }
    AfficheInfo(e, morceaux, octets.size());
    return 0;
}
