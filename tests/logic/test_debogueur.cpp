// The debugger's logic on the virtual clock, driven with small assembled
// programs: register entries, stepping, step over, run to, breakpoints, the
// listing and the notifications to the other debugger windows.
#include <gtest/gtest.h>

#include <algorithm>

#include "MachineEssai.h"
#include "debugger/Assembleur.h"
#include "debugger/Debogueur.h"
#include "debugger/MessagesDebogueur.h"
#include "debugger/PointsArret.h"
#include "debugger/SaisieRegistre.h"

namespace {

struct Debogueur : TMachineEssai {
    TDebogueur& d = poste->Debogueur();
    // Assembles at 2000H, loads bank 0, stops the processor at DEBUT.
    TResultatAsm Programme(const std::string& corps) {
        TResultatAsm r = Assemble(" ORG 2000H\nDEBUT:\n" + corps);
        EXPECT_TRUE(r.Ok()) << r.TexteErreurs();
        ChargeEnRam(*m, r);
        m->RegPC = r.Adresse("DEBUT");
        m->ChangeEtatCPU(CPUStop);
        m->SignaleEtatDuCPU(CPUStop);
        return r;
    }
    bool AvecPC(int ligne) const { return d.Lignes()[size_t(ligne)].Texte.find("\u25BA") != std::string::npos; }
    std::vector<TMessage> Postes(uint32_t numero) const {
        std::vector<TMessage> v;
        for (const TMessage& msg : hote.Messages)
            if (msg.Numero == numero) v.push_back(msg);
        return v;
    }
};

TEST(SaisieRegistre, DisplayConversionAndKeyFilter) {
    EXPECT_EQ(TexteRegistre(0x3F, 1, false), "3FH");
    EXPECT_EQ(TexteRegistre(0x3F, 1, true), "63");
    EXPECT_EQ(TexteRegistre(0xC000, 2, false), "C000H");
    EXPECT_EQ(ValeurRegistre("3FH1", false), 0x3Fu); // reading stops at H
    EXPECT_EQ(ValeurRegistre("", false), 0u);
    EXPECT_EQ(ValeurRegistre("255x", true), 255u);
    EXPECT_EQ(ValeurRegistre("FFFFFFFFFFFF", false), 0xFFFFFFFFu);
    // "3FH" then 1 typed at the end: accepted, still 3FH.
    EXPECT_TRUE(SaisieValide("3FH", 3, 0, '1', 1, false));
    // Select all, type 1, 0, 0: the third key would give 100H.
    EXPECT_TRUE(SaisieValide("3FH", 0, 3, '1', 1, false));
    EXPECT_TRUE(SaisieValide("1", 1, 0, '0', 1, false));
    EXPECT_FALSE(SaisieValide("10", 2, 0, '0', 1, false));
    EXPECT_TRUE(SaisieValide("FFF", 3, 0, 'F', 2, false));
    EXPECT_FALSE(SaisieValide("FFFF", 4, 0, '0', 2, false));
    EXPECT_FALSE(SaisieValide("25", 2, 0, '6', 1, true));
    EXPECT_EQ(FiltreToucheRegistre('a', false), 'A');
    EXPECT_EQ(FiltreToucheRegistre('a', true), 0);
    EXPECT_EQ(FiltreToucheRegistre('G', false), 0);
    EXPECT_EQ(FiltreToucheRegistre('\b', true), '\b');
}

TEST(PointsArret, AddRemoveToggleAndTemporaryStops) {
    TTblPtArret t{};
    EXPECT_TRUE(AjoutePtArret(t, 0x12345)); // counts as FFFF
    EXPECT_TRUE(EstPtArret(t, 0xFFFF));
    EXPECT_FALSE(AjoutePtArret(t, 0xFFFF)); // twice changes nothing
    EXPECT_FALSE(BasculePtArret(t, 0xFFFF));
    EXPECT_TRUE(BasculePtArret(t, 0x2000));
    PoseArretTemporaire(t, 0x2000);
    PoseArretTemporaire(t, 0x3000);
    EffaceArretsTemporaires(t);
    EXPECT_EQ(t[0x2000], PtArretPermanent);
    EXPECT_EQ(t[0x3000], 0);
    EXPECT_EQ(ListePtArret(t), std::vector<uint16_t>{0x2000});
    EXPECT_TRUE(RetirePtArret(t, 0x2000));
    EXPECT_FALSE(RetirePtArret(t, 0x2000));
}

TEST_F(Debogueur, RegistersInHexAndDecimalAndWritesOnlyWhenAllowed) {
    Programme(" NOP\n");
    m->RegA = 0x3F;
    EXPECT_EQ(d.TexteRegistre(rgA), "3FH");
    d.ChoisitDecimal(true);
    EXPECT_EQ(d.TexteRegistre(rgA), "63");
    EXPECT_EQ(m->RegA, 0x3F);
    d.ChoisitDecimal(false);
    d.ChangeTexteRegistre(rgA, "3FH1");
    EXPECT_EQ(m->RegA, 0x3F);
    d.ChangeTexteRegistre(rgSP, "12345"); // low 16 bits
    EXPECT_EQ(m->RegSP, 0x2345);
    d.CanChange = false; // the window writing its own controls
    d.ChangeTexteRegistre(rgB, "77");
    d.ChangeDrapeau(drZ, true);
    d.CanChange = true;
    EXPECT_NE(m->RegB, 0x77);
    m->RegPSW = 0x00;
    d.ChangeDrapeau(drCY, true);
    d.ChangeDrapeau(drS, true);
    d.ChangeDrapeau(drCY, false);
    EXPECT_EQ(m->RegPSW, 0x80);
}

TEST_F(Debogueur, EditingPCRelistsWithoutTouchingTheChosenRange) {
    Programme(" NOP\n NOP\n NOP\n NOP\n NOP\n");
    d.ListeDasm(0x3000, 0x3010);
    d.ChangeTexteRegistre(rgPC, "2004");
    EXPECT_EQ(m->RegPC, 0x2004);
    ASSERT_FALSE(d.Lignes().empty());
    EXPECT_EQ(d.Lignes()[0].Adresse, 0x2004);
    EXPECT_EQ(d.IndLigCour, 0);
    EXPECT_TRUE(AvecPC(0));
    EXPECT_EQ(d.DebDasm, 0x3000);
    EXPECT_EQ(d.FinDasm, 0x3010);
    EXPECT_EQ(d.TexteAdresses(), "3000 3010");
    EXPECT_EQ(d.Lignes().back().Adresse, 0x2203); // PC + 511
}

TEST_F(Debogueur, EditingSPOrPCRefreshesTheStackAndCodeWindows) {
    // The stack view starts at SP and the code windows mark PC: an edited
    // register shows there at once, as in the CPU window.
    Programme(" NOP\n NOP\n");
    std::vector<TMessage> recus;
    const TIdFenetre code = poste->Distributeur.Abonne([&](const TMessage& msg) { recus.push_back(msg); });
    const TIdFenetre pile = poste->Distributeur.Abonne([&](const TMessage& msg) { recus.push_back(msg); });
    d.FenCode = {code};
    d.FenPile = pile;
    hote.Pompe();
    recus.clear();
    d.ChangeTexteRegistre(rgSP, "7FF0");
    hote.Pompe();
    EXPECT_EQ(recus, (std::vector<TMessage>{{MsgMajPile, pile, 0, 0}}));
    recus.clear();
    d.ChangeTexteRegistre(rgPC, "2001");
    hote.Pompe();
    EXPECT_EQ(recus, (std::vector<TMessage>{{MsgMajCode, code, 0, 0}}));
    recus.clear();
    d.ChangeTexteRegistre(rgA, "12");
    hote.Pompe();
    EXPECT_TRUE(recus.empty());
    d.CanChange = false; // the window writing its own entries
    d.ChangeTexteRegistre(rgSP, "8000");
    hote.Pompe();
    EXPECT_TRUE(recus.empty());
}

TEST_F(Debogueur, StepOverCallAtFFFDStopsAtZero) {
    Code(0xFFFD, {0xCD, 0x00, 0x30}); // CALL 3000H
    Code(0x3000, {0x76});             // HLT
    m->RegPC = 0xFFFD;
    m->ChangeEtatCPU(CPUStop);
    EXPECT_EQ(d.PasseAuDessus(), TRefus::Aucun);
    EXPECT_EQ(m->TblPtArret[0x0000], PtArretTemporaire);
    EXPECT_EQ(d.AdrPtRet, 0x0000);
    EXPECT_EQ(hote.NumerosPostes().back(), MsgLanceEmulation);
    EXPECT_EQ(m->NbInstructions, 0u); // nothing runs before the message is handled
    hote.Pompe();
    EXPECT_EQ(m->EtatCPU, CPUHalt);
    EXPECT_EQ(m->RegPC, 0x3000);
    // The stop elsewhere took the leftover temporary stop with it.
    EXPECT_EQ(m->TblPtArret[0x0000], 0);
}

TEST_F(Debogueur, StepOverRstSingleStepsIntoTheRoutine) {
    Programme(" RST 1\n");
    const size_t postes = hote.Messages.size();
    EXPECT_EQ(d.PasseAuDessus(), TRefus::Aucun);
    EXPECT_EQ(m->RegPC, 0x0008);
    EXPECT_EQ(m->NbInstructions, 1u);
    EXPECT_EQ(m->TblPtArret[0x2001], 0);
    for (size_t i = postes; i < hote.Messages.size(); ++i) EXPECT_NE(hote.Messages[i].Numero, MsgLanceEmulation);
}

TEST_F(Debogueur, HoldingStepOnHltStopsSteppingAndReleaseStopsTheTimer) {
    Programme(" NOP\n NOP\n HLT\n");
    d.AppuiPas();
    hote.Avance(499'000);
    EXPECT_EQ(m->RegPC, 0x2000);
    hote.Avance(1'000); // 500 ms: the first repeat
    EXPECT_EQ(m->RegPC, 0x2001);
    EXPECT_EQ(d.IntervallePas(), 50u);
    hote.Avance(50'000);
    EXPECT_EQ(m->RegPC, 0x2002);
    hote.Avance(50'000); // the HLT
    EXPECT_EQ(m->EtatCPU, CPUHalt);
    const uint64_t n = m->NbInstructions;
    hote.Avance(300'000);
    EXPECT_EQ(m->NbInstructions, n);
    EXPECT_TRUE(hote.TimerActif(tmPas));
    d.RelachePas();
    EXPECT_FALSE(hote.TimerActif(tmPas));
    EXPECT_EQ(d.IntervallePas(), 500u);
    EXPECT_EQ(d.Pas(), TRefus::PasArrete); // the click of the release
    EXPECT_EQ(m->NbInstructions, n);
}

TEST_F(Debogueur, ARangeWithoutPCIsListedAgainFromPCAfterAStep) {
    Programme(" NOP\n NOP\n");
    d.ListeDasm(0x3000, 0x3008);
    EXPECT_EQ(d.IndLigCour, -1);
    const std::vector<TLigneListing> avant = d.Lignes();
    EXPECT_EQ(d.Pas(), TRefus::Aucun);
    EXPECT_EQ(d.DebDasm, 0x2001);
    EXPECT_EQ(d.Lignes()[0].Adresse, 0x2001);
    EXPECT_EQ(d.IndLigCour, 0);
    EXPECT_TRUE(AvecPC(0));
    EXPECT_NE(d.Lignes()[0].Texte, avant[0].Texte);
}

TEST_F(Debogueur, StepMovesTheMarkerWithinTheListing) {
    Programme(" NOP\n MVI A,1\n NOP\n");
    EXPECT_TRUE(AvecPC(0));
    const uint32_t generation = d.Generation();
    d.Pas();
    EXPECT_EQ(d.Generation(), generation); // no relisting: the marker moved
    EXPECT_FALSE(AvecPC(0));
    EXPECT_TRUE(AvecPC(1));
    EXPECT_EQ(d.IndLigCour, 1);
    EXPECT_EQ(d.LigneChoisie(), 1);
}

TEST_F(Debogueur, PCInsideAListedInstructionListsAgainFromPC) {
    Programme(" JMP 2002H\n");
    ASSERT_GE(d.Lignes().size(), 2u);
    EXPECT_EQ(d.Lignes()[1].Adresse, 0x2003);
    d.Pas();
    EXPECT_EQ(m->RegPC, 0x2002);
    EXPECT_EQ(d.Lignes()[0].Adresse, 0x2002);
    EXPECT_EQ(d.IndLigCour, 0);
}

TEST_F(Debogueur, InstructionSetD0ListsBankOneInPaleGreen) {
    Programme(" MVI A,0D0H\n OUT 7FH\n NOP\n");
    Code(0x2004, {0x76}, 1); // bank 1 holds a HLT where bank 0 has a NOP
    EXPECT_EQ(d.CouleurListing(), CouleurBanque0);
    d.Pas();
    const uint32_t generation = d.Generation();
    d.Pas(); // OUT 7FH: CodeJeuInst := D0
    EXPECT_EQ(m->CodeJeuInst, 0xD0);
    EXPECT_NE(d.Generation(), generation); // listed again though 2004 was on screen
    EXPECT_EQ(d.Lignes()[0].Adresse, 0x2004);
    EXPECT_NE(d.Lignes()[0].Texte.find("HLT"), std::string::npos);
    EXPECT_EQ(d.MemCodeJeu, 0xD0);
    EXPECT_EQ(d.CouleurListing(), CouleurBanque1);
}

struct TTemoinEtat : IObservateurCPU {
    TDebogueur* D = nullptr;
    std::vector<std::string> Panneaux;
    void EtatDuCPU(TEtatCPU) override { Panneaux.push_back(D->PanneauEtat().Texte); }
};

TEST_F(Debogueur, HaltedStateLeavesOnlyResetWhichRunsAgain) {
    Programme(" HLT\n");
    EXPECT_EQ(d.Lance(), TRefus::Aucun);
    hote.Pompe();
    EXPECT_EQ(m->EtatCPU, CPUHalt);
    EXPECT_EQ(d.PanneauEtat().Texte, "HLT");
    EXPECT_EQ(d.PanneauEtat().Fond, (TCouleurRGB{0xFF, 0, 0}));
    EXPECT_EQ(d.PanneauEtat().Encre, (TCouleurRGB{0xFF, 0xFF, 0xFF}));
    TEtatControles seulRaz;
    seulRaz.Pause = false;
    EXPECT_EQ(d.Controles(), seulRaz);
    EXPECT_EQ(d.Pas(), TRefus::PasArrete);
    EXPECT_EQ(d.Lance(), TRefus::PasArrete);
    EXPECT_EQ(d.PasseAuDessus(), TRefus::PasArrete);
    EXPECT_EQ(d.JusquA(0x2000), TRefus::PasArrete);
    TTemoinEtat temoin;
    temoin.D = &d;
    poste->AjouteObservateur(&temoin);
    m->RomBoot[0] = 0x76; // the reset starts at 0000H, in the boot ROM
    d.Raz();
    hote.Pompe();
    poste->RetireObservateur(&temoin);
    ASSERT_FALSE(temoin.Panneaux.empty());
    EXPECT_EQ(temoin.Panneaux.front(), "RUN");
    EXPECT_EQ(m->RegPC, 0x0000);
    EXPECT_EQ(m->EtatCPU, CPUHalt);
}

TEST_F(Debogueur, RunSkipsABreakpointAtPCOnceAndStopsOnItsReturn) {
    Programme(" INR B\n JMP DEBUT\n");
    m->RegB = 0;
    d.BasculePtArretLigne(0);
    EXPECT_EQ(d.Lignes()[0].Texte.rfind("\u25A0 \u25BA ", 0), 0u);
    d.Lance();
    hote.Pompe();
    EXPECT_EQ(m->EtatCPU, CPUStop);
    EXPECT_EQ(m->RegPC, 0x2000);
    EXPECT_EQ(m->RegB, 1);
    EXPECT_EQ(d.PanneauEtat().Texte, "STOP");
    EXPECT_TRUE(d.Controles().Step);
    EXPECT_FALSE(d.Controles().Pause);
    EXPECT_TRUE(AvecPC(0));
}

TEST_F(Debogueur, BreakpointInsideASteppedOverRoutineStopsThereAndLeavesNoStopBehind) {
    TResultatAsm r = Programme(" CALL SOUS\nRETOUR: HLT\nSOUS: NOP\nFINS: RET\n");
    AjoutePtArret(m->TblPtArret, r.Adresse("FINS"));
    d.PasseAuDessus();
    EXPECT_EQ(m->TblPtArret[r.Adresse("RETOUR")], PtArretTemporaire);
    hote.Pompe();
    EXPECT_EQ(m->EtatCPU, CPUStop);
    EXPECT_EQ(m->RegPC, r.Adresse("FINS"));
    EXPECT_EQ(m->TblPtArret[r.Adresse("RETOUR")], 0);
    // Running on, the return point no longer stops: the HLT runs.
    d.Lance();
    hote.Pompe();
    EXPECT_EQ(m->EtatCPU, CPUHalt);
    EXPECT_EQ(m->RegPC, r.Adresse("RETOUR"));
}

TEST_F(Debogueur, RunToTheSelectedLineAndToPCItself) {
    Programme(" NOP\n NOP\n NOP\n HLT\n");
    d.ChoisitLigne(2);
    EXPECT_EQ(d.JusquALigne(), TRefus::Aucun);
    hote.Pompe();
    EXPECT_EQ(m->RegPC, 0x2002);
    EXPECT_EQ(m->EtatCPU, CPUStop);
    EXPECT_EQ(m->TblPtArret[0x2002], 0);
    const uint64_t n = m->NbInstructions;
    d.JusquA(m->RegPC); // a temporary stop at PC stops at once
    hote.Pompe();
    EXPECT_EQ(m->NbInstructions, n);
    EXPECT_EQ(m->EtatCPU, CPUStop);
}

TEST_F(Debogueur, PauseStopsTheRunningLoop) {
    Programme(" INR B\n JMP DEBUT\n");
    hote.NsParInstruction = 1000;
    bool fait = false;
    // A handler run between two instructions, from the loop's pump.
    const TIdFenetre f = poste->Distributeur.Abonne([&](const TMessage&) { fait = d.Pause() == TRefus::Aucun; });
    d.Lance();
    hote.PosteMessage(TMessage{0x499, f});
    hote.Pompe();
    EXPECT_TRUE(fait);
    EXPECT_EQ(m->EtatCPU, CPUStop);
    EXPECT_FALSE(m->BoucleActive);
    EXPECT_EQ(d.PanneauEtat().Texte, "STOP");
    EXPECT_EQ(d.Pause(), TRefus::PasEnCourse);
}

TEST_F(Debogueur, AStepFromInsideABoxRaisedByAnInstructionIsRefused) {
    Programme(" MVI A,10H\n STA 0234H\n NOP\n");
    d.Pas();
    std::vector<TRefus> refus;
    hote.SurMessage = [&](const std::string&) {
        refus.push_back(d.Pas());
        refus.push_back(d.Lance());
    };
    EXPECT_EQ(d.Pas(), TRefus::Aucun); // the ROM write raises its box
    ASSERT_EQ(refus.size(), 2u);
    EXPECT_EQ(refus[0], TRefus::DansInstruction);
    EXPECT_EQ(refus[1], TRefus::DansInstruction);
    EXPECT_EQ(m->RegPC, 0x2005);
}

TEST_F(Debogueur, HintsAndLabelsUseTheSymbolList) {
    Programme(" NOP\n NOP\n");
    d.Symboles.push_back({"ROUTINE_TRES_LONGUE", 0x2000});
    d.ReDasmDebug();
    EXPECT_NE(d.Lignes()[0].Texte.find("ROUTINE\u2026  2000"), std::string::npos);
    EXPECT_EQ(d.BulleLigne(0).rfind("ROUTINE_TRES_LONGUE  2000  00", 0), 0u);
    EXPECT_EQ(d.BulleLigne(1).rfind("          2001", 0), 0u);
    EXPECT_EQ(d.BulleLigne(int(d.Lignes().size())), "");
    EXPECT_TRUE(d.SurvolLigne(1));
    EXPECT_FALSE(d.SurvolLigne(1));
    EXPECT_TRUE(d.SurvolLigne(-1));
}

TEST_F(Debogueur, NotificationsReachTheSubscribedWindowsAndClosedOnesLeave) {
    Programme(" NOP\n");
    std::vector<TMessage> recus;
    auto temoin = [&](const TMessage& msg) { recus.push_back(msg); };
    const TIdFenetre a = poste->Distributeur.Abonne(temoin), b = poste->Distributeur.Abonne(temoin),
                     c = poste->Distributeur.Abonne(temoin), pile = poste->Distributeur.Abonne(temoin);
    d.FenData = {a, b};
    d.FenCode = {c};
    d.FenPile = pile;
    hote.Pompe();
    recus.clear();
    m->SignaleEtatDuCPU(CPUStop);
    hote.Pompe();
    const std::vector<TMessage> attendus = {{MsgActiveFenetre, a, 1, 0}, {MsgActiveFenetre, b, 1, 0},
                                            {MsgActiveFenetre, c, 1, 0}, {MsgMajDonnees, a, 0, 0},
                                            {MsgMajDonnees, b, 0, 0},    {MsgMajCode, c, 0, 0},
                                            {MsgMajPile, pile, 0, 0}};
    EXPECT_EQ(recus, attendus);
    recus.clear();
    d.DebutEdit(a);
    hote.PosteMessage(TMessage{MsgFermeDonnees, d.FenCPU(), 0, int64_t(a)});
    hote.PosteMessage(TMessage{MsgBanques, d.FenCPU(), 1, 0});
    hote.Pompe(); // the forwarded bank message waits for the next pump
    hote.Pompe();
    EXPECT_EQ(d.FenData, std::vector<TIdFenetre>{b});
    const std::vector<TMessage> ensuite = {{MsgMajCode, b, 0, 0}, {MsgBanques, c, 1, 0}, {MsgBanques, b, 1, 0}};
    EXPECT_EQ(recus, ensuite);
    recus.clear();
    d.Pas();
    hote.Pompe();
    EXPECT_EQ(recus.size(), 3u); // refresh of b, c and the stack window after a step
}

TEST_F(Debogueur, DisplayRequestsArePostedOnceToTheWindow) {
    Programme(" NOP\n NOP\n");
    int affichages = 0;
    d.SurAffichage = [&] { ++affichages; };
    d.Pas();
    d.ChoisitDecimal(true);
    EXPECT_EQ(affichages, 0); // posted, not called
    hote.Pompe();
    EXPECT_EQ(affichages, 1);
    EXPECT_TRUE(d.PrendRegistresAAfficher());
    EXPECT_FALSE(d.PrendRegistresAAfficher());
    d.SurAffichage = nullptr;
}

} // namespace
