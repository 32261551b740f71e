// zorv dasm: lists a raw binary image as the debugger's listing lines.
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "cli/Commandes.h"
#include "cli/OutilsAsm.h"
#include "debugger/Desassembleur.h"
#include "debugger/Symboles.h"

namespace {

const char* const Aide =
    "usage : zorv dasm IMAGE --org ADRESSE [--from ADRESSE --to ADRESSE] [--symbols FICHIER]\n"
    "Désassemble une image binaire brute chargée à l'adresse --org (0 à FFFF) et en\n"
    "affiche les lignes comme le débogueur. Sans --from/--to, toute l'image est listée.\n"
    "Les octets hors de l'image se lisent FFH.\n"
    "  --symbols FICHIER  liste de symboles (paires nom adresse hexadécimale)\n"
    "Adresses : 0x1000, 1000H ou décimal.\n";

struct TOptionsDasm {
    std::string Image, Symboles;
    std::optional<uint32_t> Org, De, A;
};

int Refus(const std::string& message) {
    std::fprintf(stderr, "zorv dasm : %s\n", message.c_str());
    return 2;
}

int LitOptions(int argc, char** argv, TOptionsDasm& o) {
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        auto adresse = [&](std::optional<uint32_t>& dest) {
            if (i + 1 >= argc) return false;
            dest = NombreCli(argv[++i]);
            return dest && *dest <= 0xFFFF;
        };
        if (a == "--help" || a == "-h") {
            std::fputs(Aide, stdout);
            return 0;
        } else if (a == "--org") {
            if (!adresse(o.Org)) return Refus("--org demande une adresse de 0 à FFFF");
        } else if (a == "--from") {
            if (!adresse(o.De)) return Refus("--from demande une adresse de 0 à FFFF");
        } else if (a == "--to") {
            if (!adresse(o.A)) return Refus("--to demande une adresse de 0 à FFFF");
        } else if (a == "--symbols") {
            if (i + 1 >= argc || !*argv[i + 1]) return Refus("--symbols demande un nom de fichier");
            o.Symboles = argv[++i];
        } else if (!a.empty() && a[0] == '-') {
            return Refus("option inconnue « " + a + " »");
        } else if (o.Image.empty()) {
            o.Image = a;
        } else {
            return Refus("une seule image est acceptée");
        }
    }
    if (o.Image.empty()) return Refus("image manquante (zorv dasm --help)");
    if (!o.Org) return Refus("adresse de chargement manquante (--org ADRESSE)");
    if (o.De.has_value() != o.A.has_value()) return Refus("--from et --to vont ensemble");
    if (o.De && *o.De > *o.A) return Refus("--from est après --to");
    return -1;
}

bool LitFichier(const std::string& chemin, std::string& contenu) {
    std::ifstream f(chemin, std::ios::binary);
    if (!f) return false;
    std::ostringstream s;
    s << f.rdbuf();
    contenu = s.str();
    return !f.bad();
}

} // namespace

int CommandeDasm(int argc, char** argv) {
    TOptionsDasm o;
    int statut = LitOptions(argc, argv, o);
    if (statut >= 0) return statut;
    std::string image;
    if (!LitFichier(o.Image, image)) return Refus("lecture impossible de « " + o.Image + " »");
    if (image.empty()) return Refus("image vide « " + o.Image + " »");
    if (*o.Org + image.size() > 0x10000) return Refus("l'image dépasse l'adresse FFFFH");
    TListeSymboles symboles;
    if (!o.Symboles.empty()) {
        std::ifstream f(o.Symboles, std::ios::binary);
        if (!f) return Refus("lecture impossible de « " + o.Symboles + " »");
        ChargeSymboles(f, symboles);
    }
    std::vector<uint8_t> memoire(0x10000, 0xFF);
    std::copy(image.begin(), image.end(), memoire.begin() + *o.Org);
    TSourceDasm src;
    src.Lit = [&memoire](uint16_t a) { return memoire[a]; };
    src.Symboles = &symboles;
    int32_t debut = o.De ? int32_t(*o.De) : int32_t(*o.Org);
    int32_t fin = o.A ? int32_t(*o.A) : int32_t(*o.Org + image.size() - 1);
    for (const TLigneListing& l : Dasm(src, debut, fin, true)) std::printf("%s\n", l.Texte.c_str());
    return 0;
}
