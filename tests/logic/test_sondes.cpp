// Conditions of breakpoints and watchpoints, through the console's commands
// and the probe the interpreter calls.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "MachineEssai.h"
#include "core/Texte.h"
#include "debugger/Assembleur.h"
#include "debugger/Inspection.h"
#include "debugger/Console.h"
#include "debugger/Debogueur.h"
#include "debugger/ExpressionAsm.h"
#include "debugger/GestionSymboles.h"

namespace {

struct Sondes : TMachineEssai {
    std::unique_ptr<TConsoleDebogueur> c;
    TResultatAsm r;
    void Prepare(const std::string& corps) {
        r = Assemble(" ORG 2000H\nDEBUT:\n" + corps);
        ASSERT_TRUE(r.Ok()) << r.TexteErreurs();
        ChargeEnRam(*m, r);
        m->RegPC = 0x2000;
        c = std::make_unique<TConsoleDebogueur>(*poste);
    }
    TDebogueur& D() { return poste->Debogueur(); }
    std::vector<std::string> sortie;
    std::string Une(const std::string& ligne, bool attendu = true) {
        sortie.clear();
        EXPECT_EQ(c->Execute(ligne, sortie), attendu) << ligne;
        return sortie.empty() ? std::string() : sortie.back();
    }
};

int32_t Evalue(const std::string& t, uint8_t octet = 0) {
    TContexteExpr ctx;
    ctx.Comparaisons = true;
    ctx.Octet = [octet](uint16_t a) { return a == 0x2000 ? octet : 0; };
    ctx.Symbole = [](const std::string& n) -> std::optional<int32_t> {
        if (n == "A") return 3;
        return std::nullopt;
    };
    return EvalueExpression(t, ctx).Valeur;
}

TEST(Conditions, ComparisonsMemoryAndLogic) {
    EXPECT_EQ(Evalue("A = 3"), -1);
    EXPECT_EQ(Evalue("A <> 3"), 0);
    EXPECT_EQ(Evalue("A + 1 >= 4 AND A < 4"), -1);
    EXPECT_EQ(Evalue("A > 3 OR A <= 2"), 0);
    EXPECT_EQ(Evalue("NOT A = 3"), 0); // NOT binds looser than the comparison
    EXPECT_EQ(Evalue("[2000H] = 12H", 0x12), -1);
    EXPECT_EQ(Evalue("[1000H + 1000H] + 1", 0x12), 0x13);
    EXPECT_THROW(Evalue("A = 3 = 3"), TErreurSource);
    EXPECT_THROW(Evalue("[2000H"), TErreurSource);
    EXPECT_THROW(Evalue("A =="), TErreurSource);
    // The assembler itself knows neither.
    EXPECT_THROW(EvalueExpression("1 = 1", {}), TErreurSource);
    EXPECT_THROW(EvalueExpression("[1]", {}), TErreurSource);
}

TEST_F(Sondes, AConditionStopsOnTheThirdPassOfALoop) {
    Prepare(" MVI B,0\nBOUCLE: INR B\n NOP\n JMP BOUCLE\n");
    EXPECT_EQ(Une("sym boucle 2002"), "sym : BOUCLE 2002H");
    EXPECT_EQ(Une("pa boucle+1 si B = 3", false), "pa : paramètres incorrects (pa [ADR [si COND]])");
    EXPECT_EQ(Une("pa 2003 si B = 3 AND PC = BOUCLE + 1"), "pa : point d'arrêt en 2003H si B = 3 AND PC = BOUCLE + 1");
    EXPECT_EQ(Une("lance 1000"), "arrêt : point d'arrêt à 2003H");
    EXPECT_EQ(m->RegB, 3);
    EXPECT_EQ(Une("pa"), "2003H si B = 3 AND PC = BOUCLE + 1");
    // Replaced: the flag Z of the INR that wraps.
    EXPECT_EQ(Une("pa 2003 si Z"), "pa : point d'arrêt en 2003H si Z");
    EXPECT_EQ(Une("lance 10000"), "arrêt : point d'arrêt à 2003H");
    EXPECT_EQ(m->RegB, 0);
    // A refused condition changes nothing.
    EXPECT_EQ(Une("pa 2003 si B = ", false), "pa : condition incorrecte : opérande manquant dans l'expression");
    EXPECT_EQ(Une("pa 2004 si INCONNU = 1", false), "pa : condition incorrecte : symbole inconnu INCONNU");
    EXPECT_EQ(m->TblPtArret[0x2004], 0);
    EXPECT_EQ(D().Sondes.Condition(0x2003), "Z");
    // The breakpoint removed takes its condition with it.
    Une("pa- 2003");
    Une("pa 2003");
    EXPECT_EQ(D().Sondes.Condition(0x2003), "");
    EXPECT_EQ(Une("pa"), "2003H");
    EXPECT_EQ(Une("pas"), "arrêt : nombre d'instructions atteint à 2004H");
    EXPECT_EQ(Une("lance 100"), "arrêt : point d'arrêt à 2003H");
}

TEST_F(Sondes, ABreakpointInsideASteppedOverRoutineStopsThere) {
    Prepare(" CALL SOUS\n HLT\nSOUS: MVI A,1\n INR A\n RET\n");
    Une("pa 2006"); // the INR A
    EXPECT_EQ(Une("passe"), "arrêt : point d'arrêt à 2006H");
    EXPECT_EQ(m->RegA, 1);
    EXPECT_EQ(m->TblPtArret[0x2003], 0); // the return point's stop is gone
    EXPECT_EQ(Une("lance"), "arrêt : HLT à 2003H");
}

TEST_F(Sondes, WriteWatchpointOnAStackPush) {
    Prepare(" LXI SP,3000H\n LXI B,1234H\n MVI A,56H\n STA 2800H\n PUSH B\n HLT\n");
    m->ZorvMem[0x2FFF] = 0xAA;
    EXPECT_EQ(Une("surv"), "surv : aucun point de surveillance");
    EXPECT_EQ(Une("surv 2FFE 2FFF e"), "surv : 2FFEH-2FFFH e cpu");
    EXPECT_EQ(Une("surv 2800 l"), "surv : 2800H l cpu");
    EXPECT_TRUE(m->SondeMemoire);
    // The store to 2800H is not watched for writes; PUSH writes 2FFFH first.
    EXPECT_EQ(Une("lance"), "arrêt : écriture de 2FFFH (AAH → 12H) par 200BH");
    // The window's status bar says the same; the panel only shows STOP.
    ASSERT_FALSE(hote.Statuts.empty());
    EXPECT_EQ(hote.Statuts.back(), "arrêt : écriture de 2FFFH (AAH → 12H) par 200BH");
    EXPECT_EQ(m->EtatCPU, CPUStop);
    EXPECT_EQ(m->RegPC, 0x200C); // right after the PUSH
    EXPECT_EQ(m->RegSP, 0x2FFE);
    EXPECT_EQ(m->ReadMem(0x2FFE, 0), 0x34);
    EXPECT_EQ(Une("lance"), "arrêt : HLT à 200CH");
    Une("surv- 2FFE");
    EXPECT_EQ(Une("surv"), "2800H l cpu");
    Une("surv-");
    EXPECT_FALSE(m->SondeMemoire);
}

TEST_F(Sondes, ReadWatchpointsBanksAndInstructionBytes) {
    // LDA reads 2800H; the data cycle of LDAX D goes to bank 1 when the PROM
    // says so (opcode 1AH).
    Prepare(" LXI D,2800H\n LDAX D\n LDA 2800H\n HLT\n");
    m->Rom128K[0x1A] = 0xFD;
    m->ZorvMem[0x12800] = 0x77;
    m->ZorvMem[0x02800] = 0x66;
    Une("surv 2800 l logiciel");
    Une("surv 2000 2002 le");                  // the bytes of LXI D are fetched, not read
    EXPECT_EQ(Une("lance"), "arrêt : lecture de 2800H par 2004H"); // the LDAX in bank 1 passes
    EXPECT_EQ(m->RegA, 0x66);
    Une("surv-");
    Une("raz");
    m->RegPC = 0x2000;
    Une("surv 2800 data");
    EXPECT_EQ(Une("lance"), "arrêt : lecture de 2800H par 2003H");
    EXPECT_EQ(m->RegA, 0x77);
    EXPECT_EQ(Une("surv 2800 2000", false), "surv : paramètres incorrects (surv [DEBUT [FIN] [l|e|le] [cpu|logiciel|data]])");
    EXPECT_EQ(Une("surv 2800 data"), "surv : déjà posé : 2800H le data");
}

TEST_F(Sondes, SymbolCommandsAndTheAssemblersSymbolFile) {
    Prepare(" CALL SOUS\n HLT\nSOUS: RET\n");
    const auto dossier = std::filesystem::temp_directory_path() / ("zorv-sym-" + std::to_string(::getpid()));
    std::filesystem::create_directories(dossier);
    const std::string chemin = (dossier / "prog.sym").string();
    {
        std::ofstream f(chemin);
        EcritSymboles(f, r.Etiquettes()); // as zorv asm --symbols writes it
    }
    EXPECT_EQ(Une("sym"), "sym : liste vide");
    EXPECT_EQ(Une("sym charge " + chemin), "2 symboles ajoutés");
    Une("sym");
    EXPECT_EQ(sortie, (std::vector<std::string>{"DEBUT 2000H", "SOUS 2004H"}));
    Une("dasm 2000 2004");
    EXPECT_NE(sortie[0].find("DEBUT"), std::string::npos);
    EXPECT_NE(sortie[0].find("CALL SOUS"), std::string::npos);
    EXPECT_EQ(Une("sym sous 10", false), "Le symbole SOUS Existe déjà");
    EXPECT_EQ(Une("sym a-b 10", false).rfind("sym : nom incorrect", 0), 0u);
    EXPECT_EQ(Une("sym aaa 2004"), "sym : AAA 2004H");
    Une("dasm 2004 2004");
    EXPECT_NE(sortie[0].find("SOUS"), std::string::npos);
    EXPECT_EQ(Une("sym tri nom"), "sym : liste triée par nom");
    Une("dasm 2004 2004");
    EXPECT_NE(sortie[0].find("AAA"), std::string::npos); // the first symbol at 2004H is now AAA
    Une("sym tri adresse");
    Une("sym");
    EXPECT_EQ(sortie, (std::vector<std::string>{"DEBUT 2000H", "AAA 2004H", "SOUS 2004H"}));
    Une("pa 2004");
    EXPECT_EQ(Une("pa"), "2004H AAA");
    EXPECT_EQ(Une("sym charge " + (dossier / "absent.txt").string(), false).rfind("sym : Le fichier", 0), 0u);
    EXPECT_EQ(Une("sym efface"), "sym : liste effacée");
    EXPECT_TRUE(D().Symboles.empty());
    std::filesystem::remove_all(dossier);
}

TEST(GestionSymboles, AddDialogRulesAndSorts) {
    TListeSymboles l = {{"Debut", 0x100}};
    EXPECT_EQ(AjouteSymbole(l, "DEBUT", "200"), TAjoutSymbole::ExisteDeja);
    EXPECT_EQ(MessageSymboleExiste("DEBUT"), "Le symbole DEBUT Existe déjà");
    EXPECT_EQ(AjouteSymbole(l, "", "200"), TAjoutSymbole::NomVide);
    EXPECT_EQ(AjouteSymbole(l, "ZERO", ""), TAjoutSymbole::Ajoute);
    EXPECT_EQ(l.back().Adresse, 0);
    EXPECT_EQ(AjouteSymbole(l, "abc", "FFFF"), TAjoutSymbole::Ajoute);
    EXPECT_EQ(l.size(), 3u);
    EXPECT_EQ(FiltreToucheNomSymbole('d'), 'D');
    EXPECT_EQ(FiltreToucheNomSymbole('-'), 0);
    EXPECT_EQ(FiltreToucheNomSymbole('_'), '_');
    EXPECT_EQ(FiltreToucheAdresseSymbole('f'), 'F');
    EXPECT_EQ(FiltreToucheAdresseSymbole('g'), 0);
    TrieSymbolesParNom(l);
    EXPECT_EQ(l[0].Nom, "abc");
    EXPECT_EQ(l[1].Nom, "Debut");
    l.push_back({"NEG", -2});
    TrieSymbolesParAdresse(l);
    EXPECT_EQ(l[0].Nom, "NEG"); // signed order
    EXPECT_EQ(TexteAdresseSymbole(0x12), "0012H");
    EXPECT_EQ(TexteAdresseSymbole(0x12345), "12345H");
}

} // namespace

namespace {

// The probe path leaves the machine as the usual paths do when its
// watchpoint is never reached: registers, RAM of both banks, video RAM.
TEST_F(Sondes, AWatchpointNeverReachedChangesNothing) {
    const std::string programme =
        " LXI SP,2001H\n LXI H,1FFEH\n MOV A,M\n INX H\n MOV B,M\n LXI D,0FFFH\n LDAX D\n STA 1FFFH\n"
        " STA 0100H\n PUSH B\n POP D\n SHLD 1FFFH\n LHLD 0FFFH\n MVI M,5AH\n MVI C,20\nB1: DCR C\n JNZ B1\n HLT\n";
    Prepare(programme);
    m->Rom128K[0x77] = 0xFD; // MOV M,A: data cycle in bank 1
    const TZorvMem ram0 = m->ZorvMem;
    const TRamTv tv0 = m->RamTv;
    const TRegistresCPU regs0 = LitRegistres(*m);
    const uint64_t d0 = m->NbInstructions, k0 = m->NbCycles;
    Une("lance");
    const TRegistresCPU sans = LitRegistres(*m);
    const TZorvMem ram1 = m->ZorvMem;
    const TRamTv tv1 = m->RamTv;
    const uint64_t n = m->NbInstructions - d0, cycles = m->NbCycles - k0;

    m->ZorvMem = ram0;
    m->RamTv = tv0;
    Une("raz");
    m->RegPC = 0x2000;
    m->RegA = regs0.A, m->RegB = regs0.B, m->RegC = regs0.C, m->RegD = regs0.D;
    m->RegE = regs0.E, m->RegH = regs0.H, m->RegL = regs0.L, m->RegPSW = regs0.PSW;
    Une("surv 0E000 0E0FF le");
    const uint64_t n0 = m->NbInstructions, c0 = m->NbCycles;
    EXPECT_EQ(Une("lance"), "arrêt : HLT à " + Format("%.4XH", unsigned(sans.PC)));
    EXPECT_EQ(m->NbInstructions - n0, n);
    EXPECT_EQ(m->NbCycles - c0, cycles);
    EXPECT_EQ(LitRegistres(*m), sans);
    EXPECT_TRUE(m->ZorvMem == ram1);
    EXPECT_TRUE(m->RamTv == tv1);
}

} // namespace
