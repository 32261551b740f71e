// zorv asm: assembles an 8085 source into a raw binary image.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>

#include "cli/Commandes.h"
#include "cli/Options.h"
#include "core/Fichiers.h"
#include "core/Texte.h"
#include "debugger/Assembleur.h"
#include "debugger/CarteSource.h"

namespace {

struct TOptionsAsm {
    std::string Source, Image, Symboles, Listing, Carte;
    std::optional<uint64_t> Taille;
    std::optional<uint32_t> Remplissage;
};

TOptions Table(TOptionsAsm& o) {
    TOptions t("asm",
               "usage : zorv asm SOURCE -o IMAGE [--size N] [--fill OCTET] [--symbols FICHIER]\n"
               "                 [--listing FICHIER] [--debug-info FICHIER.zdbg]\n",
               "Assemble un source 8085 (mnémoniques Intel) en image binaire brute qui commence\n"
               "à la plus basse adresse assemblée. Les sorties sont écrites toutes ou aucune.\n");
    t.Option({"-o", "--output"}, "IMAGE", "image produite", Chemin(o.Image))
        .Option({"--size"}, "N", "complète l'image jusqu'à N octets, 1 à 65536 (4K accepté ;\nerreur si le code dépasse)",
                Decimal(o.Taille, 1, 0x10000, true))
        .Option({"--fill"}, "OCTET", "octet de remplissage des trous et du complément (0 par défaut)",
                Hexa(o.Remplissage, 0xFF))
        .Option({"--symbols"}, "FICHIER", "liste des étiquettes, lisible par « Charger une liste »", Chemin(o.Symboles))
        .Option({"--listing"}, "FICHIER", "listing d'assemblage", Chemin(o.Listing))
        .Option({"--debug-info"}, "FICHIER",
                "carte des sources (JSON) : fichiers, lignes de chaque octet émis et\nsymboles, pour le débogueur",
                Chemin(o.Carte))
        .Arguments([&o](const std::string& a) -> std::string {
            if (!o.Source.empty()) return "un seul fichier source est accepté";
            o.Source = a;
            return {};
        })
        .Fin(std::string(ConventionNombres) +
             "Dans le source : 123 ou 123D décimal, 0FFH hexadécimal, 1010B, 17O ; directives\n"
             "ORG EQU SET DB DW DS END INCLUDE.\n"
             "Code de sortie : 0 succès, 1 erreur d'assemblage ou d'écriture, 2 arguments incorrects.\n");
    return t;
}

// Reads the arguments; returns -1 when they are good, else the exit status.
int LitOptions(int argc, char** argv, TOptionsAsm& o) {
    const TOptions t = Table(o);
    const int statut = t.Analyse(argc, argv);
    if (statut >= 0) return statut;
    if (o.Source.empty()) return t.Refus("fichier source manquant (zorv asm --help)");
    if (o.Image.empty()) return t.Refus("image de sortie manquante (-o IMAGE)");
    const std::string* sorties[] = {&o.Image, &o.Symboles, &o.Listing, &o.Carte};
    for (const std::string* s : sorties) {
        if (s->empty()) continue;
        if (MemeFichier(*s, o.Source)) return t.Refus("refus d'écraser le source « " + *s + " »");
        for (const std::string* u : sorties)
            if (u != s && !u->empty() && MemeFichier(*s, *u))
                return t.Refus("deux sorties dans le même fichier « " + *s + " »");
    }
    return -1;
}

int Refus(const std::string& message) {
    AfficheUneLigne("zorv asm : " + message);
    return SortieArguments;
}

std::string Image(const TResultatAsm& r, const TOptionsAsm& o) {
    std::string image(r.Octets.begin(), r.Octets.end());
    for (size_t i = 0; i < r.Ecrit.size(); ++i)
        if (!r.Ecrit[i]) image[i] = char(o.Remplissage.value_or(0));
    if (o.Taille) image.resize(size_t(*o.Taille), char(o.Remplissage.value_or(0)));
    return image;
}

} // namespace

int CommandeAsm(int argc, char** argv) {
    TOptionsAsm o;
    int statut = LitOptions(argc, argv, o);
    if (statut >= 0) return statut;
    if (const TLectureFichier g = GenreFichier(o.Source); g != TLectureFichier::Ok)
        return Refus(MessageLecture(g, o.Source));
    TResultatAsm r = AssembleFichier(o.Source);
    for (const std::string& lu : r.Fichiers) // INCLUDE'd files are inputs too
        for (const std::string* s : {&o.Image, &o.Symboles, &o.Listing, &o.Carte})
            if (!s->empty() && MemeFichier(*s, lu))
                return Refus("refus d'écraser le source « " + *s + " »");
    if (!r.Ok()) {
        std::fputs(r.TexteErreurs().c_str(), stderr);
        return 1;
    }
    if (o.Taille && r.Octets.size() > *o.Taille) {
        std::fprintf(stderr, "zorv asm : le code (%s octets) dépasse --size %s\n",
                     NombreFr(int64_t(r.Octets.size())).c_str(), NombreFr(int64_t(*o.Taille)).c_str());
        return 1;
    }
    // Image, symbols and listing: all of them or none.
    std::vector<TFichierAEcrire> sorties{{o.Image, Image(r, o)}};
    if (!o.Symboles.empty()) {
        std::ostringstream s;
        EcritSymboles(s, r.Etiquettes());
        sorties.push_back({o.Symboles, s.str()});
    }
    if (!o.Listing.empty()) sorties.push_back({o.Listing, r.Listing});
    if (!o.Carte.empty())
        sorties.push_back({o.Carte, CodeCarteSource(CarteDe(r, std::filesystem::path(o.Image).filename().string()))});
    std::string erreur;
    if (!EcritFichiersAtomiques(sorties, erreur)) {
        AfficheUneLigne("zorv asm : " + erreur + " ; aucune sortie n'est écrite");
        return 1;
    }
    return 0;
}
