#include <gtest/gtest.h>

#include <filesystem>
#include <unistd.h>

#include "disks/Lecteurs.h"
#include "disks/OptionDisque.h"
#include "ImagesTemp.h"

namespace {

constexpr int64_t T800 = 788480, T400 = 409600, T1200 = 1261568;

// How many descriptors of this process are open on `chemin`.
int DescripteursOuverts(const std::string& chemin) {
    int n = 0;
    const auto cible = std::filesystem::canonical(chemin);
    for (const auto& e : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code ec;
        if (std::filesystem::read_symlink(e.path(), ec) == cible) ++n;
    }
    return n;
}

struct Lecteurs : ::testing::Test {
    TDossierTemp dossier;
    TLecteurs lec;
};

TEST(Geometrie, SizesOfTheSixDrivesAndTheirNumbers) {
    TLecteurs l35(0), l525(1);
    const int numeros[] = {1, 2, 9, 10, 11, 12};
    for (int slot = 1; slot <= 6; ++slot) {
        EXPECT_EQ(LecteurDuSlot(slot), numeros[slot - 1]);
        EXPECT_EQ(SlotDuLecteur(numeros[slot - 1]), slot);
        EXPECT_EQ(l35.NbrSectCatal[slot], 64);
        const int64_t grand = slot <= 2 ? T800 : T1200;
        EXPECT_EQ(l35.Taille_Disque[slot], grand);
        EXPECT_EQ(l525.Taille_Disque[slot], slot <= 2 ? T400 : T1200);
        EXPECT_EQ(int64_t(l35.NbrSectDisque[slot]) * 256, grand);
    }
    EXPECT_EQ(l35.NbrSectDisque[1], 3080);
    EXPECT_EQ(l525.NbrSectDisque[2], 1600);
    EXPECT_EQ(l35.NbrSectDisque[6], 4928);
    for (int sans : {0, 3, 4, 5, 6, 7, 8, 13, -1}) EXPECT_EQ(SlotDuLecteur(sans), 0) << sans;
    EXPECT_EQ(LecteurDuSlot(0), 0);
    EXPECT_EQ(LecteurDuSlot(7), 0);
    EXPECT_EQ(l35.LegendeTaille(1), "800 Ko");
    EXPECT_EQ(l525.LegendeTaille(2), "400 Ko");
    EXPECT_EQ(l35.LegendeTaille(3), "1.2 Mo");
}

TEST(Geometrie, ThousandsSeparatorAndFileName) {
    EXPECT_EQ(FormateMilliers(409600, "\u202f"), "409\u202f600");
    EXPECT_EQ(FormateMilliers(1261568, "."), "1.261.568");
    EXPECT_EQ(FormateMilliers(999, "."), "999");
    EXPECT_EQ(NomSansDossier("/a/b/disque.img"), "disque.img");
    EXPECT_EQ(NomSansDossier("disque.img"), "disque.img");
}

TEST_F(Lecteurs, ImageSizeMustMatchTheDrive) {
    const std::string img = dossier.Image("a.img", T800);
    lec.InitGeometrie(1);
    EXPECT_EQ(lec.InsereDisque(1, img, " "), "La taille du fichier image doit \u00eatre : 409 600 octets");
    EXPECT_EQ(lec.EtatDuDisque(1), 0);
    EXPECT_EQ(lec.ChargeImage(2, img, "."), "La taille du fichier a.img doit \u00eatre : 409.600 octets");
    EXPECT_TRUE(lec.Disques[2].NomFichier.empty());
    EXPECT_EQ(DescripteursOuverts(img), 0);
    lec.InitGeometrie(0);
    EXPECT_EQ(lec.InsereDisque(1, img, " "), "");
    EXPECT_EQ(lec.Disques[1].NomFichier, img);
    EXPECT_EQ(lec.EtatDuDisque(1), 1);
    // An 800 Ko image is not a 1.2 Mo one.
    EXPECT_EQ(lec.ChargeImage(9, img, " "), "La taille du fichier a.img doit \u00eatre : 1 261 568 octets");
    EXPECT_EQ(lec.EtatDuDisque(3), 0);
}

TEST_F(Lecteurs, StartUpLoadReportsMissingFilesAndLoadsTheOthers) {
    const std::string a = dossier.Image("a.img", T1200);
    const auto messages = lec.ChargeImages(
        {{1, dossier.Chemin("absent.img")}, {2, ""}, {10, a}, {5, a}}, " ");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "La taille du fichier absent.img doit \u00eatre : 788 480 octets");
    EXPECT_EQ(lec.EtatDuDisque(1), 0);
    EXPECT_EQ(lec.EtatDuDisque(2), 0);
    EXPECT_EQ(lec.EtatDuDisque(4), 1);
    const auto aff = lec.Affectation();
    ASSERT_EQ(aff.size(), 6u);
    EXPECT_EQ(aff[3], (std::pair<int, std::string>{10, a}));
    EXPECT_EQ(aff[4], (std::pair<int, std::string>{11, ""}));
    EXPECT_EQ(aff[5].first, 12);
}

TEST_F(Lecteurs, DiskStateTestsProtectionBeforePresence) {
    const std::string a = dossier.Image("a.img", T1200);
    ASSERT_EQ(lec.InsereDisque(3, a, " "), "");
    EXPECT_EQ(lec.EtatDuDisque(3), 1);
    EXPECT_TRUE(lec.BasculeProtection(3));
    EXPECT_EQ(lec.EtatDuDisque(3), 2);
    EXPECT_FALSE(lec.BasculeProtection(3));
    EXPECT_EQ(lec.EtatDuDisque(3), 1);
    EXPECT_FALSE(lec.BasculeProtection(4)); // empty drive: nothing to protect
    EXPECT_EQ(lec.EtatDuDisque(4), 0);
    EXPECT_EQ(lec.EtatDuDisque(0), 0);
    EXPECT_EQ(lec.EtatDuDisque(7), 0);
    // A protected disk stays protected when another image is inserted over it.
    lec.BasculeProtection(3);
    ASSERT_EQ(lec.InsereDisque(3, dossier.Image("b.img", T1200), " "), "");
    EXPECT_EQ(lec.EtatDuDisque(3), 2);
    // A refused insert leaves the drive empty, not "protected".
    EXPECT_NE(lec.InsereDisque(3, dossier.Image("c.img", 1000), " "), "");
    EXPECT_EQ(lec.EtatDuDisque(3), 0);
    EXPECT_EQ(lec.Disques[3].Protege, false);
}

TEST_F(Lecteurs, SectorsAtTheirOffsetsAndFFOutsideTheDisk) {
    const std::string a = dossier.Image("a.img", T800);
    ASSERT_EQ(lec.InsereDisque(1, a, " "), "");
    uint8_t buf[256];
    for (int32_t s : {1, 2, 1540, 3080}) {
        lec.LireSecteur(1, s, buf);
        for (int i = 0; i < 256; ++i) ASSERT_EQ(buf[i], TDossierTemp::OctetMotif(s, i)) << s << " " << i;
    }
    for (int32_t s : {0, 3081, 65535, -1}) {
        lec.LireSecteur(1, s, buf);
        for (int i = 0; i < 256; ++i) ASSERT_EQ(buf[i], 0xFF) << s;
    }
    lec.LireSecteur(7, 1, buf);
    EXPECT_EQ(buf[0], 0xFF);
    lec.LireSecteur(2, 1, buf); // empty drive
    EXPECT_EQ(buf[255], 0xFF);
}

TEST_F(Lecteurs, WritesLandInPlaceAndNeverGrowTheImage) {
    const std::string a = dossier.Image("a.img", T800);
    ASSERT_EQ(lec.InsereDisque(2, a, " "), "");
    auto avant = TDossierTemp::Contenu(a);
    uint8_t buf[256];
    for (int i = 0; i < 256; ++i) buf[i] = uint8_t(255 - i);
    EXPECT_TRUE(lec.EcrireSecteur(2, 5, buf));
    EXPECT_TRUE(lec.EcrireSecteur(2, 3080, buf));
    EXPECT_FALSE(lec.EcrireSecteur(2, 0, buf));
    EXPECT_FALSE(lec.EcrireSecteur(2, 3081, buf));
    EXPECT_FALSE(lec.EcrireSecteur(2, 40000, buf));
    EXPECT_FALSE(lec.EcrireSecteur(1, 5, buf)); // empty drive
    auto apres = TDossierTemp::Contenu(a);
    ASSERT_EQ(apres.size(), size_t(T800)); // no cache: the file already holds the data
    for (int i = 0; i < 256; ++i) {
        ASSERT_EQ(apres[4 * 256 + i], buf[i]);
        ASSERT_EQ(apres[3079 * 256 + i], buf[i]);
    }
    std::copy(buf, buf + 256, avant.begin() + 4 * 256);
    std::copy(buf, buf + 256, avant.begin() + 3079 * 256);
    EXPECT_TRUE(apres == avant);
    // A protected disk is not written by anyone.
    lec.BasculeProtection(2);
    buf[0] ^= 1;
    EXPECT_FALSE(lec.EcrireSecteur(2, 5, buf));
    EXPECT_EQ(TDossierTemp::Contenu(a)[4 * 256], uint8_t(buf[0] ^ 1));
}

TEST_F(Lecteurs, FormatZeroesTheWholeImageOnlyWhenWritable) {
    const std::string a = dossier.Image("a.img", T1200);
    ASSERT_EQ(lec.InsereDisque(6, a, " "), "");
    lec.BasculeProtection(6);
    lec.FormaterDisque(6);
    EXPECT_EQ(TDossierTemp::Contenu(a)[0], TDossierTemp::OctetMotif(1, 0));
    lec.BasculeProtection(6);
    lec.FormaterDisque(6);
    const auto apres = TDossierTemp::Contenu(a);
    ASSERT_EQ(apres.size(), size_t(T1200));
    EXPECT_EQ(std::count(apres.begin(), apres.end(), 0), T1200);
}

TEST_F(Lecteurs, InsertingOverADiskReleasesThePreviousFile) {
    const std::string a = dossier.Image("a.img", T1200);
    const std::string b = dossier.Image("b.img", T1200);
    ASSERT_EQ(lec.InsereDisque(4, a, " "), "");
    EXPECT_EQ(DescripteursOuverts(a), 1);
    ASSERT_EQ(lec.InsereDisque(4, b, " "), "");
    EXPECT_EQ(DescripteursOuverts(a), 0);
    EXPECT_EQ(DescripteursOuverts(b), 1);
    EXPECT_EQ(lec.Disques[4].NomFichier, b);
    lec.Ejecte(4);
    EXPECT_EQ(DescripteursOuverts(b), 0);
    EXPECT_EQ(lec.EtatDuDisque(4), 0);
    EXPECT_TRUE(lec.Disques[4].NomFichier.empty());
}

TEST_F(Lecteurs, BlankDiskIsAllZerosAndAFailedCreationKeepsTheDrive) {
    const std::string a = dossier.Image("a.img", T800);
    ASSERT_EQ(lec.InsereDisque(1, a, " "), "");
    lec.BasculeProtection(1);
    const std::string vierge = dossier.Chemin("vierge.img");
    lec.InsereVierge(1, vierge);
    EXPECT_EQ(DescripteursOuverts(a), 0);
    EXPECT_EQ(lec.EtatDuDisque(1), 1); // a blank disk is never protected
    const auto contenu = TDossierTemp::Contenu(vierge);
    ASSERT_EQ(contenu.size(), size_t(T800));
    EXPECT_EQ(std::count(contenu.begin(), contenu.end(), 0), T800);
    lec.InsereVierge(5, dossier.Chemin("grand.img"));
    EXPECT_EQ(std::filesystem::file_size(dossier.Chemin("grand.img")), uint64_t(T1200));

    const std::string impossible = dossier.Chemin("pas/de/dossier.img");
    try {
        lec.InsereVierge(1, impossible);
        FAIL() << "la creation aurait du echouer";
    } catch (const TErreurES& e) {
        EXPECT_EQ(e.NomFichier, impossible);
        EXPECT_FALSE(e.Raison.empty());
        EXPECT_NE(std::string(e.what()).find(impossible), std::string::npos);
    }
    EXPECT_EQ(lec.Disques[1].NomFichier, vierge);
    EXPECT_EQ(lec.EtatDuDisque(1), 1);
}

TEST_F(Lecteurs, ImageCutShortBehindOurBackRaisesAnError) {
    const std::string a = dossier.Image("a.img", T800);
    ASSERT_EQ(lec.InsereDisque(1, a, " "), "");
    std::filesystem::resize_file(a, 1000 * 256);
    uint8_t buf[256] = {};
    lec.LireSecteur(1, 1000, buf); // still inside the file
    EXPECT_EQ(buf[0], TDossierTemp::OctetMotif(1000, 0));
    try {
        lec.LireSecteur(1, 1001, buf);
        FAIL() << "lecture hors du fichier";
    } catch (const TErreurES& e) {
        EXPECT_EQ(e.NomFichier, a);
        EXPECT_FALSE(e.Raison.empty());
    }
    EXPECT_THROW(lec.EcrireSecteur(1, 2000, buf), TErreurES);
    EXPECT_THROW(lec.EcrireSecteur(1, 1, buf), TErreurES);
    EXPECT_EQ(std::filesystem::file_size(a), 1000u * 256);
}

TEST_F(Lecteurs, FileTheHostOpensReadOnlyIsProtected) {
    const std::string a = dossier.Image("a.img", T1200);
    if (!dossier.RendNonModifiable(a)) GTEST_SKIP() << "fichier toujours modifiable sur cet hote";
    ASSERT_EQ(lec.InsereDisque(3, a, " "), "");
    EXPECT_EQ(lec.EtatDuDisque(3), 2);
    EXPECT_TRUE(lec.BasculeProtection(3)); // cannot be unprotected
    EXPECT_EQ(lec.EtatDuDisque(3), 2);
    uint8_t buf[256] = {};
    EXPECT_FALSE(lec.EcrireSecteur(3, 1, buf));
    lec.LireSecteur(3, 2, buf);
    EXPECT_EQ(buf[1], TDossierTemp::OctetMotif(2, 1));
}

TEST_F(Lecteurs, CommandLineDiskOption) {
    TOptionDisque opt;
    std::string err;
    ASSERT_TRUE(AnalyseOptionDisque("9=/tmp/a:b.img:ro", opt, err));
    EXPECT_EQ(opt.Lecteur, 9);
    EXPECT_EQ(opt.Chemin, "/tmp/a:b.img");
    EXPECT_TRUE(opt.LectureSeule);
    ASSERT_TRUE(AnalyseOptionDisque("12=disque.img", opt, err));
    EXPECT_EQ(opt.Lecteur, 12);
    EXPECT_FALSE(opt.LectureSeule);
    for (const char* faux : {"3=a.img", "1=", "1=:ro", "a.img", "=a.img", "x1=a.img", "100=a.img",
                            "99999999999999999999999=a.img"}) {
        err.clear();
        EXPECT_FALSE(AnalyseOptionDisque(faux, opt, err)) << faux;
        EXPECT_FALSE(err.empty()) << faux;
    }
    const std::string a = dossier.Image("a.img", T1200);
    ASSERT_TRUE(AnalyseOptionDisque("10=" + a + ":ro", opt, err));
    EXPECT_EQ(InsereOptionDisque(lec, opt, " "), "");
    EXPECT_EQ(lec.EtatDuDisque(4), 2);
    EXPECT_TRUE(lec.Disques[4].Fichier.LectureSeule());
    ASSERT_TRUE(AnalyseOptionDisque("1=" + a, opt, err));
    EXPECT_EQ(InsereOptionDisque(lec, opt, " "), "La taille du fichier a.img doit \u00eatre : 788 480 octets");
    // What lies at the path is told before any size.
    opt.Chemin = a + ".absent";
    EXPECT_EQ(InsereOptionDisque(lec, opt, " "), "--disk 1 : Le fichier " + opt.Chemin + " n'existe pas");
    opt.Chemin = std::filesystem::path(a).parent_path().string();
    EXPECT_EQ(InsereOptionDisque(lec, opt, " "), "--disk 1 : " + opt.Chemin + " est un dossier");
    opt.Chemin = "/dev/null";
    EXPECT_EQ(InsereOptionDisque(lec, opt, " "), "--disk 1 : /dev/null n'est pas un fichier ordinaire");
}

} // namespace
