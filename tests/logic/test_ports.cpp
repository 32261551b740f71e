// The port map, through small programs run by the machine: instruction set
// and memory switch, display and graphics, clock, keyboard, printer.
#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "MachineEssai.h"

namespace {

constexpr uint8_t MVI_A = 0x3E, OUT = 0xD3, IN = 0xDB, HLT = 0x76, MOV_M_A = 0x77, INX_H = 0x23, LXI_H = 0x21;

struct Ports : TMachineEssai {
    // Runs the program at 0x2000 until HLT.
    void Lance(std::initializer_list<uint8_t> octets) {
        Code(0x2000, octets);
        m->RegPC = 0x2000;
        m->ChangeEtatCPU(CPURun);
        ASSERT_EQ(m->Execute(100000).Cause, TCauseArret::Halte);
    }
    // Moves the virtual clock on to `us` microseconds after `debut`.
    void AvanceJusqua(uint64_t debut, uint64_t us) {
        ASSERT_LE(hote.MaintenantUs, debut + us);
        hote.Avance(debut + us - hote.MaintenantUs);
    }
};

TEST_F(Ports, InstructionSetOnModelZeroFetchesFromBankOne) {
    Code(0x2000, {MVI_A, 0xD0, OUT, 0x7F, MVI_A, 0x11, HLT});
    Code(0x2004, {MVI_A, 0x55, HLT}, 1);
    m->RegPC = 0x2000;
    m->Execute(100);
    EXPECT_EQ(m->AdrBanque, 0x300);
    EXPECT_EQ(m->CodeJeuInst, 0xD0);
    EXPECT_EQ(m->RegA, 0x55);
    EXPECT_TRUE(hote.Erreurs.empty());
}

TEST_F(Ports, InstructionSetIgnoredOnOtherModels) {
    m->ChoisitModele(1);
    Code(0x2004, {MVI_A, 0x55, HLT}, 1);
    Lance({MVI_A, 0xD0, OUT, 0x7F, MVI_A, 0x11, HLT});
    EXPECT_EQ(m->AdrBanque, 0);
    EXPECT_EQ(m->CodeJeuInst, 0);
    EXPECT_EQ(m->RegA, 0x11);
}

TEST_F(Ports, BadInstructionSetKeptButTableUnchanged) {
    Lance({MVI_A, 0x80, OUT, 0x7F, MVI_A, 0x10, OUT, 0x7F, HLT});
    ASSERT_EQ(hote.Erreurs.size(), 1u);
    EXPECT_EQ(hote.Erreurs[0], "Mauvaise valeur de jeu d'instructions : 10H");
    EXPECT_EQ(m->AdrBanque, 0x100);
    EXPECT_EQ(m->CodeJeuInst, 0x10);
}

TEST_F(Ports, MemorySwitchMaskedAndOnlyOnSmallModels) {
    m->ChoisitModele(2);
    Lance({MVI_A, 0xFF, OUT, 0x8F, HLT});
    EXPECT_EQ(m->SelMem, 0x81);
    SetUp();
    m->ChoisitModele(3);
    Lance({MVI_A, 0x80, OUT, 0x8F, HLT});
    EXPECT_EQ(m->SelMem, 1);
}

TEST_F(Ports, DisplayControlTogglesFontSetAndAlwaysRepaints) {
    Lance({MVI_A, 0x81, OUT, 0x82, HLT});
    EXPECT_TRUE(m->Mode128Col);
    EXPECT_EQ(m->FonteSelect, 1);
    EXPECT_EQ(m->PtrFonte80, &m->Fonte80APL);
    EXPECT_EQ(m->PtrFonte128, &m->Fonte128APL);
    EXPECT_EQ(hote.NbRepeints, 1);
    Lance({MVI_A, 0x81, OUT, 0x82, MVI_A, 0x00, OUT, 0x82, HLT});
    EXPECT_EQ(hote.NbRepeints, 3);
    EXPECT_FALSE(m->Mode128Col);
    EXPECT_EQ(m->FonteSelect, 0);
    EXPECT_EQ(m->PtrFonte80, &m->Fonte80);
    EXPECT_EQ(m->PtrFonte128, &m->Fonte128);
}

TEST_F(Ports, GraphicsPointStoredAndRepaintDeferred) {
    const uint64_t t0 = hote.MaintenantUs;
    Lance({MVI_A, 0x10, OUT, 0x83, MVI_A, 0x20, OUT, 0xA3, MVI_A, 0x37, OUT, 0xC3, MVI_A, 0x99, IN, 0xC3, HLT});
    EXPECT_EQ(m->GraphZorv[0x1020], 0x07);
    EXPECT_EQ(m->RegA, 0x07);
    EXPECT_EQ(hote.NbRepeints, 0);
    ASSERT_TRUE(hote.TimerActif(tmEcran));
    // A second point 20 ms later does not push the repaint back.
    AvanceJusqua(t0, 20000);
    m->PortOut(0xC3, 0x05);
    AvanceJusqua(t0, 39000);
    EXPECT_EQ(hote.NbRepeints, 0);
    AvanceJusqua(t0, 41000);
    EXPECT_EQ(hote.NbRepeints, 1);
    EXPECT_EQ(m->GraphZorv[0x1020], 0x05);
}

TEST_F(Ports, GraphicsClearInThirtyTwoInterleavedPasses) {
    std::vector<uint8_t> apresPremiere;
    hote.SurRepeint = [&] {
        if (apresPremiere.empty()) apresPremiere.assign(m->GraphZorv.begin(), m->GraphZorv.end());
    };
    Lance({MVI_A, 0x0A, OUT, 0xC3, OUT, 0xE3, IN, 0xE3, HLT});
    EXPECT_EQ(m->RegA, 0x80);
    EXPECT_EQ(hote.NbRepeints, 33); // 32 passes, then the timer armed by OUT C3
    EXPECT_EQ(hote.DormiMs, 160u);
    for (size_t i = 0; i < m->GraphZorv.size(); ++i) ASSERT_EQ(m->GraphZorv[i], 0x0A) << i;
    ASSERT_EQ(apresPremiere.size(), 0x10000u);
    for (int x = 0; x < 256; ++x)
        EXPECT_EQ(apresPremiere[size_t(x * 256 + 77)], x % 32 == 0 ? 0x0A : 0x00) << x;
}

TEST_F(Ports, ClockDigitsOnSundayAfternoon) {
    hote.Origine = {2023, 3, 5, 0, 14, 7, 9, 250}; // Sunday 5 March 14:07:09.250
    // OUT 81, then 14 times IN A1 stored from 3000
    Code(0x2000, {OUT, 0x81, LXI_H, 0x00, 0x30});
    uint16_t a = 0x2005;
    for (int i = 0; i < 14; ++i) {
        Code(a, {IN, 0xA1, MOV_M_A, INX_H});
        a += 4;
    }
    Code(a, {HLT});
    m->RegPC = 0x2000;
    ASSERT_EQ(m->Execute(1000).Cause, TCauseArret::Halte);
    const std::string lus(reinterpret_cast<const char*>(&m->ZorvMem[0x3000]), 14);
    EXPECT_EQ(lus, "29070415003000"); // then the fixed value past the twelfth digit
    EXPECT_EQ(m->IndDateHeure, 12);
}

TEST_F(Ports, KeyboardPortsWithCaseInversion) {
    // IN E2 -> B, IN C2 -> C, for an empty queue and then for 'a' and '1'.
    const std::initializer_list<uint8_t> lit = {IN, 0xE2, 0x47, IN, 0xC2, 0x4F, HLT};
    Lance(lit);
    EXPECT_EQ(m->RegB, 0x00);
    EXPECT_EQ(m->RegC, 0x7F);
    m->AjouteTouche(0x0161);
    m->AjouteTouche(0x0331);
    m->TBKbdDown = true;
    Lance(lit);
    EXPECT_EQ(m->RegB, 0x81);
    EXPECT_EQ(m->RegC, 0x41);
    EXPECT_EQ(m->NbCarClav, 2); // reading does not remove
    Lance({OUT, 0xE2, IN, 0xE2, 0x47, IN, 0xC2, 0x4F, HLT});
    EXPECT_EQ(m->RegB, 0x83);
    EXPECT_EQ(m->RegC, 0x31); // not a letter: unchanged
    m->TBKbdDown = false;
    m->AjouteTouche(0x0361);
    Lance({OUT, 0xE2, IN, 0xC2, HLT});
    EXPECT_EQ(m->RegA, 0x61);
}

TEST_F(Ports, KeyboardHandshakeQueuesReadyEntryOneMillisecondLater) {
    m->ModClavParam = 1;
    m->InitMachine();
    for (int i = 0; i < 5; ++i) m->AjouteTouche(uint16_t(0x0341 + i));
    const uint64_t t0 = hote.MaintenantUs;
    Lance({MVI_A, 0x00, OUT, 0xC2, MVI_A, 0x80, OUT, 0xC2, HLT});
    EXPECT_EQ(m->NbCarClav, 0);
    EXPECT_EQ(m->ModeClavier, 0);
    // The acknowledge is the fourth instruction: 34 T-states at 3 MHz, so
    // the timer runs from 11 µs on, not from the start of the slice.
    AvanceJusqua(t0, 990);
    EXPECT_EQ(m->NbCarClav, 0);
    AvanceJusqua(t0, 1010);
    EXPECT_EQ(m->NbCarClav, 0);
    AvanceJusqua(t0, 1011);
    ASSERT_EQ(m->NbCarClav, 1);
    EXPECT_EQ(m->BufClav[0], 0x037F);
    // Further pulses inside the window count the mode up from outside the
    // boot ROM, and stop at the highest mode.
    Lance({MVI_A, 0x80, OUT, 0xC2, OUT, 0xC2, OUT, 0xC2, HLT});
    EXPECT_EQ(m->ModeClavier, 2);
    EXPECT_EQ(m->NbCarClav, 1);
    // Once the 50 ms window has closed, a pulse does nothing.
    m->ModeClavier = 0;
    hote.Avance(50000);
    Lance({MVI_A, 0x80, OUT, 0xC2, HLT});
    EXPECT_EQ(m->ModeClavier, 0);
}

TEST_F(Ports, KeyboardPulsesFromBootRomDoNotCount) {
    // The same pulses run from the boot ROM only leave the unknown mode.
    const uint8_t prog[] = {MVI_A, 0x00, OUT, 0xC2, MVI_A, 0x80, OUT, 0xC2, OUT, 0xC2, HLT};
    for (size_t i = 0; i < sizeof prog; ++i) m->RomBoot[0x100 + i] = prog[i];
    m->RegPC = 0x0100;
    ASSERT_EQ(m->Execute(100).Cause, TCauseArret::Halte);
    EXPECT_EQ(m->ModeClavier, 0);
}

TEST_F(Ports, PrinterPrintsOnRisingStrobeOnly) {
    Lance({MVI_A, 0x41, OUT, 0xAF, MVI_A, 0x02, OUT, 0xCF, // high after reset: no edge
           MVI_A, 0x00, OUT, 0xCF, MVI_A, 0x02, OUT, 0xCF, OUT, 0xCF, IN, 0xCF, HLT});
    EXPECT_EQ(poste->Imprimante.Octets, std::vector<uint8_t>{0x41});
    EXPECT_EQ(m->RegA, 0x0B);
}

TEST_F(Ports, SwitchesUnlistedPortsAndUnchangedAccumulator) {
    m->NumPoste = 0x5A;
    Lance({IN, 0x97, 0x47, MVI_A, 0x33, IN, 0x10, 0x4F, MVI_A, 0x66, IN, 0xA5, 0x57, MVI_A, 0x77, OUT, 0x10, IN, 0xA3, HLT});
    EXPECT_EQ(m->RegB, 0x5A);
    EXPECT_EQ(m->RegC, 0x00);
    EXPECT_EQ(m->RegD, 0x66);
    EXPECT_EQ(m->RegA, 0x00);
}

} // namespace
