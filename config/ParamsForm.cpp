#include "config/ParamsForm.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "ui/FenetreModale.h"
#include "config/Modeles.h"
#include "config/Poste.h"
#include "ui/HoteQt.h"

namespace {

constexpr int LargeurClient = 408, HauteurClient = 372;
constexpr int HauteurLigne = 22;

QLabel* Libelle(QWidget* parent, const char* texte, const QRect& zone) {
    auto* l = new QLabel(QString::fromUtf8(texte), parent);
    l->setGeometry(zone);
    return l;
}

QComboBox* Liste(QWidget* parent, const QRect& zone) {
    auto* cb = new QComboBox(parent);
    cb->setGeometry(zone);
    cb->setEditable(false);
    return cb;
}

} // namespace

TFormParams::TFormParams(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8("Param\u00e8tres de l'\u00e9mulateur"));
    FixeCadre(*this, LargeurClient, HauteurClient);
    RGCoulTexte = GroupeRadios(" Couleur du texte ", CouleursTexte.data(), CouleursTexte.size(), BGCoulTexte,
                               QRect(8, 8, 192, 96), 1);
    RGPlansG = GroupeRadios(" Plans graphiques ", PlansGraphiques.data(), PlansGraphiques.size(), BGPlansG,
                            QRect(8, 110, 192, 64), 2);
    RGCoulGraph = GroupeRadios(" Couleur des graphiques ", CouleursGraphiques.data(), CouleursGraphiques.size(),
                               BGCoulGraph, QRect(208, 8, 192, 166), 1);
    Libelle(this, "Mode clavier", QRect(8, 182, 192, 18));
    CBClavier = Liste(this, QRect(8, 200, 192, 26));
    for (const char* mode : ModesClavier) CBClavier->addItem(QString::fromUtf8(mode));
    Libelle(this, "Emulation de la RAM", QRect(208, 182, 192, 18));
    CBEmulRam = Liste(this, QRect(208, 200, 192, 26));
    for (int modele = 0; modele < NbModeles; ++modele)
        CBEmulRam->addItem(QString::fromStdString(LibelleModele(modele)));
    CBEmulRam->setMaxVisibleItems(NbModeles);
    ConstruitSwitches();
    RGDsq12 = GroupeRadios(" Disquettes 1 et 2 ", TypesDisquettes.data(), TypesDisquettes.size(), BGDsq12,
                           QRect(8, 302, 192, 66), 1);
    BtnCancel = new QPushButton(QStringLiteral("Annuler"), this);
    BtnCancel->setGeometry(224, 334, 84, 30);
    BtnOK = new QPushButton(QStringLiteral("OK"), this);
    BtnOK->setGeometry(316, 334, 84, 30);
    BtnOK->setDefault(true);
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(BtnOK, &QPushButton::clicked, this, &QDialog::accept);
}

// A titled group of exclusive radio buttons, filled column by column.
QGroupBox* TFormParams::GroupeRadios(const char* titre, const char* const* items, size_t n,
                                     QButtonGroup*& boutons, const QRect& zone, int colonnes) {
    auto* groupe = new QGroupBox(QString::fromUtf8(titre), this);
    groupe->setGeometry(zone);
    boutons = new QButtonGroup(groupe);
    boutons->setExclusive(true);
    const int parColonne = int((n + size_t(colonnes) - 1) / size_t(colonnes));
    const int largeur = (zone.width() - 16) / colonnes;
    for (size_t i = 0; i < n; ++i) {
        auto* rb = new QRadioButton(QString::fromUtf8(items[i]), groupe);
        const int colonne = int(i) / parColonne, ligne = int(i) % parColonne;
        rb->setGeometry(12 + colonne * largeur, 20 + ligne * HauteurLigne, largeur - 4, HauteurLigne);
        boutons->addButton(rb, int(i));
    }
    return groupe;
}

// Boxes CBD7 … CBD0 from left to right, each above its number.
void TFormParams::ConstruitSwitches() {
    GBSwitches = new QGroupBox(QStringLiteral(" Switches "), this);
    GBSwitches->setGeometry(8, 232, 392, 64);
    constexpr int Pas = 46, Marge = 26;
    for (int n = 7; n >= 0; --n) {
        const int x = Marge + (7 - n) * Pas;
        auto* cb = new QCheckBox(GBSwitches);
        cb->setObjectName(QStringLiteral("CBD%1").arg(n));
        cb->setGeometry(x, 20, 20, 20);
        CBD[size_t(n)] = cb;
        auto* l = new QLabel(QString::number(n), GBSwitches);
        l->setGeometry(x - 2, 40, 20, 18);
        l->setAlignment(Qt::AlignHCenter);
    }
}

namespace {

void Coche(QButtonGroup* groupe, int position) {
    if (QAbstractButton* b = groupe->button(position)) {
        b->setChecked(true);
        return;
    }
    // Nothing to select: every button off.
    groupe->setExclusive(false);
    for (QAbstractButton* b : groupe->buttons()) b->setChecked(false);
    groupe->setExclusive(true);
}

} // namespace

void TFormParams::FormActivate(const TReglagesEmulateur& r) {
    Coche(BGCoulTexte, r.CoulTexte);
    Coche(BGPlansG, r.PlansG);
    Coche(BGCoulGraph, r.CoulGraph);
    CBClavier->setCurrentIndex(r.Clavier);
    CBEmulRam->setCurrentIndex(r.EmulRam);
    for (int n = 0; n < 8; ++n) CBD[size_t(n)]->setChecked(r.Switches[size_t(n)]);
    Coche(BGDsq12, r.Dsq12);
    BtnOK->setFocus();
}

TReglagesEmulateur TFormParams::Reglages() const {
    TReglagesEmulateur r;
    r.CoulTexte = BGCoulTexte->checkedId();
    r.PlansG = BGPlansG->checkedId();
    r.CoulGraph = BGCoulGraph->checkedId();
    r.Clavier = CBClavier->currentIndex();
    r.EmulRam = CBEmulRam->currentIndex();
    for (int n = 0; n < 8; ++n) r.Switches[size_t(n)] = CBD[size_t(n)]->isChecked();
    r.Dsq12 = BGDsq12->checkedId();
    return r;
}

std::optional<TEffetsEmulateur> TFormParams::Montre(TPoste& poste, THoteQt& hote) {
    FormActivate(poste.LitReglagesEmulateur());
    CentreSurParent(*this);
    if (!hote.Modale([this] { return exec() == QDialog::Accepted; })) return std::nullopt;
    return poste.AppliqueReglagesEmulateur(Reglages());
}
