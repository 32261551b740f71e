// The disk manager without its window: menu states, drive rows, the recent
// images in the settings file, catalogue lines and the export of one line,
// the blank disk and the saved assignment.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "DisqueEssai.h"
#include "ImagesTemp.h"
#include "config/FichierIni.h"
#include "config/Parametres.h"
#include "core/Machine.h"
#include "disks/GestionDisques.h"

namespace fs = std::filesystem;

namespace {

constexpr int64_t T800 = 788480, T1200 = 1261568;

std::string Texte(const std::string& chemin) {
    const auto o = TDossierTemp::Contenu(chemin);
    return {o.begin(), o.end()};
}

} // namespace

TEST(GestionDisques, MenuStatesFollowTheRowAndTheDiskState) {
    using A = std::array<bool, NbCommandesDsq>;
    for (uint8_t etat : {0, 1, 2}) EXPECT_EQ(EtatsMenuDsq(false, etat), A{}) << int(etat);
    EXPECT_EQ(EtatsMenuDsq(true, 0), (A{true, false, true, false, false, false, false, false}));
    EXPECT_EQ(EtatsMenuDsq(true, 1), (A{true, true, true, true, true, true, true, true}));
    // A protected disk is ejected, protected, exported, never written.
    EXPECT_EQ(EtatsMenuDsq(true, 2), (A{true, true, true, true, true, false, false, false}));
}

TEST(GestionDisques, FiltersAreWrittenTheWayTheDialogsReadThem) {
    EXPECT_EQ(FiltreQt(DemandeInsertion.Filtre), "Images disque (*.img);;Tous les fichiers (*)");
    EXPECT_EQ(FiltreQt(DemandeVierge.Filtre), "Fichier image disque (*.img);;Tous les fichiers (*)");
    EXPECT_EQ(FiltreQt("Textes|*.txt"), "Textes (*.txt)");
}

TEST(GestionDisques, RowsShowTheDriveNumberSizeFileAndProtection) {
    TDossierTemp tmp;
    TLecteurs lec(1); // drives 1 and 2 in 5.25-inch
    TGestionDisques g(lec);
    EXPECT_EQ(g.LigneLecteur(0), (TLigneDsq{"1", "400 Ko", "<pas de fichier>", "Non"}));
    EXPECT_EQ(g.LigneLecteur(5), (TLigneDsq{"12", "1.2 Mo", "<pas de fichier>", "Non"}));
    EXPECT_EQ(g.LigneLecteur(6), TLigneDsq{});
    std::string erreur;
    const std::string image = tmp.Image("jeux.img", T1200);
    EXPECT_EQ(g.Insere(4, image, " ", erreur), "");
    g.Ligne = 3;
    EXPECT_EQ(g.BasculeProtection(), "");
    EXPECT_EQ(g.LigneLecteur(3), (TLigneDsq{"10", "1.2 Mo", "jeux.img", "Oui"}));
    EXPECT_EQ(g.EtatsMenu()[cdFormater], false);
    g.Ligne = -1;
    EXPECT_EQ(g.Slot(), 0);
    EXPECT_EQ(g.EtatsMenu()[cdInsere], false);
}

// A file the host opened read-only stays protected, and the user is told
// why; a writable one toggles both ways.
TEST(GestionDisques, AReadOnlyImageCannotBeUnprotectedAndSaysWhy) {
    TDossierTemp tmp;
    TLecteurs lec(0);
    TGestionDisques g(lec);
    ASSERT_EQ(lec.ChargeImage(10, tmp.Image("lu.img", T1200), " ", true), "");
    ASSERT_EQ(lec.ChargeImage(11, tmp.Image("libre.img", T1200), " "), "");
    g.Ligne = 3;
    EXPECT_EQ(g.BasculeProtection(),
              "Le fichier lu.img est ouvert en lecture seule : le disque reste prot\u00e9g\u00e9 en \u00e9criture.");
    EXPECT_EQ(g.Etat(), 2);
    g.Ligne = 4;
    EXPECT_EQ(g.BasculeProtection(), "");
    EXPECT_EQ(g.Etat(), 2);
    EXPECT_EQ(g.BasculeProtection(), "");
    EXPECT_EQ(g.Etat(), 1);
    g.Ligne = 1; // an empty drive: nothing to say
    EXPECT_EQ(g.BasculeProtection(), "");
}

TEST(GestionDisques, RecentImagesAreUniqueNewestFirstAndKeptBesideTheOtherKeys) {
    std::vector<std::string> l;
    for (int i = 1; i <= 10; ++i) l = AjouteImageRecente(l, "/d/" + std::to_string(i) + ".img");
    ASSERT_EQ(l.size(), size_t(NbImagesRecentes));
    EXPECT_EQ(l.front(), "/d/10.img");
    EXPECT_EQ(l.back(), "/d/3.img");
    l = AjouteImageRecente(l, "/d/5.img");
    EXPECT_EQ(l.size(), size_t(NbImagesRecentes));
    EXPECT_EQ(l[0], "/d/5.img");
    EXPECT_EQ(std::count(l.begin(), l.end(), "/d/5.img"), 1);
    EXPECT_EQ(AjouteImageRecente(l, ""), l);

    TDossierTemp tmp;
    const std::string ini = tmp.Chemin("EmulZorv.ini");
    std::ofstream(ini) << "[Machine]\nMachine=T9-60\n[Images]\nD1=/a.img\n";
    std::string erreur;
    ASSERT_TRUE(EcritImagesRecentes(ini, {"/x/b.img", "/x/a b.img"}, erreur)) << erreur;
    EXPECT_EQ(LitImagesRecentes(ini), (std::vector<std::string>{"/x/b.img", "/x/a b.img"}));
    const std::string t = Texte(ini);
    EXPECT_NE(t.find("[Machine]\nMachine=T9-60\n[Images]\nD1=/a.img\n"), std::string::npos) << t;
    EXPECT_NE(t.find("[ImagesRecentes]\nImage1=/x/b.img\nImage2=/x/a b.img\nImage3=\n"), std::string::npos) << t;
    EXPECT_TRUE(LitImagesRecentes(tmp.Chemin("absent.ini")).empty());
    EXPECT_FALSE(EcritImagesRecentes(tmp.Chemin("pas/de/dossier.ini"), {"/x"}, erreur));
    EXPECT_FALSE(erreur.empty());
}

TEST(GestionDisques, AnInsertNotesTheImageAmongTheRecentOnesOnlyWhenItIsAccepted) {
    TDossierTemp tmp;
    TLecteurs lec;
    TGestionDisques g(lec);
    g.CheminRecentes = tmp.Chemin("EmulZorv.ini");
    const std::string bon = tmp.Image("bon.img", T800), mauvais = tmp.Image("mauvais.img", T1200);
    std::string erreur;
    EXPECT_EQ(g.Insere(1, mauvais, ",", erreur), "La taille du fichier image doit \u00eatre : 788,480 octets");
    EXPECT_TRUE(g.Recentes.empty());
    EXPECT_EQ(g.Insere(2, bon, ",", erreur), "");
    EXPECT_EQ(g.Recentes, std::vector<std::string>{bon});
    EXPECT_EQ(LitImagesRecentes(g.CheminRecentes), g.Recentes);
}

TEST(GestionDisques, ABlankDiskNeverOverwritesTheImageOfAnotherDrive) {
    TDossierTemp tmp;
    TLecteurs lec;
    TGestionDisques g(lec);
    const std::string a = tmp.Image("a.img", T800);
    std::string erreur;
    ASSERT_EQ(g.Insere(2, a, " ", erreur), "");
    const auto avant = TDossierTemp::Contenu(a);
    g.Ligne = 0;
    EXPECT_THROW(g.InsereVierge(a, erreur), TErreurES);
    EXPECT_EQ(TDossierTemp::Contenu(a), avant);
    EXPECT_EQ(lec.EtatDuDisque(1), 0);
    // Over the image of its own drive: the drive gets the blank disk.
    g.Ligne = 1;
    g.InsereVierge(a, erreur);
    const auto apres = TDossierTemp::Contenu(a);
    EXPECT_EQ(apres.size(), size_t(T800));
    EXPECT_EQ(std::count(apres.begin(), apres.end(), 0), T800);
    uint8_t secteur[256];
    lec.LireSecteur(2, 1, secteur);
    EXPECT_EQ(secteur[0], 0);
    EXPECT_EQ(g.Recentes.front(), a);
}

TEST(GestionDisques, SavingTheAssignmentWritesEveryDriveAndKeepsTheOtherKeys) {
    TDossierTemp tmp;
    TMachine m;
    TParametres p;
    p.ProgDir = tmp.Dossier.string() + "/";
    std::ofstream(p.ProgDir + "EmulZorv.ini") << "[Perso]\nCle=valeur\n[Images]\nD10=/ancienne.img\n";
    TLecteurs lec;
    TGestionDisques g(lec);
    const std::string image = tmp.Image("un.img", T800);
    std::string erreur;
    ASSERT_EQ(g.Insere(1, image, " ", erreur), "");
    p.ChargeImages[10] = "/ancienne.img";
    ASSERT_TRUE(g.EnregistreImages(m, p));
    EXPECT_EQ(p.ChargeImages[1], image);
    EXPECT_EQ(p.ChargeImages[10], "");
    TFichierIni ini;
    ini.Charge(p.ProgDir + "EmulZorv.ini");
    EXPECT_EQ(ini.LitTexte("Images", "D1", "?"), image);
    EXPECT_EQ(ini.LitTexte("Images", "D10", "?"), "");
    EXPECT_EQ(ini.LitTexte("Perso", "Cle", "?"), "valeur");
}

// Catalogue lines and the entries behind them, then the export of one line.
struct UneLigne : ::testing::Test {
    TDossierTemp tmp;
    TImageMemoire img{Sect800};
    TDialogueEssai dlg;
    TSystemeFichiers fs{img, dlg};
    TExportImport ei;
    std::string sortie;

    void SetUp() override {
        ASSERT_TRUE(fs.FormatInconditionnel());
        sortie = tmp.Chemin("sortie");
        fs::create_directory(sortie);
        dlg.Dossier = sortie;
        // UTIL (list at 64) holding A; PROG chained; N SUITE + long name;
        // BIN contiguous; a first part of a long name with no continuation.
        ASSERT_TRUE(fs.CreeRepertoire("UTIL  "));
        PoseEntreeBrute(img, 1, 17, "PROG  ", 12, 0, 65);
        PoseEntreeBrute(img, 1, 29, "NOTES ", 256, 0, 67);
        PoseEntreeBrute(img, 1, 41, "\xFD\xFD\xFD", 0, 0, 0);
        memcpy(Octets(img, 1, 44), "DE COURS ", 9);
        PoseEntreeBrute(img, 1, 53, "BIN   ", 100, 3, 68);
        PoseEntreeBrute(img, 1, 65, "SEUL  ", 256, 0, 73);
        *Octets(img, 1, 77) = 0xFF;
        PoseEntreeBrute(img, 64, 0, "A     ", 3, 4, 70);
        *Octets(img, 64, 12) = 0xFF;
        PoseChaine(img, 65, 2);
        PoseChaine(img, 67, 1);
        for (int i = 0; i < 512; ++i) *Octets(img, 68, i) = uint8_t(i ^ 0x5A);
        PoseChaine(img, 70, 3);
        PoseChaine(img, 73, 1);
        fs.EcritSecteurLibre(74);
    }
    const TEntreeListee& Entree(int ligne) {
        FCatal = fs.AfficheCatalogue();
        return FCatal.Entrees.at(size_t(ligne));
    }
    TCatalogueAffiche FCatal;
};

TEST_F(UneLigne, EveryLineHasTheEntryItShows) {
    const TCatalogueAffiche c = fs.AfficheCatalogue();
    ASSERT_EQ(c.Lignes, (std::vector<std::string>{
                            "UTIL     ...................... 00064",
                            "  A               00003  00004  00070 ",
                            "PROG              00012  00000  00065 ",
                            "NOTES DE COURS    00256  00000  00067 ",
                            "BIN               00100  00003  00068 ",
                            "SEUL              00256  00000  00073 ",
                        }));
    ASSERT_EQ(c.Entrees.size(), c.Lignes.size());
    EXPECT_EQ(c.Entrees[0].Genre, geRepertoire);
    EXPECT_FALSE(ExportableSeul(c.Entrees[0]));
    EXPECT_EQ(c.Entrees[1].Repertoire, "UTIL  ");
    EXPECT_EQ(c.Entrees[1].NomExport, "A");
    EXPECT_EQ(c.Entrees[3].Nom, "NOTES DE COURS ");
    // The first part is trimmed on its own, as by the whole export.
    EXPECT_EQ(c.Entrees[3].NomExport, "NOTESDE COURS");
    EXPECT_EQ(c.Entrees[4].Genre, geContigue);
    EXPECT_EQ(c.Entrees[5].NomExport, "SEUL");
    for (size_t i = 1; i < c.Entrees.size(); ++i) EXPECT_TRUE(ExportableSeul(c.Entrees[i])) << i;
}

TEST_F(UneLigne, OneLineIsExportedAloneNamedAsByTheWholeExport) {
    ei.ExporteFichier(img, dlg, Entree(3));
    EXPECT_EQ(dlg.Titres, std::vector<std::string>{"S\u00e9lectionnez le dossier de destination"});
    EXPECT_EQ(dlg.Infos, std::vector<std::string>{"Fichier(s) export\u00e9(s) : 1"});
    ASSERT_EQ(std::distance(fs::directory_iterator(sortie), fs::directory_iterator()), 1);
    const auto texte = TDossierTemp::Contenu(sortie + "/NOTESDE COURS_00256_00000");
    ASSERT_EQ(texte.size(), 253u);
    EXPECT_EQ(texte[10], uint8_t(10));

    ei.ExporteFichier(img, dlg, Entree(4)); // contiguous: whole sectors
    const auto bin = TDossierTemp::Contenu(sortie + "/BIN_00100_00003");
    ASSERT_EQ(bin.size(), 512u);
    EXPECT_EQ(bin[300], uint8_t(300 ^ 0x5A));

    // A file of a directory goes into the directory's folder, made at need.
    ei.ExporteFichier(img, dlg, Entree(1));
    EXPECT_EQ(fs::file_size(sortie + "/UTIL/A_00003_00004"), 3u * 253u);
    ei.ExporteFichier(img, dlg, Entree(1)); // the folder is there, the file too
    EXPECT_EQ(dlg.Messages, std::vector<std::string>{"Le fichier : " + sortie + "/UTIL/A_00003_00004 Existe d\u00e9j\u00e0"});
    EXPECT_EQ(dlg.Infos.back(), "Fichier(s) export\u00e9(s) : 0");
}

TEST_F(UneLigne, NothingIsExportedFromADirectoryLineACancelOrAnUnformattedDisk) {
    ei.ExporteFichier(img, dlg, Entree(0));
    EXPECT_TRUE(dlg.Titres.empty());
    dlg.Dossier.reset();
    ei.ExporteFichier(img, dlg, Entree(2));
    EXPECT_EQ(dlg.Titres.size(), 1u);
    EXPECT_TRUE(dlg.Infos.empty());
    const TEntreeListee prog = Entree(2);
    img.Efface();
    dlg.Dossier = sortie;
    ei.ExporteFichier(img, dlg, prog);
    EXPECT_EQ(dlg.Messages, std::vector<std::string>{"Le disque n'est pas format\u00e9"});
    EXPECT_TRUE(fs::is_empty(sortie));
}

TEST_F(UneLigne, AFileOfADirectoryIsNotWrittenThroughALinkedFolder) {
    fs::create_directory(tmp.Chemin("ailleurs"));
    fs::create_directory_symlink(tmp.Chemin("ailleurs"), sortie + "/UTIL");
    ei.ExporteFichier(img, dlg, Entree(1));
    EXPECT_TRUE(fs::is_empty(tmp.Chemin("ailleurs")));
    ASSERT_EQ(dlg.Messages.size(), 1u);
    EXPECT_NE(dlg.Messages[0].find("UTIL"), std::string::npos) << dlg.Messages[0];
}

// The view is rebuilt at every click on a row: a damaged disk is reported
// once, not at each click, until the damage or the image changes.
TEST(GestionDisques, TheSameDamageIsReportedOnceWhileTheViewIsRebuilt) {
    TDossierTemp tmp;
    TLecteurs lec;
    TGestionDisques g(lec);
    std::string erreur;
    ASSERT_EQ(g.Insere(1, tmp.Image("a.img", T800), ",", erreur), "");
    ASSERT_EQ(g.Insere(2, tmp.Image("b.img", T800), ",", erreur), "");
    // UTIL's entry list starts at sector 0.
    uint8_t s1[256] = {0x0A, 0, 0, 64, 0, 'U', 'T', 'I', 'L', ' ', ' ', 0, 0, 0, 0, 0, 0, 0xFF};
    lec.EcrireSecteur(1, 1, s1);
    TDialogueEssai dlg;
    g.Ligne = 0;
    g.RafraichitCatalogue(dlg);
    ASSERT_EQ(dlg.Messages.size(), 1u);
    EXPECT_NE(dlg.Messages[0].find("UTIL"), std::string::npos) << dlg.Messages[0];
    EXPECT_EQ(g.Catalogue.Lignes.size(), 1u);
    g.RafraichitCatalogue(dlg);
    g.Ligne = 1; // another drive and back
    g.RafraichitCatalogue(dlg);
    g.Ligne = 0;
    g.RafraichitCatalogue(dlg);
    EXPECT_EQ(dlg.Messages.size(), 1u);
    // Another damage is told; mended then damaged again, told again.
    s1[15] = 0x40, s1[16] = 0x20; // past the disk
    lec.EcrireSecteur(1, 1, s1);
    g.RafraichitCatalogue(dlg);
    ASSERT_EQ(dlg.Messages.size(), 2u);
    EXPECT_NE(dlg.Messages[1], dlg.Messages[0]);
    s1[5] = 0xFF;
    lec.EcrireSecteur(1, 1, s1);
    g.RafraichitCatalogue(dlg);
    s1[5] = 'U';
    lec.EcrireSecteur(1, 1, s1);
    g.RafraichitCatalogue(dlg);
    EXPECT_EQ(dlg.Messages.size(), 3u);
    // A new opening of the window tells it again.
    g.OublieDommages();
    g.RafraichitCatalogue(dlg);
    EXPECT_EQ(dlg.Messages.size(), 4u);
}
