#include <gtest/gtest.h>

#include "DisqueEssai.h"
#include "ImagesTemp.h"
#include "disks/VerifDisque.h"

namespace {

struct Disque : ::testing::Test {
    TImageMemoire img{Sect800};
    TDialogueEssai dlg;
    TSystemeFichiers fs{img, dlg};
    void SetUp() override { ASSERT_TRUE(fs.FormatInconditionnel()); }
};

std::vector<TGenreEntree> Genres(TSystemeFichiers& fs) {
    std::vector<TGenreEntree> g;
    for (const TAppelNote& a : Appels(fs)) g.push_back(a.Genre);
    return g;
}

TEST_F(Disque, FormatGivesAnEmptyCatalogueAndTheCaption) {
    const TCatalogueAffiche c = fs.AfficheCatalogue();
    EXPECT_TRUE(c.Disque && c.Formate);
    EXPECT_EQ(c.Legende, " Disque : 00000      Secteur libre : 00064");
    EXPECT_TRUE(c.Lignes.empty());
    const uint8_t entete[6] = {0x0A, 0, 0, 64, 0, 0xFF};
    EXPECT_EQ(std::vector<uint8_t>(img.Octets.begin(), img.Octets.begin() + 6),
              std::vector<uint8_t>(entete, entete + 6));
    EXPECT_EQ(Genres(fs), std::vector<TGenreEntree>{geFinCatal});

    img.Octets[0] = 0x4A;
    EXPECT_TRUE(fs.DisqueFormate());
    img.Octets[0] = 0x8A;
    EXPECT_TRUE(fs.DisqueFormate());
    img.Octets[0] = 0x0B;
    EXPECT_FALSE(fs.DisqueFormate());
    EXPECT_EQ(fs.AfficheCatalogue().Legende, "  Disque non format\u00e9");

    img.Protege = true;
    img.Octets[100] = 0x55;
    EXPECT_FALSE(fs.FormatInconditionnel());
    EXPECT_EQ(img.Octets[100], 0x55);
}

TEST(DisqueAbsent, NothingIsReadFromAnEmptyDrive) {
    TLecteurs lec;
    TSecteursLecteur vide(lec, 2);
    TDialogueEssai dlg;
    TSystemeFichiers fs(vide, dlg);
    EXPECT_FALSE(fs.DisqueFormate());
    EXPECT_EQ(fs.NumeroDuDisque(), -1);
    EXPECT_EQ(fs.PremierSecteurLibre(), -1);
    int appels = 0;
    EXPECT_FALSE(fs.ParcourtCatalogue([&](const TAppelCatal&) { return ++appels, false; }));
    EXPECT_EQ(appels, 0);
    const TCatalogueAffiche c = fs.AfficheCatalogue();
    EXPECT_FALSE(c.Disque);
    EXPECT_TRUE(c.Legende.empty() && c.Lignes.empty());
}

TEST_F(Disque, EntriesFillSectorOneThenMoveOnPastTheMarks) {
    for (int i = 0; i < 43; ++i) ASSERT_TRUE(AjouteEntree(fs, Format("F%02d   ", i), 12, 0)) << i;
    for (int i = 0; i < 20; ++i) EXPECT_EQ(Octets(img, 1, 5 + 12 * i)[1], '0' + i / 10) << i;
    EXPECT_EQ(*Octets(img, 1, 245), 0xFE);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(Octets(img, 2, 0)), 6), "F20   ");
    EXPECT_EQ(std::string(reinterpret_cast<char*>(Octets(img, 2, 240)), 6), "F40   ");
    EXPECT_EQ(*Octets(img, 2, 252), 0xFE);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(Octets(img, 3, 0)), 6), "F41   ");
    EXPECT_EQ(std::string(reinterpret_cast<char*>(Octets(img, 3, 12)), 6), "F42   ");
    EXPECT_EQ(*Octets(img, 3, 24), 0xFF);
    // Entries take the free sector as their start; the free pointer is the
    // data writer's business.
    EXPECT_EQ(Mot(img, 3, 10), 64);
    EXPECT_EQ(fs.PremierSecteurLibre(), 64);
    const auto appels = Appels(fs);
    ASSERT_EQ(appels.size(), 44u);
    EXPECT_EQ(appels[20].Secteur, 2);
    EXPECT_EQ(appels[20].Position, 0);
    EXPECT_EQ(appels.back().Genre, geFinCatal);
    EXPECT_EQ(appels.back().Secteur, 3);
    EXPECT_EQ(appels.back().Position, 24);
}

TEST_F(Disque, LongNamesTakeTwoEntriesAndNeedRoomForBoth) {
    for (int i = 0; i < 19; ++i) ASSERT_TRUE(AjouteEntree(fs, "X     ", 1, 0));
    // Offset 233 holds one 6-character entry but not a long name.
    ASSERT_TRUE(AjouteEntree(fs, "NOTES DE COURS ", 256, 0));
    EXPECT_EQ(*Octets(img, 1, 233), 0xFE);
    const uint8_t* p = Octets(img, 2, 0);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(p), 6), "NOTES ");
    EXPECT_EQ(p[12], 0xFD);
    EXPECT_EQ(p[13], 0xFD);
    EXPECT_EQ(p[14], 0xFD);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(p + 15), 9), "DE COURS ");
    EXPECT_EQ(p[24], 0xFF);
    EXPECT_TRUE(fs.FichierExiste("", "NOTES DE COURS "));
    EXPECT_FALSE(fs.FichierExiste("", "NOTES "));
    const auto lignes = fs.AfficheCatalogue().Lignes;
    ASSERT_EQ(lignes.size(), 20u);
    EXPECT_EQ(lignes.back(), "NOTES DE COURS    00256  00000  00064 ");
}

TEST_F(Disque, CatalogueFullWritesNothing) {
    int ajoutes = 0;
    while (AjouteEntree(fs, "F     ", 5, 0)) ++ajoutes;
    // Formatted with the next free sector at 64: the catalogue stops below
    // the first data sector.
    EXPECT_EQ(ajoutes, 20 + 21 * 62);
    EXPECT_EQ(*Octets(img, 63, 252), 0xFF);
    EXPECT_EQ(fs.DernierRefus(), reCatalPlein);
    const auto avant = img.Octets;
    EXPECT_FALSE(AjouteEntree(fs, "G     ", 5, 0));
    EXPECT_EQ(img.Octets, avant);
}

TEST_F(Disque, DirectoryListsLinkOnHighByteFirst) {
    ASSERT_TRUE(fs.CreeRepertoire("UTIL  "));
    EXPECT_EQ(*Octets(img, 64), 0xFF);
    EXPECT_EQ(fs.PremierSecteurLibre(), 65);
    EXPECT_TRUE(fs.RepertoireExiste("UTIL  "));
    EXPECT_FALSE(fs.RepertoireExiste("util  "));
    fs.EcritSecteurLibre(0x1FE); // makes the link's two bytes differ
    for (int i = 0; i < 22; ++i) ASSERT_TRUE(AjouteEntree(fs, Format("A%02d", i), 3, 4, "UTIL  ")) << i;
    EXPECT_EQ(std::string(reinterpret_cast<char*>(Octets(img, 64, 240)), 6), "A20   ");
    EXPECT_EQ(*Octets(img, 64, 252), 0xFB);
    EXPECT_EQ(*Octets(img, 64, 253), 0x01);
    EXPECT_EQ(*Octets(img, 64, 254), 0xFE);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(Octets(img, 0x1FE, 0)), 6), "A21   ");
    EXPECT_EQ(Mot(img, 0x1FE, 10), 0x1FF);
    EXPECT_EQ(*Octets(img, 0x1FE, 12), 0xFF);
    EXPECT_EQ(fs.PremierSecteurLibre(), 0x1FF);
    EXPECT_TRUE(fs.FichierExiste("UTIL  ", "A21   "));
    EXPECT_FALSE(fs.FichierExiste("", "A21   "));
    EXPECT_TRUE(fs.FichierExiste("", "UTIL  "));

    const auto appels = Appels(fs);
    ASSERT_EQ(appels.size(), 25u);
    EXPECT_EQ(appels[0].Genre, geRepertoire);
    EXPECT_EQ(appels[22].Genre, geDansRep);
    EXPECT_EQ(appels[22].Secteur, 0x1FE);
    EXPECT_EQ(appels[23].Genre, geFinRep);
    EXPECT_EQ(appels[23].Repertoire, "UTIL  ");
    EXPECT_EQ(appels[23].Position, 12);
    EXPECT_EQ(appels[24].Genre, geFinCatal);
    EXPECT_EQ(appels[24].Secteur, 1);
    EXPECT_EQ(appels[24].Position, 17);
}

TEST_F(Disque, FullDiskRefusesDirectoriesAndLinksWithoutWriting) {
    fs.EcritSecteurLibre(Sect800);
    const auto avant = img.Octets;
    EXPECT_FALSE(fs.CreeRepertoire("REP   "));
    EXPECT_EQ(dlg.Messages, std::vector<std::string>{"Cr\u00e9ation impossible du r\u00e9pertoire REP   "});
    EXPECT_EQ(img.Octets, avant);

    fs.EcritSecteurLibre(100);
    ASSERT_TRUE(fs.CreeRepertoire("REP   "));
    for (int i = 0; i < 21; ++i) ASSERT_TRUE(AjouteEntree(fs, "B", 1, 0, "REP   "));
    fs.EcritSecteurLibre(Sect800);
    const auto plein = img.Octets;
    dlg.Messages.clear();
    EXPECT_FALSE(AjouteEntree(fs, "C", 1, 0, "REP   "));
    EXPECT_EQ(dlg.Messages, std::vector<std::string>{"Le catalogue est plein"});
    EXPECT_EQ(img.Octets, plein);
}

TEST_F(Disque, EntriesAreClassifiedInOrder) {
    PoseEntreeBrute(img, 1, 5,
                    "\xFD\xFD\xFD"
                    "ABC",
                    0, 0, 0);                          // continuation, even with C1 = C2 = 0
    PoseEntreeBrute(img, 1, 17, "\xFDQQQQQ", 0, 0, 0); // skipped
    PoseEntreeBrute(img, 1, 29, "R     ", 0, 0, 200);  // directory
    PoseEntreeBrute(img, 1, 41, "T     ", 256, 0, 90); // long-named text file
    PoseEntreeBrute(img, 1, 53, "U     ", 256, 1, 91); // contiguous
    PoseEntreeBrute(img, 1, 65, "V     ", 0, 7, 92);   // chained
    PoseEntreeBrute(img, 1, 77, "W     ", 12, 0, 93);  // chained
    *Octets(img, 1, 89) = 0xFF;
    *Octets(img, 200) = 0xFF;
    EXPECT_EQ(Genres(fs), (std::vector<TGenreEntree>{geSuiteNom, geIgnoree, geRepertoire, geFinRep, geTtx,
                                                     geContigue, geChainee, geChainee, geFinCatal}));
}

TEST_F(Disque, ListingLinesLineUp) {
    PoseEntreeBrute(img, 1, 5, "PROG  ", 12, 0, 64);
    PoseEntreeBrute(img, 1, 17, "NOTES ", 256, 0, 70);
    PoseEntreeBrute(img, 1, 29,
                    "\xFD\xFD\xFD"
                    "DE ",
                    0, 0, 0);
    memcpy(Octets(img, 1, 32), "DE COURS ", 9);
    PoseEntreeBrute(img, 1, 41, "UTIL  ", 0, 0, 80);
    PoseEntreeBrute(img, 80, 0, "A     ", 3, 4, 81);
    *Octets(img, 80, 12) = 0xFF;
    PoseEntreeBrute(img, 1, 53, "BIN\xE9  ", 100, 3, 90);
    *Octets(img, 1, 65) = 0xFF;
    const auto c = fs.AfficheCatalogue();
    EXPECT_EQ(c.Lignes, (std::vector<std::string>{
                            "PROG              00012  00000  00064 ",
                            "NOTES DE COURS    00256  00000  00070 ",
                            "UTIL     ...................... 00080",
                            "  A               00003  00004  00081 ",
                            "BIN\u00e9              00100  00003  00090 ",
                        }));
}

TEST_F(Disque, StopFlagStopsTheCallsNotTheWalk) {
    PoseEntreeBrute(img, 1, 5, "UTIL  ", 0, 0, 0); // damaged: list at sector 0
    PoseEntreeBrute(img, 1, 17, "PROG  ", 12, 0, 64);
    *Octets(img, 1, 29) = 0xFF;
    int appels = 0;
    EXPECT_TRUE(fs.ParcourtCatalogue([&](const TAppelCatal&) { return ++appels, true; }));
    EXPECT_EQ(appels, 1);
    EXPECT_EQ(fs.Dommages().size(), 1u); // the directory was still walked
    // Without stopping: no kind 8 for the damaged directory, the rest goes on.
    EXPECT_EQ(Genres(fs), (std::vector<TGenreEntree>{geRepertoire, geChainee, geFinCatal}));
    EXPECT_TRUE(fs.RepertoireExiste("UTIL  "));
    EXPECT_EQ(dlg.Messages.size(), 1u) << "each damage is shown once";
}

// Every walk ends on a damaged disk, with a message naming the sector.
TEST_F(Disque, DamagedLinksEndTheirWalk) {
    struct TCas {
        const char* Quoi;
        void (*Abime)(TImageMemoire&);
        const char* Texte;
        bool FinCatal;
        int FinsRep = 0; // directories whose list ended soundly
    };
    const TCas cas[] = {
        {"0xFE in the last catalogue sector",
         [](TImageMemoire& i) {
             for (int s = 1; s <= 64; ++s) *Octets(i, s, s == 1 ? 5 : 0) = 0xFE;
         },
         "le catalogue continue apr\u00e8s le secteur 64", false},
        {"entry cut by the end of sector 2",
         [](TImageMemoire& i) {
             *Octets(i, 1, 5) = 0xFE;
             for (int p = 0; p <= 240; p += 12) PoseEntreeBrute(i, 2, p, "X", 1, 0, 64);
             *Octets(i, 2, 252) = 'Y';
         },
         "secteur 2 du catalogue, position 252", false},
        {"directory list past the disk",
         [](TImageMemoire& i) {
             PoseEntreeBrute(i, 1, 5, "REP", 0, 0, 3081);
             *Octets(i, 1, 17) = 0xFF;
         },
         "le r\u00e9pertoire REP commence au secteur 3081, hors du disque", true},
        {"directory link to sector 0",
         [](TImageMemoire& i) {
             PoseEntreeBrute(i, 1, 5, "REP", 0, 0, 70);
             *Octets(i, 1, 17) = 0xFF;
             *Octets(i, 70) = 0xFB;
         },
         "le r\u00e9pertoire REP est li\u00e9 au secteur 0, hors du disque (lien du secteur 70)", true},
        {"directory links in a loop",
         [](TImageMemoire& i) {
             PoseEntreeBrute(i, 1, 5, "REP", 0, 0, 70);
             *Octets(i, 1, 17) = 0xFF;
             uint8_t* a = Octets(i, 70);
             a[0] = 0xFB, a[1] = 0, a[2] = 71;
             uint8_t* b = Octets(i, 71);
             b[0] = 0xFB, b[1] = 0, b[2] = 70;
         },
         "le r\u00e9pertoire REP est li\u00e9 au secteur 70, d\u00e9j\u00e0 lu (lien du secteur 71)", true},
        {"two directories on one list",
         [](TImageMemoire& i) {
             PoseEntreeBrute(i, 1, 5, "R1", 0, 0, 70);
             PoseEntreeBrute(i, 1, 17, "R2", 0, 0, 70);
             *Octets(i, 1, 29) = 0xFF;
             *Octets(i, 70) = 0xFF;
         },
         "le r\u00e9pertoire R2 commence au secteur 70, d\u00e9j\u00e0 lu", true, 1},
    };
    for (const TCas& c : cas) {
        TImageMemoire i(Sect800);
        TDialogueEssai d;
        TSystemeFichiers f(i, d);
        f.FormatInconditionnel();
        c.Abime(i);
        const auto g = Genres(f);
        ASSERT_EQ(d.Messages.size(), 1u) << c.Quoi;
        EXPECT_EQ(d.Messages[0].rfind("Disque endommag\u00e9 : ", 0), 0u) << c.Quoi;
        EXPECT_NE(d.Messages[0].find(c.Texte), std::string::npos) << c.Quoi << ": " << d.Messages[0];
        EXPECT_EQ(!g.empty() && g.back() == geFinCatal, c.FinCatal) << c.Quoi;
        EXPECT_EQ(std::count(g.begin(), g.end(), geFinRep), c.FinsRep) << c.Quoi;
    }
}

TEST_F(Disque, ChainsEndAtTheirMarkOrAtTheFirstBadLink) {
    PoseChaine(img, 100, 3);
    std::vector<int32_t> vus;
    auto note = [&](int32_t s, const uint8_t*) { vus.push_back(s); };
    EXPECT_TRUE(fs.SuitChaine(100, "A", note));
    EXPECT_EQ(vus, (std::vector<int32_t>{100, 101, 102}));

    Octets(img, 102)[0] = 0, Octets(img, 102)[1] = 101; // back into the chain
    vus.clear();
    EXPECT_FALSE(fs.SuitChaine(100, "A", note));
    EXPECT_EQ(vus.size(), 3u);
    Octets(img, 102)[0] = 0x0C, Octets(img, 102)[1] = 0x09; // 3081: past the disk
    EXPECT_FALSE(fs.SuitChaine(100, "A", note));
    EXPECT_FALSE(fs.SuitChaine(0, "B", note));
    EXPECT_EQ(fs.Dommages(),
              (std::vector<std::string>{
                  "Disque endommag\u00e9 : le fichier A est li\u00e9 au secteur 101, d\u00e9j\u00e0 lu "
                  "dans ce fichier (lien du secteur 102)",
                  "Disque endommag\u00e9 : le fichier A est li\u00e9 au secteur 3081, hors du disque "
                  "(lien du secteur 102)",
                  "Disque endommag\u00e9 : le fichier B commence au secteur 0, hors du disque",
              }));
    vus.clear();
    EXPECT_FALSE(fs.SuitContigu(3079, 4, "C", note));
    EXPECT_EQ(vus, (std::vector<int32_t>{3079, 3080}));
}

TEST(Noms, PaddedUpperCasedAndCut) {
    EXPECT_EQ(NomCadre("prog", 6), "PROG  ");
    EXPECT_EQ(NomCadre("notes de cours", 15), "NOTES DE COURS ");
    EXPECT_EQ(NomCadre("abcdefgh", 6), "ABCDEF");
    EXPECT_EQ(NomCadre("\u00e9t\u00e9", 6), "\xE9T\xE9   ");
    EXPECT_EQ(NomAffichable("A\x01\xE9"), "A\u2510\u00e9");
    EXPECT_EQ(NomSansEspaces(std::string(" \0AB C\x1F  ", 9)), "AB C");
}

TEST_F(Disque, CheckFindsSharedSectorsAndDataPastTheFreePointer) {
    TImageMemoire sain(Sect800);
    TSystemeFichiers fsain(sain, dlg);
    fsain.FormatInconditionnel();
    EXPECT_TRUE(VerifieDisque(sain).Defauts.empty());

    PoseEntreeBrute(img, 1, 5, "A", 5, 0, 64);
    PoseEntreeBrute(img, 1, 17, "B", 5, 0, 65); // shares sector 65 with A
    PoseEntreeBrute(img, 1, 29, "C", 1, 1, 1);  // contiguous, on the catalogue
    PoseEntreeBrute(img, 1, 41, "D", 5, 0, 90); // past the free pointer
    *Octets(img, 1, 53) = 0xFF;
    PoseChaine(img, 64, 2);
    PoseChaine(img, 90, 1);
    fs.EcritSecteurLibre(66);
    const TVerification v = VerifieDisque(img);
    EXPECT_EQ(v.Fichiers, 4);
    EXPECT_EQ(v.Defauts,
              (std::vector<std::string>{
                  "Disque endommag\u00e9 : le fichier A et le fichier B se partagent le secteur 65",
                  "Disque endommag\u00e9 : le catalogue et le fichier C se partagent le secteur 1",
                  "Disque endommag\u00e9 : le fichier D occupe le secteur 90, au-del\u00e0 du secteur "
                  "libre 66",
              }));
}

} // namespace

namespace {

TEST(SecteursTampon, WritesGoThroughAndTheCopyFollowsThem) {
    TImageMemoire img(100);
    for (size_t i = 0; i < img.Octets.size(); ++i) img.Octets[i] = uint8_t(i / 256);
    TSecteursTampon t(img);
    uint8_t s[256];
    t.Lit(40, s);
    EXPECT_EQ(s[0], 39);
    img.Octets[39 * 256] = 0xAA; // behind its back: the copy is what it read
    t.Lit(40, s);
    EXPECT_EQ(s[0], 39);
    uint8_t w[2 * 256];
    memset(w, 0x5C, sizeof w);
    EXPECT_TRUE(t.EcritPlage(40, 2, w));
    EXPECT_EQ(img.Octets[40 * 256 + 3], 0x5C);
    t.Lit(41, s);
    EXPECT_EQ(s[7], 0x5C);
    EXPECT_FALSE(t.EcritPlage(100, 2, w)) << "past the disk: nothing written";
    EXPECT_EQ(img.Octets[99 * 256], 99);
    t.Lit(101, s);
    EXPECT_EQ(s[0], 0xFF);
    t.Efface();
    t.Lit(40, s);
    EXPECT_EQ(s[0], 0);
    img.Protege = true;
    EXPECT_FALSE(t.Ecrit(5, w));
    t.Lit(5, s);
    EXPECT_EQ(s[0], 0);
}

TEST(SecteursLecteur, RunsOfSectorsStayInsideTheImage) {
    TDossierTemp dossier;
    TLecteurs lec;
    const std::string img = dossier.Image("a.img", 1261568);
    ASSERT_TRUE(lec.InsereDisque(3, img, " ").empty());
    TSecteursLecteur d(lec, 3);
    std::vector<uint8_t> t(3 * 256);
    d.LitPlage(4927, 3, t.data());
    EXPECT_EQ(t[0], TDossierTemp::OctetMotif(4927, 0));
    EXPECT_EQ(t[256 + 5], TDossierTemp::OctetMotif(4928, 5));
    EXPECT_EQ(t[512], 0xFF);
    EXPECT_FALSE(d.EcritPlage(4927, 3, t.data()));
    EXPECT_TRUE(d.EcritPlage(4927, 2, t.data() + 256));
    EXPECT_EQ(TDossierTemp::Contenu(img).size(), 1261568u);
    EXPECT_EQ(TDossierTemp::Contenu(img)[4926 * 256 + 5], TDossierTemp::OctetMotif(4928, 5));
    lec.BasculeProtection(3);
    EXPECT_FALSE(d.EcritPlage(100, 1, t.data()));
}

} // namespace
