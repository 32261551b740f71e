// The console beside the window (the CPU window's pane), step out, the
// T-states and what changed since the last stop, the command line's history
// and completion, and the symbols that come with a ROM image.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "MachineEssai.h"
#include "debugger/Assembleur.h"
#include "debugger/Console.h"
#include "debugger/Debogueur.h"
#include "debugger/FiltreSymboles.h"
#include "debugger/HistoriqueConsole.h"
#include "debugger/SymbolesRom.h"

namespace {

// MAIN calls SOUS, which saves HL, calls FEUILLE, and returns to 2006H.
const char* const Programme = " LXI SP,8000H\n"  // 2000
                              " CALL SOUS\n"     // 2003
                              " NOP\n"           // 2006
                              " HLT\n"           // 2007
                              "SOUS: PUSH H\n"   // 2008
                              " CALL FEUILLE\n"  // 2009
                              " POP H\n"         // 200C
                              " RET\n"           // 200D
                              "FEUILLE: INR A\n" // 200E
                              " RET\n";          // 200F

struct Pupitre : TMachineEssai {
    std::unique_ptr<TConsoleDebogueur> c;
    std::vector<std::string> differees;
    std::vector<std::string> sortie;
    void Charge(bool fenetre) {
        TResultatAsm r = Assemble(std::string(" ORG 2000H\n") + Programme);
        ASSERT_TRUE(r.Ok()) << r.TexteErreurs();
        ChargeEnRam(*m, r);
        m->RegPC = 0x2000;
        if (fenetre) {
            // The machine stops as the window's pause leaves it.
            m->ChangeEtatCPU(CPUStop);
            m->SignaleEtatDuCPU(CPUStop);
            hote.Pompe();
            c = std::make_unique<TConsoleDebogueur>(static_cast<TPoste&>(*poste), &hote);
            c->SurSortieDifferee = [this](const std::string& l) { differees.push_back(l); };
        } else {
            c = std::make_unique<TConsoleDebogueur>(*poste);
        }
    }
    std::string Une(const std::string& ligne, bool attendu = true) {
        sortie.clear();
        EXPECT_EQ(c->Execute(ligne, sortie), attendu) << ligne;
        return sortie.empty() ? std::string() : sortie.back();
    }
};

// --- Beside the window -----------------------------------------------------------------

TEST_F(Pupitre, BesideTheWindowARunReportsWhenTheMessageLoopHasRunIt) {
    Charge(true);
    EXPECT_EQ(Une("lance"), ""); // asked for, not run yet
    EXPECT_TRUE(c->CourseEnAttente());
    EXPECT_EQ(m->RegPC, 0x2000);
    // While it is pending the commands that need a stopped processor wait.
    EXPECT_EQ(Une("pas", false), "pas : impossible, le processeur tourne (pause l'arrête)");
    EXPECT_EQ(Une("etat"), "STOP");
    hote.Pompe(); // the window's message loop
    EXPECT_EQ(differees, std::vector<std::string>{"arrêt : HLT à 2007H"});
    EXPECT_FALSE(c->CourseEnAttente());
    EXPECT_EQ(poste->DernierArret().Cause, TCauseArret::Halte);
    // A run asked elsewhere (the "Lance" button) tells the pane nothing.
    EXPECT_EQ(Une("raz"), "raz : processeur arrêté en 0000H");
    hote.Pompe();
    EXPECT_EQ(m->EtatCPU, CPUStop) << "the reset's run message is let go by";
    m->RegPC = 0x2000;
    poste->Debogueur().Lance();
    hote.Pompe();
    EXPECT_EQ(differees.size(), 1u);
}

TEST_F(Pupitre, BesideTheWindowTheBudgetAndTheStepsAreTheConsoles) {
    Charge(true);
    EXPECT_EQ(Une("pas 2"), "arrêt : nombre d'instructions atteint à 2008H");
    EXPECT_EQ(Une("lance 2"), "");
    hote.Pompe();
    ASSERT_EQ(differees.size(), 1u);
    EXPECT_EQ(differees[0], "arrêt : nombre d'instructions atteint à 200EH");
    EXPECT_EQ(m->EtatCPU, CPUStop);
    // A pause from the pane while its run goes on: the run reports it.
    EXPECT_EQ(Une("pause", false), "pause : impossible, le processeur ne tourne pas");
}

// The construction leaves a running machine running (the CLI's stops it).
TEST_F(Pupitre, BesideTheWindowTheMachineIsLeftAsItIs) {
    EXPECT_EQ(m->EtatCPU, CPURun);
    TConsoleDebogueur pres(static_cast<TPoste&>(*poste), &hote);
    EXPECT_EQ(m->EtatCPU, CPURun);
    std::vector<std::string> s;
    EXPECT_TRUE(pres.Execute("etat", s));
    EXPECT_EQ(s, std::vector<std::string>{"RUN"});
    EXPECT_FALSE(pres.Execute("dasm", s));
    EXPECT_EQ(s.back(), "dasm : impossible, le processeur tourne (pause l'arrête)");
    EXPECT_TRUE(pres.Execute("pause", s));
    EXPECT_EQ(s.back(), "pause : processeur arrêté en 0000H");
    EXPECT_EQ(m->EtatCPU, CPUStop);
}

// --- Step out ------------------------------------------------------------------------

TEST_F(Pupitre, StepOutStopsOnTheCallersNextInstruction) {
    for (bool fenetre : {false, true}) {
        SCOPED_TRACE(fenetre ? "fenêtre" : "zorv debug");
        differees.clear();
        Charge(fenetre);
        EXPECT_EQ(Une("pas 3"), "arrêt : nombre d'instructions atteint à 2009H"); // inside SOUS, HL pushed
        const uint8_t a = m->RegA;
        const std::string r = Une("sort");
        if (fenetre) hote.Pompe();
        // FEUILLE's return and the POP read the stack: neither is the end.
        EXPECT_EQ(fenetre ? differees.at(0) : r, "arrêt : retour de routine à 2006H");
        EXPECT_EQ(m->RegPC, 0x2006);
        EXPECT_EQ(m->RegSP, 0x8000);
        EXPECT_EQ(m->RegA, uint8_t(a + 1));
        EXPECT_FALSE(poste->Debogueur().Sondes.SortieArmee());
        EXPECT_FALSE(m->SondeMemoire) << "the full-speed paths again";
        c.reset();
    }
}

TEST_F(Pupitre, StepOutEndsWithAnyStop) {
    Charge(false);
    Une("pas 2"); // at SOUS
    EXPECT_EQ(Une("pa 200E"), "pa : point d'arrêt en 200EH");
    EXPECT_EQ(Une("sort"), "arrêt : point d'arrêt à 200EH");
    EXPECT_FALSE(poste->Debogueur().Sondes.SortieArmee());
    EXPECT_EQ(Une("pa- 200E"), "pa- : point d'arrêt retiré de 200EH");
    // The forgotten step out does not stop the later run at 2006H.
    EXPECT_EQ(Une("lance"), "arrêt : HLT à 2007H");
    // On the return itself: that return ends it.
    Une("raz");
    m->RegPC = 0x200F;
    m->RegSP = 0x7FFE;
    m->ZorvMem[0x7FFE] = 0x06;
    m->ZorvMem[0x7FFF] = 0x20;
    EXPECT_EQ(Une("sort"), "arrêt : retour de routine à 2006H");
    EXPECT_EQ(Une("sort x", false), "sort : paramètres incorrects (sort)");
}

// --- T-states and changes -----------------------------------------------------------------

TEST_F(Pupitre, TheTStatesOfTheLastStopAndSinceStart) {
    Charge(false);
    TDebogueur& d = poste->Debogueur();
    const uint64_t depart = m->NbCycles;
    Une("pas"); // LXI SP: 10 T-states
    EXPECT_EQ(d.EtatsTDernier(), 10u);
    Une("pas 2"); // CALL 18, PUSH 12
    EXPECT_EQ(d.EtatsTDernier(), 12u) << "the last step";
    Une("lance");
    EXPECT_EQ(d.EtatsTDepart(), m->NbCycles);
    EXPECT_EQ(d.EtatsTDernier(), m->NbCycles - depart - 40);
    sortie.clear();
    EXPECT_TRUE(c->Execute("etat t", sortie));
    ASSERT_EQ(sortie.size(), 2u);
    EXPECT_EQ(sortie[0], "HLT");
    EXPECT_EQ(sortie[1], d.TexteEtatsT());
    EXPECT_NE(sortie[1].find(" depuis l'arrêt précédent"), std::string::npos);
    EXPECT_EQ(Une("etat"), "HLT") << "etat alone keeps its one line";
    EXPECT_EQ(Une("etat x", false), "etat : paramètres incorrects (etat [t])");
}

TEST_F(Pupitre, RegistersAndFlagsChangedSinceThePreviousStop) {
    Charge(false);
    TDebogueur& d = poste->Debogueur();
    m->RegA = 0xFF;
    m->RegPSW = 0;
    Une("pas 2"); // LXI SP, CALL
    Une("pas 3"); // PUSH H, CALL FEUILLE, INR A: FF → 00 raises Z
    Une("pas");   // FEUILLE's RET: PC and SP only
    EXPECT_TRUE(d.RegistreChange(rgPC));
    EXPECT_TRUE(d.RegistreChange(rgSP));
    EXPECT_FALSE(d.RegistreChange(rgA));
    EXPECT_FALSE(d.DrapeauChange(drZ));
    m->RegPC = 0x200E; // INR A again: 00 → 01 drops Z
    Une("pas");
    EXPECT_TRUE(d.RegistreChange(rgA));
    EXPECT_TRUE(d.DrapeauChange(drZ));
    EXPECT_FALSE(d.DrapeauChange(drCY)) << "INR leaves CY";
    EXPECT_FALSE(d.RegistreChange(rgB));
}

TEST_F(Pupitre, RunToTheSelectedLineSaysWhyNot) {
    Charge(false);
    TDebogueur& d = poste->Debogueur();
    d.ChoisitLigne(-1);
    EXPECT_EQ(d.JusquALigne(), TRefus::AucuneLigne);
    EXPECT_EQ(TexteRefus(TRefus::AucuneLigne, CPUStop), "aucune ligne n'est choisie dans le listing");
    EXPECT_EQ(m->TblPtArret[0x2000], 0);
    m->ChangeEtatCPU(CPUHalt);
    EXPECT_EQ(d.JusquALigne(), TRefus::PasArrete) << "the processor first";
}

// --- The command line ------------------------------------------------------------------

TEST(HistoriqueConsole, UpAndDownWalkTheLinesAndGiveBackTheDraft) {
    THistoriqueConsole h;
    EXPECT_FALSE(h.Precedente("x"));
    for (const char* l : {"pas", "pas", "  ", "reg", "mem 2000"}) h.Ajoute(l);
    EXPECT_EQ(h.Lignes(), (std::vector<std::string>{"pas", "reg", "mem 2000"}));
    EXPECT_FALSE(h.Suivante());
    EXPECT_EQ(h.Precedente("dasm"), "mem 2000");
    EXPECT_EQ(h.Precedente("ignoré"), "reg");
    EXPECT_EQ(h.Precedente(""), "pas");
    EXPECT_FALSE(h.Precedente(""));
    EXPECT_EQ(h.Suivante(), "reg");
    EXPECT_EQ(h.Suivante(), "mem 2000");
    EXPECT_EQ(h.Suivante(), "dasm");
    EXPECT_FALSE(h.Suivante());
    h.Ajoute("reg"); // entered again: the walk restarts from the end
    EXPECT_EQ(h.Precedente(""), "reg");
    for (int i = 0; i < 150; ++i) h.Ajoute("pa " + std::to_string(i));
    EXPECT_EQ(h.Lignes().size(), THistoriqueConsole::Capacite);
    EXPECT_EQ(h.Lignes().front(), "pa 50");
}

TEST(HistoriqueConsole, TabCompletesTheCommandName) {
    struct TCas {
        const char* Texte;
        const char* Complete;
        std::vector<std::string> Candidats;
    };
    const TCas cas[] = {
        {"sor", "sort ", {}},
        {"  DA", "  dasm ", {}},
        {"char", "charge-", {"charge-mem", "charge-etat"}},
        {"pa", "pa", {"pas", "passe", "pause", "pa", "pa-"}},
        {"zut", "zut", {}},
        {"mem 20", "mem 20", {}},
        {"", "", {}},
    };
    for (const TCas& c : cas) {
        const TCompletion r = CompleteCommande(c.Texte);
        EXPECT_EQ(r.Texte, c.Complete) << c.Texte;
        EXPECT_EQ(r.Candidats, c.Candidats) << c.Texte;
    }
    // Every name of the table completes to itself.
    for (const TCommandeConsole& cmd : TConsoleDebogueur::Table()) {
        const TCompletion r = CompleteCommande(cmd.Nom);
        EXPECT_EQ(r.Texte.substr(0, std::string(cmd.Nom).size()), cmd.Nom);
    }
}

// --- Symbols ---------------------------------------------------------------------------

TEST(FiltreSymboles, NamePartOrAddressStart) {
    const TSymbole s{"Boucle_Att", 0x2A10};
    struct TCas {
        const char* Filtre;
        bool Retenu;
    };
    for (const TCas c : {TCas{"", true}, TCas{"  ", true}, TCas{"oucle", true}, TCas{"BOUCLE", true},
                         TCas{" att ", true}, TCas{"2a", true}, TCas{"2A10H", true}, TCas{"10", false},
                         TCas{"zz", false}})
        EXPECT_EQ(SymboleRetenu(s, c.Filtre), c.Retenu) << c.Filtre;
}

struct SymbolesRom : TMachineEssai {
    std::filesystem::path dossier;
    void SetUp() override {
        TMachineEssai::SetUp();
        std::random_device alea;
        dossier = std::filesystem::temp_directory_path() / ("zorv-symrom-" + std::to_string(alea()));
        std::filesystem::create_directories(dossier);
    }
    void TearDown() override {
        std::error_code ec;
        std::filesystem::remove_all(dossier, ec);
    }
    void Ecrit(const std::string& nom, const std::string& texte) { std::ofstream(dossier / nom) << texte; }
};

TEST_F(SymbolesRom, TheFileBesideTheImageLoadsAndNamesTheListing) {
    const std::string rom = (dossier / "QBM71K.bin").string();
    Ecrit("QBM71K.bin", "x");
    EXPECT_EQ(CheminSymbolesRom(rom), "");
    TDebogueur& d = poste->Debogueur();
    EXPECT_FALSE(ChargeSymbolesRom(d, rom));
    EXPECT_TRUE(d.Symboles.empty());
    Ecrit("QBM71K.sym", "DEBUT 0000\nBOUCLE 0003 FIN 0010\n");
    EXPECT_EQ(CheminSymbolesRom(rom), (dossier / "QBM71K.sym").string());
    m->ChangeEtatCPU(CPUStop);
    d.ListeDasm(0, 0x10);
    EXPECT_EQ(ChargeSymbolesRom(d, rom), 3);
    ASSERT_EQ(d.Symboles.size(), 3u);
    EXPECT_EQ(d.Symboles[1].Nom, "BOUCLE");
    EXPECT_NE(d.Lignes().at(0).Texte.find("DEBUT"), std::string::npos) << "listed again with the labels";
    // Another image's name finds nothing; nor does an image without extension.
    EXPECT_EQ(CheminSymbolesRom((dossier / "AUTRE.bin").string()), "");
    EXPECT_EQ(CheminSymbolesRom(""), "");
}

} // namespace
