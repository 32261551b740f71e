// One file at a time between the host and a disk (put/get, "Importer un
// fichier", "Exporter le fichier sous"), the names as the terminal shows them,
// the free room of the catalogue view and the new images of the disk manager.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "DisqueEssai.h"
#include "ImagesTemp.h"
#include "core/Texte.h"
#include "disks/ExportImport.h"
#include "disks/FichierSeul.h"
#include "disks/GestionDisques.h"
#include "disks/VerifDisque.h"

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> Motif(size_t n, uint8_t graine) {
    std::vector<uint8_t> v(n);
    for (size_t i = 0; i < n; ++i) v[i] = uint8_t(i * 13 + graine);
    return v;
}

struct UnFichier : ::testing::Test {
    TDossierTemp tmp;
    TImageMemoire img{Sect800};
    TDialogueEssai dlg;

    void SetUp() override {
        TSystemeFichiers fs(img, dlg);
        ASSERT_TRUE(fs.FormatInconditionnel());
    }
    std::string Hote(const std::string& nom, const std::vector<uint8_t>& octets) const {
        const std::string chemin = tmp.Chemin(nom);
        std::ofstream(chemin, std::ios::binary)
            .write(reinterpret_cast<const char*>(octets.data()), std::streamsize(octets.size()));
        return chemin;
    }
    bool Depose(const std::string& chemin, const TFichierAImporter& f) {
        return ImporteFichierSeul(img, dlg, chemin, f);
    }
    TCatalogueAffiche Catalogue() {
        TSystemeFichiers fs(img, dlg);
        return fs.AfficheCatalogue();
    }
    // The file `nom` of the disk written to the host and read back.
    std::vector<uint8_t> Retire(const std::string& nom) {
        const TCatalogueAffiche c = Catalogue();
        const TEntreeListee* e = TrouveFichier(c, nom);
        if (!e) return {};
        const std::string sortie = tmp.Chemin("sortie.bin");
        EXPECT_TRUE(ExporteFichierSous(img, dlg, *e, sortie)) << (dlg.Messages.empty() ? "" : dlg.Messages.back());
        return TDossierTemp::Contenu(sortie);
    }
};

} // namespace

TEST(ValeursImport, DecodedFromTheHostNameElseAChainedFileUnderTheBaseName) {
    struct TCas {
        const char* Chemin;
        TFichierAImporter Attendu;
    };
    const TCas cas[] = {
        {"/tmp/x/prog_00012_00000.txt", {"PROG", 12, 0}},
        {"notes de cours_00256_00000", {"NOTES DE COURS", 256, 0}},
        {"BIN_00100_00003", {"BIN", 100, 3}},
        {"A%25B_00001_00000", {"A%B", 1, 0}},        // the export's %XX read back
        {"abcdefgh_00001_00002", {"ABCDEF", 1, 2}},  // cut as the disk cuts it
        {"DATA", {"DATA", 1, 0}},                    // no NOM_C1_C2 form
        {"/d/verylongname.bin", {"VERYLO", 1, 0}},
        {"UN_00001", {"UN_000", 1, 0}},              // one "_" is no form either
        {".profile", {".PROFI", 1, 0}},
    };
    for (const TCas& c : cas) EXPECT_EQ(ValeursImport(c.Chemin), c.Attendu) << c.Chemin;
}

TEST(RefusImport, NamesTheDiskCannotTakeAreRefusedWithTheirReason) {
    struct TCas {
        TFichierAImporter F;
        const char* Debut; // of the refusal; "" when accepted
    };
    const TCas cas[] = {
        {{"PROG", 12, 0}, ""},
        {{" prog ", 12, 0}, ""},
        {{"UTIL/A", 3, 4}, ""},
        {{"NOTES DE COURS", 256, 0}, ""},
        {{"ABCDEFG", 1, 0}, "Nom sur le disque trop long : \u00ab ABCDEFG \u00bb (6 caract\u00e8res au plus, 15 pour"},
        {{"NOTES DE COURS 2", 256, 0}, "Nom sur le disque trop long : \u00ab NOTES DE COURS 2 \u00bb (15 caract"},
        {{"UTIL/NOTES DE", 256, 0}, "Nom sur le disque trop long"}, // names are not continued in directories
        {{"", 1, 0}, "Nom sur le disque vide"},
        {{"UTIL/", 1, 0}, "Nom sur le disque vide"},
        {{"/A", 1, 0}, "Nom de r\u00e9pertoire vide"},
        {{"UTILITAIRES/A", 1, 0}, "Nom de r\u00e9pertoire trop long"},
        {{"A/B/C", 1, 0}, "Un seul \u00ab / \u00bb"},
        {{"ZERO", 0, 0}, "C1 et C2 valent 0 : le disque prendrait le fichier pour un r\u00e9pertoire"},
        {{"GROS", 65536, 1}, "C1 et C2 vont de 0 \u00e0 65\u202f535"},
        {{"NEG", -1, 0}, "C1 et C2 vont de 0"},
        {{"\u20acUR", 1, 0}, "Nom sur le disque \u00ab \u20acUR \u00bb : un caract\u00e8re ne s'\u00e9crit pas"},
        {{"A\x01" "B", 1, 0}, "Nom sur le disque \u00ab A\\x01B \u00bb : caract\u00e8re de contr\u00f4le"},
        {{"\u00ffA", 1, 0}, "Nom sur le disque \u00ab \u00ffA \u00bb : ne peut pas commencer par"},
    };
    for (const TCas& c : cas) {
        const std::string r = RefusImport(c.F);
        if (*c.Debut == 0)
            EXPECT_EQ(r, "") << c.F.Nom;
        else
            EXPECT_EQ(r.substr(0, std::string(c.Debut).size()), c.Debut) << c.F.Nom << " : " << r;
        EXPECT_EQ(DescriptionImport(c.F, 100).empty(), *c.Debut != 0) << c.F.Nom;
    }
    EXPECT_EQ(NomSurDisque({" util / a ", 3, 4}).Repertoire, "UTIL  ");
    EXPECT_EQ(NomSurDisque({" util / a ", 3, 4}).Nom, "A     ");
    EXPECT_EQ(NomSurDisque({"notes", 256, 0}).Nom, "NOTES          ");
}

TEST(DescriptionImport, SaysWhatTheFileBecomes) {
    EXPECT_EQ(DescriptionImport({"PROG", 12, 0}, 600), "fichier cha\u00een\u00e9, 3 secteurs");
    EXPECT_EQ(DescriptionImport({"VIDE", 12, 0}, 0), "fichier cha\u00een\u00e9, 1 secteur");
    EXPECT_EQ(DescriptionImport({"BIN", 100, 3}, 300), "fichier contigu de 2 secteurs (C1 \u00d7 C2 = 300 octets)");
    EXPECT_EQ(DescriptionImport({"U/BIN", 100, 3}, 300), "fichier cha\u00een\u00e9 du r\u00e9pertoire, 2 secteurs");
    EXPECT_EQ(DescriptionImport({"NOTES", 256, 0}, 253), "texte au nom long, cha\u00een\u00e9, 1 secteur");
    EXPECT_EQ(DescriptionImport({"GROS", 65535, 65535}, 0),
              "fichier contigu de 16\u202f776\u202f705 secteurs (C1 \u00d7 C2 = 4\u202f294\u202f836\u202f225 octets)");
}

TEST_F(UnFichier, EachKindOfFileGoesOnAndComesBackAsTheExportWritesIt) {
    const std::vector<uint8_t> prog = Motif(600, 1), bin = Motif(300, 2), a = Motif(1000, 3), notes = Motif(10, 4);
    ASSERT_TRUE(Depose(Hote("prog_00012_00000.txt", prog), {"prog", 12, 0}));
    EXPECT_EQ(dlg.Infos.back(), "Fichier import\u00e9 : PROG (C1 12, C2 0) ; place libre : 753 Ko");
    ASSERT_TRUE(Depose(Hote("bin", bin), {"BIN", 100, 3}));
    ASSERT_TRUE(Depose(Hote("a", a), {"util/a", 3, 4})); // the directory is made
    ASSERT_TRUE(Depose(Hote("n", notes), {"notes de cours", 256, 0}));
    EXPECT_TRUE(dlg.Messages.empty()) << dlg.Messages.front();
    const TCatalogueAffiche c = Catalogue();
    ASSERT_EQ(c.Lignes.size(), 5u);
    EXPECT_EQ(c.Lignes[2], "UTIL     ...................... 00069");
    EXPECT_EQ(c.Lignes[3], "  A               00003  00004  00070 ");
    EXPECT_TRUE(VerifieDisque(img).Defauts.empty());

    // Chained files travel as 253 bytes a sector, contiguous ones as whole sectors.
    auto complete = [](std::vector<uint8_t> v, size_t n) {
        v.resize(n, 0);
        return v;
    };
    EXPECT_EQ(Retire("PROG"), complete(prog, 3 * 253));
    EXPECT_EQ(Retire("bin"), complete(bin, 512));
    EXPECT_EQ(Retire("UTIL/a"), complete(a, 4 * 253));
    EXPECT_EQ(Retire("Notes de cours"), complete(notes, 253));
    // The first part trimmed on its own, as the whole export names it.
    EXPECT_EQ(NomHoteFichier(*TrouveFichier(c, "notes de cours")), "NOTESDE COURS_00256_00000");
    EXPECT_EQ(NomHoteFichier(*TrouveFichier(c, "util/A")), "A_00003_00004");
    // Names that are no file of the disk: a directory, a file elsewhere, nothing.
    EXPECT_EQ(TrouveFichier(c, "UTIL"), nullptr);
    EXPECT_EQ(TrouveFichier(c, "A"), nullptr);
    EXPECT_EQ(TrouveFichier(c, "PROG/A"), nullptr);
    EXPECT_EQ(TrouveFichier(c, ""), nullptr);
}

TEST_F(UnFichier, ARefusalLeavesEverySectorAsItWas) {
    ASSERT_TRUE(Depose(Hote("p", Motif(10, 0)), {"PROG", 12, 0}));
    const std::vector<uint8_t> avant = img.Octets;
    auto refuse = [&](const std::string& chemin, const TFichierAImporter& f, const std::string& message) {
        dlg = {};
        EXPECT_FALSE(Depose(chemin, f)) << f.Nom;
        EXPECT_EQ(dlg.Messages, std::vector<std::string>{message}) << f.Nom;
        EXPECT_TRUE(dlg.Infos.empty()) << f.Nom;
        EXPECT_TRUE(img.Octets == avant) << f.Nom;
    };
    const std::string gros = Hote("gros", Motif(3015 * 253 - 2 * 253, 9)); // fits at the top level only
    refuse(Hote("q", {1}), {"prog", 1, 0}, "Le fichier PROG est d\u00e9j\u00e0 sur le disque : rien n'est import\u00e9");
    refuse(gros, {"REP/GROS", 1, 0}, "Pas assez de place pour importer " + gros); // REP is not made either
    refuse(Hote("c", Motif(700, 0)), {"BIN", 1, 2},
           "Fichier ignor\u00e9 : " + tmp.Chemin("c") + " (700 octets, plus que les 1 \u00d7 2 de son nom)");
    refuse(tmp.Chemin("absent"), {"ABS", 1, 0}, "Le fichier " + tmp.Chemin("absent") + " n'existe pas");
    refuse(tmp.Dossier.string(), {"DOS", 1, 0}, tmp.Dossier.string() + " est un dossier");
    refuse(Hote("z", {1}), {"ZERO", 0, 0}, "C1 et C2 valent 0 : le disque prendrait le fichier pour un r\u00e9pertoire");
}

TEST_F(UnFichier, TheFreeRoomShownIsWhatTheImportTakes) {
    TCatalogueAffiche c = Catalogue();
    EXPECT_EQ(c.SecteursLibres, Sect800 - 1 - 64);
    EXPECT_EQ(TextePlaceLibre(c), "Place libre : 753 Ko");
    const std::vector<uint8_t> plein = Motif(size_t(c.SecteursLibres) * 253, 5);
    std::vector<uint8_t> deborde = plein;
    deborde.push_back(0);
    EXPECT_FALSE(Depose(Hote("trop", deborde), {"TROP", 1, 0}));
    ASSERT_TRUE(Depose(Hote("plein", plein), {"PLEIN", 1, 0}));
    c = Catalogue();
    EXPECT_EQ(c.SecteursLibres, 0);
    EXPECT_EQ(TextePlaceLibre(c), "Place libre : 0 Ko");
    EXPECT_FALSE(Depose(Hote("un", {1}), {"UN", 1, 0}));
    EXPECT_EQ(dlg.Messages.back(), "Pas assez de place pour importer " + tmp.Chemin("un"));
    EXPECT_TRUE(VerifieDisque(img).Defauts.empty());
    // No formatted disk, no room to speak of.
    TImageMemoire vierge{Sect800};
    TSystemeFichiers fs(vierge, dlg);
    EXPECT_EQ(TextePlaceLibre(fs.AfficheCatalogue()), "");
}

TEST_F(UnFichier, AnUnformattedProtectedOrDamagedDiskTakesNothing) {
    const std::string p = Hote("p", Motif(10, 0));
    TImageMemoire vierge{Sect800};
    EXPECT_FALSE(ImporteFichierSeul(vierge, dlg, p, {"P", 1, 0}));
    EXPECT_EQ(dlg.Messages.back(), "Le disque n'est pas format\u00e9");
    img.Protege = true;
    EXPECT_FALSE(Depose(p, {"P", 1, 0}));
    EXPECT_EQ(dlg.Messages.back(), "Disque prot\u00e9g\u00e9 en \u00e9criture");
    img.Protege = false;
    Octets(img, 1)[3] = 10; // next free sector inside the catalogue
    Octets(img, 1)[4] = 0;
    const std::vector<uint8_t> avant = img.Octets;
    dlg = {};
    EXPECT_FALSE(Depose(p, {"P", 1, 0}));
    ASSERT_EQ(dlg.Messages.size(), 1u);
    EXPECT_EQ(dlg.Messages[0].rfind("Disque endommag\u00e9 : ", 0), 0u) << dlg.Messages[0];
    EXPECT_TRUE(img.Octets == avant);
    EXPECT_EQ(Catalogue().SecteursLibres, 0);
}

TEST_F(UnFichier, TheHostFileIsReplacedOnlyOnceCompleteAndAFolderIsRefused) {
    ASSERT_TRUE(Depose(Hote("p", Motif(300, 7)), {"PROG", 12, 0}));
    const TCatalogueAffiche c = Catalogue();
    const TEntreeListee& e = *TrouveFichier(c, "PROG");
    const std::string cible = Hote("ancien", {'a', 'b'});
    ASSERT_TRUE(ExporteFichierSous(img, dlg, e, cible));
    EXPECT_EQ(TDossierTemp::Contenu(cible).size(), 2u * 253);
    EXPECT_EQ(dlg.Infos.back(), "Fichier export\u00e9 : " + cible + " (506 octets)");
    fs::create_directory(tmp.Chemin("dossier"));
    EXPECT_FALSE(ExporteFichierSous(img, dlg, e, tmp.Chemin("dossier")));
    std::string dossier = tmp.Chemin("dossier");
    EXPECT_NE(dlg.Messages.back().find(dossier + "\" est un dossier"), std::string::npos) << dlg.Messages.back();
    EXPECT_TRUE(fs::is_directory(tmp.Chemin("dossier")));
    // A damaged chain: what was read is written, and the damage said.
    Octets(img, e.Debut)[0] = 0;
    Octets(img, e.Debut)[1] = uint8_t(e.Debut);
    dlg = {};
    ASSERT_TRUE(ExporteFichierSous(img, dlg, e, cible));
    EXPECT_EQ(TDossierTemp::Contenu(cible).size(), 253u);
    ASSERT_EQ(dlg.Messages.size(), 1u);
    EXPECT_NE(dlg.Messages[0].find("le fichier PROG est li\u00e9 au secteur " + std::to_string(e.Debut)),
              std::string::npos)
        << dlg.Messages[0];
}

// Names with bytes the terminal cannot show as they are: the machine's own
// characters through its translation, 0xA0 and above as the host names
// write them, the rest as \xHH; and each name translated once.
TEST_F(UnFichier, NamesAreShownThroughTheMachineCharactersOrAsHexOnce) {
    EXPECT_EQ(NomAffichable(std::string("A\x18\x00\x7F\x0A\xE9\x80\x9FZ", 9)),
              "A\u00e9\u250C\u2591\\x0A\u00e9\\x80\\x9FZ");
    EXPECT_EQ(NomAffichable("PROG  "), "PROG  ");
    TSystemeFichiers fs(img, dlg);
    TExportImport ei; // the machine's own names: no check of what they hold
    ASSERT_TRUE(ei.ImporteOctets(fs, dlg, "x", {1, 2}, false, "", std::string("A\x18T\x85  ", 6), 12, 0));
    ASSERT_TRUE(fs.CreeRepertoire("UTIL  "));
    ASSERT_TRUE(ei.ImporteOctets(fs, dlg, "y", {3}, false, "UTIL  ", std::string("\xC9T\xC9   ", 6), 12, 0));
    // Both chains lead out of the disk.
    for (const TEntreeListee& e : fs.AfficheCatalogue().Entrees)
        if (ExportableSeul(e)) Octets(img, e.Debut)[0] = 0x7F;
    const TVerification v = VerifieDisque(img);
    ASSERT_EQ(v.Defauts.size(), 2u);
    EXPECT_NE(v.Defauts[0].find("le fichier A\u00e9T\\x85 est li\u00e9 au secteur"), std::string::npos) << v.Defauts[0];
    EXPECT_NE(v.Defauts[1].find("le fichier UTIL/\u00c9T\u00c9 est li\u00e9"), std::string::npos) << v.Defauts[1];
    const TCatalogueAffiche c = fs.AfficheCatalogue();
    EXPECT_EQ(c.Lignes[0].rfind("A\u00e9T\\x85    ", 0), 0u) << c.Lignes[0];
    // What the view shows can be typed back, and so can the host text.
    EXPECT_NE(TrouveFichier(c, "a\u00e9t\\x85"), nullptr);
    EXPECT_NE(TrouveFichier(c, "util/\u00c9T\u00c9"), nullptr);
    EXPECT_EQ(TrouveFichier(c, "UTIL/\u00e9T\u00e9"), nullptr); // lower-case é is another byte
}

TEST(NouvelleImage, TheThreeSizesNeverOverAFileAndIntoADriveThatTakesIt) {
    TDossierTemp tmp;
    TLecteurs lecteurs;
    TGestionDisques g(lecteurs);
    std::string recentes;
    EXPECT_EQ(LibelleTailleImage(TaillesImage[2]), "1.2 Mo (1\u202f261\u202f568 octets)");
    EXPECT_EQ(g.TailleProposee(), 788480); // no row
    g.Ligne = 3;                            // drive 10: 1.2 Mo
    EXPECT_EQ(g.TailleProposee(), 1261568);
    EXPECT_FALSE(g.TailleAcceptee(409600));
    for (const TTailleImage& t : TaillesImage) {
        const std::string chemin = tmp.Chemin(std::string(t.Legende) + ".img");
        EXPECT_EQ(g.CreeImage(chemin, t.Octets, true, recentes), "");
        EXPECT_EQ(int64_t(fs::file_size(chemin)), t.Octets);
        EXPECT_EQ(lecteurs.Disques[4].NomFichier == chemin, t.Octets == 1261568) << t.Legende;
    }
    const std::string pris = tmp.Chemin("pris.img");
    std::ofstream(pris) << "garde";
    EXPECT_EQ(g.CreeImage(pris, 409600, false, recentes), "Le fichier : " + pris + " Existe d\u00e9j\u00e0");
    EXPECT_EQ(TDossierTemp::Contenu(pris).size(), 5u);
    EXPECT_NE(g.CreeImage(tmp.Chemin("x.img"), 720 * 1024, false, recentes).find("doit \u00eatre"), std::string::npos);
    EXPECT_FALSE(fs::exists(tmp.Chemin("x.img")));
}
