// The main window: toolbar, the machine's screen and the run loop. It owns
// the emulated machine.
#pragma once

#include <QCoreApplication>
#include <QTimer>
#include <QElapsedTimer>
#include <QPointer>
#include <QWidget>

#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "config/DossiersUtilisateur.h"
#include "config/ParametresFenetre.h"
#include "config/Poste.h"
#include "devices/Imprimante.h"
#include "devices/FrappeTexte.h"
#include "ui/HoteQt.h"
#include "ui/Icones.h"

class QAction;
class QMenu;
class QLabel;
class QToolBar;
class QToolButton;
class TAideClavierForm;
class TAideForm;
class TBarreEtat;
class TFiltreClavier;
class TCPUForm;
class TSurfaceImpressionQt;
class TFormParams;
class TFormGesDsq;
class TImprForm;

// The drawing surface: opaque, never erased, drawn in one copy of the
// machine's bitmap.
class TMyPaintBox : public QWidget {
    Q_OBJECT
public:
    TMyPaintBox(TInspection porte, QWidget* parent);
    // Scaled pictures are smoothed (fitted zoom) or kept sharp (×1, ×2).
    bool Lisse = false;
    // A text dropped on the screen.
    std::function<void(const QString&)> SurDepot;
    // An image file dropped on the screen (it goes into drive 1).
    std::function<void(const QString&)> SurDepotFichier;

protected:
    void paintEvent(QPaintEvent*) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dropEvent(QDropEvent* e) override;

private:
    TInspection FPorte;
};

struct TOptionsFenetre {
    std::string ProgDir;  // folder of the executable (settings, ROM images; see config/DossiersUtilisateur.h)
    TBoite Boite;         // message boxes; empty = real modal boxes
    bool ImpressionPdf = false; // print jobs to PDF files even with a printer installed
    std::string EtatAuDemarrage; // a state file loaded once the machine runs (--load-state)
    std::string SessionAEnregistrer; // --record: recorded from the start, written when the window closes
    std::string SessionARejouer;     // --replay: played once the machine runs
};

// The start-up runs once the message loop runs, over the shown window: the
// settings and ROM images (their error boxes), the images of the drives,
// then the run message.
class TMainForm : public QWidget, public IObservateurCPU {
    Q_OBJECT
public:
    explicit TMainForm(const TOptionsFenetre& options);
    ~TMainForm() override;

    TPoste& Poste() { return FPoste; }
    // The machine record, for the widget tests only: the window itself goes
    // through its door (Porte).
    TMachine& Machine() { return FPoste.Machine(); }
    TInspection& Porte() { return FPorte; }
    TParametres& Parametres() { return FPoste.Parametres; }
    THoteQt& Hote() { return *FHote; }
    TFiltreClavier& FiltreClavier() { return *FFiltre; }
    TLecteurs& Lecteurs() { return FPoste.Lecteurs; }
    TCPUForm* CPUForm() { return FCPUForm; }
    TImprimante& Imprimante() { return *FImprimante; }
    TMyPaintBox* PaintBox1 = nullptr;

    QToolButton *TBDsq = nullptr, *TBKbd = nullptr, *TBRaz = nullptr, *TBInt = nullptr,
                *TBParams = nullptr, *TBPrSetup = nullptr, *TBPrint = nullptr, *TBCPU = nullptr,
                *TBInfo = nullptr, *TBExit = nullptr;
    // "Vitesse réelle" (checked) or "Vitesse maximale"; Alt+R.
    QToolButton* TBVitesse = nullptr;

    // Renders the screen and shows it at once.
    void PaintBox1Paint();
    void AfficheEtatCPU(TEtatCPU etat) override;
    // A run stopped: its report in the status bar.
    void Arret(const TRapportArret& rapport) override;
    void RelacheMajMin();
    void CaptureClavier(bool active);
    bool ChargementReussi() const { return FChargementReussi; }
    // The start-up has run (successfully or not).
    bool Demarree() const { return FDemarree; }
    const TDossiers& Dossiers() const { return FDossiers; }
    TBarreEtat* BarreEtat() { return FBarreEtat; }
    TAideClavierForm* AideClavier() { return FAide; }
    TAideForm* Manuel() { return FManuel; }

    // Window commands (menu "Commandes", the screen's context menu, shortcuts).
    QAction *ActZoom1 = nullptr, *ActZoom2 = nullptr, *ActAjuste = nullptr, *ActPleinEcran = nullptr,
            *ActCapture = nullptr, *ActColle = nullptr, *ActArretColle = nullptr, *ActPause = nullptr,
            *ActAide = nullptr, *ActManuel = nullptr, *ActRecul = nullptr;
    QToolButton* TBMenu = nullptr;
    // ×1 or ×2: the window takes that zoom's size, or the largest zoom's
    // that fits in the screen's available area (said in the status bar).
    void ChoisitZoom(TZoom zoom);
    TZoom Zoom() const { return FChoix.Zoom; }
    // The screen's available area, frame included; when set, it stands for
    // the screen's (the widget tests).
    std::function<QRect()> ZoneDisponible;
    void BasculePleinEcran();
    // Saves the screen; the full name, or empty (the reason is in the status bar).
    std::string Capture();
    // Types a text into the machine, paced by its keyboard queue.
    void Colle(const QString& texte);
    void ArreteCollage();
    bool CollageEnCours() const { return FCollage != nullptr; }
    void BasculePause();
    // A line of the status bar (the host's MessageStatut).
    void AfficheStatut(const std::string& texte);
    // The run state the title and the status bar show: a running machine
    // under a modal window (a box, a dialog) does not run, and says STOP.
    TEtatCPU EtatMontre() const;
    bool ModaleOuverte() const { return !FModales.isEmpty(); }
    // Places the screen for the window's size and zoom.
    void PlaceEcran();

    // Saved states (ui/MainFormEtats.cpp): "Enregistrer l'état…", "Charger
    // l'état…" and the quick states 1 … 4 of the "États" folder.
    QAction *ActEnregistreEtat = nullptr, *ActChargeEtat = nullptr;
    std::array<QAction*, NbEtatsRapides> ActEnregistreRapide{}, ActChargeRapide{};
    // The machine into `chemin`, its folder made when needed; false after
    // the error box.
    bool EnregistreEtatFichier(const std::string& chemin);
    // The machine taken back from `chemin`, at once (the window's handlers
    // run between two instructions); a drive image changed since the save
    // is a question. False after the error box, the machine unchanged.
    bool ChargeEtatFichier(const std::string& chemin);
    void EnregistreEtatRapide(int numero);
    void ChargeEtatRapide(int numero);
    void DialogueEnregistreEtat();
    void DialogueChargeEtat();
    // Stands for the file dialogs when set (the widget tests): the file
    // chosen, nullopt for Cancel.
    std::function<std::optional<QString>(bool charger)> ChoixFichierEtat;

    // Sessions (ui/MainFormSessions.cpp): "Enregistrer une session…" starts
    // and stops a recording (a red dot in the status bar meanwhile),
    // "Rejouer une session…" plays one at the window's speed.
    QAction *ActSession = nullptr, *ActRejoueSession = nullptr;
    bool EnregistrementEnCours() const;
    // Starts recording into `chemin` (written when it stops).
    void CommenceSession(const std::string& chemin);
    // The debugger's history (going back), from the settings, unless a session runs.
    void ActiveHistorique();
    // Ctrl+Maj+Retour arrière held: the running machine goes back, the
    // screen following, and runs on from there once the key is released.
    void PasDeRecul();
    void FinDuRecul();
    QTimer* FFinRecul = nullptr;
    bool FReprendreApresRecul = false;
    // Stops and writes the recording; false after the error box.
    bool TermineSession();
    // Plays the session of `chemin` from now on; false after the error box.
    bool RejoueSessionFichier(const std::string& chemin);
    void DialogueSession();
    void DialogueRejoueSession();
    // Stands for the file dialogs when set (the widget tests).
    std::function<std::optional<QString>(bool rejouer)> ChoixFichierSession;

signals:
    // The window has been closed (its run loop is ending).
    void Fermee();

public:
    void TBRazClick();
    void TBIntClick();
    void TBAboutClick();
    void TBExitClick();
    void TBCPUClick();
    void TBPrintClick();
    // "Imprime" is enabled exactly while jobs are ended by hand.
    void ActiveTBPrint();
    void TBParamsClick();
    void TBPrSetupClick();
    // "Disques": the disk manager, modal; the keyboard hook is off meanwhile.
    void TBDsqClick();
    TFormGesDsq& FormGesDsq() { return *FFormGesDsq; }
    // The settings windows, made on first use and kept for the program's life.
    TFormParams& FormParams();
    TImprForm& ImprForm();
    void TBVitesseClick(bool reelle);

protected:
    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    TPoste FPoste;
    TInspection FPorte{FPoste.Inspection()};
    std::unique_ptr<THoteQt> FHote;
    std::unique_ptr<TSurfaceImpressionQt> FSurfaceImpr;
    std::unique_ptr<TImprimante> FImprimante;
    TFiltreClavier* FFiltre = nullptr;
    TCPUForm* FCPUForm = nullptr; // hidden until "CPU"; follows the run state from the start
    QVector<QIcon> FImages;
    QToolBar* FBarre = nullptr;
    bool FChargementReussi = false;
    bool FDemarree = false;
    TFormParams* FFormParams = nullptr;
    TImprForm* FImprForm = nullptr;
    TFormGesDsq* FFormGesDsq = nullptr; // made with the window, kept for its life
    TDossiers FDossiers;
    TParametresFenetre FChoix;
    TBarreEtat* FBarreEtat = nullptr;
    TAideClavierForm* FAide = nullptr;
    TAideForm* FManuel = nullptr; // the manual, made at its first opening
    QMenu* FMenu = nullptr;
    std::unique_ptr<TSourceFrappe> FCollage; // the machine's key source while it lasts
    bool FGardees = false;                  // FCollage holds keys typed during a pause
    int FNbGardees = 0;                     // keys kept since the pause began
    QTimer FMinuterieCollage;
    QObject* FGuetteur = nullptr;           // sees the modal windows open and close
    QList<QPointer<QWidget>> FModales;      // those open now
    friend class TGuetteurModales;

    uint64_t FInstructionsVues = 0, FCyclesVus = 0;
    int64_t FMesureNs = 0;
    QElapsedTimer FHorlogeVitesse;
    QToolButton* AjouteBouton(const QString& texte, int image);
    void ConstruitVitesse();
    void AfficheVitesse();
    void ConstruitBarre();
    void ConstruitCommandes();
    QAction* NouvelleAction(QMenu* menu, const QString& texte, const QList<QKeySequence>& touches,
                            const std::function<void()>& fait);
    void ConstruitEtats();
    void MajEtatsRapides();
    void ConstruitSessions();
    void MajSession();
    std::optional<QString> ChoisitFichierSession(bool rejouer);
    // The replay has ended or lost the recording: said once.
    void SuitRelecture();
    std::string FCheminSession;
    bool FFinRelectureDite = false;
    std::optional<QString> ChoisitFichierEtat(bool charger);
    void ApresChargement(int32_t modeleAvant);
    std::string FEtatAuDemarrage;
    std::string FSessionAEnregistrer, FSessionARejouer;
    void BullesBarre();
    void AlimenteCollage();
    void MajTitre();
    void MajModele();
    void MajEtatMontre();
    void GardeTouche(const TMessageClavier& msg);
    bool GardeLesTouches() const;
    void EnregistreChoix();
    void AppliqueChoix();
    void Centre();
    QRect Disponible() const;
    void Demarre();
    void MonteImages();
    bool SuspendCapture();
    void RetablitCapture(bool capture);
};
