// The character generator and bank PROM images built into the program
// folder: line-drawing characters that join across cells on the rendered
// screen, and the instruction-set tables seen from running programs.
#include <gtest/gtest.h>

#include <fstream>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <vector>

#include "config/ChargeRoms.h"
#include "MachineEssai.h"
#include "core/Machine.h"
#include "devices/Ecran.h"

namespace {

const std::string Programme = ZORV_PROGRAMME;

std::vector<uint8_t> LitFichier(const std::string& nom) {
    std::ifstream in(nom, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

struct GenCar : ::testing::Test {
    std::unique_ptr<TMachine> m = std::make_unique<TMachine>();
    std::vector<uint8_t> image = LitFichier(Programme + "/G-CAR-T9.bin");

    void SetUp() override {
        ASSERT_EQ(image.size(), 2048u);
        ConstruitFontes(*m, image.data(), image.size());
        m->IndCoulTxt = 0;
        ChoisitCouleurs(*m);
        m->RamTv.fill(0x20);
    }
    void Ecrit(int r, int c, std::initializer_list<uint8_t> codes) {
        for (uint8_t o : codes) m->RamTv[size_t(128 * r + c++)] = o;
    }
    bool Allume(int x, int y) const {
        const uint8_t* p = m->BmpEcran.data() + (size_t(y) * LargeurEcran + size_t(x)) * 3;
        return TRGB{p[0], p[1], p[2]} == m->CouleurTexte;
    }
    // A grid of 5 × 4 cells at row 0, column 0:
    //   ┌─┬─┐
    //   │ │ │
    //   ├─┼─┤
    //   └─┴─┘
    void DessineGrille() {
        Ecrit(0, 0, {0x00, 0x09, 0x05, 0x09, 0x01});
        Ecrit(1, 0, {0x08, 0x20, 0x08, 0x20, 0x08});
        Ecrit(2, 0, {0x04, 0x09, 0x0F, 0x09, 0x06});
        Ecrit(3, 0, {0x03, 0x09, 0x07, 0x09, 0x02});
        DessineEcran(*m);
    }
    // Checks on the picture that the grid's lines are unbroken from corner
    // to corner and stop at the corners. w: cell width, g: left margin.
    void VerifieGrille(int w, int g) {
        // The vertical stroke of ┌: the lit pixel of its bottom line.
        int xv = -1;
        for (int x = g; x < g + w && xv < 0; ++x)
            if (Allume(x, 23)) xv = x;
        ASSERT_GE(xv, 0);
        // The horizontal stroke of ┌: the lit pixel of its right column.
        int yh = -1;
        for (int y = 0; y < 24 && yh < 0; ++y)
            if (Allume(g + w - 1, y)) yh = y;
        ASSERT_GE(yh, 0);
        const int rangees[3] = {0, 2, 3}; // rows holding a horizontal line
        for (int k = 0; k <= 2; ++k) {
            for (int x = xv; x <= xv + 4 * w; ++x) {
                EXPECT_TRUE(Allume(x, yh + 24 * rangees[k])) << "horizontale " << k << " x=" << x;
            }
            for (int y = yh; y <= yh + 72; ++y) {
                EXPECT_TRUE(Allume(xv + 2 * w * k, y)) << "verticale " << k << " y=" << y;
            }
        }
        EXPECT_EQ(yh % 2, 0); // a dot row is two pixel lines: both lit
        EXPECT_TRUE(Allume(xv, yh + 1));
        EXPECT_FALSE(Allume(xv - 1, yh)); // nothing beyond the corners
        EXPECT_FALSE(Allume(xv, yh - 1));
        EXPECT_FALSE(Allume(xv + 4 * w + 1, yh));
        EXPECT_FALSE(Allume(xv + 4 * w, yh + 72 + 2));
        EXPECT_FALSE(Allume(xv + w, yh + 24)); // the spaces of row 1
    }
};

TEST_F(GenCar, LineCharactersJoinAcrossCellsIn80Columns) {
    DessineGrille();
    VerifieGrille(12, 32);
}

TEST_F(GenCar, LineCharactersJoinAcrossCellsIn128Columns) {
    m->Mode128Col = true;
    DessineGrille();
    VerifieGrille(8, 0);
}

TEST_F(GenCar, LettersStayInsideTheirEightDots) {
    int lignesA = 0;
    for (int k = 0; k < 24; ++k) {
        const uint16_t a = m->Fonte80[0x41][k];
        EXPECT_EQ(a & 0xC03, 0) << k; // no edge extension for letters
        lignesA += a != 0;
        EXPECT_EQ(m->Fonte80[0x20][k], 0);
        for (int c = 0x0A; c <= 0x0E; ++c) EXPECT_EQ(m->Fonte80[c][k], 0) << c;
    }
    EXPECT_GE(lignesA, 12);
}

TEST_F(GenCar, MachineCharactersHaveTheirOwnShapes) {
    // é, è, ê: the letter e with different marks on top; ç: a tail below.
    auto lignes = [&](int c, int de, int a) {
        std::vector<uint16_t> v;
        for (int k = de; k < a; ++k) v.push_back(m->Fonte80[c][k]);
        return v;
    };
    EXPECT_EQ(lignes(0x18, 8, 20), lignes('e', 8, 20));
    EXPECT_NE(lignes(0x18, 0, 8), lignes('e', 0, 8));
    EXPECT_NE(lignes(0x18, 0, 8), lignes(0x11, 0, 8));
    EXPECT_NE(lignes(0x18, 0, 8), lignes(0x15, 0, 8));
    EXPECT_NE(lignes(0x1A, 20, 24), lignes('c', 20, 24));
    // ↑ in place of ^: a vertical stroke over most of the height.
    int traits = 0;
    for (int k = 0; k < 24; ++k) traits += m->Fonte80[0x5E][k] != 0;
    EXPECT_GE(traits, 14);
    // ░: dots spread over the whole cell.
    int lignesOmbre = 0;
    for (int k = 0; k < 24; ++k) lignesOmbre += m->Fonte80[0x7F][k] != 0;
    EXPECT_GE(lignesOmbre, 12);
}

// Bank PROM: small programs at 2000H in bank 0 switch the instruction set.
struct PromBanques : TMachineEssai {
    void SetUp() override {
        TMachineEssai::SetUp();
        ASSERT_EQ(m->Machine, 0);
        ASSERT_EQ(ChargeRom128K(*m, Programme + "/T318-C.bin"), "");
    }
    void Lance(std::initializer_list<uint8_t> code) {
        Code(0x2000, code);
        m->RegPC = 0x2000;
        m->ChangeEtatCPU(CPURun);
        ASSERT_EQ(m->Execute(10000).Cause, TCauseArret::Halte);
        EXPECT_TRUE(hote.Erreurs.empty());
    }
};

TEST(ImagePromBanques, BothHalvesHoldTheSameTables) {
    const std::vector<uint8_t> p = LitFichier(Programme + "/T318-C.bin");
    ASSERT_EQ(p.size(), 4096u);
    EXPECT_TRUE(std::equal(p.begin(), p.begin() + 2048, p.begin() + 2048));
    for (int op = 0; op < 256; ++op) EXPECT_EQ(p[op], 0xFF) << op; // table 0: bank 0 throughout
    EXPECT_EQ(p[0x100 + 0x32], 0xF7);                              // STA: data cycle 4 in bank 1
}

TEST_F(PromBanques, Code80SendsDataToBankOneButNotOperandsOrStack) {
    Lance({
        0x3E, 0x80, 0xD3, 0x7F, // MVI A,80H ; OUT 7FH
        0x21, 0x00, 0x30,       // LXI H,3000H
        0x36, 0x11,             // MVI M,11H
        0x34,                   // INR M
        0x3E, 0x22, 0x32, 0x01, 0x30, // MVI A,22H ; STA 3001H
        0x11, 0x02, 0x30, 0x3E, 0x33, 0x12, // LXI D,3002H ; MVI A,33H ; STAX D
        0x22, 0x04, 0x30,       // SHLD 3004H
        0x31, 0x00, 0x40, 0xE5, // LXI SP,4000H ; PUSH H
        0x3A, 0x01, 0x30, 0x47, // LDA 3001H ; MOV B,A
        0x3E, 0x00, 0xD3, 0x7F, // MVI A,0 ; OUT 7FH
        0x3A, 0x01, 0x30,       // LDA 3001H (bank 0 again)
        0x76});
    EXPECT_EQ(m->ReadBank(0x3000, 1), 0x12);
    EXPECT_EQ(m->ReadBank(0x3001, 1), 0x22);
    EXPECT_EQ(m->ReadBank(0x3002, 1), 0x33);
    EXPECT_EQ(m->ReadBank(0x3004, 1), 0x00);
    EXPECT_EQ(m->ReadBank(0x3005, 1), 0x30);
    for (uint16_t a = 0x3000; a < 0x3006; ++a) EXPECT_EQ(m->ReadBank(a, 0), 0) << a;
    EXPECT_EQ(m->ReadBank(0x3FFF, 0), 0x30); // the stack stays in bank 0
    EXPECT_EQ(m->ReadBank(0x3FFE, 0), 0x00);
    EXPECT_EQ(m->ReadBank(0x3FFF, 1), 0);
    EXPECT_EQ(m->RegB, 0x22);
    EXPECT_EQ(m->RegA, 0x00);
}

TEST_F(PromBanques, Codes40And20CopyBetweenBanks) {
    m->WriteBank(0x3000, 1, 0xA1);
    m->WriteBank(0x3000, 0, 0xB0);
    Lance({
        0x3E, 0x40, 0xD3, 0x7F, // MVI A,40H ; OUT 7FH: read bank 1, write bank 0
        0x21, 0x00, 0x30, 0x7E, // LXI H,3000H ; MOV A,M
        0x32, 0x00, 0x31,       // STA 3100H
        0x3E, 0x20, 0xD3, 0x7F, // MVI A,20H ; OUT 7FH: read bank 0, write bank 1
        0x3A, 0x00, 0x30,       // LDA 3000H
        0x21, 0x00, 0x32, 0x77, // LXI H,3200H ; MOV M,A
        0x3E, 0x00, 0xD3, 0x7F, 0x76});
    EXPECT_EQ(m->ReadBank(0x3100, 0), 0xA1);
    EXPECT_EQ(m->ReadBank(0x3100, 1), 0);
    EXPECT_EQ(m->ReadBank(0x3200, 1), 0xB0);
    EXPECT_EQ(m->ReadBank(0x3200, 0), 0);
}

TEST_F(PromBanques, CodeD0RunsEverythingInBankOne) {
    // Bank 1 from 2004H: LXI SP,5000H ; MVI A,44H ; STA 3000H ; PUSH PSW ; HLT
    Code(0x2004, {0x31, 0x00, 0x50, 0x3E, 0x44, 0x32, 0x00, 0x30, 0xF5, 0x76}, 1);
    Lance({0x3E, 0xD0, 0xD3, 0x7F}); // MVI A,D0H ; OUT 7FH, in bank 0
    EXPECT_EQ(m->RegPC, 0x200D);
    EXPECT_EQ(m->ReadBank(0x3000, 1), 0x44);
    EXPECT_EQ(m->ReadBank(0x4FFF, 1), 0x44);
    EXPECT_EQ(m->ReadBank(0x3000, 0), 0);
}

} // namespace
