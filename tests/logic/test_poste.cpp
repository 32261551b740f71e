// The workstation record, the stop report of a run, posted messages and the
// core entries the debugger builds on.
#include <gtest/gtest.h>

#include <set>

#include "MachineEssai.h"
#include "core/Processeur.h"
#include "debugger/JeuInstructions.h"

namespace {

struct Poste : TMachineEssai {
    void SetUp() override {
        TMachineEssai::SetUp();
        m->RegSP = 0x8000;
        m->SelMem = 0x81; // RAM everywhere
    }
};

TEST_F(Poste, WiresItsPiecesOnce) {
    EXPECT_EQ(m->Hote, &poste->HoteVirtuel);
    EXPECT_EQ(m->Lecteurs, &poste->Lecteurs);
    EXPECT_EQ(m->Imprimante, &poste->Imprimante);
    EXPECT_EQ(hote.Distributeur, &poste->Distributeur);
    EXPECT_TRUE(poste->Distributeur.EstAbonne(FenPrincipale));
}

// A run made of several budgets stops at a breakpoint that lies exactly where
// one budget ended: the skip belongs to the start of the run only.
TEST_F(Poste, BreakpointAtABudgetBoundaryStops) {
    Code(0x2000, {0x3C, 0x3C, 0xC3, 0x00, 0x20}); // INR A ; INR A ; JMP 2000
    m->RegPC = 0x2000;
    m->RegA = 0;
    m->TblPtArret[0x2001] = 1;
    m->CommenceCourse();
    EXPECT_EQ(m->Execute(1).Cause, TCauseArret::Budget);
    ASSERT_EQ(m->RegPC, 0x2001);
    const TRapportArret r = m->Execute(100);
    EXPECT_EQ(r.Cause, TCauseArret::PointArret);
    EXPECT_EQ(r.Adresse, 0x2001);
    EXPECT_EQ(r.Instructions, 0u);
    EXPECT_EQ(m->RegA, 1);
    // Running again from the breakpoint goes on past it once.
    m->ChangeEtatCPU(CPURun);
    m->CommenceCourse();
    EXPECT_EQ(m->Execute(100).Adresse, 0x2001);
    EXPECT_EQ(m->RegA, 3);
}

TEST_F(Poste, TheReportTellsEachCauseAndWhere) {
    Code(0x2000, {0x00, 0x00, 0x00, 0x76}); // NOP NOP NOP HLT
    m->RegPC = 0x2000;
    m->CommenceCourse();
    TRapportArret r = m->Execute(2);
    EXPECT_EQ(r.Cause, TCauseArret::Budget);
    EXPECT_EQ(r.Adresse, 0x2002);
    m->TblPtArret[0x2002] = 2;
    r = m->Execute(10);
    EXPECT_EQ(r.Cause, TCauseArret::ArretTemporaire);
    EXPECT_EQ(r.Adresse, 0x2002);
    m->TblPtArret[0x2002] = 0;
    m->ChangeEtatCPU(CPURun);
    r = m->Execute(10);
    EXPECT_EQ(r.Cause, TCauseArret::Halte);
    EXPECT_EQ(r.Adresse, 0x2003);
    EXPECT_EQ(r.Instructions, 2u);

    // HLT with an enabled interrupt pending: the report still names the HLT.
    Code(0x3000, {0xFB, 0x76}); // EI ; HLT
    Code(0x002C, {0x00});
    m->ChangeEtatCPU(CPURun);
    m->RegPC = 0x3000;
    m->Execute(1);
    m->TBIntClick();
    r = m->Execute(10);
    EXPECT_EQ(r.Cause, TCauseArret::Halte);
    EXPECT_EQ(r.Adresse, 0x3001);
    EXPECT_EQ(m->RegPC, 0x002C);

    m->ChangeEtatCPU(CPURun);
    m->RegPC = 0x2000;
    m->FinEmul = true;
    EXPECT_EQ(m->Execute(10).Cause, TCauseArret::FinEmul);
}

// The debugger's pause comes from a handler between two instructions: the
// report says pause, not breakpoint.
TEST_F(Poste, PauseFromAHandlerIsReportedAsSuch) {
    Code(0x2000, {0xC3, 0x00, 0x20}); // JMP 2000
    m->RegPC = 0x2000;
    const TIdFenetre cpu = poste->Distributeur.Abonne([this](const TMessage&) { m->ChangeEtatCPU(CPUStop); });
    hote.PosteMessage(TMessage{0x402, cpu});
    m->CommenceCourse();
    const TRapportArret r = m->Execute(1'000'000);
    EXPECT_EQ(r.Cause, TCauseArret::Pause);
    EXPECT_EQ(r.Adresse, 0x2000);
    EXPECT_GT(r.Instructions, 0u);
    EXPECT_LT(r.Instructions, 1'000'000u);
}

// Posted messages carry their window and parameters and are handled at the
// next pump, never inside the call that posts them.
TEST_F(Poste, PostedMessagesWaitForThePumpWithTheirParameters) {
    std::vector<TMessage> recus;
    TIdFenetre donnees = 0;
    const TIdFenetre cpu = poste->Distributeur.Abonne([&](const TMessage& msg) {
        recus.push_back(msg);
        // The refresh fan-out: posted from the handler, so handled at the
        // following pump.
        if (msg.Numero == 0x404) hote.PosteMessage(TMessage{0x405, donnees, 0x1234, 1});
    });
    donnees = poste->Distributeur.Abonne([&](const TMessage& msg) { recus.push_back(msg); });
    EXPECT_NE(cpu, FenPrincipale);
    EXPECT_NE(donnees, cpu);

    hote.PosteMessage(TMessage{0x404, cpu, 7, -1});
    hote.PosteMessage(TMessage{0x40B, 999}); // a closed window: dropped
    EXPECT_TRUE(recus.empty());
    hote.Pompe();
    ASSERT_EQ(recus.size(), 1u);
    EXPECT_EQ(recus[0], (TMessage{0x404, cpu, 7, -1}));
    EXPECT_EQ(hote.MessagesEnAttente(), 1u);
    hote.Pompe();
    ASSERT_EQ(recus.size(), 2u);
    EXPECT_EQ(recus[1], (TMessage{0x405, donnees, 0x1234, 1}));

    poste->Distributeur.Desabonne(donnees);
    hote.PosteMessage(TMessage{0x405, donnees});
    hote.Avance(1000);
    EXPECT_EQ(recus.size(), 2u);
}

// A run message that comes while the loop runs is kept and honoured when the
// loop returns; the loop is never entered twice.
TEST_F(Poste, RunMessageDuringTheLoopIsHonouredAfterIt) {
    // 2000: INR A ; JMP 2000, breakpoint at 2000 reached on the second turn.
    Code(0x2000, {0x3C, 0xC3, 0x00, 0x20});
    m->RegPC = 0x2000;
    m->RegA = 0;
    m->TblPtArret[0x2000] = 1;
    int entrees = 0;
    struct TObs : IObservateurCPU {
        int* Entrees;
        void EtatDuCPU(TEtatCPU e) override { *Entrees += e == CPURun; }
    } obs;
    obs.Entrees = &entrees;
    poste->AjouteObservateur(&obs);
    hote.PosteMessage(MsgLanceEmulation); // delivered at the first pump, loop running
    hote.NsParInstruction = 0;            // slices of 4096: the first pump comes after a stop
    const TIdFenetre declencheur = poste->Distributeur.Abonne([&](const TMessage&) { hote.PosteMessage(MsgLanceEmulation); });
    hote.PosteMessage(TMessage{0x410, declencheur});
    poste->Distributeur.Delivre(TMessage{MsgLanceEmulation});
    EXPECT_FALSE(m->BoucleActive);
    // Two messages came while a loop ran (one posted before, one by a handler
    // during the second run): three runs, one INR each, every one stopping at
    // the breakpoint again.
    EXPECT_EQ(entrees, 3);
    EXPECT_EQ(m->EtatCPU, CPUStop);
    EXPECT_EQ(m->RegA, 3);
    poste->RetireObservateur(&obs);
}

TEST_F(Poste, PowerOnRegistersFollowTheSeed) {
    auto registres = [](uint32_t graine) {
        TPosteVirtuel p(graine);
        p.Machine().InitMachine();
        const TMachine& x = p.Machine();
        return std::vector<int>{x.RegA, x.RegPSW, x.RegB, x.RegC, x.RegD, x.RegE, x.RegH, x.RegL, x.RegSP};
    };
    EXPECT_EQ(registres(42), registres(42));
    EXPECT_NE(registres(42), registres(43));
    EXPECT_NE(registres(GraineAleatoire()), registres(GraineAleatoire()));
}

TEST_F(Poste, SingleStepCountsAndIgnoresBreakpointsAndTheInterrupt) {
    Code(0x2000, {0xFB, 0x00, 0x00}); // EI ; NOP ; NOP
    m->RegPC = 0x2000;
    m->TblPtArret[0x2000] = 3;
    m->TblPtArret[0x2001] = 1;
    m->ChangeEtatCPU(CPUStop);
    m->TBIntClick();
    m->ExecuteUnPas();
    m->ExecuteUnPas();
    EXPECT_EQ(m->RegPC, 0x2002);
    EXPECT_EQ(m->NbInstructions, 2u);
    EXPECT_TRUE(m->DemandeInt);
    EXPECT_EQ(m->EtatCPU, CPUStop);
}

// What RegPC moves by, opcode by opcode, against the table; the listing's
// lengths differ only where the undocumented opcodes skip more than one byte.
TEST_F(Poste, ExecutionLengthsArePinnedAgainstTheInterpreter) {
    const std::set<int> sauts{0xC3, 0xCD, 0xC9, 0xE9, 0x76, 0xC7, 0xCF, 0xD7, 0xDF, 0xE7, 0xEF, 0xF7, 0xFF};
    for (int op = 0; op < 256; ++op) {
        if (sauts.count(op)) continue;
        bool avance = false;
        for (uint8_t psw : {uint8_t(0x00), uint8_t(0xFF)}) {
            Code(0x4000, {uint8_t(op), 0x00, 0x50});
            m->RegPC = 0x4000;
            m->RegSP = 0x8000;
            m->RegPSW = psw;
            m->RegH = 0x60;
            m->ChangeEtatCPU(CPURun);
            m->ExecuteUnPas();
            avance = avance || m->RegPC == 0x4000 + LgExecution[size_t(op)];
        }
        EXPECT_TRUE(avance) << std::hex << op;
    }
    std::set<int> differents;
    for (int op = 0; op < 256; ++op) {
        if (!TableInstr[size_t(op)].Documente) {
            EXPECT_EQ(LgInstr[size_t(op)], 1) << std::hex << op;
        }
        if (LgInstr[size_t(op)] != LgExecution[size_t(op)]) differents.insert(op);
    }
    EXPECT_EQ(differents, (std::set<int>{0x28, 0x38, 0xDD, 0xFD}));
}

} // namespace
