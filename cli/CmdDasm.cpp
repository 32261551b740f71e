// zorv dasm: lists a raw binary image as the debugger's listing lines.
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "cli/Commandes.h"
#include "cli/Options.h"
#include "core/Fichiers.h"
#include "debugger/Desassembleur.h"
#include "debugger/Symboles.h"

namespace {

// A symbol file larger than this is not a symbol list.
constexpr uint64_t TailleMaxSymboles = 16 * 1024 * 1024;
// Width of the marker columns of the listing (breakpoint and program
// counter), always blank here.
constexpr size_t LargeurMarques = 4;

struct TOptionsDasm {
    std::string Image, Symboles;
    std::optional<uint32_t> Org, De, A;
    bool Bulle = false;
};

TOptions Table(TOptionsDasm& o) {
    TOptions t("dasm", "usage : zorv dasm IMAGE --org ADR [--from ADR --to ADR] [--symbols FICHIER] [--hint]\n",
               "Désassemble une image binaire brute chargée à l'adresse --org et en affiche les\n"
               "lignes comme le débogueur. Sans --from/--to, toute l'image est listée.\n"
               "Les octets hors de l'image se lisent FFH.\n");
    t.Option({"--org"}, "ADR", "adresse de chargement de l'image (0 à FFFF)", Hexa(o.Org, 0xFFFF))
        .Option({"--from"}, "ADR", "première adresse listée", Hexa(o.De, 0xFFFF))
        .Option({"--to"}, "ADR", "dernière adresse listée", Hexa(o.A, 0xFFFF))
        .Option({"--symbols"}, "FICHIER", "liste de symboles (paires nom adresse hexadécimale)", Chemin(o.Symboles))
        .Drapeau({"--hint"}, "forme de la bulle d'aide : étiquettes entières (sinon coupées\nà 7 caractères et « … »)",
                 o.Bulle)
        .Arguments([&o](const std::string& a) -> std::string {
            if (!o.Image.empty()) return "une seule image est acceptée";
            o.Image = a;
            return {};
        })
        .Fin(std::string(ConventionNombres) +
             "Code de sortie : 0 succès, 2 arguments incorrects ou fichier illisible.\n");
    return t;
}

int LitOptions(int argc, char** argv, TOptionsDasm& o, const TOptions& t) {
    const int statut = t.Analyse(argc, argv);
    if (statut >= 0) return statut;
    if (o.Image.empty()) return t.Refus("image manquante (zorv dasm --help)");
    if (!o.Org) return t.Refus("adresse de chargement manquante (--org ADR)");
    if (o.De.has_value() != o.A.has_value()) return t.Refus("--from et --to vont ensemble");
    if (o.De && *o.De > *o.A) return t.Refus("--from est après --to");
    return -1;
}

} // namespace

int CommandeDasm(int argc, char** argv) {
    TOptionsDasm o;
    const TOptions t = Table(o);
    if (int statut = LitOptions(argc, argv, o, t); statut >= 0) return statut;
    // One byte more than the address space tells a too large image.
    std::vector<uint8_t> image;
    const TLectureFichier r = LitFichierEntier(o.Image, image, 0x10001);
    if (r != TLectureFichier::Ok) return t.Refus(MessageLecture(r, o.Image));
    if (image.empty()) return t.Refus("le fichier " + o.Image + " est vide");
    if (*o.Org + image.size() > 0x10000) return t.Refus("l'image dépasse l'adresse FFFFH");
    TListeSymboles symboles;
    if (!o.Symboles.empty()) {
        std::string texte;
        const TLectureFichier s = LitFichierTexte(o.Symboles, texte, TailleMaxSymboles);
        if (s != TLectureFichier::Ok) return t.Refus(MessageLecture(s, o.Symboles));
        std::istringstream f(texte);
        ChargeSymboles(f, symboles);
    }
    std::vector<uint8_t> memoire(0x10000, 0xFF);
    std::copy(image.begin(), image.end(), memoire.begin() + *o.Org);
    TSourceDasm src;
    src.Lit = [&memoire](uint16_t a) { return memoire[a]; };
    src.Symboles = &symboles;
    const int32_t debut = o.De ? int32_t(*o.De) : int32_t(*o.Org);
    const int32_t fin = o.A ? int32_t(*o.A) : int32_t(*o.Org + image.size() - 1);
    for (const TLigneListing& l : Dasm(src, debut, fin, o.Bulle)) {
        const char* texte = l.Texte.c_str();
        if (!o.Bulle && l.Texte.size() >= LargeurMarques) texte += LargeurMarques;
        std::printf("%s\n", texte);
    }
    return 0;
}
