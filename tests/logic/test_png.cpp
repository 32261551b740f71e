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

#include <zlib.h>

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

// The rows of a zlib stream, through zlib's own reader; the stream must end
// exactly where the chunk does.
std::vector<uint8_t> Inflate(const std::vector<uint8_t>& z, size_t attendus) {
    EXPECT_EQ((z[0] * 256 + z[1]) % 31, 0); // header check
    EXPECT_EQ(z[0] & 0x0F, 8);              // deflate
    std::vector<uint8_t> brut(attendus + 1);
    uLongf n = uLongf(brut.size());
    uLong lus = uLong(z.size());
    EXPECT_EQ(uncompress2(brut.data(), &n, z.data(), &lus), Z_OK);
    EXPECT_EQ(lus, z.size());
    brut.resize(n);
    return brut;
}

TEST(Png, ChecksumsOnKnownVectors) {
    const std::string s = "123456789";
    EXPECT_EQ(Crc32(reinterpret_cast<const uint8_t*>(s.data()), s.size()), 0xCBF43926u);
    // In pieces as in one go.
    const uint8_t* p = reinterpret_cast<const uint8_t*>(s.data());
    EXPECT_EQ(Crc32(p + 4, 5, Crc32(p, 4)), 0xCBF43926u);
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
    const std::vector<uint8_t> attendu = {0, 3, 2, 1, 6, 5, 4, 9, 8, 7, 0, 12, 11, 10, 15, 14, 13, 18, 17, 16};
    EXPECT_EQ(Inflate(blocs[1].donnees, attendu.size()), attendu);
}

// A PNG file made here: IHDR of colour type `type`, the given filtered rows
// in one IDAT.
std::vector<uint8_t> PngFait(int largeur, int hauteur, uint8_t type, const std::vector<uint8_t>& lignes) {
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    const auto bloc = [&png](const char* t, const std::vector<uint8_t>& d) {
        for (int s = 24; s >= 0; s -= 8) png.push_back(uint8_t(d.size() >> s));
        const size_t debut = png.size();
        png.insert(png.end(), t, t + 4);
        png.insert(png.end(), d.begin(), d.end());
        const uint32_t crc = Crc32(png.data() + debut, png.size() - debut);
        for (int s = 24; s >= 0; s -= 8) png.push_back(uint8_t(crc >> s));
    };
    bloc("IHDR", {0, 0, 0, uint8_t(largeur), 0, 0, 0, uint8_t(hauteur), 8, type, 0, 0, 0});
    std::vector<uint8_t> z(compressBound(uLong(lignes.size())));
    uLongf n = uLongf(z.size());
    compress(z.data(), &n, lignes.data(), uLong(lignes.size()));
    z.resize(n);
    bloc("IDAT", z);
    bloc("IEND", {});
    return png;
}

// The reader gives back what the writer wrote, undoes every filter of the
// format for each colour type it reads, and refuses the rest with a reason.
TEST(Png, LeLecteurRendLesPixelsEtRefuseLeReste) {
    const uint8_t bgr[] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18};
    std::vector<uint8_t> lus;
    int l = 0, h = 0;
    std::string erreur;
    ASSERT_TRUE(DecodePngBgr(CodePngBgr(bgr, 3, 2), lus, l, h, erreur)) << erreur;
    EXPECT_EQ(l, 3);
    EXPECT_EQ(h, 2);
    EXPECT_EQ(lus, std::vector<uint8_t>(bgr, bgr + 18));

    struct TCas {
        const char* Nom;
        uint8_t Type;
        std::vector<uint8_t> Lignes; // 2 × 2 pixels, each row with its filter byte
        std::vector<uint8_t> Attendu; // B, G, R
    };
    const TCas cas[] = {
        {"gris, sans filtre", 0, {0, 10, 20, 0, 30, 40}, {10, 10, 10, 20, 20, 20, 30, 30, 30, 40, 40, 40}},
        {"gris, Sub puis Up", 0, {1, 10, 10, 2, 20, 20}, {10, 10, 10, 20, 20, 20, 30, 30, 30, 40, 40, 40}},
        {"gris alpha, Average", 4, {0, 100, 255, 50, 255, 3, 50, 0, 10, 0},
         {100, 100, 100, 50, 50, 50, 100, 100, 100, 85, 85, 85}},
        {"RVB, Paeth", 2, {0, 1, 2, 3, 4, 5, 6, 4, 1, 1, 1, 1, 1, 1},
         {3, 2, 1, 6, 5, 4, 4, 3, 2, 7, 6, 5}},
        {"RVBA, alpha laissé", 6, {0, 9, 8, 7, 0, 6, 5, 4, 0, 0, 1, 2, 3, 0, 4, 5, 6, 0},
         {7, 8, 9, 4, 5, 6, 3, 2, 1, 6, 5, 4}},
    };
    for (const TCas& c : cas) {
        ASSERT_TRUE(DecodePngBgr(PngFait(2, 2, c.Type, c.Lignes), lus, l, h, erreur)) << c.Nom << " : " << erreur;
        EXPECT_EQ(lus, c.Attendu) << c.Nom;
    }

    std::vector<uint8_t> png = CodePngBgr(bgr, 3, 2);
    const std::vector<std::pair<std::vector<uint8_t>, const char*>> refus = {
        {{'G', 'I', 'F', '8'}, "n'est pas une image PNG"},
        {{png.begin(), png.end() - 20}, "endommagée"},
        {PngFait(2, 2, 3, {0, 1, 2, 0, 3, 4}), "genre"},           // a palette
        {PngFait(2, 2, 0, {5, 1, 2, 0, 3, 4}), "endommagée"},      // filter 5
        {PngFait(2, 2, 0, {0, 1, 2}), "endommagée"},               // rows missing
    };
    for (const auto& [fichier, attendu] : refus) {
        erreur.clear();
        EXPECT_FALSE(DecodePngBgr(fichier, lus, l, h, erreur));
        EXPECT_NE(erreur.find(attendu), std::string::npos) << erreur;
    }
    png[20] ^= 1; // inside IHDR: its CRC no longer matches
    EXPECT_FALSE(DecodePngBgr(png, lus, l, h, erreur));
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
    const std::vector<uint8_t> brut = Inflate(blocs[1].donnees, 576u * (1 + 3072));
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

// A screen of text is mostly runs of one colour: the file is a small part of
// the 1.7 MB of its pixels.
TEST_F(PngFichier, AScreenOfTextIsCompressed) {
    auto m = std::make_unique<TMachine>();
    for (size_t i = 0; i < m->BmpEcran.size(); ++i) m->BmpEcran[i] = (i / 3 % 1024) % 8 == 0 && (i / 3072) % 24 < 16 ? 0xC8 : 0x10;
    const std::vector<uint8_t> png = CodePngBgr(m->BmpEcran.data(), LargeurEcran, HauteurEcran);
    EXPECT_LT(png.size(), m->BmpEcran.size() / 20);
    const auto blocs = Blocs(png);
    ASSERT_EQ(blocs.size(), 3u);
    const std::vector<uint8_t> brut = Inflate(blocs[1].donnees, 576u * 3073);
    ASSERT_EQ(brut.size(), 576u * 3073);
    EXPECT_EQ(brut[1], 0xC8);
    EXPECT_EQ(brut[4], 0x10);
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
