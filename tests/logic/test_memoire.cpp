#include <gtest/gtest.h>

#include "MachineEssai.h"

namespace {

struct Memoire : TMachineEssai {
    void SetUp() override {
        TMachineEssai::SetUp();
        m->RomBoot[0] = 0xC3;
    }
};

TEST_F(Memoire, BootRomReadAndRefusedWrite) {
    m->RegPC = 0x0123;
    EXPECT_EQ(m->ReadMem(0x0000, 0), 0xC3);
    EXPECT_EQ(m->ReadMem(0x0000, 1), 0xC3);
    m->WriteMem(0x0000, 0, 0x55);
    EXPECT_EQ(m->RomBoot[0], 0xC3);
    ASSERT_EQ(hote.Erreurs.size(), 1u);
    EXPECT_EQ(hote.Erreurs[0], "Ecriture en ROM boot PC=0123, Adresse=0000, Donn\u00e9e=55");
    EXPECT_EQ(m->ZorvMem[0], 0);
}

TEST_F(Memoire, SecondRomReadsZeroAndRefusesWrites) {
    m->SelMem = 0;
    m->ZorvMem[0x0010] = 0x77;
    m->ZorvMem[0x10010] = 0x78;
    EXPECT_EQ(m->ReadMem(0x0010, 0), 0);
    EXPECT_EQ(m->ReadMem(0x0FFF, 1), 0);
    m->RegPC = 0xABCD;
    m->WriteMem(0x0FFF, 1, 0x9A);
    ASSERT_EQ(hote.Erreurs.size(), 1u);
    EXPECT_EQ(hote.Erreurs[0], "Ecriture en ROM 9512 PC=ABCD, Adresse=0FFF, Donn\u00e9e=9A");
}

TEST_F(Memoire, RamSwitchSeparatesBanksButNotReadBank) {
    m->SelMem = 0x81;
    m->WriteMem(0x0123, 1, 0x11);
    m->WriteMem(0x0123, 0, 0x22);
    EXPECT_EQ(m->ReadMem(0x0123, 1), 0x11);
    EXPECT_EQ(m->ReadMem(0x0123, 0), 0x22);
    m->SelMem = 1;
    EXPECT_EQ(m->ReadBank(0x0123, 1), 0x11);
    EXPECT_EQ(m->ReadBank(0x0123, 0), 0x22);
    EXPECT_EQ(m->ReadMem(0x1123, 0), 0x20); // video RAM overlays both banks
    EXPECT_TRUE(hote.Erreurs.empty());
}

TEST_F(Memoire, SmallestModelRamLimitInBothBanks) {
    m->ChoisitModele(16);
    EXPECT_EQ(m->MaxAdrRam, 0x2FFF);
    for (uint8_t b : {0, 1}) {
        m->WriteMem(0x2FFF, b, 0x42);
        m->WriteMem(0x3000, b, 0x42);
        EXPECT_EQ(m->ReadMem(0x2FFF, b), 0x42);
        EXPECT_EQ(m->ReadMem(0x3000, b), 0xFF);
        EXPECT_EQ(m->ReadBank(0x3000, b), 0);
    }
    m->WriteBank(0xF000, 1, 0x5A);
    EXPECT_EQ(m->ReadBank(0xF000, 1), 0x5A);
    EXPECT_EQ(m->ReadMem(0xF000, 1), 0xFF);
}

TEST_F(Memoire, ModelLimits) {
    EXPECT_EQ(TMachine::MaxAdrRamModele(0), 0xFFFF);
    EXPECT_EQ(TMachine::MaxAdrRamModele(1), 0xFFFF);
    EXPECT_EQ(TMachine::MaxAdrRamModele(3), 0xFFFF);
    EXPECT_EQ(TMachine::MaxAdrRamModele(4), 0xEFFF);  // 52 K from 0x2000
    EXPECT_EQ(TMachine::MaxAdrRamModele(5), 0xDFFF);
    EXPECT_EQ(TMachine::MaxAdrRamModele(16), 0x2FFF); // 4 K
}

TEST_F(Memoire, VideoWritesRepaintAtOnceThenThrottled) {
    m->WriteMem(0x1000, 0, 'A');
    EXPECT_EQ(m->RamTv[0], 'A');
    EXPECT_EQ(hote.NbRepeints, 1);
    hote.Avance(10'000);
    m->WriteMem(0x1001, 0, 'B');
    EXPECT_EQ(hote.NbRepeints, 1);
    hote.Avance(29'999);
    EXPECT_EQ(hote.NbRepeints, 1);
    hote.Avance(1);
    EXPECT_EQ(hote.NbRepeints, 2); // trailing repaint when the 40 ms timer fires
    m->WriteMem(0x1002, 0, 'C');
    EXPECT_EQ(hote.NbRepeints, 3);
}

} // namespace
