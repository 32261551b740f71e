#include <gtest/gtest.h>

#include <memory>
#include <random>
#include <vector>

#include "core/Machine.h"
#include "devices/Ecran.h"

namespace {

constexpr TRGB Noir{0, 0, 0};
constexpr TRGB Vert{0x00, 0xFF, 0x00};

TRGB Rgb(uint32_t rrggbb) { return TRGB{uint8_t(rrggbb), uint8_t(rrggbb >> 8), uint8_t(rrggbb >> 16)}; }

struct Ecran : ::testing::Test {
    std::unique_ptr<TMachine> m = std::make_unique<TMachine>();
    std::vector<uint8_t> image = std::vector<uint8_t>(2048, 0);

    void SetUp() override {
        m->RamTv.fill(0x20);
        m->IndCoulTxt = 0;
        m->IndCoulGrph = 0;
        m->PlansGraph = 4;
        ChoisitCouleurs(*m);
    }
    void Charge() { ConstruitFontes(*m, image.data(), image.size()); }
    TRGB Pixel(int x, int y) const {
        const uint8_t* p = m->BmpEcran.data() + (size_t(y) * LargeurEcran + size_t(x)) * 3;
        return TRGB{p[0], p[1], p[2]};
    }
    int Compte(TRGB c) const {
        int n = 0;
        for (int y = 0; y < HauteurEcran; ++y)
            for (int x = 0; x < LargeurEcran; ++x) n += Pixel(x, y) == c;
        return n;
    }
    // Lit pixels of bitmap row y between x0 and x0 + w − 1, leftmost first.
    std::string Motif(int x0, int w, int y) const {
        std::string s;
        for (int x = x0; x < x0 + w; ++x) s += Pixel(x, y) == m->CouleurTexte ? '#' : '.';
        return s;
    }
};

TEST_F(Ecran, FullRowByteReachesTheCellEdgesOnlyForLineCharactersOfTheNormalSet) {
    image.assign(4096, 0);
    image[16 * 5] = 0xFF;            // character 5, top row
    image[16 * 0x41] = 0xFF;         // character 0x41, top row
    image[16 * (128 + 5)] = 0xFF;    // second set, characters 5 and 0x41
    image[16 * (128 + 0x41)] = 0xFF;
    Charge();
    m->RamTv[0] = 5;
    m->RamTv[1] = 0x41;
    DessineEcran(*m);
    for (int y : {0, 1}) {
        EXPECT_EQ(Motif(32, 12, y), "############");
        EXPECT_EQ(Motif(44, 12, y), "..########..");
    }
    EXPECT_EQ(Motif(32, 24, 2), std::string(24, '.'));
    EXPECT_EQ(Pixel(31, 0), Noir);

    m->PtrFonte80 = &m->Fonte80APL;
    DessineEcran(*m);
    EXPECT_EQ(Motif(32, 12, 0), "..########..");

    m->Mode128Col = true;
    m->PtrFonte80 = &m->Fonte80;
    for (PFonte128 f : {PFonte128(&m->Fonte128), PFonte128(&m->Fonte128APL)}) {
        m->PtrFonte128 = f;
        DessineEcran(*m);
        EXPECT_EQ(Motif(0, 16, 0), "################");
        EXPECT_EQ(Motif(0, 16, 1), "################");
        EXPECT_EQ(Motif(0, 16, 2), "................");
    }
}

TEST_F(Ecran, DotOrderAndEdgeExtensionPerSide) {
    image[16 * 3 + 0] = 0x01;     // leftmost dot, line character
    image[16 * 3 + 1] = 0x80;     // rightmost dot
    image[16 * 0x30 + 0] = 0x01;
    image[16 * 0x30 + 11] = 0x80; // last dot row
    Charge();
    EXPECT_EQ(m->Fonte80[3][0], 0x0E00);
    EXPECT_EQ(m->Fonte80[3][1], 0x0E00);
    EXPECT_EQ(m->Fonte80[3][2], 0x0007);
    EXPECT_EQ(m->Fonte128[3][0], 0x80);
    EXPECT_EQ(m->Fonte128[3][3], 0x01);
    EXPECT_EQ(m->Fonte80[0x30][0], 0x0200);
    EXPECT_EQ(m->Fonte80[0x30][23], 0x0004);
    EXPECT_EQ(m->Fonte128[0x30][23], 0x01);
    m->RamTv[128 * 1 + 2] = 3; // row 1, column 2: x = 56, y = 24
    DessineEcran(*m);
    EXPECT_EQ(Motif(56, 12, 24), "###.........");
    EXPECT_EQ(Motif(56, 12, 26), ".........###");
}

TEST_F(Ecran, ShortImagesGiveEqualSetsAndBlankMissingRecords) {
    image.assign(20, 0xFF); // record 0 whole, record 1 rows 0..3
    m->FonteSelect = 1;
    m->PtrFonte80 = &m->Fonte80APL;
    Charge();
    EXPECT_EQ(m->FonteSelect, 0);
    EXPECT_EQ(m->PtrFonte80, &m->Fonte80);
    EXPECT_EQ(m->PtrFonte128, &m->Fonte128);
    EXPECT_EQ(m->Fonte80[1][7], 0x0FFF);
    EXPECT_EQ(m->Fonte80[1][8], 0);
    for (int n = 2; n < 128; ++n)
        for (int k = 0; k < 24; ++k) ASSERT_EQ(m->Fonte80[size_t(n)][size_t(k)], 0) << n;
    EXPECT_EQ(m->Fonte80APL, m->Fonte80);
    EXPECT_EQ(m->Fonte128APL, m->Fonte128);

    image.assign(2048, 0);
    image[16 * 0x41 + 4] = 0x3C;
    Charge();
    EXPECT_EQ(m->Fonte80APL, m->Fonte80);
    EXPECT_EQ(m->Fonte80[0][0], 0); // the previous image left nothing behind
    ConstruitFontes(*m, nullptr, 0);
    EXPECT_EQ(m->Fonte80[0x41][8], 0);
}

TEST_F(Ecran, InverseCellLetsGraphicsThroughItsOwnDots) {
    image[16 * 0x41] = 0x01;            // one dot, pixel column 2
    Charge();
    m->RamTv[128 * 2 + 20] = 0xC1;      // row 2, column 20: x = 272..283, y = 48..71
    const int gx = (274 - 256) / 2;   // the point under pixel (274, 48)
    for (int x : {gx, gx + 1, gx + 2}) {
        m->GraphZorv[size_t(x * 256 + 247)] = 3; // y 48..49
        m->GraphZorv[size_t(x * 256 + 246)] = 3; // y 50..51
    }
    DessineEcran(*m);
    const TRGB c3 = Rgb(0x008080);
    EXPECT_EQ(Pixel(274, 48), c3);
    EXPECT_EQ(Pixel(274, 49), c3);
    EXPECT_EQ(Pixel(275, 49), Vert);
    EXPECT_EQ(Pixel(276, 48), Vert);    // inverse: unlit dot now lit, over graphics
    EXPECT_EQ(Pixel(273, 48), Vert);
    EXPECT_EQ(Pixel(274, 50), Vert);    // next row lit: hides the graphics
    EXPECT_EQ(Pixel(276, 50), Vert);

    m->RamTv[128 * 2 + 20] = 0x41;      // same cell, normal video
    DessineEcran(*m);
    EXPECT_EQ(Pixel(274, 48), Vert);    // the dot hides the graphics
    EXPECT_EQ(Pixel(276, 48), c3);
    EXPECT_EQ(Pixel(280, 48), Noir);
    EXPECT_EQ(Pixel(274, 50), c3);
}

TEST_F(Ecran, MarginsIn80ColumnsAndInverseEdgeCells) {
    Charge();
    m->RamTv[0] = 0xA0;   // inverse blank at column 0
    m->RamTv[79] = 0xA0;  // and at column 79
    DessineEcran(*m);
    EXPECT_EQ(Motif(28, 20, 0), "....############....");
    EXPECT_EQ(Motif(976, 20, 23), "....############....");
    EXPECT_EQ(Compte(Vert), 2 * 12 * 24);
}

TEST_F(Ecran, Column100HiddenIn80ColumnsShownIn128) {
    image[16 * 0x41] = 0xFF;
    Charge();
    m->RamTv[100] = 0x41;
    DessineEcran(*m);
    EXPECT_EQ(Compte(Vert), 0);
    m->Mode128Col = true;
    DessineEcran(*m);
    EXPECT_EQ(Motif(798, 12, 0), "..########..");
    EXPECT_EQ(Motif(798, 12, 1), "..########..");
    EXPECT_EQ(Compte(Vert), 16);
}

TEST_F(Ecran, GraphicsCornersAndYReversed) {
    Charge();
    m->GraphZorv[0 * 256 + 255] = 15;
    m->GraphZorv[255 * 256 + 0] = 12;
    DessineEcran(*m);
    const TRGB blanc = Rgb(0xFFFFFF), rouge = Rgb(0xFF0000);
    for (int x : {256, 257})
        for (int y : {32, 33}) EXPECT_EQ(Pixel(x, y), blanc);
    for (int x : {766, 767})
        for (int y : {542, 543}) EXPECT_EQ(Pixel(x, y), rouge);
    EXPECT_EQ(Compte(blanc), 4);
    EXPECT_EQ(Compte(rouge), 4);
    EXPECT_EQ(Pixel(255, 32), Noir);
    EXPECT_EQ(Pixel(256, 31), Noir);
    EXPECT_EQ(Pixel(258, 34), Noir);
    EXPECT_EQ(Pixel(768, 543), Noir);
    EXPECT_EQ(Pixel(767, 544), Noir);
}

TEST_F(Ecran, PalettesFollowTheTables) {
    struct Cas { int plans, schema, code; uint32_t rgb; };
    const Cas cas[] = {
        {1, 0, 1, 0xF0F0F0}, {1, 1, 3, 0x00F000}, {1, 2, 15, 0xF0D000}, {1, 3, 14, 0x000000},
        {2, 0, 5, 0x0000F0}, {2, 0, 3, 0xF00000}, {2, 2, 2, 0xA08B00}, {2, 1, 14, 0x00A000},
        {3, 0, 4, 0xF000F0}, {3, 0, 6, 0x00F0F0}, {3, 1, 6, 0x00D200}, {3, 2, 6, 0xD29C00},
        {3, 2, 15, 0xF0B400}, {3, 3, 5, 0x969696}, {3, 3, 13, 0x969696},
        {4, 0, 8, 0x555555}, {4, 0, 2, 0x000080}, {4, 0, 13, 0xFFFF00}, {4, 1, 14, 0x00E000},
        {4, 1, 15, 0x00FF00}, {4, 2, 7, 0x706500}, {4, 2, 15, 0xFFD000}, {4, 3, 9, 0x909090},
        {4, 3, 15, 0xFFFFFF},
    };
    for (const Cas& c : cas) {
        m->PlansGraph = uint8_t(c.plans);
        m->IndCoulGrph = c.schema;
        ChoisitCouleurs(*m);
        EXPECT_EQ(m->CoulGraph[size_t(c.code)], Rgb(c.rgb)) << c.plans << "/" << c.schema << "/" << c.code;
    }
    m->PlansGraph = 2;
    m->IndCoulGrph = 0;
    ChoisitCouleurs(*m);
    EXPECT_EQ(m->CoulGraph[5], m->CoulGraph[1]);
    EXPECT_NE(m->CoulGraph[6], m->CoulGraph[5]);
    const uint32_t textes[] = {0x00FF00, 0xFFD000, 0xD0D0D0};
    for (int i = 0; i < 3; ++i) {
        m->IndCoulTxt = i;
        ChoisitCouleurs(*m);
        EXPECT_EQ(m->CouleurTexte, Rgb(textes[i]));
        EXPECT_EQ(m->CouleurFond, Noir);
    }
}

TEST_F(Ecran, SettingsOutOfRangeAreHeldToTheNearestChoice) {
    m->IndCoulTxt = 9;
    m->IndCoulGrph = -4;
    m->PlansGraph = 0;
    ChoisitCouleurs(*m);
    EXPECT_EQ(m->CouleurTexte, Rgb(0xD0D0D0));
    EXPECT_EQ(m->CoulGraph[3], Rgb(0xF0F0F0)); // one plane, colours
    m->PlansGraph = 200;
    m->IndCoulGrph = 77;
    ChoisitCouleurs(*m);
    EXPECT_EQ(m->CoulGraph[15], Rgb(0xFFFFFF)); // four planes, grey
}

TEST_F(Ecran, FewerPlanesShowOnlyTheLowBitsOfACode) {
    Charge();
    m->PlansGraph = 1;
    ChoisitCouleurs(*m);
    m->GraphZorv[100 * 256 + 100] = 3;  // shows as entry 1
    m->GraphZorv[101 * 256 + 100] = 2;  // shows as entry 0: the colour black
    DessineEcran(*m);
    const int y = 32 + 2 * (255 - 100);
    EXPECT_EQ(Pixel(256 + 200, y), Rgb(0xF0F0F0));
    EXPECT_EQ(Pixel(256 + 202, y), Noir);
}

// Straight transcription of the pixel rule, one pixel at a time.
TRGB PixelAttendu(const TMachine& m, int x, int y) {
    const bool m128 = m.Mode128Col;
    const int w = m128 ? 8 : 12, gauche = m128 ? 0 : 32;
    const int nbCol = m128 ? 128 : 80;
    const int c = (x - gauche) / w;
    if (x >= gauche && c < nbCol) {
        const int l = (x - gauche) % w;
        const uint8_t b = m.RamTv[size_t(128 * (y / 24) + c)];
        unsigned g = m128 ? (*m.PtrFonte128)[b & 0x7F][size_t(y % 24)] : (*m.PtrFonte80)[b & 0x7F][size_t(y % 24)];
        if (b >= 0x80) g ^= 0x0FFF;
        if (g & ((m128 ? 0x80u : 0x800u) >> l)) return m.CouleurTexte;
    }
    if (x >= 256 && x <= 767 && y >= 32 && y <= 543) {
        const uint8_t v = m.GraphZorv[size_t((x - 256) / 2 * 256 + 255 - (y - 32) / 2)];
        if (v) return m.CoulGraph[v];
    }
    return m.CouleurFond;
}

TEST_F(Ecran, WholeRandomScreenMatchesThePixelRule) {
    std::mt19937 alea(1234);
    image.assign(4096, 0);
    for (auto& o : image) o = uint8_t(alea());
    Charge();
    for (auto& o : m->RamTv) o = uint8_t(alea());
    for (auto& o : m->GraphZorv) o = uint8_t(alea() % 16 * (alea() % 3 != 0));
    m->IndCoulTxt = 1;
    m->PlansGraph = 3;
    m->IndCoulGrph = 2;
    ChoisitCouleurs(*m);
    for (bool m128 : {false, true})
        for (int jeu : {0, 1}) {
            m->Mode128Col = m128;
            m->PtrFonte80 = jeu ? &m->Fonte80APL : &m->Fonte80;
            m->PtrFonte128 = jeu ? &m->Fonte128APL : &m->Fonte128;
            DessineEcran(*m);
            int fautes = 0;
            for (int y = 0; y < HauteurEcran; ++y)
                for (int x = 0; x < LargeurEcran; ++x)
                    if (!(Pixel(x, y) == PixelAttendu(*m, x, y)) && ++fautes < 5)
                        ADD_FAILURE() << "x=" << x << " y=" << y << " 128=" << m128 << " jeu=" << jeu;
            EXPECT_EQ(fautes, 0);
        }
}

} // namespace
