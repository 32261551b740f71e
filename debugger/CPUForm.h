// The CPU window ("Debugger"): a thin view on the debugger's logic
// (debugger/Debogueur.h). It lays out the controls, hands every gesture to
// the logic and repaints when the logic's display message arrives.
#pragma once

#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "config/DispositionFenetres.h"

#include "debugger/Debogueur.h"
#include "debugger/HistoriqueConsole.h"

class QAction;
class QCheckBox;
class QMenu;
class QPlainTextEdit;
class TConsoleDebogueur;
class TPoste;
class THorlogeMachine;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QToolButton;
class TEditAdresse;
class TConvertForm;
class TStackForm;
class TVarForm;
class TPtArrForm;
class TSymbForm;
class THistoriqueForm;
class TProfilForm;
class TDispositionFenetres;

// The application's hints: "Courier New" 11 pixels on the tooltip colour.
class TMyHintWindow {
public:
    static void Installe();
};

// It hears the run loop's stop report (the main window adds it to the
// workstation's observers): the state panel's hint tells why and where the
// last run stopped.
class TCPUForm : public QWidget, public IObservateurCPU {
public:
    TCPUForm(TDebogueur& debogueur, QWidget* parent);
    ~TCPUForm() override;

    TDebogueur& Debogueur() { return D; }

    QListWidget* LBDasm = nullptr;
    TEditAdresse* EdtAdr = nullptr;
    // In the order of TRegistreCPU: SP, PC, H, L, D, E, B, C, A.
    std::array<QLineEdit*, NbRegistresCPU> EditReg{};
    QCheckBox *CBFlagP = nullptr, *CBFlagAC = nullptr, *CBFlagCY = nullptr, *CBFlagZ = nullptr,
              *CBFlagS = nullptr;
    QLabel *PanelPCPrec = nullptr, *Panel128K = nullptr, *PanelCommut = nullptr, *PanelEtat = nullptr;
    QToolButton *SBReset = nullptr, *SBRun = nullptr, *SBPause = nullptr, *SBStep = nullptr,
                *SBStepOver = nullptr, *SBRunTo = nullptr, *SBJumpToPC = nullptr, *SBDec = nullptr,
                *SBHex = nullptr;
    QPushButton *BtnAffData = nullptr, *BtnAffCode = nullptr, *BtnAffVar = nullptr, *BtnAffPile = nullptr,
                *BtnPtArr = nullptr, *BtnSymb = nullptr, *BtnHexFloat = nullptr;
    // Step out: runs until the routine under way returns.
    QToolButton* SBStepOut = nullptr;
    QToolButton* SBRecule = nullptr;
    QToolButton* SBReculePasse = nullptr;
    QToolButton* SBReculeJusqua = nullptr;

    // The console pane under the listing (CPUConsoleForm.cpp): the T-states,
    // the output of the commands and their command line, with the console
    // of `zorv debug` behind them. The line stays disabled until the
    // console is connected (BrancheConsole).
    QLabel* LabelEtatsT = nullptr;
    QPlainTextEdit* MemoConsole = nullptr;
    QLineEdit* EditConsole = nullptr;
    void BrancheConsole(TPoste& poste, THorlogeMachine* horloge);
    // One command line as if typed, then Enter.
    void ExecuteConsole(const QString& ligne);
    // A line of the pane (the reason a command did nothing, a stop report).
    void EcritConsole(const QString& ligne);

    // The listing's context menu: "Exécuter jusqu'ici", "Point d'arrêt ici".
    QMenu* MenuListing = nullptr;
    QAction *ActJusquIci = nullptr, *ActPtArretIci = nullptr;
    // The function keys' commands (F4 … F9), as the buttons do them.
    void JusquALigne();
    void BasculePtArretChoisi();
    // The debugger windows opened from here, closed with this one.
    void FermeFenetresOuvertes();

    // What "Points arrêt" and "Symboles" open; the symbol dialog is also the
    // picker of every address entry's "Symbole" button.
    TPtArrForm* PtArrForm = nullptr;
    TSymbForm* SymbForm = nullptr;

    // Brings every control up to date with the logic.
    void Affiche();
    void Arret(const TRapportArret& rapport) override;
    // "arrêt : point d'arrêt à 2010H" of the last stop told, or empty.
    const std::string& TexteArret() const { return FTexteArret; }

    // The watch window, the stack window and the converter: single windows
    // made with the CPU window; code windows are made by "Code"
    // (CPUFenetresForm.cpp).
    TVarForm* VarForm = nullptr;
    TStackForm* StackForm = nullptr;
    TConvertForm* ConvertForm = nullptr;

    // "Suivi" (CPUSuiviForm.cpp), in the free place beside "Conversions":
    // "Trace…" (then "Arrêter la trace") and "Couverture" through the
    // console's commands, the "Historique" and "Profil" windows.
    QPushButton* BtnSuivi = nullptr;
    QMenu* MenuSuivi = nullptr;
    QAction *ActTrace = nullptr, *ActHistorique = nullptr, *ActProfil = nullptr, *ActCouverture = nullptr;
    THistoriqueForm* HistoriqueForm = nullptr;
    TProfilForm* ProfilForm = nullptr;
    // The trace's file; empty when the user cancels. A file dialog; the
    // tests answer on their own.
    std::function<QString()> ChoisitFichierTrace;
    // A console command with its words apart, echoed in the pane as typed.
    void ExecuteMots(const std::vector<std::string>& mots);
    // A command that goes back in time, when the machine keeps a history
    // and stands still.
    void Recule(const char* commande);
    void AfficheRecul();
    // The last code window opened (or a new one) lists from `adresse`, in
    // the bank the instruction was fetched from.
    void MontreCode(uint16_t adresse, uint8_t banque);
    // Every debugger window opens cascaded within the screen and keeps its
    // place and size in the settings file.
    TDispositionFenetres* Disposition = nullptr;
    void SuitFenetre(QWidget* w, TGenreFenetre genre);

protected:
    bool eventFilter(QObject* objet, QEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void hideEvent(QHideEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    TDebogueur& D;
    uint32_t FGeneration = UINT32_MAX;
    std::string FTexteAdresses;
    std::string FTexteArret;
    std::unique_ptr<TConsoleDebogueur> FConsole;
    bool FSuitExecution = false; // counted as a user of the debugger (shown)
    THistoriqueConsole FHistorique;
    int FLignePCVue = -2; // the PC line the listing last scrolled to
    TPoste* FPoste = nullptr;
    bool FCouvertureVue = false;

    void CreeListing();
    void CreeRegistres();
    void CreeDrapeaux();
    void CreePanneaux();
    void CreeBoutons();
    void CreeFenetresAuxiliaires();
    void ActiveBoutonsFenetres(bool actif);
    void CreeDialoguesSymboles();
    void CreeConsole();
    void CreeSuivi();
    void AfficheSuivi();
    void BasculeTrace();
    void CreeRaccourcis();
    void PlaceControles();
    void AfficheChangements();
    void SuitLignePC();
    bool ToucheConsole(QKeyEvent* e);
    void AfficheRegistres();
    void AfficheListing();
    void AfficheControles();
    bool FiltreTouche(QLineEdit* entree, int registre, const QString& texte);
};
