#include "debugger/HistoriqueForm.h"

#include <QHeaderView>
#include <QLabel>
#include <QShowEvent>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "core/Texte.h"
#include "debugger/Debogueur.h"
#include "debugger/VuesSuivi.h"

namespace {

QFont FonteHistorique() {
    QFont f(QStringLiteral("Courier New"));
    f.setStyleHint(QFont::TypeWriter);
    f.setPixelSize(11);
    return f;
}

} // namespace

THistoriqueForm::THistoriqueForm(TDebogueur& d, QWidget* parent) : QWidget(parent, Qt::Window), D(d) {
    setWindowTitle(QStringLiteral("Historique d'ex\u00e9cution"));
    resize(860, 360);
    setMinimumSize(420, 200);
    auto* mise = new QVBoxLayout(this);
    mise->setContentsMargins(8, 8, 8, 8);
    LabelHistorique = new QLabel(this);
    mise->addWidget(LabelHistorique);
    LVHistorique = new QTreeWidget(this);
    LVHistorique->setRootIsDecorated(false);
    LVHistorique->setUniformRowHeights(true);
    LVHistorique->setFont(FonteHistorique());
    LVHistorique->setHeaderLabels(
        {QStringLiteral("N\u00b0"), QStringLiteral("Instruction"), QStringLiteral("Registres"), QStringLiteral("T")});
    LVHistorique->setColumnWidth(0, 90);
    LVHistorique->setColumnWidth(1, 300);
    LVHistorique->setColumnWidth(2, 380);
    LVHistorique->header()->setStretchLastSection(true);
    LVHistorique->setToolTip(QStringLiteral("Double clic : l'adresse dans une fen\u00eatre de code"));
    mise->addWidget(LVHistorique);
    connect(LVHistorique, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem* item) {
        if (SurAdresse) SurAdresse(uint16_t(item->data(0, Qt::UserRole).toUInt()), uint8_t(item->data(1, Qt::UserRole).toUInt()));
    });
}

void THistoriqueForm::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    FInstructions = UINT64_MAX;
    Affiche();
}

void THistoriqueForm::Affiche() {
    if (!isVisible() || FInstructions == TInspection(D).Instructions()) return;
    FInstructions = TInspection(D).Instructions();
    const auto lignes = LignesHistorique(D.Suivi, D.Symboles, NbLignes);
    LabelHistorique->setText(
        lignes.empty() ? QStringLiteral("Historique vide : il se remplit pendant que le processeur tourne")
                       : QString::fromStdString("Les " + NombreFr(int64_t(lignes.size())) +
                                                " derni\u00e8res instructions ex\u00e9cut\u00e9es, la plus r\u00e9cente en bas"));
    LVHistorique->setUpdatesEnabled(false);
    LVHistorique->clear();
    QList<QTreeWidgetItem*> items;
    for (const TLigneHistorique& l : lignes) {
        auto* item = new QTreeWidgetItem;
        item->setText(0, QString::fromStdString(NombreFr(int64_t(l.Numero))));
        item->setText(1, QString::fromStdString(l.Instruction));
        item->setText(2, QString::fromStdString(l.Registres));
        item->setText(3, QString::number(l.Etats));
        item->setData(0, Qt::UserRole, unsigned(l.Adresse));
        item->setData(1, Qt::UserRole, unsigned(l.Banque));
        item->setTextAlignment(0, Qt::AlignRight | Qt::AlignVCenter);
        items.push_back(item);
    }
    LVHistorique->addTopLevelItems(items);
    LVHistorique->setUpdatesEnabled(true);
    if (!items.isEmpty()) LVHistorique->scrollToItem(items.back());
}
