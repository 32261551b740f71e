#include "debugger/StackForm.h"

#include <QHeaderView>
#include <QLabel>
#include <QShowEvent>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "debugger/Debogueur.h"

TStackForm::TStackForm(TDebogueur& d, QWidget* parent) : QWidget(parent, Qt::Window), D(d), FFenetre(d) {
    setWindowTitle(QStringLiteral("Pile du CPU"));
    resize(440, 330);
    auto* mise = new QVBoxLayout(this);
    mise->setContentsMargins(8, 8, 8, 8);
    mise->addWidget(new QLabel(QStringLiteral("Contenu de la pile du CPU"), this));
    LVPile = new QTreeWidget(this);
    LVPile->setRootIsDecorated(false);
    LVPile->setUniformRowHeights(true);
    LVPile->setHeaderLabels({QStringLiteral("Pointeur de pile"), QStringLiteral("[Adresse]"),
                             QStringLiteral("[Adresse+1]"), QStringLiteral("Contenu 16 bits")});
    for (int c = 0; c < 3; ++c) LVPile->setColumnWidth(c, c == 0 ? 120 : 90);
    LVPile->header()->setStretchLastSection(true);
    mise->addWidget(LVPile);
    FFenetre.SurMaj = [this] { Affiche(); };
}

TStackForm::~TStackForm() { FFenetre.SurMaj = nullptr; }

void TStackForm::showEvent(QShowEvent* e) {
    QWidget::showEvent(e);
    if (!e->spontaneous()) FFenetre.Ouvre();
}

void TStackForm::Affiche() {
    const auto& lignes = D.Pile.Lignes();
    LVPile->setUpdatesEnabled(false);
    LVPile->clear();
    const QColor change(0xD0, 0, 0);
    QFont f(QStringLiteral("Courier New"));
    f.setStyleHint(QFont::TypeWriter);
    f.setPixelSize(12);
    QList<QTreeWidgetItem*> items;
    for (const TLignePile& l : lignes) {
        auto* item = new QTreeWidgetItem;
        for (int c = 0; c < 4; ++c) {
            item->setText(c, QString::fromStdString(l.Colonne(c)));
            item->setFont(c, f);
        }
        if (l.Change)
            for (int c = 1; c < 4; ++c) item->setForeground(c, change);
        items.push_back(item);
    }
    LVPile->addTopLevelItems(items);
    LVPile->setUpdatesEnabled(true);
}
