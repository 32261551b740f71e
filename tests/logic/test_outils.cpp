// The shared text, number and file helpers.
#include <gtest/gtest.h>

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
    EXPECT_NE(erreur.find("criture"), std::string::npos) << erreur;
    EXPECT_TRUE(fs::exists(dossier / "d" / "x"));
    EXPECT_EQ(NbEntrees(), 2u);
    // A folder that does not exist.
    EXPECT_FALSE(EcritFichierAtomique((dossier / "absent" / "f").string(), std::string("z"), erreur));
    EXPECT_FALSE(fs::exists(dossier / "absent"));
}

TEST_F(Fichiers, WholeFileReadingRefusesWhatItCannotTake) {
    std::vector<uint8_t> o;
    EXPECT_EQ(LitFichierEntier((dossier / "absent").string(), o), TLectureFichier::Absent);
    EXPECT_EQ(LitFichierEntier(dossier.string(), o), TLectureFichier::Absent); // a folder
    std::ofstream((dossier / "f").string(), std::ios::binary) << std::string(10, 'x');
    EXPECT_EQ(LitFichierEntier((dossier / "f").string(), o, 9), TLectureFichier::TropGros);
    EXPECT_TRUE(o.empty());
    EXPECT_EQ(LitFichierEntier((dossier / "f").string(), o, 10), TLectureFichier::Ok);
    EXPECT_EQ(o.size(), 10u);
    EXPECT_TRUE(MemeFichier((dossier / "f").string(), (dossier / "." / "f").string()));
    EXPECT_FALSE(MemeFichier((dossier / "f").string(), (dossier / "g").string()));
}

} // namespace
