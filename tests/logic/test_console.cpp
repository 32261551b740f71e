// The debugger console's command table on the virtual clock.
#include <gtest/gtest.h>

#include <csignal>

#include "MachineEssai.h"
#include "core/Texte.h"
#include "debugger/Assembleur.h"
#include "debugger/Console.h"
#include "debugger/Debogueur.h"

namespace {

struct Console : TMachineEssai {
    std::unique_ptr<TConsoleDebogueur> c;
    TResultatAsm Prepare(const std::string& corps) {
        TResultatAsm r = Assemble(" ORG 2000H\nDEBUT:\n" + corps);
        EXPECT_TRUE(r.Ok()) << r.TexteErreurs();
        ChargeEnRam(*m, r);
        m->RegPC = 0x2000;
        c = std::make_unique<TConsoleDebogueur>(*poste);
        return r;
    }
    std::vector<std::string> sortie;
    std::string Une(const std::string& ligne, bool attendu = true) {
        sortie.clear();
        EXPECT_EQ(c->Execute(ligne, sortie), attendu) << ligne;
        return sortie.empty() ? std::string() : sortie.back();
    }
};

TEST_F(Console, StartsStoppedAndRunsWithStopReports) {
    Prepare(" MVI A,3FH\n CALL SOUS\n NOP\n HLT\nSOUS: INR A\n RET\n");
    EXPECT_EQ(m->EtatCPU, CPUStop);
    EXPECT_EQ(Une("etat"), "STOP");
    EXPECT_EQ(Une("pas"), "arrêt : nombre d'instructions atteint à 2002H");
    EXPECT_EQ(Une("passe"), "arrêt : arrêt temporaire à 2005H");
    EXPECT_EQ(m->RegA, 0x40);
    EXPECT_EQ(Une("lance"), "arrêt : HLT à 2006H");
    EXPECT_EQ(Une("etat"), "HLT");
    EXPECT_EQ(Une("pas", false), "pas : impossible, le processeur est arrêté par HLT (raz le relance)");
    EXPECT_EQ(Une("raz"), "raz : processeur arrêté en 0000H");
    EXPECT_EQ(Une("etat"), "STOP");
}

TEST_F(Console, BreakpointsRunToAndBudgets) {
    Prepare("BOUCLE: INR B\n JMP BOUCLE\n");
    m->RegB = 0;
    EXPECT_EQ(Une("pa 2001"), "pa : point d'arrêt en 2001H");
    EXPECT_EQ(Une("pa 2001"), "pa : point d'arrêt déjà en 2001H");
    EXPECT_EQ(Une("pa 12345"), "pa : point d'arrêt en FFFFH");
    EXPECT_EQ(Une("lance"), "arrêt : point d'arrêt à 2001H");
    EXPECT_EQ(m->RegB, 1);
    EXPECT_EQ(Une("pa- 2001"), "pa- : point d'arrêt retiré de 2001H");
    EXPECT_EQ(Une("pa- 2001"), "pa- : pas de point d'arrêt en 2001H");
    EXPECT_EQ(Une("lance 10"), "arrêt : nombre d'instructions atteint à 2001H");
    EXPECT_EQ(m->EtatCPU, CPUStop);
    EXPECT_EQ(Une("jusqua 2000"), "arrêt : arrêt temporaire à 2000H");
    EXPECT_EQ(m->TblPtArret[0x2000], 0);
    EXPECT_EQ(Une("pas 3"), "arrêt : nombre d'instructions atteint à 2001H");
}

TEST_F(Console, RegistersAndListing) {
    Prepare(" CALL 2000H\n");
    m->RegPSW = 0x41;
    const std::string reg = Une("reg");
    EXPECT_NE(reg.find("PSW=41 SP="), std::string::npos);
    EXPECT_EQ(reg.substr(reg.size() - 29), "PC=2000 S=0 Z=1 AC=0 P=0 CY=1");
    EXPECT_NE(Une("reg a=3FH").find("A=3F "), std::string::npos);
    EXPECT_EQ(m->RegA, 0x3F);
    EXPECT_EQ(Une("reg A=100", false), "reg : valeur trop grande pour A : 100");
    Une("reg SP=FFFF");
    EXPECT_EQ(m->RegSP, 0xFFFF);
    Une("pa 2000");
    Une("dasm 2000 2003");
    ASSERT_EQ(sortie.size(), 2u);
    EXPECT_EQ(sortie[0], "\u25A0 \u25BA           2000  CD 00 20  CALL 2000H");
    EXPECT_EQ(sortie[1], "              2003  00        NOP");
    Une("reg PC=2003");
    Une("dasm");
    EXPECT_EQ(sortie.size(), 512u);
    EXPECT_EQ(sortie[0].rfind("  \u25BA           2003", 0), 0u);
}

TEST_F(Console, UnknownAndMalformedCommandsAreNamed) {
    Prepare(" NOP\n");
    EXPECT_EQ(Une("zut 1", false), "commande inconnue « zut » (aide donne la liste)");
    EXPECT_EQ(Une("pas x", false), "pas : paramètres incorrects (pas [N])");
    EXPECT_EQ(Une("jusqua", false), "jusqua : paramètres incorrects (jusqua ADR)");
    EXPECT_EQ(Une("reg Q=1", false), "reg : paramètres incorrects (reg [R=VALEUR])");
    EXPECT_EQ(Une("dasm 2010 2000", false), "dasm : paramètres incorrects (dasm [DEBUT [FIN]])");
    EXPECT_EQ(Une("  # a comment"), "");
    Une("aide");
    EXPECT_EQ(sortie.size(), TConsoleDebogueur::Table().size());
    EXPECT_EQ(sortie[0].rfind("reg", 0), 0u);
    EXPECT_EQ(m->NbInstructions, 0u);
}

TEST_F(Console, RefusedInputIsQuotedWholeWithControlBytesVisible) {
    Prepare(" NOP\n");
    EXPECT_EQ(Une(std::string("zu\0t 1", 6), false), "commande inconnue « zu\\x00t » (aide donne la liste)");
    EXPECT_EQ(Une("z\x01\x1B[2J\x7F", false), "commande inconnue « z\\x01\\x1B[2J\\x7F » (aide donne la liste)");
    // The tokens quoted by the other commands' refusals too.
    EXPECT_EQ(Une(std::string("var 2000 oc\0tet", 15), false),
              "var : type inconnu « oc\\x00tet » (octet, car, ptr, 32, 64 ou flottant)");
    EXPECT_EQ(Une("conv 1\x1F" "5", false), "conv : valeur flottante illisible : 1\\x1F5");
    // What the line has of its own beyond ASCII is kept.
    EXPECT_EQ(Une("été", false), "commande inconnue « été » (aide donne la liste)");
}

// The flag is raised as the CLI's SIGINT handler raises it: by a plain store,
// here from the virtual host's repaint, while the loop runs.
TEST_F(Console, InterruptionStopsRunsAndStepsThenTheConsoleGoesOn) {
    Prepare("BOUCLE: INR A\n STA 1000H\n JMP BOUCLE\n");
    volatile std::sig_atomic_t demande = 0;
    c->SuitInterruption(&demande);
    int repeints = 0;
    hote.SurRepeint = [&] {
        if (++repeints == 3) demande = 1;
    };
    const std::string rapport = Une("lance 5000000");
    EXPECT_EQ(rapport, Format("arrêt : interruption à %.4XH", unsigned(m->RegPC)));
    EXPECT_LE(repeints, 4); // stopped within one period of the screen timer
    EXPECT_EQ(demande, 0);
    EXPECT_EQ(Une("etat"), "STOP");
    const uint16_t pc = m->RegPC;
    hote.SurRepeint = nullptr;
    EXPECT_EQ(Une("lance 3"), Format("arrêt : nombre d'instructions atteint à %.4XH", unsigned(pc)));

    // A request already there stops the next stepping before its first step.
    const uint64_t avant = m->NbInstructions;
    demande = 1;
    EXPECT_EQ(Une("pas 1000"), Format("arrêt : interruption à %.4XH", unsigned(pc)));
    EXPECT_EQ(m->NbInstructions, avant);
    EXPECT_EQ(demande, 0);
    EXPECT_EQ(Une("pas 3"), Format("arrêt : nombre d'instructions atteint à %.4XH", unsigned(pc)));
    demande = 1;
    EXPECT_EQ(Une("lance 5000000"), Format("arrêt : interruption à %.4XH", unsigned(pc)));
    EXPECT_EQ(m->NbInstructions, avant + 3);
}

} // namespace
