// The shared text, number and file helpers.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "core/Fichiers.h"
#include "core/Nombres.h"
#include "core/Texte.h"

namespace fs = std::filesystem;

namespace {

TEST(Outils, TextHelpers) {
    EXPECT_EQ(SansBlancs(" \t a b \r\n"), "a b");
    EXPECT_EQ(SansBlancs("   "), "");
    EXPECT_TRUE(EgalSansCasse("Images", "iMAGES"));
    EXPECT_FALSE(EgalSansCasse("Image", "Images"));
    EXPECT_FALSE(EgalSansCasse("\u00e9", "\u00c9")); // bytes beyond ASCII compared as they are
    EXPECT_EQ(NomSansDossier("/a/b/disque.img"), "disque.img");
    EXPECT_EQ(NomSansDossier("C:\\zorv\\d.img"), "d.img");
    EXPECT_EQ(DossierDe("/a/b/c.img"), "/a/b/");
    EXPECT_EQ(DossierDe("c.img"), "");
    EXPECT_EQ(AvecSeparateur("/a//"), "/a/");
    EXPECT_EQ(AvecSeparateur(""), "./");
    EXPECT_EQ(FormateMilliers(-1261568, "."), "-1.261.568");
    EXPECT_EQ(FormateMilliers(100, " "), "100");
    EXPECT_EQ(Format("%.4X %s", 0xBEEFu, std::string(300, 'x').c_str()).size(), 305u);
}

// What the user reads: narrow no-break spaces between groups, "." before
// the decimals, rounding to the decimals asked for, no "-0".
TEST(Outils, FrenchNumbersForTheUser) {
    const std::string f = "\u202f";
    EXPECT_EQ(NombreFr(int64_t(1261568)), "1" + f + "261" + f + "568");
    EXPECT_EQ(NombreFr(int64_t(-409600)), "-409" + f + "600");
    EXPECT_EQ(NombreFr(int64_t(999)), "999");
    EXPECT_EQ(NombreFr(int64_t(0)), "0");
    EXPECT_EQ(NombreFr(INT64_MIN), "-9" + f + "223" + f + "372" + f + "036" + f + "854" + f + "775" + f + "808");
    EXPECT_EQ(NombreFr(11045.4, 0), "11" + f + "045");
    EXPECT_EQ(NombreFr(35.344, 2), "35.34");
    EXPECT_EQ(NombreFr(1234567.891, 1), "1" + f + "234" + f + "567.9");
    EXPECT_EQ(NombreFr(999.96, 1), "1" + f + "000.0");
    EXPECT_EQ(NombreFr(-0.001, 2), "0.00");
    EXPECT_EQ(NombreFr(-2.5, 1), "-2.5");
    EXPECT_EQ(NombreFr(100.0, 0), "100");
}

TEST(Outils, NumbersInOneConvention) {
    EXPECT_EQ(LitHexa("2100", 0xFFFF), 0x2100u);
    EXPECT_EQ(LitHexa("2100H", 0xFFFF), 0x2100u);
    EXPECT_EQ(LitHexa("0x2100", 0xFFFF), 0x2100u);
    EXPECT_EQ(LitHexa("0FFH", 0xFF), 0xFFu);
    EXPECT_EQ(LitHexa("FFFF", 0xFFFF), 0xFFFFu);
    EXPECT_EQ(LitHexa("$ff", 0xFF), 0xFFu);
    EXPECT_FALSE(LitHexa("10000", 0xFFFF));
    EXPECT_FALSE(LitHexa("", 0xFFFF));
    EXPECT_FALSE(LitHexa("H", 0xFFFF));
    EXPECT_FALSE(LitHexa("12G", 0xFFFF));
    EXPECT_FALSE(LitHexa("FFFFFFFFFFFFFFFFF", UINT64_MAX));
    EXPECT_EQ(LitDecimal("4K", 1 << 20, true), 4096u);
    EXPECT_EQ(LitDecimal("1M", 1 << 20, true), 1u << 20);
    EXPECT_FALSE(LitDecimal("4K", 1 << 20, false));
    EXPECT_FALSE(LitDecimal("2M", 1 << 20, true));
    EXPECT_FALSE(LitDecimal("0x10", 100));
    EXPECT_EQ(ValeurChiffresTete("  12abc", 5), 12);
    EXPECT_EQ(ValeurChiffresTete("-5", 1), -5);
    EXPECT_EQ(ValeurChiffresTete("abc", 7), 7);
    EXPECT_EQ(ValeurChiffresTete("99999999999", 0), INT32_MAX);
}

struct Fichiers : ::testing::Test {
    fs::path dossier = fs::temp_directory_path() / ("zorv_outils_" + std::to_string(::getpid()));
    void SetUp() override { fs::create_directories(dossier); }
    void TearDown() override { fs::remove_all(dossier); }
    size_t NbEntrees() const {
        size_t n = 0;
        for ([[maybe_unused]] const auto& e : fs::directory_iterator(dossier)) ++n;
        return n;
    }
};

TEST_F(Fichiers, AtomicWriteReplacesOrLeavesTheTargetAsItWas) {
    const std::string cible = (dossier / "a.bin").string();
    std::string erreur;
    ASSERT_TRUE(EcritFichierAtomique(cible, std::string("premier"), erreur)) << erreur;
    ASSERT_TRUE(EcritFichierAtomique(cible, std::string("second"), erreur)) << erreur;
    std::string lu;
    EXPECT_EQ(LitFichierTexte(cible, lu), TLectureFichier::Ok);
    EXPECT_EQ(lu, "second");
    EXPECT_EQ(NbEntrees(), 1u); // no temporary left behind

    // A target that cannot be replaced (a non-empty folder) stays, and so
    // does nothing else.
    fs::create_directories(dossier / "d" / "x");
    EXPECT_FALSE(EcritFichierAtomique((dossier / "d").string(), std::string("z"), erreur));
    EXPECT_NE(erreur.find("est un dossier"), std::string::npos) << erreur;
    EXPECT_TRUE(fs::exists(dossier / "d" / "x"));
    EXPECT_EQ(NbEntrees(), 2u);
    // A folder that does not exist.
    EXPECT_FALSE(EcritFichierAtomique((dossier / "absent" / "f").string(), std::string("z"), erreur));
    EXPECT_FALSE(fs::exists(dossier / "absent"));
}

TEST_F(Fichiers, WholeFileReadingRefusesWhatItCannotTake) {
    std::vector<uint8_t> o;
    EXPECT_EQ(LitFichierEntier((dossier / "absent").string(), o), TLectureFichier::Absent);
    EXPECT_EQ(LitFichierEntier(dossier.string(), o), TLectureFichier::Dossier);
    EXPECT_EQ(LitFichierEntier("/dev/zero", o, 100), TLectureFichier::PasOrdinaire); // would never end
    EXPECT_EQ(MessageLecture(TLectureFichier::Absent, "x.img"), "Le fichier x.img n'existe pas");
    std::ofstream((dossier / "f").string(), std::ios::binary) << std::string(10, 'x');
    EXPECT_EQ(LitFichierEntier((dossier / "f").string(), o, 9), TLectureFichier::TropGros);
    EXPECT_TRUE(o.empty());
    EXPECT_EQ(LitFichierEntier((dossier / "f").string(), o, 10), TLectureFichier::Ok);
    EXPECT_EQ(o.size(), 10u);
    EXPECT_TRUE(MemeFichier((dossier / "f").string(), (dossier / "." / "f").string()));
    EXPECT_FALSE(MemeFichier((dossier / "f").string(), (dossier / "g").string()));
}

TEST_F(Fichiers, OutputTargetsFollowLinksAndRefuseWhatTheyCannotReplace) {
    const std::string vrai = (dossier / "vrai.txt").string(), lien = (dossier / "lien.txt").string();
    std::string erreur, lu;
    ASSERT_TRUE(EcritFichierAtomique(vrai, std::string("avant"), erreur)) << erreur;
    fs::permissions(vrai, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    fs::create_symlink("vrai.txt", lien);
    ASSERT_TRUE(EcritFichierAtomique(lien, std::string("après"), erreur)) << erreur;
    EXPECT_TRUE(fs::is_symlink(fs::symlink_status(lien))); // the link stays a link
    LitFichierTexte(vrai, lu);
    EXPECT_EQ(lu, "après");
    EXPECT_EQ(fs::status(vrai).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    const std::string fifo = (dossier / "tube").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    EXPECT_FALSE(EcritFichierAtomique(fifo, std::string("x"), erreur));
    EXPECT_NE(erreur.find("pas un fichier ordinaire"), std::string::npos) << erreur;
    EXPECT_TRUE(fs::is_fifo(fifo));

    if (::geteuid() != 0) { // root writes anywhere
        fs::permissions(vrai, fs::perms::owner_read);
        EXPECT_FALSE(EcritFichierAtomique(vrai, std::string("x"), erreur));
        EXPECT_NE(erreur.find("protégé en écriture"), std::string::npos) << erreur;
        LitFichierTexte(vrai, lu);
        EXPECT_EQ(lu, "après");
    }
    EXPECT_EQ(NbEntrees(), 3u); // no temporary left
}

TEST_F(Fichiers, SeveralOutputsAreWrittenAllOrNothing) {
    const std::string a = (dossier / "a").string(), b = (dossier / "b").string();
    std::string erreur, lu;
    ASSERT_TRUE(EcritFichiersAtomiques({{a, "A1"}, {b, "B1"}}, erreur)) << erreur;
    fs::create_directories(dossier / "d");
    // The third target is a folder: neither a nor b changes.
    EXPECT_FALSE(EcritFichiersAtomiques({{a, "A2"}, {b, "B2"}, {(dossier / "d").string(), "D"}}, erreur));
    LitFichierTexte(a, lu);
    EXPECT_EQ(lu, "A1");
    LitFichierTexte(b, lu);
    EXPECT_EQ(lu, "B1");
    // An unwritable folder for the second one.
    EXPECT_FALSE(EcritFichiersAtomiques({{a, "A3"}, {(dossier / "absent" / "x").string(), "X"}}, erreur));
    LitFichierTexte(a, lu);
    EXPECT_EQ(lu, "A1");
    EXPECT_EQ(NbEntrees(), 3u);
}

} // namespace
