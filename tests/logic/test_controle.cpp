// Run control: breakpoints, the interrupt, HLT, reset and initialisation.
#include <gtest/gtest.h>

#include <initializer_list>

#include "MachineEssai.h"

namespace {

struct Controle : TMachineEssai {
    void SetUp() override {
        TMachineEssai::SetUp();
        m->RegSP = 0x8000;
    }
};

TEST_F(Controle, BreakpointSkippedOnceAtTheStart) {
    // 2000: INR A ; JMP 2000
    Code(0x2000, {0x3C, 0xC3, 0x00, 0x20});
    m->RegPC = 0x2000;
    m->RegA = 0;
    m->TblPtArret[0x2000] = 1;
    m->CommenceCourse();
    const TRapportArret r = m->Execute(1000);
    EXPECT_EQ(r.Cause, TCauseArret::PointArret);
    EXPECT_EQ(r.Adresse, 0x2000);
    EXPECT_EQ(r.Instructions, 2u);
    EXPECT_EQ(m->EtatCPU, CPUStop);
    EXPECT_EQ(m->RegPC, 0x2000);
    EXPECT_EQ(m->RegA, 1); // ran once, stopped on the second visit
    EXPECT_EQ(m->NbInstructions, 2u);
}

TEST_F(Controle, TemporaryStopHonouredAtOnce) {
    Code(0x2000, {0x3C, 0xC3, 0x00, 0x20});
    m->RegPC = 0x2000;
    m->TblPtArret[0x2000] = 3; // a breakpoint there too: the temporary stop wins at the start
    const uint8_t a = m->RegA;
    m->CommenceCourse();
    EXPECT_EQ(m->Execute(1000).Cause, TCauseArret::ArretTemporaire);
    EXPECT_EQ(m->RegA, a);
    EXPECT_EQ(m->NbInstructions, 0u);
}

TEST_F(Controle, BudgetStopsWithoutChangingState) {
    Code(0x2000, {0x3C, 0xC3, 0x00, 0x20});
    m->RegPC = 0x2000;
    m->RegA = 0;
    EXPECT_EQ(m->Execute(9).Cause, TCauseArret::Budget);
    EXPECT_EQ(m->EtatCPU, CPURun);
    EXPECT_EQ(m->RegA, 5);
    EXPECT_EQ(m->RegPC, 0x2001);
}

TEST_F(Controle, InterruptWaitsForEiAndIsTakenOnce) {
    // 2000: NOP ; NOP ; EI ; NOP ; JMP 2003   handler 002C in RAM
    m->SelMem = 0x81;
    Code(0x2000, {0x00, 0x00, 0xFB, 0x00, 0xC3, 0x03, 0x20});
    Code(0x002C, {0x76}); // HLT in the handler
    m->RegPC = 0x2000;
    m->TBIntClick();
    m->TBIntClick();
    EXPECT_EQ(m->Execute(2).Cause, TCauseArret::Budget);
    EXPECT_EQ(m->RegPC, 0x2002); // still pending: interrupts disabled
    EXPECT_TRUE(m->DemandeInt);
    EXPECT_EQ(m->Execute(1).Cause, TCauseArret::Budget); // the EI itself
    EXPECT_EQ(m->RegPC, 0x002C);
    EXPECT_EQ(m->RegSP, 0x7FFE);
    EXPECT_EQ(m->ZorvMem[0x7FFF], 0x20);
    EXPECT_EQ(m->ZorvMem[0x7FFE], 0x03);
    EXPECT_FALSE(m->DemandeInt);
    EXPECT_FALSE(m->BasculeInt);
    EXPECT_EQ(m->Execute(10).Cause, TCauseArret::Halte);
    EXPECT_EQ(m->RegPC, 0x002C);
    EXPECT_EQ(m->RegSP, 0x7FFE); // one interrupt only
}

TEST_F(Controle, InterruptStackAlwaysInBank0) {
    m->SelMem = 0x81;
    m->Rom128K.fill(0x00); // every data cycle in bank 1
    Code(0x2000, {0xFB, 0x00});
    m->RegPC = 0x2000;
    m->TBIntClick();
    m->Execute(1);
    EXPECT_EQ(m->RegPC, 0x002C);
    EXPECT_EQ(m->ZorvMem[0x07FFF], 0x20);
    EXPECT_EQ(m->ZorvMem[0x07FFE], 0x01);
    EXPECT_EQ(m->ZorvMem[0x17FFE], 0x00);
}

TEST_F(Controle, HaltThenIntChangesNothingThenResetRestarts) {
    Code(0x2000, {0x76});
    m->RegPC = 0x2000;
    EXPECT_EQ(m->BoucleEmulation().Cause, TCauseArret::Halte);
    EXPECT_EQ(m->EtatCPU, CPUHalt);
    EXPECT_EQ(m->RegPC, 0x2000);
    EXPECT_FALSE(m->CaptureClav);
    m->TBIntClick();
    EXPECT_EQ(m->RegPC, 0x2000);
    EXPECT_TRUE(hote.NumerosPostes().empty());
    m->TBRazClick();
    EXPECT_EQ(m->RegPC, 0);
    ASSERT_EQ(hote.NumerosPostes().size(), 1u);
    EXPECT_EQ(hote.NumerosPostes()[0], MsgLanceEmulation);
}

TEST_F(Controle, HaltWithPendingEnabledInterrupt) {
    m->SelMem = 0x81;
    Code(0x2000, {0xFB, 0x76, 0x00});
    m->RegPC = 0x2000;
    m->BasculeInt = false;
    EXPECT_EQ(m->Execute(1).Cause, TCauseArret::Budget);
    m->TBIntClick();
    EXPECT_EQ(m->Execute(5).Cause, TCauseArret::Halte);
    EXPECT_EQ(m->RegPC, 0x002C);
    // The handler returns past the HLT.
    EXPECT_EQ(m->ZorvMem[0x7FFE], 0x02);
    EXPECT_EQ(m->ZorvMem[0x7FFF], 0x20);
}

TEST_F(Controle, ResetWhileRunningKeepsRamAndStack) {
    m->ZorvMem[0x3000] = 0x99;
    m->RamTv[5] = 'Z';
    m->RegSP = 0x1234;
    m->RegA = 0x55;
    m->SelMem = 0x81;
    m->CodeJeuInst = 0xD0;
    m->AdrBanque = 0x300;
    m->GraphZorv[77] = 3;
    m->Mode128Col = true;
    m->FonteSelect = 1;
    m->PtrFonte80 = &m->Fonte80APL;
    m->AjouteTouche(0x0361);
    m->ModClavParam = 1;
    m->TBKbdDown = true;
    m->BasculeInt = m->DemandeInt = true;
    m->MaskINT = 5;
    m->StatusCtrl = 0x81;
    m->EtatCtrlWin = ewParams;
    m->IndDataWinch = 8;
    m->TosNos[3] = 1;
    m->IndTos9512 = 9;
    m->StrobeImpr = 0;
    m->CarImpr = 'A';
    m->IndDateHeure = 7;
    m->RegPC = 0x4567;
    m->TBRazClick();
    EXPECT_EQ(m->RegPC, 0);
    EXPECT_EQ(m->MemPC, 0);
    EXPECT_EQ(m->RegSP, 0x1234);
    EXPECT_EQ(m->RegA, 0x55);
    EXPECT_EQ(m->ZorvMem[0x3000], 0x99);
    EXPECT_EQ(m->RamTv[5], 'Z');
    EXPECT_EQ(m->SelMem, 1);
    EXPECT_EQ(m->CodeJeuInst, 0);
    EXPECT_EQ(m->AdrBanque, 0);
    EXPECT_EQ(m->GraphZorv[77], 0);
    EXPECT_FALSE(m->Mode128Col);
    EXPECT_EQ(m->FonteSelect, 0);
    EXPECT_EQ(m->PtrFonte80, &m->Fonte80);
    EXPECT_EQ(m->NbCarClav, 0);
    EXPECT_EQ(m->BufClav[0], 0);
    EXPECT_EQ(m->ModeClavier, 1);
    EXPECT_FALSE(m->TBKbdDown);
    EXPECT_FALSE(m->BasculeInt);
    EXPECT_FALSE(m->DemandeInt);
    EXPECT_EQ(m->MaskINT, 0);
    EXPECT_EQ(m->StatusCtrl, 0x80);
    EXPECT_EQ(m->EtatCtrlWin, ewSelect);
    EXPECT_EQ(m->IndDataWinch, 0);
    EXPECT_EQ(m->TosNos[3], 0);
    EXPECT_EQ(m->IndTos9512, 15);
    EXPECT_EQ(m->Status9512, 0x40);
    EXPECT_EQ(m->StrobeImpr, 2);
    EXPECT_EQ(m->CarImpr, 0);
    EXPECT_EQ(m->IndDateHeure, 7); // the clock index survives a reset
    EXPECT_TRUE(hote.NumerosPostes().empty()); // the loop is running: no new start
    EXPECT_EQ(m->ReadMem(0x0000, 0), m->RomBoot[0]);
}

TEST_F(Controle, InitialisationDrawsRegistersInOrderFromTheSeed) {
    auto autre = std::make_unique<TMachine>();
    std::mt19937 g(0x5A0E7u);
    uint8_t attendus[8];
    for (auto& v : attendus) v = uint8_t(g() & 0xFF);
    const uint16_t sp = uint16_t(g() & 0xFFFF);
    autre->InitMachine();
    EXPECT_EQ(autre->RegA, attendus[0]);
    EXPECT_EQ(autre->RegPSW, attendus[1]);
    EXPECT_EQ(autre->RegB, attendus[2]);
    EXPECT_EQ(autre->RegL, attendus[7]);
    EXPECT_EQ(autre->RegSP, sp);
    EXPECT_EQ(autre->RamTv[0], 0x20);
    EXPECT_EQ(autre->Rom128K[0x5FF], 0xFF);
    EXPECT_EQ(autre->SelMem, 1);
    EXPECT_EQ(autre->EtatCPU, CPURun);
    EXPECT_EQ(autre->StrobeImpr, 2);
    EXPECT_EQ(autre->Status9512, 0x40);
}

TEST_F(Controle, LoopNeverReentered) {
    Code(0x2000, {0x76});
    m->RegPC = 0x2000;
    m->BoucleActive = true;
    EXPECT_EQ(m->BoucleEmulation().Cause, TCauseArret::DejaEnCours);
    EXPECT_EQ(m->RegPC, 0x2000);
    EXPECT_EQ(m->EtatCPU, CPURun);
}

TEST_F(Controle, TimersFireBetweenInstructionsOnTheVirtualClock) {
    // 2000: JMP 2000, 1 µs per instruction; the 1 ms keyboard timer queues
    // 0x037F after a thousand instructions, not before.
    Code(0x2000, {0xC3, 0x00, 0x20});
    m->RegPC = 0x2000;
    hote.NsParInstruction = 1000;
    hote.DemarreTimer(tmClavier1, 1);
    m->Execute(999);
    EXPECT_EQ(m->NbCarClav, 0);
    m->Execute(1);
    ASSERT_EQ(m->NbCarClav, 1);
    EXPECT_EQ(m->BufClav[0], 0x037F);
    EXPECT_FALSE(hote.TimerActif(tmClavier1));
}

} // namespace
