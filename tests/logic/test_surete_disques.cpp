// What keeps a user's disk images safe: the catalogue never runs into the
// data, an image has one writer at a time, a change reaches the image whole
// or not at all, imports never follow a link and say what they skipped,
// exports never leave a file or a temporary outside their folder.
#include <gtest/gtest.h>

#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "DisqueEssai.h"
#include "ImagesTemp.h"
#include "disks/ExportImport.h"
#include "disks/GestionDisques.h"
#include "disks/Lecteurs.h"
#include "disks/VerifDisque.h"

namespace fs = std::filesystem;

namespace {

constexpr int64_t T800 = 788480;

void EcritHote(const fs::path& chemin, const std::string& texte) { std::ofstream(chemin) << texte; }

struct Import : ::testing::Test {
    TDossierTemp tmp;
    TImageMemoire img{Sect800};
    TDialogueEssai dlg;
    TSystemeFichiers fs{img, dlg};
    TExportImport ei;
    fs::path entree;

    void SetUp() override {
        ASSERT_TRUE(fs.FormatInconditionnel());
        entree = tmp.Chemin("entree");
        fs::create_directory(entree);
    }
    void Importe() {
        dlg.Dossier = entree.string();
        ei.Importe(img, dlg);
    }
    std::string Ignore(const std::string& relatif, const std::string& raison) const {
        return "Fichier ignor\u00e9 : " + entree.string() + "/" + relatif + " (" + raison + ")";
    }
};

TEST_F(Import, TheCatalogueStopsBelowTheFirstDataSectorAndTheImportGoesOn) {
    TImageMemoire petit{1600};
    TSystemeFichiers pfs{petit, dlg};
    ASSERT_TRUE(pfs.FormatInconditionnel());
    for (int i = 0; i < 1323; ++i) EcritHote(entree / Format("F%04d_00001_00000", i), Format("file %d\n", i));
    dlg.Dossier = entree.string();
    ei.Importe(petit, dlg);
    // 20 entries in sector 1 and 21 in each of sectors 2 to 63: the 1,323rd
    // would go into sector 64, the first file's data.
    ASSERT_EQ(dlg.Messages.size(), 1u);
    EXPECT_EQ(dlg.Messages[0], "Le catalogue est plein : " + entree.string() + "/F1322_00001_00000 n'est pas import\u00e9");
    EXPECT_EQ(dlg.Infos, std::vector<std::string>{"Fichier(s) import\u00e9(s) : 1322"});
    const TVerification v = VerifieDisque(petit);
    EXPECT_TRUE(v.Defauts.empty()) << v.Defauts[0];
    EXPECT_EQ(v.Fichiers, 1322);
    EXPECT_EQ(*Octets(petit, 64, 2), 'f'); // F0000's data, intact
}

TEST(Catalogue, ADiskWrittenEarlierWithItsCatalogueInSector64KeepsWorking) {
    TImageMemoire img{Sect800};
    TDialogueEssai dlg;
    TSystemeFichiers fs{img, dlg};
    ASSERT_TRUE(fs.FormatInconditionnel());
    fs.EcritSecteurLibre(65); // its data started one sector later
    int ajoutes = 0;
    while (AjouteEntree(fs, "F     ", 5, 0)) ++ajoutes;
    EXPECT_EQ(ajoutes, 20 + 21 * 63); // sector 64 was free: the catalogue may use it
    EXPECT_EQ(fs.AfficheCatalogue().Lignes.size(), size_t(ajoutes));
    // Data at 65 keeps sector 64 for the catalogue; data at 64 would not.
    TImageMemoire autre{Sect800};
    TSystemeFichiers afs{autre, dlg};
    ASSERT_TRUE(afs.FormatInconditionnel());
    afs.EcritSecteurLibre(100);
    PoseEntreeBrute(autre, 1, 5, "DATA  ", 12, 0, 64);
    *Octets(autre, 1, 17) = 0xFF;
    int n = 0;
    while (AjouteEntree(afs, "G     ", 5, 0)) ++n;
    EXPECT_EQ(n, 19 + 21 * 62);
    EXPECT_EQ(afs.DernierRefus(), reCatalPlein);
}

TEST_F(Import, EverySkippedHostFileIsListedWithItsReasonBeforeTheSummary) {
    fs::create_directories(entree / "SUB" / "DEEP");
    EcritHote(entree / "SUB" / "IN_00001_00000", "s");
    EcritHote(entree / "SUB" / "DEEP" / "X_00001_00000", "q");
    EcritHote(entree / "abc_00001_00000", "a");
    EcritHote(entree / "ABC_00001_00000", "b");
    EcritHote(entree / "ABCDEFGH_00001_00000", "c");
    EcritHote(entree / "ABCDEFXY_00001_00000", "d");
    EcritHote(entree / "\u20acUR_00001_00000", "e");
    EcritHote(entree / "ZERO_00000_00000", "z");
    EcritHote(entree / "BIN_00002_00002", std::string(300, 'x')); // 300 bytes, its name says 4
    ASSERT_EQ(::mkfifo((entree / "TUBE_00001_00000").c_str(), 0644), 0);
    Importe(); // a FIFO would block a plain open: the import must not hang on it
    const std::vector<std::string> attendus = {
        "Dossier ignor\u00e9 : " + entree.string() + "/SUB/DEEP/ (dossier dans un sous-dossier : le disque n'a qu'un "
        "niveau de r\u00e9pertoires ; rien de ce qu'il contient n'est import\u00e9)",
        Ignore("ABCDEFXY_00001_00000", "m\u00eame nom sur le disque que " + entree.string() + "/ABCDEFGH_00001_00000"),
        Ignore("TUBE_00001_00000", "pas un fichier ordinaire : tube, p\u00e9riph\u00e9rique ou socket"),
        Ignore("ZERO_00000_00000", "C1 et C2 valent 0 : le disque le prendrait pour un r\u00e9pertoire"),
        Ignore("abc_00001_00000", "m\u00eame nom sur le disque que " + entree.string() + "/ABC_00001_00000"),
        Ignore("\u20acUR_00001_00000", "un caract\u00e8re du nom ne s'\u00e9crit pas sur le disque"),
    };
    ASSERT_EQ(dlg.Messages.size(), attendus.size() + 1) << dlg.Messages[0];
    EXPECT_EQ(dlg.Messages[0], Ignore("BIN_00002_00002", "300 octets, plus que les 2 \u00d7 2 de son nom"));
    EXPECT_EQ(std::vector<std::string>(dlg.Messages.begin() + 1, dlg.Messages.end()), attendus);
    EXPECT_EQ(dlg.Infos, std::vector<std::string>{"Fichier(s) import\u00e9(s) : 3"}); // SUB/IN, ABC, ABCDEF
    const TVerification v = VerifieDisque(img);
    EXPECT_TRUE(v.Defauts.empty());
    EXPECT_FALSE(fs.FichierExiste("", "ZERO  "));
    EXPECT_FALSE(fs.RepertoireExiste("ZERO  "));
    // Imported again: what is on the disk already is skipped without a word.
    dlg = {};
    fs::remove_all(entree);
    fs::create_directories(entree);
    EcritHote(entree / "ABC_00001_00000", "b");
    Importe();
    EXPECT_TRUE(dlg.Messages.empty());
    EXPECT_EQ(dlg.Infos, std::vector<std::string>{"Fichier(s) import\u00e9(s) : 0"});
}

TEST_F(Import, LinksAreNeverFollowedOutOfTheFolder) {
    const fs::path dehors = tmp.Chemin("dehors");
    fs::create_directories(dehors);
    EcritHote(dehors / "SECRET_00001_00000", "mot de passe");
    fs::create_symlink(dehors / "SECRET_00001_00000", entree / "PASS_00001_00000");
    fs::create_directory_symlink(dehors, entree / "ETC");
    fs::create_symlink(tmp.Chemin("nulle-part"), entree / "DANG_00001_00000");
    fs::create_directory(entree / "UTIL");
    fs::create_symlink(dehors / "SECRET_00001_00000", entree / "UTIL" / "S_00001_00000");
    Importe();
    const std::string lien = "lien symbolique, jamais suivi";
    EXPECT_EQ(dlg.Messages, (std::vector<std::string>{Ignore("UTIL/S_00001_00000", lien),
                                                        Ignore("DANG_00001_00000", lien), Ignore("ETC", lien),
                                                        Ignore("PASS_00001_00000", lien)}));
    bool secret = false;
    for (const uint8_t& b : img.Octets)
        secret = secret || std::equal(&b, &b + std::min<size_t>(12, img.Octets.data() + img.Octets.size() - &b),
                                      "mot de passe");
    EXPECT_FALSE(secret);
    EXPECT_FALSE(fs.RepertoireExiste("ETC   "));
}

struct Export : Import {
    fs::path sortie;
    void SetUp() override {
        Import::SetUp();
        sortie = tmp.Chemin("sortie");
        fs::create_directories(sortie);
        EcritHote(entree / "PROG_00012_00000", std::string(600, 'p'));
        fs::create_directory(entree / "UTIL");
        EcritHote(entree / "UTIL" / "A_00003_00004", "a");
        Importe();
        dlg = {};
    }
    void Exporte() {
        dlg.Dossier = sortie.string();
        ei.Exporte(img, dlg);
    }
};

TEST_F(Export, AnExistingSubFolderIsUsedAndALinkedOneIsRefused) {
    fs::create_directory(sortie / "UTIL");
    Exporte();
    EXPECT_TRUE(dlg.Messages.empty()) << dlg.Messages[0];
    EXPECT_EQ(dlg.Infos, std::vector<std::string>{"Fichier(s) export\u00e9(s) : 2"});
    EXPECT_TRUE(fs::exists(sortie / "UTIL" / "A_00003_00004"));
    // A sub-folder that is a link: nothing goes where it leads.
    const fs::path ailleurs = tmp.Chemin("ailleurs");
    fs::create_directories(ailleurs);
    fs::remove_all(sortie);
    fs::create_directories(sortie);
    fs::create_directory_symlink(ailleurs, sortie / "UTIL");
    dlg = {};
    Exporte();
    ASSERT_GE(dlg.Messages.size(), 1u);
    EXPECT_EQ(dlg.Messages[0], "Impossible de cr\u00e9er le sous-r\u00e9pertoire : " + sortie.string() +
                                   "/UTIL (c'est un lien symbolique, jamais suivi)");
    EXPECT_TRUE(fs::is_empty(ailleurs));
    EXPECT_EQ(dlg.Infos, std::vector<std::string>{"Fichier(s) export\u00e9(s) : 1"});
}

TEST_F(Export, TheTemporariesAKilledExportLeftAreRemovedAndNothingElse) {
    fs::create_directories(sortie / "UTIL");
    EcritHote(sortie / ".PROG_00012_00000.Ab3xYz", "moiti\u00e9");
    EcritHote(sortie / "UTIL" / ".A_00003_00004.q1W2e3", "moiti\u00e9");
    EcritHote(sortie / ".notes.txt", "\u00e0 moi");             // not of the export's pattern
    EcritHote(sortie / ".journal.abcdef", "\u00e0 moi aussi");  // not an exported name
    EcritHote(sortie / ".B_00001_00001.Zz9Zz9", "en cours");     // its writer still runs
    const int occupe = ::open((sortie / ".B_00001_00001.Zz9Zz9").c_str(), O_RDONLY);
    ASSERT_EQ(::flock(occupe, LOCK_EX), 0);
    Exporte();
    ::close(occupe);
    EXPECT_FALSE(fs::exists(sortie / ".PROG_00012_00000.Ab3xYz"));
    EXPECT_FALSE(fs::exists(sortie / "UTIL" / ".A_00003_00004.q1W2e3"));
    EXPECT_TRUE(fs::exists(sortie / ".notes.txt"));
    EXPECT_TRUE(fs::exists(sortie / ".journal.abcdef"));
    EXPECT_TRUE(fs::exists(sortie / ".B_00001_00001.Zz9Zz9"));
    EXPECT_EQ(fs::file_size(sortie / "PROG_00012_00000"), 3u * 253);
}

TEST(Verification, SectorsThatNoEntryReachesAreOrphans) {
    // The directory an old import made of ZERO_00000_00000: its list at 64,
    // the file's data orphaned at 65.
    TImageMemoire img{Sect800};
    TDialogueEssai dlg;
    TSystemeFichiers fs{img, dlg};
    ASSERT_TRUE(fs.FormatInconditionnel());
    PoseEntreeBrute(img, 1, 5, "ZERO  ", 0, 0, 64);
    *Octets(img, 1, 17) = 0xFF;
    *Octets(img, 64) = 0xFF;
    PoseChaine(img, 65, 1);
    PoseEntreeBrute(img, 1, 17, "B     ", 12, 0, 66);
    *Octets(img, 1, 29) = 0xFF;
    PoseChaine(img, 66, 3);
    fs.EcritSecteurLibre(72);
    const TVerification v = VerifieDisque(img);
    EXPECT_EQ(v.Defauts, std::vector<std::string>{"Disque endommag\u00e9 : secteurs orphelins, qu'aucune entr\u00e9e "
                                                  "n'atteint : 65, 69 \u00e0 71"});
}

struct Verrous : ::testing::Test {
    TDossierTemp tmp;
    std::string a = tmp.Image("a.img", T800);
};

TEST_F(Verrous, OneWriterAtATimeAndNoReaderWhileItWrites) {
    TLecteurs premier, second;
    ASSERT_EQ(premier.InsereDisque(1, a, " "), "");
    // Another drive table of this program stands for another program here:
    // the lock belongs to the open file, not to the process.
    EXPECT_EQ(second.InsereDisque(2, a, " "), "L'image " + a + " est d\u00e9j\u00e0 dans un autre lecteur");
    EXPECT_EQ(second.EtatDuDisque(2), 0);
    EXPECT_NE(second.ChargeImage(2, a, " ", true), ""); // nor read it while it writes
    // Protected, the first lets others read it, but not write it.
    EXPECT_TRUE(premier.BasculeProtection(1));
    EXPECT_EQ(second.ChargeImage(2, a, " ", true), "");
    EXPECT_EQ(second.EtatDuDisque(2), 2);
    EXPECT_NE(second.InsereDisque(1, a, " "), "");
    // While the other reads it, the first cannot make it writable again.
    EXPECT_TRUE(premier.BasculeProtection(1));
    EXPECT_EQ(premier.EtatDuDisque(1), 2);
    EXPECT_EQ(premier.RefusVerrou(1), "L'image " + a + " est d\u00e9j\u00e0 dans un autre lecteur");
    second.Ejecte(2);
    EXPECT_FALSE(premier.BasculeProtection(1));
    EXPECT_EQ(premier.EtatDuDisque(1), 1);
    premier.Ejecte(1);
    EXPECT_EQ(second.InsereDisque(1, a, " "), ""); // released with the drive
}

TEST_F(Verrous, ABlankDiskIsNotMadeOverAnImageAnotherProgramHolds) {
    TLecteurs autre, lec;
    ASSERT_EQ(autre.InsereDisque(3, tmp.Image("b.img", 1261568), " "), "");
    const std::string b = tmp.Chemin("b.img");
    const auto avant = TDossierTemp::Contenu(b);
    EXPECT_THROW(lec.InsereVierge(3, b), TErreurES);
    EXPECT_EQ(TDossierTemp::Contenu(b), avant);
}

struct Transaction : Verrous {
    TLecteurs lec;
    void SetUp() override { ASSERT_EQ(lec.InsereDisque(1, a, " "), ""); }
    static ino_t Inode(const std::string& p) {
        struct stat st {};
        ::stat(p.c_str(), &st);
        return st.st_ino;
    }
};

TEST_F(Transaction, AChangeReplacesTheWholeImageAndKeepsItsPermissions) {
    fs::permissions(a, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    const ino_t avant = Inode(a);
    ModifieImage(lec, 1, [](ISecteurs& s) {
        uint8_t t[256] = {0x42};
        s.Ecrit(7, t);
    });
    EXPECT_NE(Inode(a), avant);
    EXPECT_EQ(fs::status(a).permissions(), fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    const auto apres = TDossierTemp::Contenu(a);
    ASSERT_EQ(apres.size(), size_t(T800));
    EXPECT_EQ(apres[6 * 256], 0x42);
    EXPECT_EQ(apres[5 * 256], TDossierTemp::OctetMotif(6, 0));
    // The drive reads the new file, and holds its lock.
    uint8_t t[256];
    lec.LireSecteur(1, 7, t);
    EXPECT_EQ(t[0], 0x42);
    TLecteurs autre;
    EXPECT_NE(autre.InsereDisque(1, a, " "), "");
    // Nothing changed: nothing written.
    const ino_t ensuite = Inode(a);
    ModifieImage(lec, 1, [](ISecteurs& s) {
        uint8_t u[256];
        s.Lit(3, u);
    });
    EXPECT_EQ(Inode(a), ensuite);
    EXPECT_EQ(std::distance(fs::directory_iterator(tmp.Dossier), fs::directory_iterator()), 1);
}

TEST_F(Transaction, AFailedActionOrAnImageChangedMeanwhileWritesNothing) {
    const auto avant = TDossierTemp::Contenu(a);
    EXPECT_THROW(ModifieImage(lec, 1,
                              [](ISecteurs& s) {
                                  uint8_t t[256] = {1};
                                  s.Ecrit(2, t);
                                  throw TErreurES("x", "panne");
                              }),
                 TErreurES);
    EXPECT_EQ(TDossierTemp::Contenu(a), avant);
    // The machine writes a sector while the tool works on its copy: the
    // machine's write stays, the tool's copy is not put over it.
    EXPECT_THROW(ModifieImage(lec, 1,
                              [&](ISecteurs& s) {
                                  uint8_t t[256] = {9};
                                  s.Ecrit(2, t);
                                  uint8_t m[256] = {7};
                                  lec.EcrireSecteur(1, 5, m);
                              }),
                 TErreurES);
    const auto apres = TDossierTemp::Contenu(a);
    EXPECT_EQ(apres[4 * 256], 7);
    EXPECT_EQ(apres[1 * 256], avant[1 * 256]);
}

TEST_F(Transaction, AnImageReachedThroughALinkIsReplacedBehindTheLink) {
    const std::string lien = tmp.Chemin("lien.img");
    fs::create_symlink(tmp.Image("cible.img", T800), lien);
    TLecteurs l2;
    ASSERT_EQ(l2.InsereDisque(2, lien, " "), "");
    ModifieImage(l2, 2, [](ISecteurs& s) {
        uint8_t t[256] = {0x33};
        s.Ecrit(1, t);
    });
    EXPECT_TRUE(fs::is_symlink(lien));
    EXPECT_EQ(TDossierTemp::Contenu(tmp.Chemin("cible.img"))[0], 0x33);
}

TEST_F(Transaction, TheDiskManagerFormatsAndImportsAsAWhole) {
    TGestionDisques g(lec);
    g.Ligne = 0;
    TDialogueEssai dlg;
    ASSERT_TRUE(g.Formate(dlg));
    const std::string entree = tmp.Chemin("entree");
    fs::create_directories(entree);
    EcritHote(fs::path(entree) / "PROG_00012_00000", "programme");
    dlg.Dossier = entree;
    const ino_t avant = Inode(a);
    g.Importe(dlg);
    EXPECT_NE(Inode(a), avant);
    EXPECT_EQ(dlg.Infos, std::vector<std::string>{"Fichier(s) import\u00e9(s) : 1"});
    TSecteursLecteur s(lec, 1);
    TSystemeFichiers sf(s, dlg);
    EXPECT_TRUE(sf.FichierExiste("", "PROG  "));
}

} // namespace
