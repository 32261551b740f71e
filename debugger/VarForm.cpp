#include "debugger/VarForm.h"

#include <QHeaderView>
#include <QMenu>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "debugger/Debogueur.h"
#include "debugger/NouvVarForm.h"

namespace {

const QColor CouleurChange(0xD0, 0, 0);

} // namespace

TVarForm::TVarForm(TDebogueur& d, QWidget* parent) : QWidget(parent, Qt::Window), D(d), FFenetre(d) {
    setWindowTitle(QStringLiteral("Variables"));
    resize(560, 240);
    LVVariables = new QTreeWidget(this);
    LVVariables->setRootIsDecorated(false);
    LVVariables->setUniformRowHeights(true);
    LVVariables->setHeaderLabels({QStringLiteral("Symbole"), QStringLiteral("Banque m\u00e9moire"),
                                  QStringLiteral("Type de r\u00e9sultat"), QStringLiteral("Contenu")});
    LVVariables->setColumnWidth(0, 130);
    LVVariables->setColumnWidth(1, 110);
    LVVariables->setColumnWidth(2, 120);
    LVVariables->header()->setStretchLastSection(true);
    LVVariables->setContextMenuPolicy(Qt::CustomContextMenu);
    auto* mise = new QVBoxLayout(this);
    mise->setContentsMargins(6, 6, 6, 6);
    mise->addWidget(LVVariables);
    Menu = new QMenu(this);
    MINouvelle = Menu->addAction(QStringLiteral("Nouvelle variable"), this, [this] { NouvelleVariable(); });
    MIModifier = Menu->addAction(QStringLiteral("Modifier la variable"), this, [this] { ModifieVariable(); });
    MISupprimer = Menu->addAction(QStringLiteral("Supprimer la variable"), this, [this] { SupprimeVariable(); });
    MISupprimerTout = Menu->addAction(QStringLiteral("Supprimer toutes les variables"), this, [this] { SupprimeTout(); });
    connect(LVVariables, &QTreeWidget::customContextMenuRequested, this, [this](const QPoint& p) {
        PrepareMenu();
        Menu->popup(LVVariables->viewport()->mapToGlobal(p));
    });
    connect(LVVariables, &QTreeWidget::currentItemChanged, this, [this](QTreeWidgetItem* item) {
        D.Variables.Choisit(item ? LVVariables->indexOfTopLevelItem(item) : -1);
    });
    NouvVarForm = new TNouvVarForm(d, this);
    NouvVarForm->SurDescripteur = [this](uint32_t descripteur) { FFenetre.PosteDescripteur(descripteur); };
    FFenetre.SurMaj = [this] { Affiche(); };
    Affiche();
}

TVarForm::~TVarForm() { FFenetre.SurMaj = nullptr; }

void TVarForm::Affiche() {
    const auto& lignes = D.Variables.Lignes();
    const QSignalBlocker bloque(LVVariables);
    while (LVVariables->topLevelItemCount() > int(lignes.size())) delete LVVariables->takeTopLevelItem(LVVariables->topLevelItemCount() - 1);
    while (LVVariables->topLevelItemCount() < int(lignes.size())) LVVariables->addTopLevelItem(new QTreeWidgetItem);
    const QColor encre = palette().color(QPalette::Text);
    for (int i = 0; i < int(lignes.size()); ++i) {
        const TLigneVariable& l = lignes[size_t(i)];
        QTreeWidgetItem* item = LVVariables->topLevelItem(i);
        const std::string* textes[] = {&l.Legende, &l.Banque, &l.Type, &l.Contenu};
        for (int c = 0; c < 4; ++c) item->setText(c, QString::fromStdString(*textes[c]));
        item->setData(0, Qt::UserRole, QVariant::fromValue(l.Descripteur));
        item->setForeground(3, l.Change() ? CouleurChange : encre);
    }
    const int choix = D.Variables.Selection();
    LVVariables->setCurrentItem(choix >= 0 ? LVVariables->topLevelItem(choix) : nullptr);
}

void TVarForm::PrepareMenu() {
    const bool ligne = D.Variables.LigneChoisie();
    MIModifier->setEnabled(ligne);
    MISupprimer->setEnabled(ligne);
}

void TVarForm::NouvelleVariable() {
    D.Variables.Nouvelle();
    NouvVarForm->setWindowTitle(QStringLiteral("Nouvelle variable"));
    NouvVarForm->exec();
}

void TVarForm::ModifieVariable() {
    const auto champs = D.Variables.Modifie();
    if (!champs) return;
    NouvVarForm->Remplit(*champs);
    NouvVarForm->setWindowTitle(QStringLiteral("Modifier la variable"));
    NouvVarForm->exec();
}

void TVarForm::SupprimeVariable() {
    D.Variables.SupprimeSelection();
    Affiche();
}

void TVarForm::SupprimeTout() {
    D.Variables.SupprimeTout();
    Affiche();
}
