#include "debugger/EditAdresseQt.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPushButton>

#include "debugger/Debogueur.h"

namespace {

constexpr int LargeurBouton = 75, HauteurControles = 21;

void ColoreFond(QLineEdit* e, bool actif) {
    const QPalette systeme = QApplication::palette();
    const QColor c = actif ? systeme.color(QPalette::Base) : systeme.color(QPalette::Button);
    QPalette p = e->palette();
    for (auto groupe : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) p.setColor(groupe, QPalette::Base, c);
    e->setPalette(p);
}

} // namespace

TEditAdresse::TEditAdresse(QWidget* proprietaire, TDebogueur* debogueur)
    : QObject(proprietaire), FDebogueur(debogueur), FEdit(new QLineEdit(proprietaire)),
      FBouton(new QPushButton(QStringLiteral("Symbole"), proprietaire)) {
    QFont f(QStringLiteral("Courier New"));
    f.setStyleHint(QFont::TypeWriter);
    f.setPixelSize(11);
    FEdit->setFont(f);
    FEdit->setGeometry(0, 0, 212, HauteurControles);
    FEdit->installEventFilter(this);
    PlaceBouton();
    connect(FEdit, &QLineEdit::textEdited, this, [this](const QString& t) { FSaisie.SetTexte(t.toStdString()); });
    connect(FBouton, &QPushButton::clicked, this, [this] { Symbole(); });
    FSaisie.SurTexteReecrit = [this] { FEdit->setText(QString::fromStdString(FSaisie.Texte())); };
    SetActif(false);
}

TEditAdresse::~TEditAdresse() { FSaisie.SurTexteReecrit = nullptr; }

int TEditAdresse::Gauche() const { return FEdit->x(); }
int TEditAdresse::Haut() const { return FEdit->y(); }
int TEditAdresse::Largeur() const { return FEdit->width(); }

void TEditAdresse::SetGauche(int x) {
    FEdit->move(x, FEdit->y());
    PlaceBouton();
}

void TEditAdresse::SetHaut(int y) {
    FEdit->move(FEdit->x(), y);
    PlaceBouton();
}

void TEditAdresse::SetLargeur(int l) {
    FEdit->resize(l, HauteurControles);
    PlaceBouton();
}

void TEditAdresse::PlaceBouton() {
    FBouton->setGeometry(FEdit->x() + FEdit->width(), FEdit->y(), LargeurBouton, HauteurControles);
}

void TEditAdresse::SetTexte(const std::string& texte) {
    FSaisie.SetTexte(texte);
    FEdit->setText(QString::fromStdString(texte));
}

void TEditAdresse::SetActif(bool actif) {
    FSaisie.SetActif(actif);
    FEdit->setEnabled(actif);
    ColoreFond(FEdit, actif);
    MajBouton();
}

void TEditAdresse::MajBouton() {
    FBouton->setEnabled(FSaisie.Actif() && FDebogueur && FDebogueur->ChoisitSymbole);
}

void TEditAdresse::SetIndexSymbole(int index) {
    if (FDebogueur) FSaisie.IndexSymbole(FDebogueur->Symboles, index);
}

void TEditAdresse::SetFocus() { FEdit->setFocus(); }

void TEditAdresse::Symbole() {
    MajBouton();
    if (FBouton->isEnabled()) FDebogueur->ChoisitSymbole(FSaisie);
}

bool TEditAdresse::eventFilter(QObject* objet, QEvent* e) {
    if (objet == FEdit && e->type() == QEvent::Show) MajBouton(); // a picker installed since
    if (objet != FEdit || e->type() != QEvent::KeyPress) return QObject::eventFilter(objet, e);
    auto* k = static_cast<QKeyEvent*>(e);
    if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
        FSaisie.SetTexte(FEdit->text().toStdString());
        FSaisie.Touche('\r');
        return false; // a dialog's default button still sees it
    }
    if (k->key() == Qt::Key_Backspace) {
        FSaisie.Touche('\b');
        return false;
    }
    // Only printable characters are filtered, as the window system's
    // character messages are: arrows, Delete, Tab and shortcuts act as usual.
    const QString t = k->text();
    if (t.size() != 1 || t.at(0).unicode() < 0x20 || t.at(0).unicode() == 0x7F) return false;
    const char16_t c = t.at(0).unicode();
    return !FSaisie.Touche(c < 0x80 ? char(c) : '\0');
}
