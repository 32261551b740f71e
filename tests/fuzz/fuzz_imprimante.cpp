// Random byte streams on the printer port, with random settings (hexadecimal
// mode, header, page numbers, time-out) and page sizes down to none at all,
// many of them shaped like graphics lines. Checked after every byte: the
// graphics column stays in its bitmap, the counters stay in range, every
// drawing falls inside an open document, and every document is ended.
//
//   fuzz_imprimante [inputs [seed]]     default 100000 inputs, seed 1
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>

#include "core/HoteVirtuel.h"
#include "core/Machine.h"
#include "devices/Imprimante.h"

namespace {

int Echecs = 0;
void Verifie(bool condition, const char* quoi, uint64_t entree) {
    if (condition) return;
    if (++Echecs <= 10) std::fprintf(stderr, "entrée %llu : %s\n", static_cast<unsigned long long>(entree), quoi);
}

class TSurfaceControlee : public ISurfaceImpression {
public:
    int Largeur = 0, Hauteur = 0, Ppp = 0, Pas = 0, Ligne = 0;
    bool Ouvert = false, DessinHorsDocument = false;
    int Documents = 0;
    bool DebutDocument() override {
        Ouvert = true;
        ++Documents;
        return true;
    }
    void FinDocument() override { Ouvert = false; }
    void NouvellePage() override { DessinHorsDocument |= !Ouvert; }
    int PixelsParPouceX() const override { return Ppp; }
    int PixelsParPouceY() const override { return Ppp; }
    int LargeurPage() const override { return Largeur; }
    int HauteurPage() const override { return Hauteur; }
    void ChoisitTaillePolice(int) override {}
    void ChoisitStyle(bool, bool) override {}
    int LargeurTexte(const std::string& t) override { return int(t.size()) * Pas; }
    int HauteurTexte(const std::string&) override { return Ligne; }
    void DessineTexte(int, int, const std::string&) override { DessinHorsDocument |= !Ouvert; }
    void DessineBitmap(int, int, int l, int h, const uint8_t* bgr, int lb, int hb) override {
        DessinHorsDocument |= !Ouvert || !bgr || lb != 256 || hb != 7 || (l != 1024 && l != 2048) || h != l * 28 / 1024;
    }
};

} // namespace

int main(int argc, char** argv) {
    const uint64_t entrees = argc > 1 ? std::strtoull(argv[1], nullptr, 10) : 100000;
    std::mt19937_64 alea(argc > 2 ? std::strtoull(argv[2], nullptr, 10) : 1);
    TMachine m;
    THoteVirtuel hote(&m);
    m.Hote = &hote;
    TSurfaceControlee surface;
    TImprimante imprimante(m, surface);
    m.Imprimante = &imprimante;
    for (uint64_t e = 0; e < entrees; ++e) {
        surface.Largeur = int(alea() % 3000);
        surface.Hauteur = int(alea() % 3000);
        surface.Ppp = int(alea() % 700);
        surface.Pas = int(alea() % 40);
        surface.Ligne = int(alea() % 60);
        m.ImprHexadec = alea() % 4 == 0;
        m.ImprEnTete = alea() % 2;
        m.ImprNoPage = alea() % 2;
        m.EnTeteImpr = std::string(size_t(alea() % 300), char(0x80 | (alea() & 0x7F)));
        m.TimeOutImpr = alea() % 2 ? -1 : int(1 + alea() % 5);
        const int n = int(alea() % 2000);
        for (int i = 0; i < n; ++i) {
            const uint64_t r = alea();
            uint8_t octet = uint8_t(r);
            if (r % 7 == 0) octet = 0xC0;
            else if (r % 7 == 1) octet = uint8_t(0x80 | (r >> 8));
            else if (r % 11 == 2) octet = (r >> 8) % 2 ? 0x0D : 0x0A;
            m.CarImpr = octet;
            imprimante.ImprimeCaractere();
            if (r % 97 == 0) hote.Avance(1'000'000 * ((r >> 16) % 7));
            Verifie(m.XGraph >= 0 && m.XGraph <= 256, "colonne graphique hors de l'image", e);
            Verifie(m.CptGCopy >= 0 && m.CptGCopy <= 512, "compte graphique hors limites", e);
            Verifie(m.NbCarLigne >= 1 || !m.ImprEnCours, "ligne sans colonne", e);
            Verifie(m.ImprEnCours == surface.Ouvert, "travail et document désaccordés", e);
        }
        if (alea() % 3 == 0) m.TBRazClick();
        imprimante.FinProgramme();
        Verifie(!surface.Ouvert && !m.ImprEnCours, "document resté ouvert", e);
        Verifie(!surface.DessinHorsDocument, "dessin hors document", e);
        surface.DessinHorsDocument = false;
    }
    m.Imprimante = nullptr;
    m.Hote = nullptr;
    std::printf("fuzz_imprimante : %llu entrées, %d échecs\n", static_cast<unsigned long long>(entrees), Echecs);
    return Echecs ? 1 : 0;
}
