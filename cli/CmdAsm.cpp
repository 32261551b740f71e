// zorv asm: assembles an 8085 source into a raw binary image.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <sstream>
#include <string>

#include "cli/Commandes.h"
#include "cli/OutilsAsm.h"
#include "debugger/Assembleur.h"

namespace {

const char* const Aide =
    "usage : zorv asm SOURCE -o IMAGE [--size N] [--fill OCTET] [--symbols FICHIER]\n"
    "                 [--listing FICHIER]\n"
    "Assemble un source 8085 (mnémoniques Intel) en image binaire brute qui commence\n"
    "à la plus basse adresse assemblée.\n"
    "  -o IMAGE           image produite\n"
    "  --size N           complète l'image jusqu'à N octets (erreur si le code dépasse)\n"
    "  --fill OCTET       octet de remplissage des trous et du complément (0 par défaut)\n"
    "  --symbols FICHIER  liste des étiquettes, lisible par « Charger une liste »\n"
    "  --listing FICHIER  listing d'assemblage\n"
    "Nombres : décimal, 0x1000 ou 1000H. Directives : ORG EQU SET DB DW DS END INCLUDE.\n";

struct TOptionsAsm {
    std::string Source, Image, Symboles, Listing;
    std::optional<uint32_t> Taille;
    uint8_t Remplissage = 0;
};

int Refus(const std::string& message) {
    std::fprintf(stderr, "zorv asm : %s\n", message.c_str());
    return 2;
}

// Reads the arguments; returns -1 when they are good, else the exit status.
int LitOptions(int argc, char** argv, TOptionsAsm& o) {
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto valeur = [&](std::string& dest) {
            if (i + 1 >= argc) return false;
            dest = argv[++i];
            return !dest.empty();
        };
        std::string v;
        if (a == "--help" || a == "-h") {
            std::fputs(Aide, stdout);
            return 0;
        } else if (a == "-o") {
            if (!valeur(o.Image)) return Refus("-o demande un nom de fichier");
        } else if (a == "--symbols") {
            if (!valeur(o.Symboles)) return Refus("--symbols demande un nom de fichier");
        } else if (a == "--listing") {
            if (!valeur(o.Listing)) return Refus("--listing demande un nom de fichier");
        } else if (a == "--size") {
            if (!valeur(v) || !(o.Taille = NombreCli(v)) || *o.Taille == 0 || *o.Taille > 0x10000)
                return Refus("--size demande une taille de 1 à 65536");
        } else if (a == "--fill") {
            std::optional<uint32_t> n;
            if (!valeur(v) || !(n = NombreCli(v)) || *n > 0xFF)
                return Refus("--fill demande un octet (0 à 255)");
            o.Remplissage = uint8_t(*n);
        } else if (!a.empty() && a[0] == '-') {
            return Refus("option inconnue « " + a + " »");
        } else if (o.Source.empty()) {
            o.Source = a;
        } else {
            return Refus("un seul fichier source est accepté");
        }
    }
    if (o.Source.empty()) return Refus("fichier source manquant (zorv asm --help)");
    if (o.Image.empty()) return Refus("image de sortie manquante (-o IMAGE)");
    const std::string* sorties[] = {&o.Image, &o.Symboles, &o.Listing};
    for (const std::string* s : sorties) {
        if (s->empty()) continue;
        if (MemeFichier(*s, o.Source)) return Refus("refus d'écraser le source « " + *s + " »");
        for (const std::string* t : sorties)
            if (t != s && !t->empty() && MemeFichier(*s, *t))
                return Refus("deux sorties dans le même fichier « " + *s + " »");
    }
    return -1;
}

std::string Image(const TResultatAsm& r, const TOptionsAsm& o) {
    std::string image(r.Octets.begin(), r.Octets.end());
    for (size_t i = 0; i < r.Ecrit.size(); ++i)
        if (!r.Ecrit[i]) image[i] = char(o.Remplissage);
    if (o.Taille) image.resize(*o.Taille, char(o.Remplissage));
    return image;
}

int Ecrit(const std::string& chemin, const std::string& contenu) {
    std::string erreur;
    if (EcritFichierAtomique(chemin, contenu, erreur)) return 0;
    std::fprintf(stderr, "zorv asm : écriture impossible de « %s »\n", chemin.c_str());
    return 1;
}

} // namespace

int CommandeAsm(int argc, char** argv) {
    TOptionsAsm o;
    int statut = LitOptions(argc, argv, o);
    if (statut >= 0) return statut;
    std::error_code ec;
    if (!std::filesystem::is_regular_file(o.Source, ec))
        return Refus("lecture impossible de « " + o.Source + " »");
    TResultatAsm r = AssembleFichier(o.Source);
    for (const std::string& lu : r.Fichiers) // INCLUDE'd files are inputs too
        for (const std::string* s : {&o.Image, &o.Symboles, &o.Listing})
            if (!s->empty() && MemeFichier(*s, lu))
                return Refus("refus d'écraser le source « " + *s + " »");
    if (!r.Ok()) {
        std::fputs(r.TexteErreurs().c_str(), stderr);
        return 1;
    }
    if (o.Taille && r.Octets.size() > *o.Taille) {
        std::fprintf(stderr, "zorv asm : le code (%zu octets) dépasse --size %u\n",
                     r.Octets.size(), unsigned(*o.Taille));
        return 1;
    }
    if (int e = Ecrit(o.Image, Image(r, o))) return e;
    if (!o.Symboles.empty()) {
        std::ostringstream s;
        EcritSymboles(s, r.Etiquettes());
        if (int e = Ecrit(o.Symboles, s.str())) return e;
    }
    if (!o.Listing.empty())
        if (int e = Ecrit(o.Listing, r.Listing)) return e;
    return 0;
}
