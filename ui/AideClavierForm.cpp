#include "ui/AideClavierForm.h"

#include <QComboBox>
#include <QDate>
#include <QHeaderView>
#include <QLabel>
#include <QScreen>
#include <QScrollBar>
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
        QStringLiteral("Touches de la fen\u00eatre : F1 cette aide, Maj+F1 le manuel, F11 plein \u00e9cran, F12 capture d'\u00e9cran, "
                       "Ctrl+Maj+V coller le texte du presse-papiers, Pause (ou Ctrl+P) pause du processeur, "
                       "Ctrl+Maj+Retour arri\u00e8re (maintenu) fait revenir la machine en arri\u00e8re, "
                       "Ctrl+1, Ctrl+2 et Ctrl+0 zoom \u00d71, \u00d72 et ajust\u00e9, Ctrl+Alt+1 \u2026 Ctrl+Alt+4 "
                       "enregistrement rapide de l'\u00e9tat 1 \u2026 4, Alt+1 \u2026 Alt+4 chargement rapide. "
                       "Fen\u00eatre Debugger : F5 lance, F6 pause, F7 pas \u00e0 pas, F8 passe les CALL, "
                       "Maj+F8 jusqu'au retour de la routine, F4 jusqu'\u00e0 la ligne choisie, "
                       "F9 point d'arr\u00eat sur la ligne choisie, Maj+F7 revient d'une instruction, "
                       "Ctrl+F8 revient par-dessus un CALL, Maj+F5 revient au dernier point d'arr\u00eat. "
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
        const std::string textes[] = {l.Touche, l.Entrees, l.Machine};
        for (int c = 0; c < 3; ++c) {
            auto* item = new QTableWidgetItem(QString::fromStdString(textes[c]));
            item->setToolTip(item->text());
            LVTouches->setItem(i, c, item);
        }
    }
    AjusteLargeur();
}

// Every column whole: the window grows to the table's width, within the
// screen (past it the last column is cut and its tooltips give the texts).
void TAideClavierForm::AjusteLargeur() {
    QHeaderView* entete = LVTouches->horizontalHeader();
    entete->setStretchLastSection(false);
    LVTouches->resizeColumnsToContents();
    int colonnes = 0;
    for (int c = 0; c < LVTouches->columnCount(); ++c) colonnes += LVTouches->columnWidth(c);
    const QMargins marges = layout()->contentsMargins();
    const int voulue = colonnes + LVTouches->verticalScrollBar()->sizeHint().width() + 2 * LVTouches->frameWidth() +
                       marges.left() + marges.right() + 4;
    int place = voulue;
    if (const QScreen* ecran = screen()) place = ecran->availableGeometry().width() - 40;
    if (width() < voulue) resize(std::min(voulue, std::max(place, width())), height());
    entete->setStretchLastSection(true);
}

void TAideClavierForm::Montre(int32_t modeClavier) {
    const int i = CBMode->findData(modeClavier < -1 || modeClavier > 2 ? -1 : modeClavier);
    if (i == CBMode->currentIndex()) Remplit(modeClavier);
    else CBMode->setCurrentIndex(i);
    show();
    raise();
    activateWindow();
}
