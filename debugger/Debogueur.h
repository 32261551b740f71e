// The debugger's hub, without any widget: the state of the CPU window
// (TCPUForm), its listing, its commands and the notifications it posts to the
// other debugger windows. The window is a view on it; the command console and
// the tests drive the same object. Owned by the workstation (TPoste).
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "core/Machine.h"
#include "core/Messages.h"
#include "debugger/Desassembleur.h"
#include "debugger/Inspection.h"
#include "debugger/Pile.h"
#include "debugger/Sondes.h"
#include "debugger/Suivi.h"
#include "debugger/CarteSource.h"
#include "debugger/Symboles.h"
#include "debugger/Variables.h"

struct TDialoguesMemoire;
class TSaisieAdresse;

struct TCouleurRGB {
    uint8_t R = 0, G = 0, B = 0;
    bool operator==(const TCouleurRGB&) const = default;
};
constexpr TCouleurRGB CouleurBanque0{0xDE, 0xEF, 0xF5}; // pale blue
constexpr TCouleurRGB CouleurBanque1{0xE9, 0xFC, 0xE9}; // pale green

// Which controls of the CPU window are usable (EnableChange and the halted row).
struct TEtatControles {
    bool Listing = false, Adresses = false, Registres = false, Drapeaux = false;
    bool BoutonsFenetres = false, Panneaux = false;
    bool Run = false, Step = false, StepOver = false, RunTo = false, JumpToPC = false, DecHex = false;
    bool Pause = true, Reset = true;
    bool operator==(const TEtatControles&) const = default;
};

struct TPanneauEtat {
    std::string Texte;
    TCouleurRGB Fond, Encre;
};

// Why a command was not carried out.
enum class TRefus : uint8_t {
    Aucun,
    PasArrete,      // the processor is not in CPUStop (running or halted)
    PasEnCourse,    // pause: the processor is not running
    DansInstruction, // from inside an instruction (a box it raised): no re-entry
    AucuneLigne      // run to the selected line: no line is selected
};

// Why, in French, for the console's refusals and the window's messages
// ("le processeur n'est pas arrêté"); `etat` tells a halt from a run.
std::string TexteRefus(TRefus refus, TEtatCPU etat);

class TDebogueur : public IObservateurCPU {
public:
    TDebogueur(TMachine& m, TDistributeurMessages& distributeur);
    ~TDebogueur() override;
    TDebogueur(const TDebogueur&) = delete;
    TDebogueur& operator=(const TDebogueur&) = delete;

    // --- Hub state ----------------------------------------------------------
    bool Decimal = false;
    bool CanChange = true; // false while the window writes its own controls
    int32_t DebDasm = 0, FinDasm = 0;
    int32_t IndLigCour = -1;
    int32_t MemCodeJeu = 0;
    int32_t AncienItem = -1;
    uint16_t AdrPtRet = 0; // target of the last step over or run to
    TListeSymboles Symboles;
    // The line map of the program last loaded from a .zdbg (empty: none).
    TCarteSource CarteSource;
    std::vector<TIdFenetre> FenData, FenCode; // open memory and code windows
    std::optional<TIdFenetre> FenVar, FenPile, FenRemplir, FenCopie;
    TIdFenetre FenCPU() const { return FFenCPU; }
    // The window's repaint, called when MsgAfficheCPU reaches the CPU window.
    std::function<void()> SurAffichage;
    // Starts the run loop: by default posts 0x401 to the main window.
    std::function<void()> DemandeCourse;

    // --- Symbols and address entries ------------------------------------------
    // The symbol picker of the address entries' "Symbole" button: opens the
    // symbol dialog with that entry as its FEditeur. Installed by the window
    // layer; while unset (command line, tests) the buttons stay disabled.
    std::function<void(TSaisieAdresse&)> ChoisitSymbole;
    // Conditions of breakpoints and watchpoints (the machine's probe).
    TSondesDebogueur Sondes;
    // Trace, history, profiler, coverage and "who wrote this".
    TSuiviDebogueur Suivi;

    TMachine& Machine() { return M; }
    const TMachine& Machine() const { return M; }

    // --- Watches and the stack view ---------------------------------------------
    // The watch list (TVarForm) and the stack rows (TStackForm) live here,
    // for the windows, the console and the tests alike; the windows' ends of
    // the notifications (TFenetreVariables, TFenetrePile, TFenetreCode)
    // subscribe to the dispatcher (Distributeur()).
    TVariables Variables;
    TVuePile Pile;

    // --- What the window shows ----------------------------------------------
    const std::vector<TLigneListing>& Lignes() const { return FLignes; }
    int LigneChoisie() const { return FLigneChoisie; }
    void ChoisitLigne(int ligne);
    // Changes with every full relisting (the view refills its list then).
    uint32_t Generation() const { return FGeneration; }
    const std::string& TexteAdresses() const { return FTexteAdresses; }
    const TEtatControles& Controles() const { return FControles; }
    const TPanneauEtat& PanneauEtat() const { return FPanneau; }
    // The listing's background: the bank colour of MemCodeJeu, or none (the
    // system's menu colour) while the listing is disabled.
    std::optional<TCouleurRGB> CouleurListing() const;
    std::string TexteRegistre(TRegistreCPU r) const;
    std::string TextePCPrec() const;
    std::string Texte128K() const;
    std::string TexteCommut() const;
    // AfficheRegistres asked for the register entries to be rewritten; the
    // view takes the request (true once).
    bool PrendRegistresAAfficher();

    // --- Editing (only when CanChange) ----------------------------------------
    // A register entry's text changed; PC lists again from the new value.
    void ChangeTexteRegistre(TRegistreCPU r, const std::string& texte);
    void ChangeDrapeau(TDrapeauCPU d, bool leve);
    void ChoisitDecimal(bool decimal);
    // The address entry reported a range "DEBUT FIN" (hexadecimal); false
    // when the text is not one.
    bool ChangeTexteAdresses(const std::string& texte);

    // --- Listing -------------------------------------------------------------
    void ListeDasm(int32_t debut, int32_t fin);
    void ReDasmDebug();
    void SuitPC();
    void MarqueLigne(int ligne, bool pointArret, bool pc);
    // The hint of a line: LigneDasm in hint mode, bank of CodeJeuInst now.
    std::string BulleLigne(int ligne) const;
    // The mouse is over `ligne` (-1 none): true when it is another line
    // than at the last move (the current hint is withdrawn).
    bool SurvolLigne(int ligne);

    // --- Commands ------------------------------------------------------------
    TRefus PeutExecuter() const;
    TRefus Pas();
    TRefus PasseAuDessus();
    TRefus JusquA(uint16_t adresse);
    TRefus JusquALigne(); // run to the selected line
    // Step out: runs until the routine under way returns, that is until a
    // return instruction takes its address from SP or above (the caller's
    // frame); it stops after that return, on the instruction it went back to.
    TRefus Sort();
    TRefus Lance();
    TRefus Pause();
    void Raz();
    void Int() { M.TBIntClick(); }
    bool BasculePtArretLigne(int ligne);
    // Step repeat: mouse pressed on SBStep, a tick of its timer, released.
    void AppuiPas();
    void TickPas();
    void RelachePas();
    uint32_t IntervallePas() const { return FIntervallePas; }

    // --- What changed since the last stop -----------------------------------------
    // A stop is the end of a run, a pause or one step. The T-states since
    // power-on and those of the last run or step.
    uint64_t EtatsTDepart() const { return M.NbCycles; }
    uint64_t EtatsTDernier() const { return FEtatsTDernier; }
    // "états T : 1 234 567 depuis le départ, 42 depuis l'arrêt précédent"
    std::string TexteEtatsT() const;
    // Registers and flags that differ from what the previous stop showed.
    bool RegistreChange(TRegistreCPU r) const;
    bool DrapeauChange(TDrapeauCPU d) const;
    // The listing line of PC (IndLigCour), -1 when it is not listed.
    int LignePC() const { return IndLigCour >= 0 && IndLigCour < int(FLignes.size()) ? IndLigCour : -1; }

    // --- State display and notifications --------------------------------------
    void EtatDuCPU(TEtatCPU etat) override;
    void Arret(const TRapportArret& rapport) override;
    void EnableChange(bool actif);
    void AfficheRegistres();
    void MajFenDonnees();
    void MajFenCode();
    void MajFenVar();
    void MajFenPile();
    // The four fan-outs, after the processor moved or memory was written.
    void MajFenetres();
    void ActiveFenetres(bool actif);
    void DebutEdit(TIdFenetre fenetre);

    // --- Memory tools (debugger/FenetreDonnees.h, DialoguesMemoire.h) ------------
    // The dispatcher the memory windows subscribe to, and the logic of the
    // copy and fill dialogs: created on first use and kept for the session,
    // so their fields are remembered from one opening to the next.
    TDistributeurMessages& Distributeur() { return FDistributeur; }
    TDialoguesMemoire& DialoguesMemoire();

private:
    std::shared_ptr<TDialoguesMemoire> FDialoguesMemoire;
    // --- End of the memory tools -------------------------------------------------

    TMachine& M;
    TDistributeurMessages& FDistributeur;
    TIdFenetre FFenCPU = 0;
    std::vector<TLigneListing> FLignes;
    int FLigneChoisie = -1;
    uint32_t FGeneration = 0;
    std::string FTexteAdresses;
    TEtatControles FControles;
    TPanneauEtat FPanneau;
    bool FRegistresAAfficher = true;
    bool FAffichageEnAttente = false;
    bool FDansInstruction = false;
    bool FPasAppuye = false;
    uint32_t FIntervallePas = 500;
    TRegistresCPU FRegistresArret, FRegistresAvant; // at the last stop, at the one before
    uint64_t FEtatsTArret = 0, FEtatsTDernier = 0;

    void Poste(uint32_t numero, TIdFenetre fenetre, int64_t p1 = 0, int64_t p2 = 0);
    void DemandeAffichage();
    void RecoitMessage(const TMessage& message);
    void RemplitListing(int32_t debut, int32_t fin);
    int LigneDe(uint16_t adresse) const;
    void OtePC(); // the "►" off before the processor moves
    void ChoisitPanneau(const char* texte, TCouleurRGB fond, TCouleurRGB encre);
    void NoteArret();
};
