// The printer's composition, on a surface that records what is drawn with
// fixed metrics: 300 pixels per inch (margins of 59 and 118 pixels), a
// character pitch of 20 and a line height of 40 pixels.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "MachineEssai.h"
#include "devices/Imprimante.h"
#include "devices/JeuCaracteres.h"
#include "devices/SurfaceTexte.h"

namespace {

constexpr int Pas = 20, HautLigne = 40, MargeG = 59, MargeH = 118;

struct TTrace;
TTrace De(int genre);

struct TTrace {
    enum TGenre { Debut, Fin, Page, Ecrit, Bitmap } Genre = Debut;
    int X = 0, Y = 0, L = 0, H = 0;
    std::string Texte;
    bool Gras = false, Italique = false;
    int Points = 0;
    std::vector<uint8_t> Pixels; // the bitmap as given (B, G, R)
};

TTrace De(int genre) {
    TTrace t;
    t.Genre = TTrace::TGenre(genre);
    return t;
}

class TSurfaceEnregistreuse : public ISurfaceImpression {
public:
    int Largeur = 2480, Hauteur = 3508;
    bool Accepte = true;
    std::vector<TTrace> Traces;

    bool DebutDocument() override {
        Traces.push_back(De(TTrace::Debut));
        return Accepte;
    }
    void FinDocument() override { Traces.push_back(De(TTrace::Fin)); }
    void NouvellePage() override { Traces.push_back(De(TTrace::Page)); }
    int PixelsParPouceX() const override { return 300; }
    int PixelsParPouceY() const override { return 300; }
    int LargeurPage() const override { return Largeur; }
    int HauteurPage() const override { return Hauteur; }
    void ChoisitTaillePolice(int points) override { FPoints = points; }
    void ChoisitStyle(bool gras, bool italique) override {
        FGras = gras;
        FItalique = italique;
    }
    int LargeurTexte(const std::string& t) override {
        int n = 0;
        for (size_t i = 0; i < t.size(); i = CaractereUtf8Suivant(t, i)) ++n;
        return n * Pas;
    }
    int HauteurTexte(const std::string&) override { return HautLigne; }
    void DessineTexte(int x, int y, const std::string& t) override {
        TTrace tr = De(TTrace::Ecrit);
        tr.X = x;
        tr.Y = y;
        tr.Texte = t;
        tr.Gras = FGras;
        tr.Italique = FItalique;
        tr.Points = FPoints;
        Traces.push_back(tr);
    }
    void DessineBitmap(int x, int y, int l, int h, const uint8_t* bgr, int lb, int hb) override {
        TTrace tr = De(TTrace::Bitmap);
        tr.X = x;
        tr.Y = y;
        tr.L = l;
        tr.H = h;
        tr.Pixels.assign(bgr, bgr + size_t(lb) * size_t(hb) * 3);
        EXPECT_EQ(lb, 256);
        EXPECT_EQ(hb, 7);
        Traces.push_back(tr);
    }

    std::vector<TTrace> DeGenre(TTrace::TGenre g) const {
        std::vector<TTrace> v;
        for (const TTrace& t : Traces)
            if (t.Genre == g) v.push_back(t);
        return v;
    }
    // The drawn texts in order, concatenated.
    std::string Textes() const {
        std::string s;
        for (const TTrace& t : DeGenre(TTrace::Ecrit)) s += t.Texte;
        return s;
    }
    size_t Nb(TTrace::TGenre g) const { return DeGenre(g).size(); }

private:
    int FPoints = 0;
    bool FGras = false, FItalique = false;
};

struct Imprimante : TMachineEssai {
    TSurfaceEnregistreuse surface;
    TImprimante imprimante{*m, surface};
    void SetUp() override {
        TMachineEssai::SetUp();
        poste->ConnecteImprimante(&imprimante);
    }
    void TearDown() override { poste->ConnecteImprimante(nullptr); }
    // Through the ports, as the machine's software prints: latch, then a
    // rising edge of bit 1 of the strobe.
    void Imprime(std::initializer_list<int> octets) {
        for (int o : octets) {
            m->PortOut(0xAF, uint8_t(o));
            m->PortOut(0xCF, 0);
            m->PortOut(0xCF, 2);
        }
    }
    void Imprime(const std::string& texte) {
        for (char c : texte) Imprime({static_cast<unsigned char>(c)});
    }
    void Repete(int octet, int fois) {
        for (int i = 0; i < fois; ++i) Imprime({octet});
    }
};

TEST_F(Imprimante, ALineIsDrawnAtItsEndAndCrLfAdvancesOneLine) {
    Imprime("ABC");
    EXPECT_TRUE(m->ImprEnCours);
    EXPECT_EQ(surface.Nb(TTrace::Debut), 1u);
    EXPECT_EQ(surface.Nb(TTrace::Ecrit), 0u); // nothing before the end of the line
    Imprime({0x0D, 0x0A});
    const auto textes = surface.DeGenre(TTrace::Ecrit);
    ASSERT_EQ(textes.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(textes[size_t(i)].Texte, std::string(1, char('A' + i)));
        EXPECT_EQ(textes[size_t(i)].X, MargeG + Pas * i);
        EXPECT_EQ(textes[size_t(i)].Y, MargeH);
        EXPECT_EQ(textes[size_t(i)].Points, 9); // PointsImpr of the settings
    }
    EXPECT_EQ(m->ImprYCt, MargeH + HautLigne);
    EXPECT_EQ(m->NbCarLigne, (2480 - 2 * MargeG) / Pas);
    Imprime({0x0D, 0x0A}); // no empty line
    EXPECT_EQ(m->ImprYCt, MargeH + HautLigne);
    Imprime("D\r");
    EXPECT_EQ(surface.DeGenre(TTrace::Ecrit).back().Y, MargeH + HautLigne);
    EXPECT_EQ(m->ImprYCt, MargeH + 2 * HautLigne);
    EXPECT_EQ(surface.Nb(TTrace::Fin), 0u); // Attente=-1: ended by hand only
    hote.Avance(60'000'000);
    EXPECT_EQ(surface.Nb(TTrace::Fin), 0u);
    imprimante.TBPrintClick();
    EXPECT_EQ(surface.Nb(TTrace::Fin), 1u);
    EXPECT_FALSE(m->ImprEnCours);
    imprimante.TBPrintClick(); // no job: nothing more
    EXPECT_EQ(surface.Nb(TTrace::Fin), 1u);
}

TEST_F(Imprimante, TimeOutEndsTheJobAfterFiveSecondsWithoutPrinting) {
    m->TimeOutImpr = 5;
    for (int s = 0; s < 8; ++s) {
        Imprime("X");
        hote.Avance(1'000'000);
    }
    EXPECT_EQ(surface.Nb(TTrace::Debut), 1u);
    EXPECT_EQ(surface.Nb(TTrace::Fin), 0u);
    Imprime("\r");
    hote.Avance(4'999'000);
    EXPECT_TRUE(m->ImprEnCours);
    hote.Avance(1'000);
    EXPECT_FALSE(m->ImprEnCours);
    ASSERT_EQ(surface.Nb(TTrace::Fin), 1u);
    EXPECT_EQ(surface.Textes(), "XXXXXXXX");
    Imprime("Y\r");
    EXPECT_EQ(surface.Nb(TTrace::Debut), 2u);
    EXPECT_EQ(m->NumPageImpr, 1);
    EXPECT_EQ(surface.DeGenre(TTrace::Ecrit).back().Y, MargeH); // top of the new document
}

TEST_F(Imprimante, HexadecimalModeShowsEveryByteAsTwoDigitsAndABlank) {
    m->ImprHexadec = true;
    Imprime({0x41, 0x0D});
    auto t = surface.DeGenre(TTrace::Ecrit);
    ASSERT_EQ(t.size(), 4u);
    EXPECT_EQ(t[0].Texte + t[1].Texte + " " + t[2].Texte + t[3].Texte, "41 0D");
    EXPECT_EQ(t[0].X, MargeG);
    EXPECT_EQ(t[1].X, MargeG + Pas);
    EXPECT_EQ(t[2].X, MargeG + 3 * Pas);
    EXPECT_EQ(t[3].X, MargeG + 4 * Pas);
    EXPECT_EQ(m->ImprYCt, MargeH + HautLigne); // 0x0D breaks the line
    // 0xC0 and 0x0A are bytes like the others; the line breaks when the next
    // byte would not fit.
    Imprime({0xC0, 0x0A});
    EXPECT_FALSE(m->ImpGraph);
    EXPECT_EQ(surface.Textes(), "410DC00A");
    EXPECT_EQ(m->ImprYCt, MargeH + HautLigne);
    const int parLigne = m->NbCarLigne / 3;
    Repete(0x20, parLigne - 2);
    EXPECT_EQ(m->ImprYCt, MargeH + 2 * HautLigne);
    EXPECT_EQ(m->CptCar, 0);
}

TEST_F(Imprimante, Byte94PrintsBoldUntil92) {
    Imprime({0x94, 'A', 'B', 0x92, 'C', 0x0D});
    const auto t = surface.DeGenre(TTrace::Ecrit);
    ASSERT_EQ(t.size(), 3u);
    EXPECT_TRUE(t[0].Gras && t[1].Gras);
    EXPECT_FALSE(t[2].Gras);
    EXPECT_EQ(t[2].X, MargeG + 2 * Pas); // the style bytes take no column
    EXPECT_FALSE(t[0].Italique);
}

TEST_F(Imprimante, GraphicsLinesAreStretchedBandsOfEveryOtherCountedByte) {
    Imprime({0xC0});
    for (int i = 0; i < 256; ++i) Imprime({0xC1, 0x41, 0xFE}); // drawn, ignored, counted only
    EXPECT_EQ(m->CptGCopy, 0);
    Imprime({0x0D}); // no line feed yet: ignored
    EXPECT_EQ(surface.Nb(TTrace::Bitmap), 0u);
    Imprime({0x0A, 0x0D});
    auto b = surface.DeGenre(TTrace::Bitmap);
    ASSERT_EQ(b.size(), 1u);
    EXPECT_EQ(b[0].X, MargeG);
    EXPECT_EQ(b[0].Y, MargeH);
    EXPECT_EQ(b[0].L, 1024);
    EXPECT_EQ(b[0].H, 28);
    auto point = [&](int x, int y) { return b[0].Pixels[(size_t(y) * 256 + size_t(x)) * 3]; };
    for (int x : {0, 100, 255}) {
        EXPECT_EQ(point(x, 0), 0) << x;     // bit 0: the top dot
        EXPECT_EQ(point(x, 6), 0) << x;     // bit 6: the bottom dot
        EXPECT_EQ(point(x, 3), 0xFF) << x; // 0xFE bytes are never drawn
    }
    EXPECT_EQ(m->ImprYCt, MargeH + 28);
    EXPECT_FALSE(m->ImpGraph);
    EXPECT_EQ(surface.Nb(TTrace::Ecrit), 0u);

    // A second 0xC0 after the 512 bytes restarts the line at scale 2.
    Imprime({0xC0});
    Repete(0xFF, 512);
    Imprime({0xC0});
    Repete(0xFF, 512);
    Imprime({0x0A, 0x0D});
    b = surface.DeGenre(TTrace::Bitmap);
    ASSERT_EQ(b.size(), 2u);
    EXPECT_EQ(b[1].L, 2048);
    EXPECT_EQ(b[1].H, 56);
    EXPECT_EQ(b[1].Y, MargeH + 28);
    EXPECT_EQ(std::count(b[1].Pixels.begin(), b[1].Pixels.end(), 0), 256 * 7 * 3); // all black
    EXPECT_EQ(m->ImprYCt, MargeH + 28 + 56);
    Imprime("Z\r"); // back to text
    EXPECT_EQ(surface.Textes(), "Z");
}

TEST_F(Imprimante, MachineCharactersAndControlBytes) {
    Imprime({0x10, 0x7F, 0x5E, 0x0C, 0xC0});
    Imprime({0x0D}); // in the graphics line now: ignored
    EXPECT_TRUE(m->ImpGraph);
    m->ImpGraph = false;
    Imprime({0x0D});
    EXPECT_EQ(surface.Textes(), "\u00e0\u2591\u2191\f"); // the form feed is a character
    EXPECT_EQ(surface.Nb(TTrace::Page), 0u);
    EXPECT_EQ(surface.Textes().find("\u00c0"), std::string::npos);
}

TEST_F(Imprimante, ByteZeroOpensNoJob) {
    Imprime({0x00});
    EXPECT_FALSE(m->ImprEnCours);
    EXPECT_TRUE(surface.Traces.empty());
    m->TimeOutImpr = 3;
    Imprime({0x00});
    EXPECT_FALSE(hote.TimerActif(tmImpr));
}

TEST_F(Imprimante, PagesGetTheHeaderCutToTheLineAndTheNumberEndingAtMidLine) {
    surface.Largeur = 400;  // 14 characters a line
    surface.Hauteur = 400;  // 4 lines a page
    m->ImprEnTete = m->ImprNoPage = true;
    m->EnTeteImpr = "\u00c9tat des comptes du mois";
    Imprime("0123456789ABCDEFGHIJ\r"); // 20 characters: 14, then 6
    EXPECT_EQ(m->NbCarLigne, 14);
    Imprime("L3\rL4\rL5\r");
    const auto t = surface.DeGenre(TTrace::Ecrit);
    ASSERT_GE(t.size(), 2u);
    EXPECT_EQ(t[0].Texte, "\u00c9tat des compt");
    EXPECT_TRUE(t[0].Italique);
    EXPECT_EQ(t[0].X, MargeG);
    EXPECT_EQ(t[0].Y, MargeH / 2);
    EXPECT_EQ(t[1].Texte, "1");
    EXPECT_FALSE(t[1].Italique);
    EXPECT_EQ(t[1].X + Pas, (400 - 2 * MargeG) / 2 + MargeG);
    EXPECT_EQ(t[1].Y, 400 - MargeH / 2);
    // "EFGHIJ" wrapped onto the second line.
    const auto wrap = std::find_if(t.begin(), t.end(), [](const TTrace& x) { return x.Texte == "E"; });
    ASSERT_NE(wrap, t.end());
    EXPECT_EQ(wrap->X, MargeG);
    EXPECT_EQ(wrap->Y, MargeH + HautLigne);
    // Lines at 118, 158, 198, 238; the fifth goes to page 2, after its header
    // and number.
    ASSERT_EQ(surface.Nb(TTrace::Page), 1u);
    size_t page = 0;
    while (surface.Traces[page].Genre != TTrace::Page) ++page;
    ASSERT_GE(surface.Traces.size(), page + 4);
    EXPECT_EQ(surface.Traces[page + 1].Texte, "\u00c9tat des compt");
    EXPECT_EQ(surface.Traces[page + 2].Texte, "2");
    EXPECT_EQ(surface.Traces[page + 3].Texte, "L");
    EXPECT_EQ(surface.Traces[page + 3].Y, MargeH);
    EXPECT_EQ(m->NumPageImpr, 2);
}

TEST_F(Imprimante, WaitingCharactersSurviveTheEndOfAJobButNotAReset) {
    m->TimeOutImpr = 2;
    Imprime("AB");
    hote.Avance(2'000'000);
    ASSERT_EQ(surface.Nb(TTrace::Fin), 1u);
    EXPECT_EQ(surface.Nb(TTrace::Ecrit), 0u);
    Imprime("C\r");
    EXPECT_EQ(surface.Textes(), "ABC");
    Imprime("DE");
    m->TBRazClick();
    EXPECT_EQ(surface.Nb(TTrace::Fin), 2u);
    EXPECT_TRUE(m->BufImp.empty());
    EXPECT_FALSE(hote.TimerActif(tmImpr));
    Imprime("F\r");
    EXPECT_EQ(surface.Textes(), "ABCF");
}

TEST_F(Imprimante, TheProgramEndPrintsTheWaitingLineAndEndsTheJob) {
    Imprime("fin");
    imprimante.FinProgramme();
    EXPECT_EQ(surface.Textes(), "fin");
    EXPECT_EQ(surface.Nb(TTrace::Fin), 1u);
    EXPECT_FALSE(m->ImprEnCours);
    imprimante.FinProgramme(); // nothing left
    EXPECT_EQ(surface.Nb(TTrace::Debut), 1u);
}

TEST_F(Imprimante, ARefusedDocumentDrawsNothingAndEndsQuietly) {
    surface.Accepte = false;
    Imprime("AB\rCD\r");
    EXPECT_EQ(surface.Nb(TTrace::Debut), 1u); // once for the job, not per byte
    EXPECT_EQ(surface.Nb(TTrace::Ecrit), 0u);
    imprimante.TBPrintClick();
    EXPECT_EQ(surface.Nb(TTrace::Fin), 0u);
    EXPECT_FALSE(m->ImprEnCours);
}

// The text output of the command-line tool: the same composition.
TEST(SurfaceTexte, OneHostLinePerPrintedLine) {
    TPosteVirtuel poste;
    TMachine& m = poste.Machine();
    m.InitMachine();
    TSurfaceTexte texte;
    TImprimante imprimante(m, texte);
    poste.ConnecteImprimante(&imprimante);
    auto imprime = [&](const std::string& s) {
        for (char c : s) {
            m.CarImpr = static_cast<unsigned char>(c);
            imprimante.ImprimeCaractere();
        }
    };
    imprime("Bonjour\r\n\x94gras\x92 \x10 la ligne\r\n\x0c" "FF\r\n");
    imprime("\xC0");
    for (int i = 0; i < 512; ++i) imprime("\xFF");
    imprime("\n\r");
    imprime(std::string(110, 'x') + "\r");
    m.ImprHexadec = true;
    imprime("A\r");
    m.ImprHexadec = false;
    imprime("reste");
    imprimante.FinProgramme();
    poste.ConnecteImprimante(nullptr);
    EXPECT_EQ(texte.NbDocuments(), 1);
    EXPECT_EQ(texte.Texte(), "Bonjour\ngras \u00e0 la ligne\n\fFF\n" + std::string(105, 'x') + "\n" +
                                 std::string(5, 'x') + "\n41 0D\nreste\n");
}

} // namespace
