// The debugger's following of the execution: profiler counts and routine
// times, history, "who wrote this", the trace and its folded loops, the
// coverage's lcov file; small assembled programs run through the console.
#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <sstream>

#include "MachineEssai.h"
#include "core/Fichiers.h"
#include "core/Texte.h"
#include "debugger/Assembleur.h"
#include "debugger/CarteSource.h"
#include "debugger/Console.h"
#include "debugger/Debogueur.h"

namespace fs = std::filesystem;

namespace {

struct Suivi : TMachineEssai {
    std::unique_ptr<TConsoleDebogueur> c;
    TResultatAsm r;
    fs::path dossier;
    std::vector<std::string> sortie;

    void TearDown() override {
        c.reset();
        if (!dossier.empty()) fs::remove_all(dossier);
    }
    // The program at 2000H, its labels as symbols, PC on it, a console.
    void Prepare(const std::string& corps) {
        c.reset(); // one console at a time: each takes the run message
        r = Assemble(" ORG 2000H\n" + corps, "prog.asm");
        ASSERT_TRUE(r.Ok()) << r.TexteErreurs();
        ChargeEnRam(*m, r);
        m->RegPC = 0x2000;
        c = std::make_unique<TConsoleDebogueur>(*poste);
        D().Symboles = r.Etiquettes();
    }
    TDebogueur& D() { return poste->Debogueur(); }
    std::string Une(const std::string& ligne, bool attendu = true) {
        sortie.clear();
        EXPECT_EQ(c->Execute(ligne, sortie), attendu) << ligne;
        return sortie.empty() ? std::string() : sortie.back();
    }
    std::string Fichier(const std::string& nom) {
        if (dossier.empty()) {
            dossier = fs::temp_directory_path() / ("zorv_suivi_" + std::to_string(::getpid()));
            fs::create_directories(dossier);
        }
        return (dossier / nom).string();
    }
    static std::vector<std::string> Lignes(const std::string& chemin) {
        std::ifstream f(chemin);
        std::vector<std::string> v;
        for (std::string l; std::getline(f, l);) v.push_back(l);
        return v;
    }
    const TProfilRoutine* Routine(const std::vector<TProfilRoutine>& v, const std::string& nom) {
        for (const TProfilRoutine& x : v)
            if (x.Nom == nom) return &x;
        return nullptr;
    }
};

// MVI 7, ten DCR 4 and ten JNZ (nine taken 10, the last 7), HLT 5.
const char* const Boucle = "DEBUT:  MVI B,10\nBOUCLE: DCR B\n        JNZ BOUCLE\n        HLT\n";

TEST_F(Suivi, EverythingIsOffUntilAUserOrAToolAsksForIt) {
    TPosteVirtuel seul;
    EXPECT_EQ(seul.Machine().Suivi, nullptr);
    Prepare(Boucle);
    EXPECT_NE(m->Suivi, nullptr); // the console: history and writers
    c.reset();
    EXPECT_EQ(m->Suivi, nullptr);
}

TEST_F(Suivi, ProfilerCountsEachAddressOfALoop) {
    Prepare(Boucle);
    EXPECT_EQ(Une("profil marche"), "profil : en marche");
    EXPECT_EQ(Une("lance"), "arrêt : HLT à 2006H");
    const TProfileur& p = D().Suivi.Profileur();
    struct {
        uint16_t Adresse;
        uint64_t Executions, Etats;
    } const attendus[] = {{0x2000, 1, 7}, {0x2002, 10, 40}, {0x2003, 10, 97}, {0x2006, 1, 5}};
    const auto chaudes = p.Chaudes(10);
    ASSERT_EQ(chaudes.size(), 4u);
    EXPECT_EQ(chaudes[0].Adresse, 0x2003); // most T-states first
    for (const auto& a : attendus) {
        EXPECT_EQ(p.Executions(a.Adresse, 0), a.Executions) << std::hex << a.Adresse;
        for (const TProfilAdresse& x : chaudes) {
            if (x.Adresse == a.Adresse) {
                EXPECT_EQ(x.Etats, a.Etats) << std::hex << a.Adresse;
            }
        }
    }
    EXPECT_EQ(p.Instructions(), 22u);
    EXPECT_EQ(p.Etats(), 149u);
    Une("profil 1");
    ASSERT_EQ(sortie.size(), 2u);
    EXPECT_EQ(sortie[0], "profil : en marche, 22 instructions, 149 états T");
    EXPECT_EQ(sortie[1], "2003H 0  BOUCLE+1         10 fois, 97 états T (65.1 %)");
    // Stopped, the counts stay and no longer grow; raz empties them.
    Une("profil arret");
    Une("raz");
    Une("reg PC=2000");
    Une("lance");
    EXPECT_EQ(p.Instructions(), 22u);
    Une("profil raz");
    EXPECT_EQ(p.Instructions(), 0u);
    EXPECT_TRUE(p.Chaudes(5).empty());
}

TEST_F(Suivi, RoutinesGetTheirCallsAndExclusiveAndInclusiveTimes) {
    struct TCas {
        const char* Source;
        const char* Nom;
        uint64_t Appels, Exclusif, Inclusif;
    } const cas[] = {
        // Nested: A1 = CALL A2 18 + NOP 4 + RET 10; A2 = NOP 4 + RET 10 inside it.
        {"DEBUT: LXI SP,3000H\n CALL A1\n HLT\nA1: CALL A2\n NOP\n RET\nA2: NOP\n RET\n", "A1", 1, 32, 46},
        {"DEBUT: LXI SP,3000H\n CALL A1\n HLT\nA1: CALL A2\n NOP\n RET\nA2: NOP\n RET\n", "A2", 1, 14, 14},
        {"DEBUT: LXI SP,3000H\n CALL A1\n HLT\nA1: CALL A2\n NOP\n RET\nA2: NOP\n RET\n", "DEBUT", 0, 33, 0},
        // A condition not met calls nothing; a taken RZ returns.
        {"DEBUT: LXI SP,3000H\n XRA A\n CNZ S\n CZ S\n HLT\nS: RZ\n", "S", 1, 12, 12},
        // Recursion counts once, from the outermost entry: DCR 3×4, RZ 6+6+12,
        // CALL 2×18, RET 2×10.
        {"DEBUT: LXI SP,3000H\n MVI B,3\n CALL R\n HLT\nR: DCR B\n RZ\n CALL R\n RET\n", "R", 3, 92, 92},
        // A routine that drops its return address: the next return closes
        // its frame too.
        {"DEBUT: LXI SP,3000H\n CALL A1\n HLT\nA1: CALL A2\n RET\nA2: POP H\n RET\n", "A1", 1, 18, 38},
    };
    for (const TCas& x : cas) {
        SCOPED_TRACE(x.Source);
        Prepare(x.Source);
        Une("profil marche");
        Une("profil raz");
        EXPECT_TRUE(Une("lance").starts_with("arrêt : HLT à ")) << sortie.back();
        const auto routines = D().Suivi.Profileur().Routines(D().Symboles);
        const TProfilRoutine* rt = Routine(routines, x.Nom);
        ASSERT_NE(rt, nullptr);
        EXPECT_EQ(rt->Appels, x.Appels);
        EXPECT_EQ(rt->Exclusif, x.Exclusif);
        EXPECT_EQ(rt->Inclusif, x.Inclusif);
        c.reset();
    }
}

TEST_F(Suivi, HistoryKeepsTheLastInstructionsWithTheirNumbers) {
    Prepare(Boucle);
    EXPECT_EQ(Une("historique"), "historique : vide");
    Une("pas 2");
    Une("lance");
    Une("historique 3");
    ASSERT_EQ(sortie.size(), 3u);
    EXPECT_TRUE(sortie[0].starts_with("          20 ")) << sortie[0];
    EXPECT_NE(sortie[1].find("JNZ  BOUCLE"), std::string::npos) << sortie[1];
    EXPECT_NE(sortie[1].find("B=00"), std::string::npos) << sortie[1];
    EXPECT_TRUE(sortie[2].starts_with("          22 ")) << sortie[2];
    EXPECT_NE(sortie[2].find("HLT"), std::string::npos);
    EXPECT_EQ(m->NbInstructions, 22u);
    EXPECT_EQ(Une("historique 0", false), "historique : attendu un nombre de lignes de 1 à 100000");
    // A long run keeps the last 100 000.
    Prepare("DEBUT: JMP DEBUT\n");
    Une("lance 250000");
    const THistorique& h = D().Suivi.Historique();
    EXPECT_EQ(h.Taille(), THistorique::Capacite);
    EXPECT_EQ(h.NumeroRecent(0), m->NbInstructions);
    EXPECT_EQ(h.Recent(THistorique::Capacite - 1).Adresse, 0x2000);
}

TEST_F(Suivi, WhoWroteTheOperandOfASelfModifyingInstruction) {
    Prepare("DEBUT:  MVI A,7\n        STA CIBLE+1\nCIBLE:  MVI B,5\n        HLT\n");
    EXPECT_EQ(Une("qui 2006"), "qui : 2006H : pas écrit depuis l'ouverture du débogueur");
    const uint64_t avant = m->NbInstructions;
    Une("lance");
    EXPECT_EQ(m->RegB, 7);
    EXPECT_EQ(Une("qui 2006"), "qui : 2006H banque 0 : écrit par 2002H, instruction n° " +
                                   NombreFr(int64_t(avant + 2)));
    EXPECT_EQ(Une("qui 2006 data"), "qui : 2006H banque 1 : pas écrit depuis l'ouverture du débogueur");
    EXPECT_EQ(Une("qui", false), "qui : paramètres incorrects (qui ADR [banque])");
    // The history shows the instruction as it ran, with its new operand.
    Une("historique 2");
    EXPECT_NE(sortie[0].find("06 07     MVI  B,07H"), std::string::npos) << sortie[0];
}

TEST_F(Suivi, TraceLinesAreTheInstructionsRunOrTheirFoldedLoops) {
    struct TCas {
        const char* Source;
        bool Tout;
        std::vector<std::string> Attendu; // the instruction of each line, or the loop's line
    } const cas[] = {
        {Boucle, true, {}},
        {Boucle, false, {"MVI", "DCR", "JNZ", "(boucle ×10)", "HLT"}},
        // The inner loop folded inside the first round of the outer one.
        {" MVI C,3\nEXT: MVI B,4\nINT: DCR B\n JNZ INT\n DCR C\n JNZ EXT\n HLT\n",
         false,
         {"MVI", "MVI", "DCR", "JNZ", "(boucle ×4)", "DCR", "JNZ", "(boucle ×3)", "HLT"}},
        // A routine called twice is no loop: every instruction is written.
        {" LXI SP,3000H\n CALL S\n CALL S\n HLT\nS: NOP\n RET\n",
         false,
         {"LXI", "CALL", "NOP", "RET", "CALL", "NOP", "RET", "HLT"}},
        // A loop left in the middle of its round: the partial round follows.
        {" MVI B,3\nB1: DCR B\n JZ FIN\n JMP B1\nFIN: HLT\n",
         false,
         {"MVI", "DCR", "JZ", "JMP", "(boucle ×2)", "DCR", "JZ", "HLT"}},
    };
    for (const TCas& x : cas) {
        SCOPED_TRACE(x.Source);
        Prepare(x.Source);
        const std::string chemin = Fichier("trace.txt");
        Une(std::string("trace ") + chemin + (x.Tout ? " tout" : ""));
        const uint64_t avant = m->NbInstructions;
        Une("lance");
        const uint64_t executees = m->NbInstructions - avant;
        EXPECT_TRUE(Une("trace arret").starts_with("trace : ")) << sortie.back();
        const auto lignes = Lignes(chemin);
        if (x.Tout) {
            EXPECT_EQ(lignes.size(), executees);
        } else {
            ASSERT_EQ(lignes.size(), x.Attendu.size());
            for (size_t i = 0; i < lignes.size(); ++i) {
                if (x.Attendu[i].starts_with("("))
                    EXPECT_EQ(lignes[i], x.Attendu[i]);
                else
                    EXPECT_NE(lignes[i].find("  " + x.Attendu[i] + " "), std::string::npos) << i << " " << lignes[i];
            }
        }
        c.reset();
    }
}

TEST_F(Suivi, TraceLineFormatAndItsRefusals) {
    Prepare(Boucle);
    const std::string chemin = Fichier("t.txt");
    {
        std::ofstream(chemin) << "avant\n";
    }
    EXPECT_EQ(Une("trace " + chemin + " 2002 2003 tout"), "trace : dans " + chemin + ", 2002H-2003H, chaque instruction");
    // Nothing replaces the target before the trace stops.
    Une("lance");
    EXPECT_EQ(Lignes(chemin), std::vector<std::string>{"avant"});
    EXPECT_EQ(Une("trace arret"), "trace : 20 lignes pour 20 instructions dans " + chemin);
    const auto lignes = Lignes(chemin);
    ASSERT_EQ(lignes.size(), 20u);
    const std::regex forme("    BOUCLE    2002  05        DCR  B +A=[0-9A-F]{2} B=09 C=[0-9A-F]{2} D=[0-9A-F]{2} E=[0-9A-F]{2} "
                           "H=[0-9A-F]{2} L=[0-9A-F]{2} PSW=[0-9A-F]{2} SP=[0-9A-F]{4} PC=2003  T=4");
    EXPECT_TRUE(std::regex_match(lignes[0], forme)) << lignes[0];
    EXPECT_TRUE(lignes[1].ends_with("PC=2002  T=10")) << lignes[1];
    EXPECT_TRUE(lignes[19].ends_with("PC=2006  T=7")) << lignes[19];
    EXPECT_EQ(Une("trace arret", false), "trace : aucune trace en cours");
    EXPECT_EQ(Une("trace " + chemin + " 2003 2002", false), "trace : la fin précède le début");
    EXPECT_EQ(Une("trace " + chemin + " 2000 2003 2", false),
              "trace : paramètres incorrects (trace [FICHIER [DEBUT FIN] [banque] [tout]])");
    EXPECT_TRUE(Une("trace " + dossier.string(), false).starts_with("trace : \"")) << sortie.back();
    EXPECT_NE(m->Suivi, nullptr); // the console still follows for its history
}

TEST_F(Suivi, LcovHitCountsPerSourceLine) {
    Prepare("DEBUT:  MVI B,3\n"      // 2
            "BOUCLE: DCR B\n"        // 3
            "        JNZ BOUCLE\n"   // 4
            "        LDA DONNEE\n"   // 5
            "        HLT\n"          // 6
            "        NOP\n"          // 7: never run
            "DONNEE: DB 5\n");       // 8: read, so data
    D().CarteSource = CarteDe(r, "prog.bin");
    EXPECT_EQ(Une("couverture marche"), "couverture : en marche");
    Une("lance");
    EXPECT_EQ(Une("couverture"), "couverture : en marche, 10 octets exécutés, 1 lus, 0 écrits");
    const std::string chemin = Fichier("c.info");
    EXPECT_EQ(Une("couverture lcov " + chemin), "couverture : fichier lcov écrit dans " + chemin);
    const auto lignes = Lignes(chemin);
    const std::vector<std::string> attendu = {"TN:", "SF:" + D().CarteSource.Fichiers[0], "DA:2,1", "DA:3,3", "DA:4,3",
                                              "DA:5,1", "DA:6,1", "DA:7,0", "LF:6", "LH:5", "end_of_record"};
    EXPECT_EQ(lignes, attendu);
    // The other bank ran nothing.
    Une("couverture lcov " + chemin + " data");
    EXPECT_EQ(Lignes(chemin)[2], "DA:2,0");
    Une("couverture raz");
    EXPECT_EQ(Une("couverture"), "couverture : en marche, 0 octets exécutés, 0 lus, 0 écrits");
    D().CarteSource = {};
    EXPECT_EQ(Une("couverture lcov " + chemin, false),
              "couverture : aucune carte des sources chargée (sym charge FICHIER.zdbg)");
}

} // namespace

namespace {

TEST(FichierProgressif, ReplacesTheTargetOnlyOnceComplete) {
    const fs::path dossier = fs::temp_directory_path() / ("zorv_progressif_" + std::to_string(::getpid()));
    fs::create_directories(dossier);
    const std::string cible = (dossier / "f.txt").string();
    std::ofstream(cible) << "avant\n";
    {
        TFichierProgressif f;
        std::string erreur;
        ASSERT_TRUE(f.Ouvre(cible, erreur)) << erreur;
        f.Ecrit(std::string(3u << 20, 'x')); // past the buffer: written to the temporary already
    } // abandoned
    EXPECT_EQ(Suivi::Lignes(cible), std::vector<std::string>{"avant"});
    EXPECT_EQ(std::distance(fs::directory_iterator(dossier), fs::directory_iterator()), 1); // no temporary left
    TFichierProgressif f;
    std::string erreur;
    ASSERT_TRUE(f.Ouvre(cible, erreur));
    f.Ecrit("après\n");
    EXPECT_TRUE(f.Termine(erreur)) << erreur;
    EXPECT_EQ(Suivi::Lignes(cible), std::vector<std::string>{"après"});
    EXPECT_FALSE(f.Ouvre((dossier / "absent" / "f.txt").string(), erreur));
    EXPECT_FALSE(erreur.empty());
    fs::remove_all(dossier);
}

} // namespace

namespace {

// Reads and writes on both sides of the overlay boundaries, a write into
// ROM (refused with a message), the stack across 2000H, HLT.
const std::vector<uint8_t> ProgrammeChemins = {
    0x21, 0xFE, 0x1F, 0x7E, 0x23, 0x46, 0x23, 0x4E, // LXI H,1FFEH ; MOV A,M ; INX H ; MOV B,M ; INX H ; MOV C,M
    0x11, 0xFF, 0x0F, 0x1A,                         // LXI D,0FFFH ; LDAX D
    0x32, 0xFF, 0x1F, 0x32, 0x00, 0x20,             // STA 1FFFH ; STA 2000H
    0x32, 0x00, 0x01,                               // STA 0100H (ROM)
    0x31, 0x01, 0x20, 0xC5, 0xD1,                   // LXI SP,2001H ; PUSH B ; POP D
    0x22, 0xFF, 0x1F, 0x2A, 0xFF, 0x0F,             // SHLD 1FFFH ; LHLD 0FFFH
    0x36, 0x5A, 0x3C, 0x76,                         // MVI M,5AH ; INR A ; HLT
};

struct TEssaiSuivi {
    std::unique_ptr<TPosteVirtuel> Poste = std::make_unique<TPosteVirtuel>(0x5A0E7u);
    TMachine& M = Poste->Machine();
    TEssaiSuivi(uint8_t selMem, bool routage) {
        M.InitMachine();
        M.SelMem = selMem;
        for (size_t i = 0; i < M.ZorvMem.size(); ++i) M.ZorvMem[i] = uint8_t(i * 13 + 5);
        if (routage) {
            M.Rom128K[0x7E] = 0xFD; // MOV A,M reads bank 1
            M.Rom128K[0x32] = 0xF7; // STA writes bank 1
        }
        for (size_t i = 0; i < ProgrammeChemins.size(); ++i) M.ZorvMem[0x2800 + i] = ProgrammeChemins[i];
        M.RegPC = 0x2800;
    }
    auto Etat() const {
        return std::tuple(M.RegA, M.RegB, M.RegC, M.RegD, M.RegE, M.RegH, M.RegL, M.RegPSW, M.RegSP, M.RegPC,
                          M.EtatCPU, M.NbCycles, M.NbInstructions);
    }
};

// Every tool on, a watchpoint too or not: the followed run leaves the same
// machine as the plain one, and the tools saw every instruction.
TEST(SuiviChemins, AFollowedRunLeavesTheSameMachine) {
    for (const uint8_t selMem : {0x00, 0x01, 0x80, 0x81})
        for (const bool routage : {false, true})
            for (const bool surveille : {false, true}) {
                SCOPED_TRACE(testing::Message() << "SelMem " << int(selMem) << (routage ? ", routage" : "")
                                                << (surveille ? ", surveillance" : ""));
                TEssaiSuivi simple(selMem, routage), suivi(selMem, routage);
                TSuiviDebogueur& s = suivi.Poste->Debogueur().Suivi;
                s.AjouteClient();
                s.ActiveProfil(true);
                s.ActiveCouverture(true);
                if (surveille) suivi.Poste->Debogueur().Sondes.AjouteSurveillance({0x8000, 0x8000, asLes2, TVueSurv::CPU});
                for (TEssaiSuivi* e : {&simple, &suivi}) {
                    e->M.CommenceCourse();
                    EXPECT_EQ(e->M.Execute(1000).Cause, TCauseArret::Halte);
                }
                EXPECT_EQ(simple.Etat(), suivi.Etat());
                EXPECT_TRUE(simple.M.ZorvMem == suivi.M.ZorvMem);
                EXPECT_TRUE(simple.M.RamTv == suivi.M.RamTv);
                EXPECT_EQ(simple.Poste->HoteVirtuel.Erreurs, suivi.Poste->HoteVirtuel.Erreurs);
                EXPECT_EQ(s.Profileur().Instructions(), suivi.M.NbInstructions);
                EXPECT_EQ(s.Historique().Taille(), suivi.M.NbInstructions);
                EXPECT_EQ(s.Historique().Recent(0).Adresse, 0x2800 + ProgrammeChemins.size() - 1);
                // 2000H: STA (280FH, in bank 1 when the PROM routes it there),
                // then PUSH B and SHLD 1FFFH (281AH) in bank 0, POP D reading it.
                EXPECT_TRUE(s.Couverture().Acces(0x2000, 0) & AccesEcrit);
                EXPECT_TRUE(s.Couverture().Acces(0x2000, 0) & AccesLu);
                // MVI M (2820H) writes there last when LHLD brought HL = 2000H.
                const bool hl2000 = suivi.M.RegH == 0x20 && suivi.M.RegL == 0x00;
                EXPECT_EQ(s.Ecrivains().De(0x2000, 0).PC, hl2000 ? 0x2820 : 0x281A);
                if (routage) {
                    EXPECT_EQ(s.Ecrivains().De(0x2000, 1).PC, 0x280F);
                }
            }
}

} // namespace
