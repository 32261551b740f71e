#include "ui/AideClavierForm.h"

#include <QComboBox>
#include <QDate>
#include <QHeaderView>
#include <QLabel>
#include <QTableWidget>
#include <QVBoxLayout>

#include "devices/AideClavier.h"

TAideClavierForm::TAideClavierForm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Clavier"));
    resize(560, 620);
    auto* l = new QVBoxLayout(this);
    CBMode = new QComboBox(this);
    for (int mode = -1; mode <= 2; ++mode)
        CBMode->addItem(QStringLiteral("Mode du clavier : %1").arg(QString::fromStdString(NomModeClavier(mode))), mode);
    CBMode->setToolTip(QStringLiteral("Le mode que le logiciel de la machine a annonc\u00e9 est choisi \u00e0 l'ouverture"));
    l->addWidget(CBMode);
    LVTouches = new QTableWidget(0, 3, this);
    LVTouches->setHorizontalHeaderLabels(
        {QStringLiteral("Touche"), QStringLiteral("Codes envoy\u00e9s"), QStringLiteral("La machine re\u00e7oit")});
    LVTouches->verticalHeader()->hide();
    LVTouches->setEditTriggers(QAbstractItemView::NoEditTriggers);
    LVTouches->setSelectionBehavior(QAbstractItemView::SelectRows);
    l->addWidget(LVTouches);
    LabelFenetre = new QLabel(
        QStringLiteral("Touches de la fen\u00eatre : F1 cette aide, F11 plein \u00e9cran, F12 capture d'\u00e9cran, "
                       "Ctrl+Maj+V coller le texte du presse-papiers, Pause (ou Ctrl+P) pause du processeur, "
                       "Ctrl+1, Ctrl+2 et Ctrl+0 zoom \u00d71, \u00d72 et ajust\u00e9, Ctrl+Alt+1 \u2026 Ctrl+Alt+4 "
                       "enregistrement rapide de l'\u00e9tat 1 \u2026 4, Alt+1 \u2026 Alt+4 chargement rapide. "
                       "Les codes sont en hexad\u00e9cimal, "
                       "attribut puis caract\u00e8re."),
        this);
    LabelFenetre->setWordWrap(true);
    l->addWidget(LabelFenetre);
    connect(CBMode, &QComboBox::currentIndexChanged, this, [this](int i) { Remplit(CBMode->itemData(i).toInt()); });
}

void TAideClavierForm::Remplit(int32_t modeClavier) {
    const QDate aujourdhui = QDate::currentDate();
    const auto lignes = AideClavier(modeClavier, aujourdhui.year(), aujourdhui.month(), aujourdhui.day());
    LVTouches->setRowCount(int(lignes.size()));
    for (int i = 0; i < int(lignes.size()); ++i) {
        const TLigneAideClavier& l = lignes[size_t(i)];
        LVTouches->setItem(i, 0, new QTableWidgetItem(QString::fromStdString(l.Touche)));
        LVTouches->setItem(i, 1, new QTableWidgetItem(QString::fromStdString(l.Entrees)));
        LVTouches->setItem(i, 2, new QTableWidgetItem(QString::fromStdString(l.Machine)));
    }
    LVTouches->resizeColumnsToContents();
    LVTouches->horizontalHeader()->setStretchLastSection(true);
}

void TAideClavierForm::Montre(int32_t modeClavier) {
    const int i = CBMode->findData(modeClavier < -1 || modeClavier > 2 ? -1 : modeClavier);
    if (i == CBMode->currentIndex()) Remplit(modeClavier);
    else CBMode->setCurrentIndex(i);
    show();
    raise();
    activateWindow();
}
