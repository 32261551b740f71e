#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "core/Machine.h"
#include "devices/Png.h"

namespace {

namespace fs = std::filesystem;

uint32_t Lit32(const std::vector<uint8_t>& v, size_t p) {
    return uint32_t(v[p]) << 24 | uint32_t(v[p + 1]) << 16 | uint32_t(v[p + 2]) << 8 | v[p + 3];
}

struct Bloc {
    std::string type;
    std::vector<uint8_t> donnees;
    uint32_t crc;
    size_t debut; // offset of the type field
};

std::vector<Bloc> Blocs(const std::vector<uint8_t>& png) {
    std::vector<Bloc> blocs;
    size_t p = 8;
    while (p + 12 <= png.size()) {
        const uint32_t n = Lit32(png, p);
        Bloc b{std::string(png.begin() + std::ptrdiff_t(p + 4), png.begin() + std::ptrdiff_t(p + 8)),
               std::vector<uint8_t>(png.begin() + std::ptrdiff_t(p + 8), png.begin() + std::ptrdiff_t(p + 8 + n)),
               Lit32(png, p + 8 + n), p + 4};
        blocs.push_back(b);
        p += 12 + n;
    }
    EXPECT_EQ(p, png.size());
    return blocs;
}

// Reassembles the bytes of a zlib stream made only of stored blocks.
std::vector<uint8_t> LitFluxStocke(const std::vector<uint8_t>& z) {
    std::vector<uint8_t> brut;
    EXPECT_EQ((z[0] * 256 + z[1]) % 31, 0); // header check
    size_t p = 2;
    for (;;) {
        const uint8_t entete = z[p];
        EXPECT_EQ(entete & 0x06, 0); // stored
        const unsigned n = z[p + 1] | z[p + 2] << 8, nn = z[p + 3] | z[p + 4] << 8;
        EXPECT_EQ(n ^ 0xFFFF, nn);
        brut.insert(brut.end(), z.begin() + std::ptrdiff_t(p + 5), z.begin() + std::ptrdiff_t(p + 5 + n));
        p += 5 + n;
        if (entete & 1) break;
    }
    EXPECT_EQ(p + 4, z.size());
    return brut;
}

TEST(Png, ChecksumsOnKnownVectors) {
    const std::string s = "123456789";
    EXPECT_EQ(Crc32(reinterpret_cast<const uint8_t*>(s.data()), s.size()), 0xCBF43926u);
    const std::string w = "Wikipedia";
    EXPECT_EQ(Adler32(reinterpret_cast<const uint8_t*>(w.data()), w.size()), 0x11E60398u);
    // Long runs of 0xFF: the sums must be reduced before they overflow.
    std::vector<uint8_t> uns(100000, 0xFF);
    uint32_t a = 1, b = 0;
    for (uint8_t o : uns) {
        a = (a + o) % 65521;
        b = (b + a) % 65521;
    }
    EXPECT_EQ(Adler32(uns.data(), uns.size()), (b << 16) | a);
}

TEST(Png, SmallPictureDecodesBackToItsPixels) {
    const uint8_t bgr[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18};
    const std::vector<uint8_t> png = CodePngBgr(bgr, 3, 2);
    const std::vector<uint8_t> signature = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    ASSERT_GT(png.size(), 8u);
    EXPECT_EQ(std::vector<uint8_t>(png.begin(), png.begin() + 8), signature);
    const auto blocs = Blocs(png);
    ASSERT_EQ(blocs.size(), 3u);
    EXPECT_EQ(blocs[0].crc, 0x1216F14Du);
    EXPECT_EQ(blocs[2].type, "IEND");
    EXPECT_EQ(blocs[2].crc, 0xAE426082u);
    const std::vector<uint8_t> brut = LitFluxStocke(blocs[1].donnees);
    const std::vector<uint8_t> attendu = {0, 3, 2, 1, 6, 5, 4, 9, 8, 7, 0, 12, 11, 10, 15, 14, 13, 18, 17, 16};
    EXPECT_EQ(brut, attendu);
    EXPECT_EQ(Lit32(blocs[1].donnees, blocs[1].donnees.size() - 4), 0x04CD00ACu);
}

struct PngFichier : ::testing::Test {
    fs::path dossier = fs::temp_directory_path() / ("zorv_png_" + std::to_string(::getpid()));
    void SetUp() override { fs::create_directories(dossier); }
    void TearDown() override { fs::remove_all(dossier); }
};

TEST_F(PngFichier, ScreenCaptureFileIsAValidPicture) {
    auto m = std::make_unique<TMachine>();
    for (size_t i = 0; i < m->BmpEcran.size(); ++i) m->BmpEcran[i] = uint8_t(i * 7 + i / 3072);
    const fs::path f = dossier / "ecran.png";
    std::string erreur;
    ASSERT_TRUE(EcritCapturePng(*m, f.string(), erreur)) << erreur;
    std::ifstream in(f, std::ios::binary);
    const std::vector<uint8_t> png{std::istreambuf_iterator<char>(in), {}};
    ASSERT_GT(png.size(), 33u);
    EXPECT_EQ(png[0], 0x89);
    EXPECT_EQ(std::string(png.begin() + 1, png.begin() + 4), "PNG");
    const auto blocs = Blocs(png);
    ASSERT_EQ(blocs.size(), 3u);
    EXPECT_EQ(blocs[0].type, "IHDR");
    EXPECT_EQ(Lit32(blocs[0].donnees, 0), 1024u);
    EXPECT_EQ(Lit32(blocs[0].donnees, 4), 576u);
    EXPECT_EQ(blocs[0].crc, 0x9CF78382u);
    EXPECT_EQ(blocs[1].type, "IDAT");
    for (const Bloc& b : blocs)
        EXPECT_EQ(b.crc, Crc32(png.data() + b.debut, b.donnees.size() + 4)) << b.type;
    const std::vector<uint8_t> brut = LitFluxStocke(blocs[1].donnees);
    ASSERT_EQ(brut.size(), 576u * (1 + 3072));
    int fautes = 0;
    for (size_t y = 0; y < 576; ++y) {
        fautes += brut[y * 3073] != 0;
        for (size_t x = 0; x < 1024; ++x)
            for (size_t c = 0; c < 3; ++c)
                fautes += brut[y * 3073 + 1 + 3 * x + c] != m->BmpEcran[(y * 1024 + x) * 3 + 2 - c];
    }
    EXPECT_EQ(fautes, 0);
}

TEST_F(PngFichier, UnwritablePathsAreReported) {
    auto m = std::make_unique<TMachine>();
    std::string erreur;
    const fs::path absent = dossier / "absent" / "ecran.png";
    EXPECT_FALSE(EcritCapturePng(*m, absent.string(), erreur));
    EXPECT_NE(erreur.find(absent.string()), std::string::npos) << erreur;
    EXPECT_FALSE(fs::exists(dossier / "absent"));
    erreur.clear();
    EXPECT_FALSE(EcritCapturePng(*m, dossier.string(), erreur)); // a folder
    EXPECT_FALSE(erreur.empty());
    // A failed replacement leaves what was there and no temporary beside it.
    const fs::path cible = dossier / "ecran.png";
    fs::create_directories(cible / "occupe");
    erreur.clear();
    EXPECT_FALSE(EcritCapturePng(*m, cible.string(), erreur));
    EXPECT_TRUE(fs::exists(cible / "occupe"));
    size_t n = 0;
    for (const auto& e : fs::directory_iterator(dossier)) n += e.path() != cible;
    EXPECT_EQ(n, 0u);
}

} // namespace
