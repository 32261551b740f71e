#include "debugger/ProfilForm.h"

#include <QButtonGroup>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QShowEvent>
#include <QTreeWidget>
#include <QVBoxLayout>

TProfilForm::TProfilForm(TDebogueur& d, QWidget* parent) : QWidget(parent, Qt::Window), D(d) {
    setWindowTitle(QStringLiteral("Profil d'ex\u00e9cution"));
    resize(640, 420);
    setMinimumSize(460, 220);
    auto* mise = new QVBoxLayout(this);
    mise->setContentsMargins(8, 8, 8, 8);
    auto* rang = new QHBoxLayout;
    BtnMarche = new QPushButton(QStringLiteral("Marche"), this);
    BtnArret = new QPushButton(QStringLiteral("Arr\u00eat"), this);
    BtnRaz = new QPushButton(QStringLiteral("RAZ"), this);
    BtnMarche->setToolTip(QStringLiteral("Compte chaque instruction ex\u00e9cut\u00e9e (profil marche)"));
    BtnArret->setToolTip(QStringLiteral("Cesse de compter, les comptes restent (profil arret)"));
    BtnRaz->setToolTip(QStringLiteral("Remet les comptes \u00e0 z\u00e9ro (profil raz)"));
    RBAdresses = new QRadioButton(QStringLiteral("Par adresse"), this);
    RBRoutines = new QRadioButton(QStringLiteral("Par routine"), this);
    auto* groupe = new QButtonGroup(this);
    groupe->addButton(RBAdresses);
    groupe->addButton(RBRoutines);
    RBAdresses->setChecked(true);
    for (QWidget* w : {static_cast<QWidget*>(BtnMarche), static_cast<QWidget*>(BtnArret),
                       static_cast<QWidget*>(BtnRaz)})
        rang->addWidget(w);
    rang->addSpacing(16);
    rang->addWidget(RBAdresses);
    rang->addWidget(RBRoutines);
    rang->addStretch(1);
    mise->addLayout(rang);
    LabelResume = new QLabel(this);
    mise->addWidget(LabelResume);
    LVProfil = new QTreeWidget(this);
    LVProfil->setRootIsDecorated(false);
    LVProfil->setUniformRowHeights(true);
    LVProfil->header()->setSectionsClickable(true);
    LVProfil->header()->setSortIndicatorShown(true);
    LVProfil->setToolTip(QStringLiteral("Clic sur un titre : trie ; double clic : l'adresse dans une fen\u00eatre de code"));
    mise->addWidget(LVProfil);
    connect(BtnMarche, &QPushButton::clicked, this, [this] {
        D.Suivi.ActiveProfil(true);
        Affiche();
    });
    connect(BtnArret, &QPushButton::clicked, this, [this] {
        D.Suivi.ActiveProfil(false);
        Affiche();
    });
    connect(BtnRaz, &QPushButton::clicked, this, [this] {
        D.Suivi.Profileur().Raz();
        Affiche();
    });
    connect(RBAdresses, &QRadioButton::clicked, this, [this] { ChoisitMode(TModeProfil::Adresses); });
    connect(RBRoutines, &QRadioButton::clicked, this, [this] { ChoisitMode(TModeProfil::Routines); });
    connect(LVProfil->header(), &QHeaderView::sectionClicked, this, [this](int c) { TrieSur(size_t(c)); });
    connect(LVProfil, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        if (SurAdresse) SurAdresse(uint16_t(item->data(0, Qt::UserRole).toUInt()), uint8_t(item->data(1, Qt::UserRole).toUInt()));
    });
}

void TProfilForm::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    Affiche();
}

void TProfilForm::ChoisitMode(TModeProfil mode) {
    if (mode == FMode) return;
    FMode = mode;
    FColonne = 4;
    FCroissant = false;
    Affiche();
}

void TProfilForm::TrieSur(size_t colonne) {
    if (colonne == FColonne) FCroissant = !FCroissant;
    else {
        FColonne = colonne;
        FCroissant = TriCroissantParDefaut(colonne);
    }
    Affiche();
}

void TProfilForm::MajBoutons() {
    const bool arrete = D.Controles().BoutonsFenetres; // the processor is stopped
    const bool actif = D.Suivi.Profileur().Actif();
    BtnMarche->setEnabled(arrete && !actif);
    BtnArret->setEnabled(arrete && actif);
    BtnRaz->setEnabled(arrete);
}

void TProfilForm::Affiche() {
    MajBoutons();
    if (!isVisible()) return;
    const TProfileur& p = D.Suivi.Profileur();
    LabelResume->setText(QStringLiteral("Profil : ") + QString::fromStdString(ResumeProfil(p)));
    auto lignes = LignesProfil(p, D.Symboles, FMode, NbLignes);
    TrieProfil(lignes, FColonne, FCroissant);
    QStringList titres;
    for (const std::string& t : EntetesProfil(FMode)) titres << QString::fromStdString(t);
    LVProfil->setUpdatesEnabled(false);
    LVProfil->clear();
    LVProfil->setHeaderLabels(titres);
    QList<QTreeWidgetItem*> items;
    for (const TLigneProfil& l : lignes) {
        auto* item = new QTreeWidgetItem;
        for (int c = 0; c < int(l.Textes.size()); ++c) {
            item->setText(c, QString::fromStdString(l.Textes[size_t(c)]));
            if (c >= 3) item->setTextAlignment(c, Qt::AlignRight | Qt::AlignVCenter);
        }
        item->setData(0, Qt::UserRole, unsigned(l.Adresse));
        item->setData(1, Qt::UserRole, unsigned(l.Banque));
        items.push_back(item);
    }
    LVProfil->addTopLevelItems(items);
    LVProfil->header()->setSortIndicator(int(FColonne), FCroissant ? Qt::AscendingOrder : Qt::DescendingOrder);
    LVProfil->setUpdatesEnabled(true);
}
