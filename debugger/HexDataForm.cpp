#include "debugger/HexDataForm.h"
#include "debugger/ControlesQt.h"

#include <algorithm>

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QHelpEvent>
#include <QRadioButton>
#include <QToolTip>

#include "debugger/CopieForm.h"
#include "debugger/Debogueur.h"
#include "debugger/EditAdresseQt.h"
#include "debugger/HexEditQt.h"
#include "debugger/OutilsMemoire.h"
#include "debugger/RempliForm.h"
#include "debugger/SuiviQt.h"

namespace {

constexpr int Largeur = 337, Hauteur = 408;
constexpr int HauteurLegende = 22;

} // namespace

THexDataForm::THexDataForm(TDebogueur& debogueur, QWidget* parent)
    : QWidget(parent, Qt::Window), D(debogueur), F(debogueur) {
    setWindowTitle(QStringLiteral("Affichage de donn\u00e9es"));
    setMinimumSize(Largeur, Hauteur);
    resize(Largeur, Hauteur);
    setAttribute(Qt::WA_DeleteOnClose);
    Etiquette(this, QStringLiteral("Adresses s\u00e9par\u00e9es par un espace"), 16, 16);
    EdtAdr = new TEditAdresse(this, &D);
    EdtAdr->SetGauche(16);
    EdtAdr->SetHaut(34);
    EdtAdr->SetLargeur(236);
    EdtAdr->SetIntervalle(true);
    EdtAdr->SetActif(true);
    EdtAdr->SetTexte(TFenetreDonnees::TexteInitial);
    EdtAdr->SetOnEditChange([this] { LitAdresses(); });
    connect(EdtAdr->Edit(), &QLineEdit::textChanged, this, [this](const QString& t) {
        EdtAdr->Saisie().SetTexte(t.toStdString());
        LitAdresses();
    });
    Etiquette(this, QStringLiteral("Donn\u00e9es hexad\u00e9cimales"), 16, 66);
    HexEdit = new THexEdit(this, &F.Editeur);
    HexEdit->move(16, 84);
    HexEdit->installEventFilter(this); // the hint of the byte under the pointer
    CreeVues();
    CreeBoutons();
    LabelLegende = LegendeCouverture(this, true);
    PlaceControles();
    F.SurRepeint = [this] { Affiche(); };
    F.SurFocus = [this] { HexEdit->setFocus(); };
    LitAdresses();
    Affiche();
}

THexDataForm::~THexDataForm() {
    F.SurRepeint = nullptr;
    F.SurFocus = nullptr;
}

void THexDataForm::CreeVues() {
    RBVueCPU = new QRadioButton(QStringLiteral("M\u00e9moire vue du CPU"), this);
    RBLogiciel = new QRadioButton(QStringLiteral("Banque logiciel"), this);
    RBData = new QRadioButton(QStringLiteral("Banque data"), this);
    const std::pair<QRadioButton*, TVueMemoire> vues[] = {
        {RBVueCPU, TVueMemoire::CPU}, {RBLogiciel, TVueMemoire::Banque0}, {RBData, TVueMemoire::Banque1}};
    int y = 296;
    for (const auto& [b, vue] : vues) {
        b->setGeometry(16, y, 166, 20);
        y += 20;
        connect(b, &QRadioButton::clicked, this, [this, vue = vue] { F.ChoisitVue(vue); });
    }
    CBMaj = new QCheckBox(QStringLiteral("Mise \u00e0 jour automatique"), this);
    CBMaj->setGeometry(16, 356, 220, 20);
    connect(CBMaj, &QCheckBox::toggled, this, [this](bool coche) { F.MajAuto = coche; });
}

void THexDataForm::CreeBoutons() {
    BtnCopier = new QPushButton(QStringLiteral("Copier donn\u00e9es"), this);
    BtnCopier->setGeometry(186, 296, 135, 26);
    BtnRemplir = new QPushButton(QStringLiteral("Remplir m\u00e9moire"), this);
    BtnRemplir->setGeometry(186, 326, 135, 26);
    connect(BtnCopier, &QPushButton::clicked, this, [this] { Copier(); });
    connect(BtnRemplir, &QPushButton::clicked, this, [this] { Remplir(); });
    EditRecherche = new QLineEdit(this);
    EditRecherche->setGeometry(16, 380, 215, 24);
    EditRecherche->setPlaceholderText(QStringLiteral("3E 01 ou \"texte\""));
    EditRecherche->setToolTip(
        QStringLiteral("Octets hexad\u00e9cimaux ou texte entre guillemets (jeu de caract\u00e8res de la machine)"));
    BtnRechercher = new QPushButton(QStringLiteral("Rechercher"), this);
    BtnRechercher->setGeometry(236, 380, 85, 24);
    connect(BtnRechercher, &QPushButton::clicked, this, [this] { Rechercher(); });
    connect(EditRecherche, &QLineEdit::returnPressed, this, [this] { Rechercher(); });
    // The window keeps its layout: the memory blocks are in its context menu,
    // with their shortcuts.
    ActCharger = new QAction(QStringLiteral("Charger un fichier\u2026"), this);
    ActCharger->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_O));
    ActCharger->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    ActCharger->setToolTip(QStringLiteral("Les octets d'un fichier en m\u00e9moire, depuis la premi\u00e8re adresse"));
    ActEnregistrer = new QAction(QStringLiteral("Enregistrer la zone\u2026"), this);
    ActEnregistrer->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_S));
    ActEnregistrer->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    ActEnregistrer->setToolTip(QStringLiteral("Les octets des adresses choisies dans un fichier"));
    connect(ActCharger, &QAction::triggered, this, [this] { Charger(); });
    connect(ActEnregistrer, &QAction::triggered, this, [this] { Enregistrer(); });
    addAction(ActCharger);
    addAction(ActEnregistrer);
    setContextMenuPolicy(Qt::ActionsContextMenu);
    ChoisitFichier = [this](bool enregistrer) {
        return enregistrer ? QFileDialog::getSaveFileName(this, QStringLiteral("Enregistrer la zone"))
                           : QFileDialog::getOpenFileName(this, QStringLiteral("Charger un fichier"));
    };
}

void THexDataForm::Affiche() {
    const bool actif = F.Actif();
    EdtAdr->SetActif(actif);
    HexEdit->setEnabled(actif);
    CBMaj->setEnabled(actif);
    EditRecherche->setEnabled(actif);
    BtnRechercher->setEnabled(actif);
    ActCharger->setEnabled(actif);
    ActEnregistrer->setEnabled(actif);
    const QSignalBlocker bloque(CBMaj);
    CBMaj->setChecked(F.MajAuto);
    RBVueCPU->setEnabled(F.VueCPUActive());
    RBLogiciel->setEnabled(F.VuesBanquesActives());
    RBData->setEnabled(F.VuesBanquesActives());
    RBVueCPU->setChecked(F.Vue() == TVueMemoire::CPU);
    RBLogiciel->setChecked(F.Vue() == TVueMemoire::Banque0);
    RBData->setChecked(F.Vue() == TVueMemoire::Banque1);
    if (LabelLegende->isVisibleTo(this) != F.CouleursCouverture()) {
        LabelLegende->setVisible(F.CouleursCouverture());
        setMinimumSize(Largeur, Hauteur + (F.CouleursCouverture() ? HauteurLegende : 0));
        PlaceControles();
    }
    HexEdit->Synchronise();
}

void THexDataForm::PlaceControles() {
    if (!LabelLegende) return;
    const int legende = LabelLegende->isVisibleTo(this) ? HauteurLegende : 0;
    const int dw = std::max(0, width() - Largeur), dh = std::max(0, height() - legende - Hauteur);
    HexEdit->resize(GeomHex::LargeurDefaut + dw, GeomHex::HauteurDefaut + dh);
    int y = 296 + dh;
    for (QRadioButton* b : {RBVueCPU, RBLogiciel, RBData}) {
        b->move(16, y);
        y += 20;
    }
    CBMaj->move(16, 356 + dh);
    BtnCopier->move(186 + dw, 296 + dh);
    BtnRemplir->move(186 + dw, 326 + dh);
    EditRecherche->setGeometry(16, 380 + dh, 215 + dw, 24);
    BtnRechercher->move(236 + dw, 380 + dh);
    LabelLegende->setGeometry(16, Hauteur + dh, GeomHex::LargeurDefaut + dw, HauteurLegende - 2);
}

void THexDataForm::resizeEvent(QResizeEvent* e) {
    QWidget::resizeEvent(e);
    PlaceControles();
}

bool THexDataForm::eventFilter(QObject* objet, QEvent* e) {
    if (objet != HexEdit || e->type() != QEvent::ToolTip) return QWidget::eventFilter(objet, e);
    auto* aide = static_cast<QHelpEvent*>(e);
    const int32_t a = F.Editeur.AdresseA(aide->pos().x(), aide->pos().y(), HexEdit->LargeurChiffre());
    if (a < 0) QToolTip::hideText();
    else QToolTip::showText(aide->globalPos(), QString::fromStdString(F.BulleOctet(a)), HexEdit);
    return true;
}

void THexDataForm::LitAdresses() {
    EdtAdr->EvaluerAdresses();
    F.ChoisitAdresses(EdtAdr->Adr1(), EdtAdr->Adr2());
}

bool THexDataForm::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate) {
        LitAdresses();
        F.Active();
    }
    return QWidget::event(e);
}

void THexDataForm::closeEvent(QCloseEvent* e) {
    F.Ferme();
    QWidget::closeEvent(e);
}

void THexDataForm::Copier() {
    TCopieForm(D, this).exec();
    F.ApresDialogue();
}

void THexDataForm::Remplir() {
    TRempliForm(D, this).exec();
    F.ApresDialogue();
}

void THexDataForm::Rechercher() {
    const auto r = F.Recherche(EditRecherche->text().toStdString());
    if (!r.Message.empty()) TInspection(D).MessageInfo(r.Message);
    if (r.Adresse) HexEdit->setFocus();
}

void THexDataForm::Charger() {
    LitAdresses();
    const QString chemin = ChoisitFichier(false);
    if (chemin.isEmpty()) return;
    TInspection porte(D);
    const TBilanMemoire b = porte.ChargeFichier(chemin.toStdString(), EdtAdr->Adr1(), {F.Vue(), 0});
    b.Refuse ? porte.MessageErreur(b.Message) : porte.MessageInfo(b.Message);
    F.ApresDialogue();
}

void THexDataForm::Enregistrer() {
    LitAdresses();
    const QString chemin = ChoisitFichier(true);
    if (chemin.isEmpty()) return;
    // The zone the window shows: the range, or 512 bytes without one.
    const int32_t debut = EdtAdr->Adr1();
    const int32_t fin = EdtAdr->Adr2() < 0 ? std::min(debut + 511, 0xFFFF) : EdtAdr->Adr2();
    TInspection porte(D);
    const TBilanMemoire b = porte.SauveZone(chemin.toStdString(), debut, fin, {F.Vue(), 0});
    b.Refuse ? porte.MessageErreur(b.Message) : porte.MessageInfo(b.Message);
}
