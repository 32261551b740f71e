#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "DisqueEssai.h"
#include "ImagesTemp.h"
#include "disks/ExportImport.h"
#include "disks/VerifDisque.h"

namespace fs = std::filesystem;

namespace {

void EcritHote(const std::string& chemin, const std::vector<uint8_t>& octets) {
    std::ofstream(chemin, std::ios::binary)
        .write(reinterpret_cast<const char*>(octets.data()), std::streamsize(octets.size()));
}

std::vector<uint8_t> Motif(size_t n, uint8_t graine) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = uint8_t(i * 7 + graine);
    return v;
}

// Every file under `racine`, relative path → contents.
std::map<std::string, std::vector<uint8_t>> Arbre(const fs::path& racine) {
    std::map<std::string, std::vector<uint8_t>> r;
    for (const auto& e : fs::recursive_directory_iterator(racine))
        r[fs::relative(e.path(), racine).string() + (e.is_directory() ? "/" : "")] =
            e.is_directory() ? std::vector<uint8_t>{} : TDossierTemp::Contenu(e.path().string());
    return r;
}

struct Echange : ::testing::Test {
    TDossierTemp tmp;
    TImageMemoire img{Sect800};
    TDialogueEssai dlg;
    TSystemeFichiers fs{img, dlg};
    TExportImport ei;
    std::string sortie, entree;

    void SetUp() override {
        ASSERT_TRUE(fs.FormatInconditionnel());
        sortie = tmp.Chemin("sortie");
        entree = tmp.Chemin("entree");
        fs::create_directory(sortie);
        fs::create_directory(entree);
    }
    void Exporte() {
        dlg.Dossier = sortie;
        ei.Exporte(img, dlg);
    }
    void Importe(TImageMemoire& disque) {
        dlg.Dossier = entree;
        ei.Importe(disque, dlg);
    }
    // PROG (chain of 2), UTIL/A (chain of 3), the long name NOTES DE COURS
    // (chain of 1), BIN (contiguous, C1 100 C2 3: 2 sectors).
    void DisqueExemple() {
        ASSERT_TRUE(fs.CreeRepertoire("UTIL  ")); // list at 64
        PoseEntreeBrute(img, 1, 17, "PROG  ", 12, 0, 65);
        PoseEntreeBrute(img, 1, 29, "NOTES ", 256, 0, 67);
        PoseEntreeBrute(img, 1, 41,
                        "\xFD\xFD\xFD"
                        "DE ",
                        0, 0, 0);
        memcpy(Octets(img, 1, 44), "DE COURS ", 9);
        PoseEntreeBrute(img, 1, 53, "BIN   ", 100, 3, 68);
        *Octets(img, 1, 65) = 0xFF;
        PoseEntreeBrute(img, 64, 0, "A     ", 3, 4, 70);
        *Octets(img, 64, 12) = 0xFF;
        PoseChaine(img, 65, 2);
        PoseChaine(img, 67, 1);
        for (int i = 0; i < 512; ++i) *Octets(img, 68, i) = uint8_t(i ^ 0x5A);
        PoseChaine(img, 70, 3);
        fs.EcritSecteurLibre(73);
    }
};

TEST_F(Echange, ExportNamesFilesAfterNameC1AndC2) {
    DisqueExemple();
    Exporte();
    EXPECT_TRUE(dlg.Messages.empty()) << dlg.Messages[0];
    EXPECT_EQ(dlg.Titres, std::vector<std::string>{"S\u00e9lectionnez le dossier de destination"});
    EXPECT_EQ(dlg.Infos, std::vector<std::string>{"Fichier(s) export\u00e9(s) : 4"});
    const auto arbre = Arbre(sortie);
    ASSERT_EQ(arbre.size(), 5u);
    const auto& prog = arbre.at("PROG_00012_00000");
    ASSERT_EQ(prog.size(), 2u * 253);
    EXPECT_EQ(prog[0], 0);
    EXPECT_EQ(prog[253], 31); // second sector's first data byte
    EXPECT_EQ(arbre.at("UTIL/A_00003_00004").size(), 3u * 253);
    EXPECT_TRUE(arbre.count("UTIL/"));
    // The sixth character of the long name is a space: trimmed with the first part.
    EXPECT_EQ(arbre.at("NOTESDE COURS_00256_00000").size(), 253u);
    const auto& bin = arbre.at("BIN_00100_00003");
    ASSERT_EQ(bin.size(), 512u);
    EXPECT_EQ(bin[300], uint8_t(300 ^ 0x5A));
}

TEST_F(Echange, ExportingTwiceOverwritesNothingAndCountsNothing) {
    DisqueExemple();
    Exporte();
    const auto premier = Arbre(sortie);
    dlg = {};
    EcritHote(sortie + "/PROG_00012_00000", {1, 2, 3}); // changed since
    Exporte();
    EXPECT_EQ(dlg.Infos, std::vector<std::string>{"Fichier(s) export\u00e9(s) : 0"});
    // The sub-folder already there is used: only the files are refused.
    ASSERT_EQ(dlg.Messages.size(), 4u);
    EXPECT_EQ(dlg.Messages[0], "Le fichier : " + sortie + "/UTIL/A_00003_00004 Existe d\u00e9j\u00e0");
    EXPECT_EQ(dlg.Messages[1], "Le fichier : " + sortie + "/PROG_00012_00000 Existe d\u00e9j\u00e0");
    auto attendu = premier;
    attendu["PROG_00012_00000"] = {1, 2, 3};
    EXPECT_EQ(Arbre(sortie), attendu);
}

TEST_F(Echange, ExportOfAnUnformattedDiskIsRefused) {
    TImageMemoire vierge(Sect800);
    dlg.Dossier = sortie;
    ei.Exporte(vierge, dlg);
    EXPECT_EQ(dlg.Messages, std::vector<std::string>{"Le disque n'est pas format\u00e9"});
    EXPECT_TRUE(dlg.Titres.empty());
    EXPECT_TRUE(Arbre(sortie).empty());
}

// Names from a damaged or odd disk never lead outside the folder, and come back.
TEST_F(Echange, UnsafeNamesStayInsideTheFolderAndComeBack) {
    const std::string reps[] = {"..    ", ".     ", "A/B   ", "\\\x1BX   "};
    const std::string fichiers[] = {std::string("C\0D  %", 6), "E/F   ", "\\\x7FG   "};
    int32_t libre = 64;
    int pos = 5;
    for (const std::string& n : reps) { // each holding a file F
        PoseEntreeBrute(img, 1, pos, n, 0, 0, libre);
        PoseEntreeBrute(img, libre, 0, "F     ", 1, 0, libre + 1);
        *Octets(img, libre, 12) = 0xFF;
        PoseChaine(img, libre + 1, 1);
        pos += 12;
        libre += 2;
    }
    for (const std::string& n : fichiers) {
        PoseEntreeBrute(img, 1, pos, n, 7, 0, libre);
        PoseChaine(img, libre++, 1);
        pos += 12;
    }
    *Octets(img, 1, pos) = 0xFF;
    fs.EcritSecteurLibre(libre);
    Exporte();
    EXPECT_TRUE(dlg.Messages.empty()) << dlg.Messages[0];
    EXPECT_EQ(dlg.Infos, std::vector<std::string>{"Fichier(s) export\u00e9(s) : 7"});
    for (const auto& e : fs::directory_iterator(tmp.Dossier))
        EXPECT_TRUE(e.path().filename() == "sortie" || e.path().filename() == "entree") << e.path();
    EXPECT_TRUE(fs::is_empty(entree));
    const auto arbre = Arbre(sortie);
    EXPECT_TRUE(arbre.count("%2E%2E/F_00001_00000"));
    EXPECT_TRUE(arbre.count("%2E/F_00001_00000"));
    EXPECT_TRUE(arbre.count("A%2FB/F_00001_00000"));
    EXPECT_TRUE(arbre.count("%5C%1BX/F_00001_00000"));
    EXPECT_TRUE(arbre.count("C%00D  %25_00007_00000"));
    EXPECT_TRUE(arbre.count("E%2FF_00007_00000"));
    EXPECT_TRUE(arbre.count("%5C%7FG_00007_00000"));

    // Back onto a fresh disk: the same names.
    fs::remove(entree);
    fs::rename(sortie, entree);
    TImageMemoire copie(Sect800);
    TSystemeFichiers fc(copie, dlg);
    fc.FormatInconditionnel();
    dlg = {};
    Importe(copie);
    EXPECT_TRUE(dlg.Messages.empty()) << dlg.Messages[0];
    EXPECT_EQ(dlg.Infos, std::vector<std::string>{"Fichier(s) import\u00e9(s) : 7"});
    for (const std::string& n : reps) {
        EXPECT_TRUE(fc.RepertoireExiste(n)) << n;
        EXPECT_TRUE(fc.FichierExiste(n, "F     ")) << n;
    }
    for (const std::string& n : fichiers) EXPECT_TRUE(fc.FichierExiste("", n)) << n;
}

TEST_F(Echange, LinksInTheFolderAreNeverFollowed) {
    DisqueExemple();
    const std::string ailleurs = tmp.Chemin("ailleurs");
    fs::create_directory(ailleurs);
    fs::create_directory_symlink(ailleurs, sortie + "/UTIL");
    fs::create_symlink(tmp.Chemin("cible"), sortie + "/PROG_00012_00000"); // dangling
    Exporte();
    EXPECT_TRUE(fs::is_empty(ailleurs));
    EXPECT_FALSE(fs::exists(tmp.Chemin("cible")));
    EXPECT_EQ(dlg.Infos, std::vector<std::string>{"Fichier(s) export\u00e9(s) : 2"});
    ASSERT_EQ(dlg.Messages.size(), 3u);
    EXPECT_NE(dlg.Messages[1].find("A_00003_00004"), std::string::npos);
    EXPECT_EQ(dlg.Messages[2], "Le fichier : " + sortie + "/PROG_00012_00000 Existe d\u00e9j\u00e0");
}

TEST_F(Echange, DamagedChainsEndWithAMessage) {
    PoseEntreeBrute(img, 1, 5, "BOUCLE", 12, 0, 64);
    PoseEntreeBrute(img, 1, 17, "LOIN  ", 12, 0, 66);
    PoseEntreeBrute(img, 1, 29, "GROS  ", 0xFFFF, 0xFFFF, 100);
    *Octets(img, 1, 41) = 0xFF;
    PoseChaine(img, 64, 2);
    Octets(img, 65)[0] = 0, Octets(img, 65)[1] = 64;
    PoseChaine(img, 66, 1);
    Octets(img, 66)[0] = 0x20;
    Exporte();
    ASSERT_EQ(dlg.Messages.size(), 3u);
    EXPECT_EQ(dlg.Messages[0],
              "Disque endommag\u00e9 : le fichier BOUCLE est li\u00e9 au secteur 64, d\u00e9j\u00e0 lu "
              "dans ce fichier (lien du secteur 65)");
    EXPECT_NE(dlg.Messages[1].find("LOIN est li\u00e9 au secteur 8259, hors du disque"), std::string::npos);
    EXPECT_NE(dlg.Messages[2].find("GROS (secteurs 100 \u00e0"), std::string::npos);
    // What was read before the bad link is kept.
    EXPECT_EQ(TDossierTemp::Contenu(sortie + "/BOUCLE_00012_00000").size(), 2u * 253);
    EXPECT_EQ(TDossierTemp::Contenu(sortie + "/GROS_65535_65535").size(), size_t(Sect800 - 99) * 256);
}

TEST(NomsHote, DecodedIntoNameC1AndC2) {
    TNomHote h = DecodeNomHote("prog_00012_00000");
    EXPECT_TRUE(h.Valide);
    EXPECT_EQ(h.Nom, "PROG  ");
    EXPECT_EQ(h.C1, 12);
    EXPECT_EQ(h.C2, 0);
    h = DecodeNomHote("notes de cours_00256_00000");
    EXPECT_TRUE(h.Valide);
    EXPECT_EQ(h.Nom, "NOTES DE COURS ");
    h = DecodeNomHote("_00001_00002");
    EXPECT_TRUE(h.Valide);
    EXPECT_EQ(h.Nom, "      ");
    EXPECT_EQ(DecodeNomHote("A%2FB_1_2").Nom, "A/B   ");
    for (const char* faux :
         {"README", "A_12", "12", "A_x_1", "A_1_", "A_1_2_3", "A_70000_1", "A_-1_2", "A_1_ 2"})
        EXPECT_FALSE(DecodeNomHote(faux).Valide) << faux;
}

TEST_F(Echange, ImportAddsEntriesAndChains) {
    EcritHote(entree + "/prog_00012_00000.txt", Motif(600, 1));
    EcritHote(entree + "/notes de cours_00256_00000", Motif(10, 2));
    EcritHote(entree + "/bin_00100_00003", Motif(300, 3));
    Importe(img);
    EXPECT_TRUE(dlg.Messages.empty()) << dlg.Messages[0];
    EXPECT_EQ(dlg.Titres, std::vector<std::string>{
                              "S\u00e9lectionnez le dossier contenant les fichiers \u00e0 importer"});
    EXPECT_EQ(dlg.Infos, std::vector<std::string>{"Fichier(s) import\u00e9(s) : 3"});
    // Sorted by name: bin, notes de cours, prog.
    EXPECT_EQ(fs.AfficheCatalogue().Lignes, (std::vector<std::string>{
                                                "BIN               00100  00003  00064 ",
                                                "NOTES DE COURS    00256  00000  00066 ",
                                                "PROG              00012  00000  00067 ",
                                            }));
    EXPECT_EQ(*Octets(img, 1, 29), 0xFD); // the long name's continuation
    // 600 bytes: 253, 253 and 94, each sector linked to the next, the last marked.
    EXPECT_EQ(Octets(img, 67)[0], 0);
    EXPECT_EQ(Octets(img, 67)[1], 68);
    EXPECT_EQ(Octets(img, 68)[1], 69);
    EXPECT_EQ(Octets(img, 69)[0], 0xFE);
    EXPECT_EQ(Octets(img, 69)[2 + 93], Motif(600, 1)[599]);
    EXPECT_EQ(Octets(img, 69)[2 + 94], 0);
    EXPECT_EQ(Octets(img, 64)[299], Motif(300, 3)[299]); // contiguous: whole sectors
    EXPECT_EQ(fs.PremierSecteurLibre(), 70);
    EXPECT_TRUE(VerifieDisque(img).Defauts.empty());

    dlg = {};
    Importe(img); // everything is there already: skipped, not counted
    EXPECT_EQ(dlg.Infos, std::vector<std::string>{"Fichier(s) import\u00e9(s) : 0"});
    EXPECT_EQ(fs.PremierSecteurLibre(), 70);
}

TEST_F(Echange, AnInvalidNameStopsTheImportAtOnce) {
    EcritHote(entree + "/A_00001_00000", Motif(5, 0));
    EcritHote(entree + "/README", Motif(5, 0));
    EcritHote(entree + "/Z_00001_00000", Motif(5, 0));
    EcritHote(entree + "/UN_00001", Motif(5, 0));
    Importe(img);
    // Named with its whole path: the folder may come from anywhere.
    // The second line says what was expected.
    EXPECT_EQ(dlg.Messages, (std::vector<std::string>{"Nom de fichier trop long ou nom invalide : " + entree + "/README",
                                                      FormeNomHote()}));
    EXPECT_EQ(FormeNomHote(), "Forme attendue : NOM_C1_C2 ou NOM_C1_C2.EXT, C1 et C2 en d\u00e9cimal de 0 \u00e0 "
                              "65\u202f535 (par exemple PROG_00012_00000.TXT)");
    EXPECT_TRUE(dlg.Infos.empty());
    EXPECT_TRUE(fs.FichierExiste("", "A     "));
    EXPECT_FALSE(fs.FichierExiste("", "Z     "));

    fs::remove(entree + "/README");
    dlg = {};
    Importe(img);
    // A single "_" would leave C1 unknown: refused as an invalid name.
    EXPECT_EQ(dlg.Messages, (std::vector<std::string>{"Nom de fichier trop long ou nom invalide : " + entree + "/UN_00001",
                                                      FormeNomHote()}));
}

TEST_F(Echange, RoomIsTestedBeforeTheEntryIsWritten) {
    EcritHote(entree + "/BIN_00100_00003", Motif(100, 0)); // 2 sectors reserved
    fs.EcritSecteurLibre(Sect800 - 2);
    const auto avant = img.Octets;
    Importe(img);
    EXPECT_EQ(dlg.Messages,
              std::vector<std::string>{"Pas assez de place pour importer " + entree + "/BIN_00100_00003"});
    EXPECT_EQ(dlg.Infos, std::vector<std::string>{"Fichier(s) import\u00e9(s) : 0"});
    EXPECT_EQ(img.Octets, avant) << "a refused file leaves no entry";

    fs.EcritSecteurLibre(Sect800 - 3);
    dlg = {};
    Importe(img);
    EXPECT_TRUE(dlg.Messages.empty());
    EXPECT_EQ(fs.PremierSecteurLibre(), Sect800 - 1);
}

TEST_F(Echange, DirectoriesAreCreatedAndTheirFilesChained) {
    fs::create_directory(entree + "/util");
    fs::create_directory(entree + "/tropLong");
    EcritHote(entree + "/util/A_00003_00004", Motif(300, 9));
    EcritHote(entree + "/util/VIDE_00001_00000", {});
    EcritHote(entree + "/tropLong/B_00001_00000", Motif(3, 0));
    EcritHote(entree + "/APRES_00001_00000", Motif(3, 0));
    Importe(img);
    EXPECT_EQ(dlg.Messages, std::vector<std::string>{"Nom de r\u00e9pertoire trop long : tropLong"});
    EXPECT_EQ(dlg.Infos, std::vector<std::string>{"Fichier(s) import\u00e9(s) : 3"});
    EXPECT_TRUE(fs.FichierExiste("UTIL  ", "A     "));
    EXPECT_FALSE(fs.FichierExiste("", "B     "));
    // In a directory, C1 and C2 non-zero still give a chain: it is read back as one.
    EXPECT_EQ(Octets(img, 65)[1], 66);
    EXPECT_EQ(Octets(img, 66)[0], 0xFE);
    // An empty file takes one sector of its own.
    EXPECT_EQ(Octets(img, 67)[0], 0xFE);
    EXPECT_EQ(fs.PremierSecteurLibre(), 69);
    EXPECT_TRUE(VerifieDisque(img).Defauts.empty());
    dlg.Dossier = sortie;
    ei.Exporte(img, dlg);
    const auto a = TDossierTemp::Contenu(sortie + "/UTIL/A_00003_00004");
    ASSERT_EQ(a.size(), 2u * 253);
    EXPECT_EQ(std::vector<uint8_t>(a.begin(), a.begin() + 300), Motif(300, 9));
}

TEST_F(Echange, ExportFormatImportRoundTrip) {
    DisqueExemple();
    Exporte();
    const auto premier = Arbre(sortie);
    fs::rename(sortie, entree);
    fs::create_directory(sortie);
    TImageMemoire copie(Sect800);
    dlg = {};
    dlg.Dossier = entree;
    ei.FormateEtImporte(copie, dlg);
    EXPECT_EQ(dlg.Questions,
              std::vector<std::string>{
                  "Voulez-vous vraiment formater le disque\npuis importer un r\u00e9pertoire ?"});
    EXPECT_TRUE(dlg.Messages.empty()) << dlg.Messages[0];
    EXPECT_EQ(dlg.Infos, std::vector<std::string>{"Fichier(s) import\u00e9(s) : 4"});
    dlg = {};
    dlg.Dossier = sortie;
    ei.Exporte(copie, dlg);
    EXPECT_EQ(Arbre(sortie), premier);
    EXPECT_TRUE(VerifieDisque(copie).Defauts.empty());
}

TEST_F(Echange, FormatThenImportFormatsOnlyOnceAFolderIsChosen) {
    PoseEntreeBrute(img, 1, 5, "GARDE ", 1, 0, 64);
    *Octets(img, 1, 17) = 0xFF;
    const auto avant = img.Octets;
    dlg.Reponse = false;
    ei.FormateEtImporte(img, dlg);
    EXPECT_TRUE(dlg.Titres.empty());
    dlg.Reponse = true;
    dlg.Dossier.reset(); // cancelled
    ei.FormateEtImporte(img, dlg);
    EXPECT_EQ(img.Octets, avant);
    EXPECT_FALSE(ei.MemoireFmt);
    dlg.Dossier = entree; // a later plain import does not format
    ei.Importe(img, dlg);
    EXPECT_TRUE(fs.FichierExiste("", "GARDE "));

    TImageMemoire vierge(Sect800);
    dlg = {};
    Importe(vierge);
    EXPECT_EQ(dlg.Messages, std::vector<std::string>{"Le disque n'est pas format\u00e9"});
    img.Protege = true;
    dlg = {};
    ei.FormateEtImporte(img, dlg);
    EXPECT_EQ(dlg.Messages, std::vector<std::string>{"Disque prot\u00e9g\u00e9 en \u00e9criture"});
    EXPECT_EQ(img.Octets, avant);
}

TEST_F(Echange, ADamagedFreePointerRefusesTheImport) {
    EcritHote(entree + "/A_00001_00000", Motif(5, 0));
    fs.EcritSecteurLibre(3);
    const auto avant = img.Octets;
    Importe(img);
    ASSERT_EQ(dlg.Messages.size(), 1u);
    EXPECT_EQ(dlg.Messages[0].rfind("Disque endommag\u00e9 : le secteur libre de l'en-t\u00eate (3)", 0), 0u);
    EXPECT_EQ(img.Octets, avant);
}

} // namespace
