#include "debugger/ConvertForm.h"
#include "debugger/ControlesQt.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "debugger/Conversions.h"

TConvertForm::TConvertForm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Conversions hexad\u00e9cimal <-> flottant"));
    setFixedSize(420, 150);
    QFont f(QStringLiteral("Courier New"));
    f.setStyleHint(QFont::TypeWriter);
    f.setPixelSize(12);
    // The 30-character limit is the key filters': a conversion's result is
    // never cut (a large value's fixed-point text is longer).
    Etiquette(this, QStringLiteral("Valeur flottante :"), 16, 12);
    EditFloat = new QLineEdit(QStringLiteral("0.0"), this);
    EditFloat->setGeometry(16, 30, 250, 24);
    Etiquette(this, QStringLiteral("Valeur hexad\u00e9cimale"), 16, 64);
    EditHex = new QLineEdit(this);
    EditHex->setGeometry(16, 82, 250, 24);
    for (QLineEdit* e : {EditFloat, EditHex}) {
        e->setFont(f);
        e->installEventFilter(this);
    }
    SBToFloat = new QPushButton(QStringLiteral("Hexa. -> flottant"), this);
    SBToFloat->setGeometry(276, 82, 128, 24);
    SBToHex = new QPushButton(QStringLiteral("Flottant -> hexa."), this);
    SBToHex->setGeometry(276, 30, 128, 24);
    BtnOK = new QPushButton(QStringLiteral("OK"), this);
    BtnOK->setGeometry(324, 116, 80, 26);
    LabelErreur = new QLabel(this);
    LabelErreur->setGeometry(16, 110, 300, 38);
    LabelErreur->setWordWrap(true);
    LabelErreur->setStyleSheet(QStringLiteral("QLabel { color: #c00000; font-size: 11px; }"));
    for (QPushButton* b : {SBToFloat, SBToHex}) b->setAutoDefault(false);
    BtnOK->setDefault(true);
    connect(SBToFloat, &QPushButton::clicked, this, [this] { VersFlottant(); });
    connect(SBToHex, &QPushButton::clicked, this, [this] { VersHexa(); });
    connect(BtnOK, &QPushButton::clicked, this, &QDialog::accept);
}

void TConvertForm::Affiche(QLineEdit* resultat, QLineEdit* source, const TResultatConversion& r) {
    LabelErreur->setText(QString::fromStdString(r.Erreur));
    if (!r.Erreur.empty()) {
        source->setFocus();
        source->selectAll();
        return;
    }
    resultat->setText(QString::fromStdString(r.Texte));
}

void TConvertForm::VersFlottant() {
    Affiche(EditFloat, EditHex, ConvertitVersFlottant(EditHex->text().toStdString()));
}

void TConvertForm::VersHexa() { Affiche(EditHex, EditFloat, ConvertitVersHexa(EditFloat->text().toStdString())); }

bool TConvertForm::FiltreTouche(QLineEdit* entree, const QString& texte) {
    if (texte.size() != 1) return false;
    const QChar q = texte.at(0);
    if ((q.unicode() < 0x20 && q.unicode() != 0x08) || q.unicode() == 0x7F) return false; // Enter, Tab…
    const char c = q.unicode() < 0x80 ? char(q.unicode()) : '\0';
    const bool hexa = entree == EditHex;
    const char touche = hexa ? FiltreToucheOctetsHexa(c) : FiltreToucheFlottant(c);
    if (touche == 0) return true; // dropped
    if (touche == '\b') return false;
    const int debut = entree->hasSelectedText() ? entree->selectionStart() : entree->cursorPosition();
    const int longueur = entree->hasSelectedText() ? int(entree->selectedText().size()) : 0;
    const std::string t = entree->text().toLatin1().toStdString(); // one byte per character, as the positions
    if (hexa ? SaisieHexaValide(t, debut, longueur, touche) : SaisieFlottantValide(t, debut, longueur, touche))
        entree->insert(QString(QChar(touche)));
    return true;
}

bool TConvertForm::eventFilter(QObject* objet, QEvent* e) {
    if (e->type() == QEvent::KeyPress && (objet == EditFloat || objet == EditHex))
        return FiltreTouche(static_cast<QLineEdit*>(objet), static_cast<QKeyEvent*>(e)->text());
    return QDialog::eventFilter(objet, e);
}
