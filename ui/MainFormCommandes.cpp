// The main window's own commands around the machine: zoom and full screen,
// screenshots, paste, pause, the keyboard help, the manual, the tooltips and the title
// (the saved states are in ui/MainFormEtats.cpp).
#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QMenu>
#include <QScreen>
#include <QToolBar>
#include <QToolButton>

#include "core/Version.h"
#include "config/DispositionFenetres.h"
#include "config/Modeles.h"
#include "core/Texte.h"
#include "devices/PlacementEcran.h"
#include "ui/AideClavierForm.h"
#include "ui/AideForm.h"
#include "ui/BarreEtat.h"
#include "ui/BulleBouton.h"
#include "ui/FiltreClavier.h"
#include "ui/MainForm.h"


void TMainForm::BullesBarre() {
    PoseBulle(TBDsq, QStringLiteral("Gestionnaire de disques : ins\u00e9rer, \u00e9jecter, cr\u00e9er des images"), {});
    PoseBulle(TBKbd, QStringLiteral("Maj / Min : inverse la casse des lettres que lit la machine"), {});
    PoseBulle(TBRaz, QStringLiteral("RAZ : remise \u00e0 z\u00e9ro de la machine (la m\u00e9moire est conserv\u00e9e)"), {});
    PoseBulle(TBInt, QStringLiteral("INT : demande d'interruption au processeur"), {});
    PoseBulle(TBParams, QStringLiteral("Param\u00e8tres de l'\u00e9mulateur : mod\u00e8le, couleurs, clavier, switches"), {});
    PoseBulle(TBPrSetup, QStringLiteral("Propri\u00e9t\u00e9s de l'imprimante : fin des travaux, fonte, en-t\u00eate"), {});
    PoseBulle(TBPrint, QStringLiteral("Imprime : termine le travail d'impression en cours"),
              QStringLiteral("seulement quand les travaux d'impression se terminent \u00e0 la main"));
    PoseBulle(TBCPU, QStringLiteral("CPU : le d\u00e9bogueur ; l'image montre l'\u00e9tat du processeur"), {});
    PoseBulle(TBInfo, QStringLiteral("Info : version de l'\u00e9mulateur"), {});
    PoseBulle(TBExit, QStringLiteral("Quitter : arr\u00eate l'\u00e9mulation et ferme la fen\u00eatre"), {});
    PoseBulle(TBMenu, QStringLiteral("Commandes de la fen\u00eatre : zoom, plein \u00e9cran, capture, coller, pause, \u00e9tats enregistr\u00e9s, aide du clavier, manuel"), {});
}

void TMainForm::ConstruitCommandes() {
    FMenu = new QMenu(this);
    auto action = [this](const QString& texte, const QList<QKeySequence>& touches, const std::function<void()>& fait) {
        return NouvelleAction(FMenu, texte, touches, fait);
    };
    ActZoom1 = action(QStringLiteral("Zoom \u00d71"), {QKeySequence(Qt::CTRL | Qt::Key_1)}, [this] { ChoisitZoom(TZoom::X1); });
    ActZoom2 = action(QStringLiteral("Zoom \u00d72"), {QKeySequence(Qt::CTRL | Qt::Key_2)}, [this] { ChoisitZoom(TZoom::X2); });
    ActAjuste = action(QStringLiteral("Ajuster \u00e0 la fen\u00eatre"), {QKeySequence(Qt::CTRL | Qt::Key_0)},
                       [this] { ChoisitZoom(TZoom::Ajuste); });
    for (QAction* a : {ActZoom1, ActZoom2, ActAjuste}) a->setCheckable(true);
    ActZoom1->setChecked(true);
    ActPleinEcran = action(QStringLiteral("Plein \u00e9cran"), {QKeySequence(Qt::Key_F11)}, [this] { BasculePleinEcran(); });
    ActPleinEcran->setCheckable(true);
    FMenu->addSeparator();
    ActCapture = action(QStringLiteral("Capture d'\u00e9cran"), {QKeySequence(Qt::Key_F12)}, [this] { Capture(); });
    ActColle = action(QStringLiteral("Coller le texte"), {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V)},
                      [this] { Colle(QGuiApplication::clipboard()->text()); });
    ActArretColle = action(QStringLiteral("Arr\u00eater le collage"), {}, [this] { ArreteCollage(); });
    ActArretColle->setEnabled(false);
    ActPause = action(QStringLiteral("Pause / reprise du processeur"),
                      {QKeySequence(Qt::Key_Pause), QKeySequence(Qt::CTRL | Qt::Key_P)}, [this] { BasculePause(); });
    ActRecul = action(QStringLiteral("Revenir en arri\u00e8re (maintenir)"),
                      {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backspace)}, [this] { PasDeRecul(); });
    ActRecul->setAutoRepeat(true);
    ConstruitEtats();
    ConstruitSessions();
    FMenu->addSeparator();
    ActAide = action(QStringLiteral("Clavier\u2026"), {QKeySequence(Qt::Key_F1)}, [this] {
        if (!FAide) FAide = new TAideClavierForm(this);
        FAide->Montre(FPorte.ModeClavier());
    });
    ActManuel = action(QStringLiteral("Aide\u2026"), {QKeySequence(Qt::SHIFT | Qt::Key_F1)}, [this] {
        if (!FManuel) {
            FManuel = new TAideForm(this);
            FManuel->ChoisitClavier([this] { ActAide->trigger(); });
        }
        FManuel->Montre();
    });
    // Right of the documented buttons.
    auto* ressort = new QWidget(FBarre);
    ressort->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    FBarre->addWidget(ressort);
    TBMenu = AjouteBouton(QStringLiteral("Menu"), 9);
    TBMenu->setMenu(FMenu);
    TBMenu->setPopupMode(QToolButton::InstantPopup);
    TBMenu->setStyleSheet(QStringLiteral("QToolButton::menu-indicator { image: none; }"));
    PaintBox1->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(PaintBox1, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { FMenu->popup(PaintBox1->mapToGlobal(p)); });
    FMinuterieCollage.setInterval(20); // only to say when the paste has ended
    connect(&FMinuterieCollage, &QTimer::timeout, this, &TMainForm::AlimenteCollage);
}

// A window command: in `menu`, and its keys work wherever the focus is in
// the window.
QAction* TMainForm::NouvelleAction(QMenu* menu, const QString& texte, const QList<QKeySequence>& touches,
                                   const std::function<void()>& fait) {
    auto* a = new QAction(texte, this);
    a->setShortcuts(touches);
    a->setShortcutContext(Qt::WindowShortcut);
    connect(a, &QAction::triggered, this, fait);
    addAction(a);
    menu->addAction(a);
    return a;
}

void TMainForm::PlaceEcran() {
    const bool plein = isFullScreen();
    FBarre->setVisible(!plein);
    FBarreEtat->setVisible(!plein);
    FBarre->setGeometry(0, 0, width(), HauteurBarreOutils);
    FBarreEtat->setGeometry(0, height() - HauteurBarreEtat, width(), HauteurBarreEtat);
    const TPlacement p =
        ::PlaceEcran(ZoneEcran(width(), height(), plein), ZoomEffectif(FChoix.Zoom, width(), height(), plein));
    PaintBox1->Lisse = p.Facteur == 0;
    PaintBox1->setGeometry(p.Ecran.X, p.Ecran.Y, p.Ecran.L, p.Ecran.H);
    PaintBox1->update();
    // Around the picture in full screen: black, as a monitor's bezel.
    setAutoFillBackground(plein);
    QPalette fond = palette();
    fond.setColor(QPalette::Window, plein ? Qt::black : QApplication::palette().color(QPalette::Window));
    setPalette(fond);
}

void TMainForm::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    PlaceEcran();
}

void TMainForm::changeEvent(QEvent* e) {
    QWidget::changeEvent(e);
    if (e->type() != QEvent::WindowStateChange) return;
    ActPleinEcran->setChecked(isFullScreen());
    PlaceEcran();
}

QRect TMainForm::Disponible() const {
    if (ZoneDisponible) return ZoneDisponible();
    const QScreen* ecran = screen();
    return ecran ? ecran->availableGeometry() : QRect();
}

void TMainForm::ChoisitZoom(TZoom voulu) {
    TZoom zoom = voulu;
    const QRect dispo = Disponible();
    if (!isFullScreen() && !isMaximized() && voulu != TZoom::Ajuste && dispo.isValid()) {
        // The frame the window manager adds (none before it has framed the window).
        const QSize cadre = (frameGeometry().size() - size()).expandedTo(QSize(0, 0));
        const int placeL = dispo.width() - cadre.width(), placeH = dispo.height() - cadre.height();
        zoom = ZoomQuiTient(voulu, placeL, placeH);
        int l = 0, h = 0;
        TailleFenetre(zoom, l, h);
        resize(std::min(l, placeL), std::min(h, placeH));
        const QRect f = frameGeometry();
        const TRect dedans = DansLaZone({f.x(), f.y(), f.width(), f.height()},
                                        {dispo.x(), dispo.y(), dispo.width(), dispo.height()});
        if (dedans.X != f.x() || dedans.Y != f.y()) move(dedans.X, dedans.Y);
        if (zoom != voulu)
            AfficheStatut("Zoom \u00d7" + std::to_string(int(voulu)) + " trop grand pour l'\u00e9cran (" +
                          NombreFr(int64_t(dispo.width())) + " \u00d7 " + NombreFr(int64_t(dispo.height())) +
                          ") : zoom \u00d7" + std::to_string(int(zoom)));
    }
    FChoix.Zoom = zoom;
    ActZoom1->setChecked(zoom == TZoom::X1);
    ActZoom2->setChecked(zoom == TZoom::X2);
    ActAjuste->setChecked(zoom == TZoom::Ajuste);
    PlaceEcran();
    EnregistreChoix();
}

void TMainForm::BasculePleinEcran() {
    if (isFullScreen()) showNormal();
    else showFullScreen();
    FChoix.PleinEcran = isFullScreen();
    ActPleinEcran->setChecked(FChoix.PleinEcran);
    PlaceEcran();
    EnregistreChoix();
}

void TMainForm::EnregistreChoix() {
    if (!FChargementReussi) return; // the settings file is not read yet
    std::string erreur;
    if (!EcritParametresFenetre(CheminParametres(Parametres()), FChoix, erreur))
        AfficheStatut("Choix de la fen\u00eatre non enregistr\u00e9s : " + erreur);
}

void TMainForm::AppliqueChoix() {
    const TParametresFenetre choix = LitParametresFenetre(CheminParametres(Parametres()));
    FChoix = choix;
    if (choix.Zoom != TZoom::X1) ChoisitZoom(choix.Zoom);
    // The size and the place it was left with, within the screen.
    const QRect dispo = Disponible();
    if (choix.Geometrie && dispo.isValid()) {
        const TRect zone{dispo.x(), dispo.y(), dispo.width(), dispo.height()};
        const TRect r = PlaceFenetre(*choix.Geometrie, 0, zone);
        resize(r.L, r.H);
        move(r.X, r.Y);
        PlaceEcran();
    }
    if (choix.PleinEcran && !isFullScreen()) BasculePleinEcran();
}

std::string TMainForm::Capture() {
    std::string erreur;
    const std::string chemin = FPorte.EnregistreCapture(DossierCaptures(FDossiers), FHote->HeureLocale(), erreur);
    FHote->MessageStatut(chemin.empty() ? "Capture impossible : " + erreur : "Capture enregistr\u00e9e : " + chemin);
    return chemin;
}

void TMainForm::Colle(const QString& texte) {
    std::vector<TMessageClavier> messages = MessagesDuTexte(texte.toStdU16String());
    if (messages.empty()) return;
    const size_t n = messages.size();
    TContexteClavier ctx = FFiltre->Contexte();
    ctx.CaptureClav = true; // a paused machine gets them when it runs again
    if (FCollage) FPorte.ChoisitSourceTouches(nullptr);
    FGardees = false;
    FCollage = std::make_unique<TSourceFrappe>(std::move(messages), ctx, false);
    ActArretColle->setEnabled(true);
    AfficheStatut("Collage de " + NombreFr(int64_t(n)) + " caract\u00e8res\u2026");
    FMinuterieCollage.start();
    // As many characters as the queue has room for now; the others as the
    // machine's software takes keys from it.
    FPorte.ChoisitSourceTouches(FCollage.get());
    AlimenteCollage();
}

// The paste has ended: said in the status bar.
void TMainForm::AlimenteCollage() {
    if (!FCollage || !FCollage->Fini()) return;
    FPorte.ChoisitSourceTouches(nullptr);
    FCollage.reset();
    FMinuterieCollage.stop();
    ActArretColle->setEnabled(false);
    if (!FGardees) AfficheStatut("Collage termin\u00e9");
    FGardees = false;
}

// Only a machine stopped between two runs (Pause, the debugger) keeps keys:
// a halted one waits for RAZ.
bool TMainForm::GardeLesTouches() const {
    return FChargementReussi && FPorte.EtatCPU() == CPUStop && !FPorte.BoucleActive();
}

// After a paste that has not ended yet, or in a source of its own, as the
// paste: the queue takes what it has room for now, the rest as the machine's
// software reads its keys once it runs again.
void TMainForm::GardeTouche(const TMessageClavier& msg) {
    if (!FCollage) {
        TContexteClavier ctx = FFiltre->Contexte();
        ctx.CaptureClav = true;
        FCollage = std::make_unique<TSourceFrappe>(std::vector<TMessageClavier>{}, ctx, false);
        FCollage->Date = [this] { return FPorte.HeureLocale(); };
        FGardees = true;
        ActArretColle->setEnabled(true);
        FMinuterieCollage.start();
    }
    FCollage->Ajoute(msg);
    FPorte.ChoisitSourceTouches(FCollage.get());
    ++FNbGardees;
    AfficheStatut("Machine arr\u00eat\u00e9e : " + NombreFr(int64_t(FNbGardees)) +
                  (FNbGardees > 1 ? " touches gard\u00e9es" : " touche gard\u00e9e") + " pour la reprise");
}

void TMainForm::ArreteCollage() {
    if (!FCollage) return;
    const size_t reste = FCollage->Restants();
    FPorte.ChoisitSourceTouches(nullptr);
    FCollage.reset();
    FGardees = false;
    FMinuterieCollage.stop();
    ActArretColle->setEnabled(false);
    AfficheStatut("Collage interrompu (" + NombreFr(int64_t(reste)) + " caract\u00e8res non tap\u00e9s)");
}

void TMainForm::BasculePause() { FPorte.BasculePause(); }

void TMainForm::AfficheStatut(const std::string& texte) {
    if (FBarreEtat) FBarreEtat->AfficheMessage(texte);
}

void TMainForm::MajTitre() {
    static const char* const Etats[] = {"RUN", "STOP", "HLT"};
    QString titre = QStringLiteral("Emulateur Zorvex ") + QLatin1String(VersionEmulZorv);
    const TEtatCPU etat = EtatMontre();
    if (FDemarree)
        titre += QStringLiteral(" - %1 - %2")
                     .arg(QString::fromStdString(LibelleModele(FPorte.Modele())),
                          QLatin1String(Etats[etat <= CPUHalt ? etat : 0]));
    if (windowTitle() != titre) setWindowTitle(titre);
}
