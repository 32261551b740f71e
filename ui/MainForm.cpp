#include "ui/MainForm.h"

#include "core/Version.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QToolBar>
#include <QToolButton>

#include "config/Demarrage.h"
#include "config/ImprForm.h"
#include "config/ParamsForm.h"
#include "debugger/CPUForm.h"
#include "debugger/SymbolesRom.h"
#include "debugger/TexteArret.h"
#include "disks/GesDsqForm.h"
#include "config/Modeles.h"
#include "core/Texte.h"
#include "devices/TraductionClavier.h"
#include "devices/PlacementEcran.h"
#include "ui/BarreEtat.h"
#include "ui/FiltreClavier.h"
#include "ui/SurfaceImpressionQt.h"

namespace {

constexpr int LargeurClient = 1060, HauteurClient = 650;

} // namespace

// Every modal window of the program, whoever opens it (a box, a settings
// dialog, a debugger dialog, a file dialog), runs its own event loop: the run
// loop waits meanwhile, and the window says so.
class TGuetteurModales : public QObject {
public:
    explicit TGuetteurModales(TMainForm& fenetre) : QObject(&fenetre), FFenetre(fenetre) {}

protected:
    bool eventFilter(QObject* cible, QEvent* e) override {
        const QEvent::Type type = e->type();
        if (type != QEvent::Show && type != QEvent::Hide) return false;
        auto* w = qobject_cast<QWidget*>(cible);
        if (!w || !w->isWindow() || !w->isModal() || w == &FFenetre) return false;
        auto& modales = FFenetre.FModales;
        modales.removeIf([w](const QPointer<QWidget>& m) { return m.isNull() || m == w; });
        if (type == QEvent::Show) modales.append(w);
        FFenetre.MajEtatMontre();
        return false;
    }

private:
    TMainForm& FFenetre;
};

TMyPaintBox::TMyPaintBox(TInspection porte, QWidget* parent) : QWidget(parent), FPorte(porte) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_NoSystemBackground);
    // No input method over the screen: dead keys reach the keyboard hook as
    // keys, which composes them (and falls back) as the machine expects.
    setAttribute(Qt::WA_InputMethodEnabled, false);
    setFocusPolicy(Qt::StrongFocus);
    setAcceptDrops(true);
}

// One copy of the bitmap per repaint: 1:1, or scaled by the painter.
void TMyPaintBox::paintEvent(QPaintEvent*) {
    const QImage image(FPorte.DessineEcran(), LargeurEcran, HauteurEcran, LargeurEcran * 3, QImage::Format_BGR888);
    QPainter p(this);
    if (size() == QSize(LargeurEcran, HauteurEcran)) {
        p.drawImage(0, 0, image);
        return;
    }
    p.setRenderHint(QPainter::SmoothPixmapTransform, Lisse);
    p.drawImage(rect(), image);
}

void TMyPaintBox::dragEnterEvent(QDragEnterEvent* e) {
    if (e->mimeData()->hasText() || !FichierDepose(e->mimeData()).isEmpty()) e->acceptProposedAction();
}

// A file goes into drive 1 (its names would otherwise be typed as text).
void TMyPaintBox::dropEvent(QDropEvent* e) {
    const QString fichier = FichierDepose(e->mimeData());
    if (!fichier.isEmpty()) {
        if (!SurDepotFichier) return;
        SurDepotFichier(fichier);
    } else {
        if (!e->mimeData()->hasText() || !SurDepot) return;
        SurDepot(e->mimeData()->text());
    }
    e->acceptProposedAction();
}

TMainForm::TMainForm(const TOptionsFenetre& options)
    : FPoste(GraineAleatoire()), FImages(ImagesBarreOutils()),
      FDossiers(ChoisitDossiers(options.ProgDir, TEnvironnementDossiers::DuProcessus())),
      FEtatAuDemarrage(options.EtatAuDemarrage), FSessionAEnregistrer(options.SessionAEnregistrer),
      FSessionARejouer(options.SessionARejouer) {
    setWindowTitle(QStringLiteral("Emulateur Zorvex ") + QLatin1String(VersionEmulZorv));
    setMinimumSize(320, 240);
    resize(LargeurClient, HauteurClient);
    FHote = std::make_unique<THoteQt>(FPorte, *this, options.Boite);
    FPoste.ConnecteHote(FHote.get());
    FPoste.AjouteObservateur(this);
    FPoste.SurFermeture = [this] { close(); };
    FSurfaceImpr = std::make_unique<TSurfaceImpressionQt>(
        FPoste.Parametres, [this](const std::string& texte) { FHote->MessageStatut(texte); }, options.ImpressionPdf);
    FImprimante = FPoste.NouvelleImprimante(*FSurfaceImpr);
    FPoste.ConnecteImprimante(FImprimante.get());
    FPoste.Parametres.DossierParametres = FDossiers.Parametres;
    FPoste.Parametres.DossierDonnees = FDossiers.Donnees;
    FFiltre = new TFiltreClavier(FPorte, this);
    ConstruitBarre();
    ConstruitVitesse();
    PaintBox1 = new TMyPaintBox(FPorte, this);
    PaintBox1->SurDepot = [this](const QString& texte) { Colle(texte); };
    PaintBox1->setFocus();
    FCPUForm = new TCPUForm(FPoste.Debogueur(), this);
    FCPUForm->BrancheConsole(FPoste, &FHote->TempsMachine());
    FPoste.AjouteObservateur(FCPUForm);
    FFormGesDsq = new TFormGesDsq(FPoste, *FHote, this);
    PaintBox1->SurDepotFichier = [this](const QString& chemin) {
        if (FFormGesDsq->InsereImage(1, chemin))
            FHote->MessageStatut("Lecteur 1 : " + NomSansDossier(chemin.toStdString()));
        FBarreEtat->MajLumieres();
    };
    FBarreEtat = new TBarreEtat(FPoste.Activite, this);
    FBarreEtat->Horloge = FHote.get();
    FBarreEtat->DisqueDans = [this](int slot) { return FPoste.Lecteurs.EtatDuDisque(slot) != 0; };
    FBarreEtat->AfficheEtatCPU(EtatMontre());
    FFiltre->SurRetenue = [this](const TMessageClavier& msg) { GardeTouche(msg); };
    FGuetteur = new TGuetteurModales(*this);
    qApp->installEventFilter(FGuetteur);
    AfficheVitesse();
    ConstruitCommandes();
    BullesBarre();
    PlaceEcran();
    Centre();
    // Nothing that can show a box runs before the window is shown and the
    // message loop runs.
    QMetaObject::invokeMethod(this, &TMainForm::Demarre, Qt::QueuedConnection);
}

void TMainForm::Demarre() {
    if (FDemarree) return;
    FDemarree = true;
    FChargementReussi = FPoste.Demarre(FDossiers.Programme);
    ChargeSymbolesRom(FPoste.Debogueur(), Parametres().RomBootZorv); // QBM71K.sym beside QBM71K.bin
    MajModele();
    ActiveTBPrint();
    FHote->ChoisitVitesse(Parametres().VitesseReelle, Parametres().HorlogeKHz);
    TBVitesse->setChecked(Parametres().VitesseReelle);
    if (!FChargementReussi) return; // the close requests are queued
    AppliqueChoix();
    // The images named in the settings are in their drives before the
    // machine runs its first instruction.
    MonteImages();
    ActiveHistorique();
    // Before the first instruction: the session starts from the machine as
    // it powers on (or, after the state below, from the state).
    if (!FSessionAEnregistrer.empty() && FEtatAuDemarrage.empty()) CommenceSession(FSessionAEnregistrer);
    FHote->PosteMessage(MsgLanceEmulation);
    // As "Charger l'état…" would: from inside the run, between two instructions.
    if (!FEtatAuDemarrage.empty())
        QMetaObject::invokeMethod(this, [this] { ChargeEtatFichier(FEtatAuDemarrage); }, Qt::QueuedConnection);
    if (!FSessionAEnregistrer.empty() && !FEtatAuDemarrage.empty())
        QMetaObject::invokeMethod(this, [this] { CommenceSession(FSessionAEnregistrer); }, Qt::QueuedConnection);
    if (!FSessionARejouer.empty())
        QMetaObject::invokeMethod(this, [this] { RejoueSessionFichier(FSessionARejouer); }, Qt::QueuedConnection);
}

void TMainForm::MonteImages() {
    for (const std::string& erreur : FPoste.MonteImages(SeparateurMilliersFr)) FHote->MessageErreur(erreur);
    FBarreEtat->MajLumieres();
}

TMainForm::~TMainForm() {
    FPoste.RetireObservateur(FCPUForm);
    delete FCPUForm; // before the workstation it shows
    FCPUForm = nullptr;
    CaptureClavier(false);
    FPorte.TermineEmulation();
    FImprimante->FinProgramme();
    FPoste.ConnecteImprimante(nullptr);
    FPoste.Activite.SurActivite = nullptr;
    qApp->removeEventFilter(FGuetteur);
    FPoste.RetireObservateur(this);
    FPoste.ConnecteHote(nullptr);
}

QToolButton* TMainForm::AjouteBouton(const QString& texte, int image) {
    auto* b = new QToolButton(FBarre);
    b->setText(texte);
    b->setIcon(FImages[image]);
    b->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
    b->setFixedSize(62, 36);
    b->setIconSize(QSize(18, 18));
    b->setFocusPolicy(Qt::NoFocus);
    b->setAutoRaise(true);
    FBarre->addWidget(b);
    return b;
}

void TMainForm::ConstruitBarre() {
    FBarre = new QToolBar(this);
    FBarre->setGeometry(0, 0, LargeurClient, HauteurBarreOutils);
    FBarre->setMovable(false);
    FBarre->setFloatable(false);
    FBarre->setIconSize(QSize(18, 18));
    FBarre->setStyleSheet(QStringLiteral("QToolBar { spacing: 0px; padding: 0px 2px; }"
                                         "QToolButton { padding: 0px; margin: 0px; font-size: 10px; }"));
    TBDsq = AjouteBouton(QStringLiteral("Disques"), 0);
    TBKbd = AjouteBouton(QStringLiteral("Maj / Min"), 1);
    FBarre->addSeparator();
    TBRaz = AjouteBouton(QStringLiteral("RAZ"), 2);
    TBInt = AjouteBouton(QStringLiteral("INT"), 3);
    FBarre->addSeparator();
    TBParams = AjouteBouton(QStringLiteral("Param\u00e8tres"), 8);
    TBPrSetup = AjouteBouton(QStringLiteral("Prop. Imp."), 4);
    TBPrint = AjouteBouton(QStringLiteral("Imprime"), 5);
    FBarre->addSeparator();
    TBCPU = AjouteBouton(QStringLiteral("CPU"), 10);
    TBInfo = AjouteBouton(QStringLiteral("Info"), 7);
    FBarre->addSeparator();
    TBExit = AjouteBouton(QStringLiteral("Quitter"), 6);
    connect(TBDsq, &QToolButton::clicked, this, &TMainForm::TBDsqClick);
    ActiveTBPrint();
    connect(TBPrint, &QToolButton::clicked, this, &TMainForm::TBPrintClick);
    TBKbd->setCheckable(true);
    connect(TBKbd, &QToolButton::toggled, this, [this](bool enfonce) { FPorte.EnfonceMajMin(enfonce); });
    connect(TBRaz, &QToolButton::clicked, this, &TMainForm::TBRazClick);
    connect(TBInt, &QToolButton::clicked, this, &TMainForm::TBIntClick);
    connect(TBCPU, &QToolButton::clicked, this, &TMainForm::TBCPUClick);
    connect(TBParams, &QToolButton::clicked, this, &TMainForm::TBParamsClick);
    connect(TBPrSetup, &QToolButton::clicked, this, &TMainForm::TBPrSetupClick);
    connect(TBInfo, &QToolButton::clicked, this, &TMainForm::TBAboutClick);
    connect(TBExit, &QToolButton::clicked, this, &TMainForm::TBExitClick);
}

void TMainForm::ConstruitVitesse() {
    FBarre->addSeparator();
    TBVitesse = AjouteBouton(QStringLiteral("Vitesse"), 10);
    TBVitesse->setCheckable(true);
    TBVitesse->setShortcut(QKeySequence(Qt::ALT | Qt::Key_R));
    TBVitesse->setToolTip(QStringLiteral("Vitesse r\u00e9elle (enfonc\u00e9) ou Vitesse maximale (Alt+R)"));
    connect(TBVitesse, &QToolButton::toggled, this, &TMainForm::TBVitesseClick);
    FHorlogeVitesse.start();
    auto* minuterie = new QTimer(this);
    connect(minuterie, &QTimer::timeout, this, &TMainForm::AfficheVitesse);
    minuterie->start(500);
    AfficheVitesse();
}

// The mode is a setting: kept in the settings file at once.
void TMainForm::TBVitesseClick(bool reelle) {
    if (reelle == FHote->VitesseReelle()) return;
    FHote->ChoisitVitesse(reelle, Parametres().HorlogeKHz);
    Parametres().VitesseReelle = reelle;
    if (FDemarree) FPoste.EcritParametres();
    AfficheVitesse();
}

// Instructions per second and the share of the real machine's speed over
// the last half second.
void TMainForm::AfficheVitesse() {
    const int64_t maintenant = FHorlogeVitesse.nsecsElapsed();
    const double secondes = double(maintenant - FMesureNs) / 1e9;
    const QString mode = FHote->VitesseReelle() ? QStringLiteral("Vitesse r\u00e9elle") : QStringLiteral("Vitesse maximale");
    QString texte = mode;
    if (secondes > 0 && FPorte.Cycles() >= FCyclesVus && FMesureNs > 0) {
        const double mips = double(FPorte.Instructions() - FInstructionsVues) / secondes / 1e6;
        const double pourcent = double(FPorte.Cycles() - FCyclesVus) / secondes / (double(FHote->HorlogeKHz()) * 1000.0) * 100.0;
        texte += QString::fromStdString(" : " + NombreFr(pourcent, 0) + " % (" + NombreFr(mips, 2) + " MIPS)");
    }
    if (FBarreEtat) {
        FBarreEtat->AfficheVitesse(texte.toStdString());
        FBarreEtat->MajLumieres(); // a disk put in or taken out
    }
    FInstructionsVues = FPorte.Instructions();
    FCyclesVus = FPorte.Cycles();
    FMesureNs = maintenant;
}

void TMainForm::Centre() {
    if (const QScreen* ecran = QGuiApplication::primaryScreen()) {
        const QRect zone = ecran->availableGeometry();
        move(zone.center() - QPoint(LargeurClient / 2, HauteurClient / 2));
    }
}

void TMainForm::PaintBox1Paint() { PaintBox1->repaint(); }

void TMainForm::AfficheEtatCPU(TEtatCPU etat) {
    if (TBCPU) TBCPU->setIcon(FImages[10 + int(etat)]);
    if (etat != CPUStop) FNbGardees = 0;
    MajEtatMontre();
}

TEtatCPU TMainForm::EtatMontre() const {
    const TEtatCPU etat = FPorte.EtatCPU();
    return etat == CPURun && ModaleOuverte() ? CPUStop : etat;
}

void TMainForm::MajEtatMontre() {
    if (FBarreEtat) FBarreEtat->AfficheEtatCPU(EtatMontre());
    MajTitre();
}

void TMainForm::MajModele() {
    FBarreEtat->AfficheModele(LibelleModele(FPorte.Modele()));
    MajTitre();
}

void TMainForm::Arret(const TRapportArret& rapport) {
    if (ArretAnnonce(rapport)) AfficheStatut(TexteRapportArret(rapport, FPoste.Debogueur().Sondes));
    SuitRelecture();
}

void TMainForm::RelacheMajMin() { TBKbd->setChecked(false); }

void TMainForm::CaptureClavier(bool active) {
    if (active)
        qApp->installEventFilter(FFiltre);
    else
        qApp->removeEventFilter(FFiltre);
}

void TMainForm::TBRazClick() { FPorte.Raz(); }

void TMainForm::TBIntClick() { FPorte.Int(); }

void TMainForm::TBAboutClick() { FHote->MessageInfo(std::string("Emulateur Zorvex\nVersion ") + VersionEmulZorv); }

void TMainForm::TBCPUClick() {
    FCPUForm->show();
    FCPUForm->raise();
    FCPUForm->activateWindow();
}

void TMainForm::TBPrintClick() { FImprimante->TBPrintClick(); }

void TMainForm::ActiveTBPrint() { TBPrint->setEnabled(FPorte.ImpressionManuelle()); }

// The settings windows take the keyboard: the hook is off while they are
// open and comes back as it was (on while the machine runs).
bool TMainForm::SuspendCapture() {
    const bool capture = FPorte.CaptureClavier();
    CaptureClavier(false);
    FPorte.ChoisitCaptureClavier(false);
    return capture;
}

void TMainForm::RetablitCapture(bool capture) {
    CaptureClavier(capture);
    FPorte.ChoisitCaptureClavier(capture);
}

TFormParams& TMainForm::FormParams() {
    if (!FFormParams) FFormParams = new TFormParams(this);
    return *FFormParams;
}

TImprForm& TMainForm::ImprForm() {
    if (!FImprForm) FImprForm = new TImprForm(this);
    return *FImprForm;
}

void TMainForm::TBParamsClick() {
    const bool capture = SuspendCapture();
    const auto effets = FormParams().Montre(FPoste, *FHote);
    MajModele(); // a new model has reset the machine
    if (effets && effets->DisquettesAuDemarrage)
        FHote->MessageStatut("Le type des disquettes 1 et 2 changera au prochain d\u00e9marrage");
    RetablitCapture(capture);
}

void TMainForm::TBPrSetupClick() {
    const bool capture = SuspendCapture();
    ImprForm().Montre(FPoste, *FHote);
    ActiveTBPrint();
    RetablitCapture(capture);
}

void TMainForm::TBDsqClick() {
    const bool capture = SuspendCapture();
    FFormGesDsq->Montre();
    FBarreEtat->MajLumieres();
    RetablitCapture(capture);
}

void TMainForm::TBExitClick() {
    FPorte.TermineEmulation();
    close();
}

// The program ends with the window: an open print job ends so that its
// pages print.
void TMainForm::closeEvent(QCloseEvent* e) {
    // Where the window was left and its size, for the next start.
    if (!isFullScreen() && !isMaximized() && !isMinimized()) FChoix.Geometrie = TRect{x(), y(), width(), height()};
    EnregistreChoix();
    TermineSession(); // a recording under way is written
    FPorte.TermineEmulation();
    FImprimante->FinProgramme();
    ArreteCollage();
    e->accept();
    emit Fermee();
}

// Alt+F4 ends the run; Alt with a letter sends the machine's function codes
// while the keyboard is captured.
void TMainForm::keyPressEvent(QKeyEvent* e) {
    const bool alt = e->modifiers() & Qt::AltModifier;
    if (alt && e->key() == Qt::Key_F4) {
        FPorte.TermineEmulation();
        close();
        return;
    }
    TMessageClavier msg;
    msg.Type = TTypeMessageClavier::ToucheEnfoncee;
    msg.Code = VkDepuisCleQt(e->key());
    msg.Shift = e->modifiers() & Qt::ShiftModifier;
    msg.Ctrl = e->modifiers() & Qt::ControlModifier;
    msg.Alt = alt;
    const TTraduction t = FormKeyDown(msg, FFiltre->Contexte());
    FPorte.PousseEntrees(t);
    if (t.FinEmul) {
        FPorte.TermineEmulation();
        close();
        return;
    }
    if (t.Consomme) return;
    // The hook is off while the machine is paused: the screen keeps the key.
    if (GardeLesTouches() && FFiltre->Retient(this, e)) return;
    QWidget::keyPressEvent(e);
}

// Posted messages go to their window through the workstation's dispatcher.
// A run message that comes while a modal box runs its own event loop waits
// for the box to close: the run loop never starts under a box.
bool TMainForm::event(QEvent* e) {
    if (e->type() != TMessageZorv::Type()) return QWidget::event(e);
    const TMessage& message = static_cast<TMessageZorv*>(e)->Message;
    if (message.Numero == MsgLanceEmulation && FHote->BoiteOuverte() && !FPorte.BoucleActive()) {
        FHote->DiffereLancement();
        return true;
    }
    if (message.Numero == MsgFermeture && FHote->BoiteOuverte()) {
        FHote->DiffereFermeture();
        return true;
    }
    FPoste.Distributeur.Delivre(message);
    return true;
}
