// The debugger's command console: one table of commands (name, parameters,
// one-line French help, handler) over the debugger's logic. `zorv debug`
// feeds it lines from a script, from -e or from standard input, and the CPU
// window's console pane feeds it what the user types; each command prints
// its result in the CPU window's own formats, one line each.
#pragma once

#include <csignal>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/Machine.h"
#include "debugger/TexteArret.h"

class TPoste;
class TPosteVirtuel;
class THoteVirtuel;
class THorlogeMachine;
class TDebogueur;
class TConsoleDebogueur;
class TRetour;

using TArgumentsConsole = std::vector<std::string>;

struct TCommandeConsole {
    const char* Nom;
    const char* Parametres;
    const char* Aide;
    bool (TConsoleDebogueur::*Gestionnaire)(const TArgumentsConsole&);
};

class TConsoleDebogueur : public IObservateurCPU {
public:
    // Takes the workstation's run message: runs happen inside Execute, with
    // the budget of the command. The processor is stopped at RegPC.
    explicit TConsoleDebogueur(TPosteVirtuel& poste);
    // Beside the window (the CPU window's pane): the machine is left as it
    // is and a run goes through the main window's message loop, which keeps
    // running; Execute returns once the run is asked for, and the stop
    // report comes later through SurSortieDifferee. `horloge` is the
    // machine's time, for the saved states.
    TConsoleDebogueur(TPoste& poste, THorlogeMachine* horloge);
    ~TConsoleDebogueur() override;
    TConsoleDebogueur(const TConsoleDebogueur&) = delete;
    TConsoleDebogueur& operator=(const TConsoleDebogueur&) = delete;

    static const std::vector<TCommandeConsole>& Table();
    // The commands a running processor leaves usable.
    static bool PermiseEnCourse(const TCommandeConsole& c);
    static constexpr uint64_t BudgetParDefaut = 100'000'000;

    // One command line. Its output lines are appended to `sortie`; false
    // when the command is unknown, malformed or refused (the message is the
    // last line).
    bool Execute(const std::string& ligne, std::vector<std::string>& sortie);
    // The same with the words already apart: the command name first, then
    // its parameters, a file name with blanks as one word (the windows'
    // file dialogs).
    bool ExecuteMots(TArgumentsConsole mots, std::vector<std::string>& sortie);
    // The interactive session's Ctrl+C: while `*demande` is non-zero, a run
    // stops before its next slice and a stepping before its next step,
    // reported as an interruption; the console clears it once honoured.
    void SuitInterruption(volatile std::sig_atomic_t* demande) { FInterruption = demande; }
    // Beside the window: the lines that come after Execute returned (the
    // stop report of a run it asked for).
    std::function<void(const std::string&)> SurSortieDifferee;
    // A run asked from here has not stopped yet.
    bool CourseEnAttente() const { return FAttendArret; }
    void Arret(const TRapportArret& rapport) override;

    // Handlers of the table.
    bool CmdReg(const TArgumentsConsole& a);
    bool CmdPas(const TArgumentsConsole& a);
    bool CmdPasse(const TArgumentsConsole& a);
    bool CmdJusqua(const TArgumentsConsole& a);
    bool CmdLance(const TArgumentsConsole& a);
    bool CmdRaz(const TArgumentsConsole& a);
    bool CmdInt(const TArgumentsConsole& a);
    bool CmdEtat(const TArgumentsConsole& a);
    bool CmdSort(const TArgumentsConsole& a);
    bool CmdPause(const TArgumentsConsole& a);
    bool CmdPa(const TArgumentsConsole& a);
    bool CmdPaMoins(const TArgumentsConsole& a);
    bool CmdDasm(const TArgumentsConsole& a);
    // Memory (debugger/ConsoleMemoire.cpp): dump, write, fill, copy, search.
    bool CmdMem(const TArgumentsConsole& a);
    bool CmdEcris(const TArgumentsConsole& a);
    bool CmdRemplit(const TArgumentsConsole& a);
    bool CmdCopie(const TArgumentsConsole& a);
    bool CmdCherche(const TArgumentsConsole& a);
    bool CmdChargeMem(const TArgumentsConsole& a);
    bool CmdSauveMem(const TArgumentsConsole& a);
    bool CmdSauveEtat(const TArgumentsConsole& a);
    bool CmdChargeEtat(const TArgumentsConsole& a);
    // Watches, stack view, converter and code windows (ConsoleVariables.cpp).
    bool CmdVar(const TArgumentsConsole& a);
    bool CmdVarMoins(const TArgumentsConsole& a);
    bool CmdPile(const TArgumentsConsole& a);
    bool CmdConv(const TArgumentsConsole& a);
    bool CmdConvHex(const TArgumentsConsole& a);
    bool CmdCode(const TArgumentsConsole& a);
    bool CmdAide(const TArgumentsConsole& a);

    // Symbols, breakpoint conditions and watchpoints (ConsoleSymboles.cpp).
    bool CmdPaEtendu(const TArgumentsConsole& a); // "pa" alone, "pa ADR si CONDITION"
    bool CmdSym(const TArgumentsConsole& a);
    bool CmdSource(const TArgumentsConsole& a);
    bool CmdSurv(const TArgumentsConsole& a);
    bool CmdSurvMoins(const TArgumentsConsole& a);
    // Trace, history, profiler, coverage, who wrote (ConsoleSuivi.cpp).
    bool CmdTrace(const TArgumentsConsole& a);
    bool CmdHistorique(const TArgumentsConsole& a);
    bool CmdProfil(const TArgumentsConsole& a);
    bool CmdCouverture(const TArgumentsConsole& a);
    bool CmdQui(const TArgumentsConsole& a);
    // Going back in the machine's time (ConsoleRetour.cpp).
    bool CmdRecule(const TArgumentsConsole& a);
    bool CmdReculePasse(const TArgumentsConsole& a);
    bool CmdReculeJusqua(const TArgumentsConsole& a);
    bool CmdHistoire(const TArgumentsConsole& a);
    // The stop report, a watchpoint's naming its access.
    std::string TexteRapport(const TRapportArret& r) const;

private:
    TPoste& FPoste;
    THoteVirtuel* FHoteVirtuel = nullptr; // none beside the window
    THorlogeMachine* FHorloge = nullptr;
    TDebogueur& D;
    TMachine& M;
    bool FCourseDemandee = false;
    // Beside the window: the budget of the run asked for, the run message
    // of a reset to let go by, a stop report to tell.
    uint64_t FBudgetFenetre = UINT64_MAX;
    bool FAvaleLancement = false;
    bool FAttendArret = false;
    std::function<void()> FDemandeCourseAvant;
    const TCommandeConsole* FCommande = nullptr;
    std::vector<std::string>* FSortie = nullptr;
    volatile std::sig_atomic_t* FInterruption = nullptr;

    void Ecrit(const std::string& ligne) { FSortie->push_back(ligne); }
    bool Erreur(const std::string& message);
    bool Malforme();
    bool Refuse(int refus);
    void Pompe();
    // Runs the loop when the command asked for it; prints the stop report.
    void Court(uint64_t budget);
    bool LitBudget(const TArgumentsConsole& a, uint64_t& budget);
    // True once for a Ctrl+C that came, which it clears.
    bool PrendInterruption();
    TRetour* RetourPret(const char* commande);
    bool Recule(TRetour& r, uint64_t instant, const char* commande);
    bool PresDeLaFenetre() const { return FHoteVirtuel == nullptr; }
    void LanceDepuisLaFenetre();
};
