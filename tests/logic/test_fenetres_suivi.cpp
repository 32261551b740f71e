// What the debugger's windows show of the execution tools and how they are
// placed: the cascade within the screen, the places kept in the settings
// file, the bytes changed since the last stop, the rows of the history and
// of the profiler and their sort, the coverage colours of the dump and the
// listing, the hint of a byte.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "MachineEssai.h"
#include "config/DispositionFenetres.h"
#include "config/FichierIni.h"
#include "config/ParametresFenetre.h"
#include "debugger/Assembleur.h"
#include "debugger/Console.h"
#include "debugger/FenetreCode.h"
#include "debugger/FenetreDonnees.h"
#include "debugger/HexEdit.h"
#include "debugger/MessagesDebogueur.h"
#include "debugger/OctetsChanges.h"
#include "debugger/VuesSuivi.h"

namespace fs = std::filesystem;

namespace {

bool Dedans(const TRect& r, const TRect& z) {
    return r.X >= z.X && r.Y >= z.Y && r.X + r.L <= z.X + z.L && r.Y + r.H <= z.Y + z.H;
}

std::string FichierTemporaire(const std::string& nom) {
    const fs::path d = fs::temp_directory_path() / ("zorv_fenetres_" + std::to_string(::getpid()));
    fs::create_directories(d);
    return (d / nom).string();
}

} // namespace

// --- Placement ----------------------------------------------------------------------

TEST(Disposition, WindowsOpenCascadedWithinTheScreen) {
    const TRect zone{0, 0, 1920, 1080};
    struct TCas {
        TRect Base;
        int Rang;
        TRect Attendu;
        const char* Pourquoi;
    } const cas[] = {
        {{100, 80, 680, 636}, 0, {100, 80, 680, 636}, "the place kept"},
        {{100, 80, 680, 636}, 2, {148, 128, 680, 636}, "two steps down and right"},
        {{1700, 900, 337, 408}, 0, {1583, 672, 337, 408}, "moved back within the screen"},
        {{-50, -20, 337, 408}, 0, {0, 0, 337, 408}, "left of and above the screen"},
        {{10, 10, 4000, 3000}, 0, {0, 0, 1920, 1080}, "no larger than the screen"},
        // From 1200, 400 a 600 × 600 window has room for 15 steps down
        // (480 / 24 = 20 across): the 16th window starts again at the base.
        {{1200, 400, 600, 600}, 16, {1200, 400, 600, 600}, "the cascade starts again"},
        {{1200, 400, 600, 600}, 17, {1224, 424, 600, 600}, "and goes on"},
        // A base at the screen's corner leaves no room: the cascade runs from
        // the zone's top-left corner.
        {{1320, 480, 600, 600}, 1, {24, 24, 600, 600}, "from the zone's corner"},
    };
    for (const TCas& c : cas) {
        SCOPED_TRACE(c.Pourquoi);
        EXPECT_EQ(PlaceFenetre(c.Base, c.Rang, zone), c.Attendu);
    }
    // A second screen to the left, below the top: the same within it.
    EXPECT_EQ(PlaceFenetre({-900, 0, 400, 300}, 1, {-1280, 100, 1280, 1024}), (TRect{-876, 124, 400, 300}));
}

TEST(Disposition, NoRankNorBasePutsAWindowOffTheScreen) {
    const TRect zones[] = {{0, 0, 800, 600}, {0, 30, 1366, 738}, {1920, 0, 1280, 1024}};
    for (const TRect& z : zones)
        for (int x = -2000; x <= 4000; x += 333)
            for (int y = -1000; y <= 2000; y += 271)
                for (const auto& [l, h] : {std::pair{337, 408}, std::pair{680, 636}, std::pair{1500, 900}})
                    for (int rang = 0; rang < 60; rang += 7) {
                        const TRect r = PlaceFenetre({x, y, l, h}, rang, z);
                        ASSERT_TRUE(Dedans(r, z)) << x << "," << y << " " << l << "x" << h << " rang " << rang;
                        ASSERT_EQ(r.L, std::min(l, z.L));
                    }
}

TEST(Disposition, GeometryTextReadsBackOnlyWhenWhole) {
    EXPECT_EQ(TexteRect({-10, 20, 680, 636}), "-10,20,680,636");
    EXPECT_EQ(LitRect("-10,20,680,636"), (TRect{-10, 20, 680, 636}));
    EXPECT_EQ(LitRect(" 5 , 6 , 7 , 8 "), (TRect{5, 6, 7, 8}));
    for (const char* faux : {"", "1,2,3", "1,2,3,4,5", "1,2,0,4", "1,2,3,-4", "a,2,3,4", "1;2;3;4", "1,2,3,4x",
                             "1,2,10001,4", "1,,3,4", "99999999999,2,3,4"})
        EXPECT_EQ(LitRect(faux), std::nullopt) << faux;
}

TEST(Disposition, PlacesAreKeptInTheSettingsFileBesideTheOtherLines) {
    const std::string chemin = FichierTemporaire("EmulZorv.ini");
    std::ofstream(chemin) << "[Emulateur]\nModele=3\n[Debogueur]\nPile=zut\n";
    EXPECT_EQ(LitDisposition(chemin, TGenreFenetre::Pile), std::nullopt) << "an unreadable value";
    std::string erreur;
    ASSERT_TRUE(EcritDisposition(chemin, TGenreFenetre::CPU, {120, 80, 700, 650}, erreur)) << erreur;
    ASSERT_TRUE(EcritDisposition(chemin, TGenreFenetre::Profil, {0, 0, 640, 420}, erreur)) << erreur;
    ASSERT_TRUE(EcritDisposition(chemin, TGenreFenetre::CPU, {130, 90, 710, 660}, erreur)) << erreur;
    EXPECT_EQ(LitDisposition(chemin, TGenreFenetre::CPU), (TRect{130, 90, 710, 660}));
    EXPECT_EQ(LitDisposition(chemin, TGenreFenetre::Profil), (TRect{0, 0, 640, 420}));
    EXPECT_EQ(LitDisposition(chemin, TGenreFenetre::Donnees), std::nullopt);
    TFichierIni ini;
    ASSERT_TRUE(ini.Charge(chemin));
    EXPECT_EQ(ini.LitEntier("Emulateur", "Modele", 0), 3);
    EXPECT_EQ(ini.LitTexte("debogueur", "cpu", ""), "130,90,710,660");
    // The main window's place in [Fenetre], with its zoom.
    TParametresFenetre p;
    EXPECT_EQ(LitParametresFenetre(chemin).Geometrie, std::nullopt);
    p.Zoom = TZoom::X2;
    p.Geometrie = TRect{40, 30, 2100, 1250};
    ASSERT_TRUE(EcritParametresFenetre(chemin, p, erreur)) << erreur;
    EXPECT_EQ(LitParametresFenetre(chemin), p);
    EXPECT_EQ(LitDisposition(chemin, TGenreFenetre::CPU), (TRect{130, 90, 710, 660}));
    fs::remove_all(fs::path(chemin).parent_path());
}

// --- Bytes changed since the last stop ----------------------------------------------------

TEST(OctetsChanges, AByteChangedWhenItDiffersFromTheLastStop) {
    std::vector<uint8_t> mem(0x10000, 0);
    auto lit = [&](uint16_t a) { return mem[a]; };
    TOctetsChanges c;
    c.Note(10, lit);
    mem[0x2000] = 1;
    EXPECT_FALSE(c.Change(0x2000, mem[0x2000])) << "nothing to compare with before the processor moved";
    c.Note(10, lit); // an edit while stopped: part of what the stop shows
    c.Note(15, lit); // a step that changed nothing
    EXPECT_FALSE(c.Change(0x2000, mem[0x2000]));
    mem[0x2001] = 7;
    mem[0xFFFF] = 9;
    c.Note(20, lit);
    EXPECT_FALSE(c.Change(0x2000, mem[0x2000]));
    EXPECT_TRUE(c.Change(0x2001, mem[0x2001]));
    EXPECT_TRUE(c.Change(0xFFFF, mem[0xFFFF]));
    EXPECT_EQ(c.Avant(0x2001), 0);
    // Refreshes without a move keep the same reference; the user's edit
    // back to the old value is no longer a change.
    mem[0x2001] = 0;
    c.Note(20, lit);
    EXPECT_FALSE(c.Change(0x2001, mem[0x2001]));
    EXPECT_TRUE(c.Change(0xFFFF, mem[0xFFFF]));
    // The next step: compared with the stop before it.
    c.Note(21, lit);
    EXPECT_FALSE(c.Change(0xFFFF, mem[0xFFFF]));
    mem[5] = 5;
    c.Oublie();
    c.Note(22, lit);
    EXPECT_FALSE(c.Change(5, 6));
    EXPECT_EQ(c.Avant(5), std::nullopt);
}

TEST(ModeleHex, ByteUnderThePointerAndTheAspectsOfThePage) {
    THexEditModele h;
    h.SetAdresses(0x2000u * 65536u + 0x2011u);
    h.OnAspect = [](int32_t a) { return TAspectOctet{a % 2 == 1, uint8_t(a & 7)}; };
    const int w = 8;
    struct {
        int X, Y;
        int32_t Adresse;
    } const cas[] = {
        {5 + 6 * w, 6, 0x2000},          {5 + 7 * w + 7, 6, 0x2000},     // both digits of byte 0
        {5 + 8 * w + 1, 6, -1},          {5 + 9 * w, 6, 0x2001},         // the blank between, byte 1
        {5 + 27 * w, 5 + 16 + 3, 0x200F}, {5 + 31 * w, 6, 0x2000},      // line 1's last, the characters
        {5 + 38 * w + 2, 6, 0x2007},     {5 + 39 * w, 6, -1},            // the last character, past it
        {5 + 6 * w, 5 + 32, 0x2010},     {5 + 12 * w, 5 + 32, -1},       // line 2 ends at 2011
        {5 + 2 * w, 6, -1},              {5 + 6 * w, 2, -1},             // the address, above the lines
        {5 + 6 * w, 5 + 16 * 12, -1},                                   // below the visible lines
    };
    for (const auto& c : cas) EXPECT_EQ(h.AdresseA(c.X, c.Y, w), c.Adresse) << c.X << "," << c.Y;
    const auto a = h.Aspects();
    ASSERT_EQ(a.size(), 18u);
    EXPECT_EQ(a[3], (TAspectOctet{true, 3}));
    EXPECT_EQ(a[16], (TAspectOctet{false, 0}));
    h.OnAspect = nullptr;
    EXPECT_EQ(h.Aspects()[3], TAspectOctet{});
}

// --- The tools' windows on a program ---------------------------------------------------------

namespace {

struct FenetresSuivi : TMachineEssai {
    std::unique_ptr<TConsoleDebogueur> c;
    std::vector<std::string> sortie;
    TDebogueur& D() { return poste->Debogueur(); }
    void Prepare(const std::string& corps) {
        const TResultatAsm r = Assemble(" ORG 2000H\n" + corps, "prog.asm");
        ASSERT_TRUE(r.Ok()) << r.TexteErreurs();
        ChargeEnRam(*m, r);
        m->RegPC = 0x2000;
        c = std::make_unique<TConsoleDebogueur>(*poste);
        D().Symboles = r.Etiquettes();
    }
    std::vector<std::string> Une(const std::string& ligne) {
        sortie.clear();
        EXPECT_TRUE(c->Execute(ligne, sortie)) << ligne;
        return sortie;
    }
};

// Two calls of S (5 and 4 rounds of its loop), then a write at 3000H and a
// read at 3001H.
const char* const Programme = "DEBUT:  LXI SP,4000H\n        MVI B,5\n        CALL S\n        MVI B,4\n"
                              "        CALL S\n        MVI A,42H\n        STA 3000H\n        LDA 3001H\n"
                              "        HLT\nS:      DCR B\n        JNZ S\n        RET\n";

std::vector<uint16_t> Adresses(const std::vector<TLigneProfil>& v) {
    std::vector<uint16_t> a;
    for (const TLigneProfil& l : v) a.push_back(l.Adresse);
    return a;
}

} // namespace

TEST_F(FenetresSuivi, ProfileRowsByAddressAndByRoutineSortOnEveryColumn) {
    Prepare(Programme);
    Une("profil marche");
    Une("lance");
    const TProfileur& p = D().Suivi.Profileur();
    EXPECT_EQ(ResumeProfil(p), "en marche, 29 instructions, 238 \u00e9tats T");
    auto lignes = LignesProfil(p, D().Symboles, TModeProfil::Adresses, 1000);
    ASSERT_EQ(lignes.size(), 12u); // every address run
    // By T-states, the loop's JNZ first: 7 taken × 10 + 2 × 7.
    EXPECT_EQ(lignes[0].Textes, (std::vector<std::string>{"2017H", "0", "S+1", "9", "84", "35.3 %"}));
    EXPECT_EQ(LignesProfil(p, D().Symboles, TModeProfil::Adresses, 3).size(), 3u);
    struct TCas {
        size_t Colonne;
        bool Croissant;
        std::vector<uint16_t> Debut;
    } const cas[] = {
        {0, true, {0x2000, 0x2003, 0x2005, 0x2008}},
        {0, false, {0x201A, 0x2017, 0x2016, 0x2015}},
        {1, true, {0x2000, 0x2003, 0x2005, 0x2008}},       // one bank: by address
        {3, false, {0x2016, 0x2017, 0x201A, 0x2000}},      // 9, 9, 2, then the ones by address
        {4, true, {0x2015, 0x2003, 0x2008, 0x200D}},       // HLT 5, the MVIs 7
        {5, false, {0x2017, 0x2016, 0x201A, 0x2005}},      // the share follows the T-states
    };
    for (const TCas& c : cas) {
        SCOPED_TRACE(c.Colonne);
        TrieProfil(lignes, c.Colonne, c.Croissant);
        const auto a = Adresses(lignes);
        EXPECT_EQ(std::vector<uint16_t>(a.begin(), a.begin() + 4), c.Debut);
    }
    // The symbol column as text: DEBUT, then DEBUT+10 … before DEBUT+3.
    TrieProfil(lignes, 2, true);
    EXPECT_EQ(lignes[0].Textes[2], "DEBUT");
    EXPECT_EQ(lignes.back().Textes[2], "S+4");
    EXPECT_TRUE(TriCroissantParDefaut(2));
    EXPECT_FALSE(TriCroissantParDefaut(3));

    const auto routines = LignesProfil(p, D().Symboles, TModeProfil::Routines, 1000);
    ASSERT_EQ(routines.size(), 2u);
    EXPECT_EQ(EntetesProfil(TModeProfil::Routines)[0], "Routine");
    // S: 9 DCR 36, JNZ 84, 2 RET 20, inside its two calls as well.
    EXPECT_EQ(routines[0].Textes[0], "S");
    EXPECT_EQ(std::vector<std::string>(routines[0].Textes.begin() + 3, routines[0].Textes.end()),
              (std::vector<std::string>{"2", "140", "140"}));
    // DEBUT was never called: no inclusive time.
    EXPECT_EQ(routines[1].Textes, (std::vector<std::string>{"DEBUT", "2000H", "2015H", "0", "98", ""}));
    auto triees = routines;
    TrieProfil(triees, 0, true);
    EXPECT_EQ(triees[0].Textes[0], "DEBUT");
    // The console prints the same summary and symbol names.
    const auto console = Une("profil 1");
    EXPECT_EQ(console[0], "profil : " + ResumeProfil(p));
    EXPECT_EQ(console[1].substr(0, 12), "2017H 0  S+1");
}

TEST_F(FenetresSuivi, HistoryRowsAreTheConsolesLinesWithTheirNumbers) {
    Prepare(Programme);
    Une("lance");
    const auto lignes = LignesHistorique(D().Suivi, D().Symboles, 3);
    ASSERT_EQ(lignes.size(), 3u);
    EXPECT_EQ(lignes[0].Adresse, 0x200F); // the oldest first
    EXPECT_EQ(lignes[2].Adresse, 0x2015);
    EXPECT_EQ(lignes[2].Numero, m->NbInstructions);
    EXPECT_EQ(lignes[1].Numero + 1, lignes[2].Numero);
    EXPECT_EQ(lignes[0].Etats, 13);
    EXPECT_NE(lignes[0].Instruction.find("STA"), std::string::npos);
    EXPECT_NE(lignes[0].Registres.find("A=42 B=00"), std::string::npos) << lignes[0].Registres;
    EXPECT_NE(lignes[0].Registres.find("SP=4000"), std::string::npos);
    EXPECT_NE(lignes[1].Registres.find("A=00"), std::string::npos) << "LDA read 3001H";
    const auto console = Une("historique 3");
    ASSERT_EQ(console.size(), 3u);
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(console[i].substr(13, lignes[i].Instruction.size()), lignes[i].Instruction);
        EXPECT_NE(console[i].find(lignes[i].Registres), std::string::npos);
    }
    EXPECT_EQ(LignesHistorique(D().Suivi, D().Symboles, 100'000).size(), 29u);
}

TEST_F(FenetresSuivi, CoverageColoursTheListingLinesAndTheBytes) {
    struct {
        uint8_t Acces;
        std::optional<TCouleurRGB> Couleur;
    } const couleurs[] = {{0, std::nullopt},
                          {AccesExecute, CouleurExecute},
                          {AccesLu, CouleurLu},
                          {AccesLu | AccesExecute, CouleurLu},
                          {AccesEcrit | AccesLu, CouleurEcrit},
                          {AccesEcrit | AccesExecute, CouleurEcrit}};
    for (const auto& c : couleurs) EXPECT_EQ(CouleurCouverture(c.Acces), c.Couleur) << int(c.Acces);
    Prepare(Programme);
    TFenetreCode code(D());
    code.ChangeAdresses(0x2FFE, 0x3002);
    EXPECT_TRUE(code.AccesLignes().empty()) << "no colours while the coverage is off";
    Une("couverture marche");
    Une("lance");
    EXPECT_EQ(code.AccesLignes(), (std::vector<uint8_t>{0, 0, AccesEcrit, AccesLu, 0}));
    code.ChangeAdresses(0x2000, 0x2008);
    ASSERT_EQ(code.Lignes().size(), 4u);
    EXPECT_EQ(code.AccesLignes(), std::vector<uint8_t>(4, AccesExecute));
    code.Choisit(TChoixBanqueCode::Data); // bank 1: nothing ran there
    EXPECT_EQ(code.AccesLignes(), std::vector<uint8_t>(code.Lignes().size(), 0));
    Une("couverture arret");
    EXPECT_TRUE(code.AccesLignes().empty());
}

TEST_F(FenetresSuivi, AMemoryWindowShowsTheBytesARunChangedAndWhoWroteThem) {
    Prepare(Programme);
    TFenetreDonnees f(D());
    f.ChoisitVue(TVueMemoire::Banque0);
    f.ChoisitAdresses(0x3000, 0x30FF);
    Une("couverture marche");
    Une("pa 2015"); // a stop refreshes the windows, a halt does not
    Une("lance");
    hote.Pompe();
    EXPECT_TRUE(f.Aspect(0x3000).Change);
    EXPECT_EQ(f.Aspect(0x3000).Acces, AccesEcrit);
    EXPECT_FALSE(f.Aspect(0x3001).Change) << "read, not changed";
    EXPECT_EQ(f.Aspect(0x3001).Acces, AccesLu);
    EXPECT_TRUE(f.Aspect(0x3FFE).Change) << "the return address of the calls";
    const auto page = f.Editeur.Aspects();
    EXPECT_TRUE(page[0].Change);
    EXPECT_FALSE(page[2].Change);
    const std::string bulle = f.BulleOctet(0x3000);
    EXPECT_NE(bulle.find("3000H banque 0 : \u00e9crit par 200FH, instruction n\u00b0 " +
                         NombreFr(int64_t(m->NbInstructions - 1))),
              std::string::npos)
        << bulle;
    EXPECT_NE(bulle.find("00H avant, 42H maintenant"), std::string::npos) << bulle;
    EXPECT_NE(bulle.find("couverture : \u00e9crit"), std::string::npos) << bulle;
    EXPECT_EQ(f.BulleOctet(0x3002), "3002H banque 0 : pas \u00e9crit depuis l'ouverture du d\u00e9bogueur\n"
                                    "couverture : aucun acc\u00e8s");
    // The processor's view names each bank written, as "qui" without a bank.
    f.ChoisitVue(TVueMemoire::CPU);
    EXPECT_FALSE(f.Aspect(0x3000).Change) << "another view: nothing to compare with yet";
    EXPECT_EQ(f.BulleOctet(0x3000).find("3000H banque 0 : \u00e9crit par 200FH"), 0u);
    EXPECT_EQ(Une("qui 3000")[0], "qui : " + TextesQui(D().Suivi.Ecrivains(), 0x3000, std::nullopt, D().Symboles)[0]);
    // A step that writes nothing: no byte is changed any more.
    Une("couverture arret");
    Une("raz");
    Une("reg PC=2016"); // DCR B
    Une("pas");
    hote.Pompe();
    EXPECT_FALSE(f.Aspect(0x3000).Change);
    EXPECT_EQ(f.Aspect(0x3000).Acces, 0) << "no colours while the coverage is off";
    EXPECT_EQ(f.BulleOctet(0x3000).find("couverture"), std::string::npos);
}
