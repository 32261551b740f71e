#include "debugger/DasmForm.h"
#include "debugger/ControlesQt.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>

#include "debugger/EditAdresseQt.h"
#include "debugger/SuiviQt.h"
#include "debugger/VuesSuivi.h"

namespace {

constexpr int Largeur = 400, Hauteur = 420;
constexpr int HauteurLegende = 22;

} // namespace

TDasmForm::TDasmForm(TDebogueur& d, QWidget* parent) : QWidget(parent, Qt::Window), FFenetre(d) {
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowTitle(QStringLiteral("Affichage de code"));
    resize(Largeur, Hauteur);
    setMinimumSize(Largeur, 200);
    Etiquette(this, QStringLiteral("Adresses s\u00e9par\u00e9es par un espace"), 16, 14);
    EditAdresse = new TEditAdresse(this, &d);
    EditAdresse->SetGauche(16);
    EditAdresse->SetHaut(34);
    EditAdresse->SetLargeur(284);
    FFenetre.LieSaisie(EditAdresse->Saisie());
    EditAdresse->SetTexte(FFenetre.Saisie().Texte());
    EditAdresse->SetActif(FFenetre.Actif());
    EditAdresse->SetOnEditChange([this] { FFenetre.MajCode(); });
    Etiquette(this, QStringLiteral("Code d\u00e9sassembl\u00e9"), 16, 64);
    LBCode = new QListWidget(this);
    QFont f(QStringLiteral("Courier New"));
    f.setStyleHint(QFont::TypeWriter);
    f.setPixelSize(11);
    LBCode->setFont(f);
    LBCode->setUniformItemSizes(true);
    LBCode->setAutoFillBackground(true);
    RBCPU = new QRadioButton(QStringLiteral("M\u00e9moire vue du CPU"), this);
    RBLogiciel = new QRadioButton(QStringLiteral("Banque logiciel"), this);
    RBData = new QRadioButton(QStringLiteral("Banque data"), this);
    auto* groupe = new QButtonGroup(this);
    const TChoixBanqueCode choix[] = {TChoixBanqueCode::CPU, TChoixBanqueCode::Logiciel, TChoixBanqueCode::Data};
    int i = 0;
    for (QRadioButton* b : {RBCPU, RBLogiciel, RBData}) {
        groupe->addButton(b);
        connect(b, &QRadioButton::clicked, this, [this, c = choix[i++]] { FFenetre.Choisit(c); });
    }
    RBCPU->setChecked(true);
    LabelLegende = LegendeCouverture(this, false);
    FFenetre.SurMaj = [this] { Affiche(); };
    Affiche();
}

TDasmForm::~TDasmForm() { FFenetre.SurMaj = nullptr; }

bool TDasmForm::event(QEvent* e) {
    if (e->type() == QEvent::WindowActivate) FFenetre.Activation();
    if (e->type() == QEvent::Resize || e->type() == QEvent::Show) PlaceControles();
    return QWidget::event(e);
}

void TDasmForm::PlaceControles() {
    if (!LabelLegende) return;
    const int legende = LabelLegende->isVisibleTo(this) ? HauteurLegende : 0;
    const int bas = height() - 34 - legende;
    LBCode->setGeometry(16, 84, width() - 32, bas - 84 - 6);
    RBCPU->setGeometry(16, bas, 150, 24);
    RBLogiciel->setGeometry(172, bas, 116, 24);
    RBData->setGeometry(292, bas, 100, 24);
    LabelLegende->setGeometry(16, bas + 28, width() - 32, HauteurLegende - 2);
}

// The lines on the colour of their accesses, the legend under the choices.
void TDasmForm::AfficheCouverture() {
    const std::vector<uint8_t> acces = FFenetre.AccesLignes();
    for (int i = 0; i < LBCode->count(); ++i) {
        const auto c = size_t(i) < acces.size() ? CouleurCouverture(acces[size_t(i)]) : std::nullopt;
        const QBrush fond = c ? QBrush(CouleurQt(*c)) : QBrush();
        if (LBCode->item(i)->background() != fond) LBCode->item(i)->setBackground(fond);
    }
    const bool montre = FFenetre.CouleursCouverture();
    if (LabelLegende->isVisibleTo(this) != montre) {
        LabelLegende->setVisible(montre);
        PlaceControles();
    }
}

void TDasmForm::closeEvent(QCloseEvent* e) {
    FFenetre.Ferme();
    QWidget::closeEvent(e);
}

void TDasmForm::Affiche() {
    if (FGeneration != FFenetre.Generation()) {
        FGeneration = FFenetre.Generation();
        LBCode->setUpdatesEnabled(false);
        LBCode->clear();
        for (const TLigneListing& l : FFenetre.Lignes()) {
            auto* item = new QListWidgetItem(QString::fromStdString(l.Texte));
            item->setData(Qt::UserRole, int(l.Adresse));
            LBCode->addItem(item);
        }
        LBCode->setUpdatesEnabled(true);
        if (LBCode->count()) LBCode->setCurrentRow(0);
    }
    const bool actif = FFenetre.Actif();
    if (EditAdresse->Actif() != actif) EditAdresse->SetActif(actif);
    LBCode->setEnabled(actif);
    const auto c = FFenetre.Couleur();
    const QColor fond = c ? QColor(c->R, c->G, c->B) : QApplication::palette().color(QPalette::Button);
    QPalette p = LBCode->palette();
    for (auto g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) p.setColor(g, QPalette::Base, fond);
    LBCode->setPalette(p);
    const bool utilisables = FFenetre.ChoixUtilisables();
    QRadioButton* coche = FFenetre.Choix() == TChoixBanqueCode::Data       ? RBData
                          : FFenetre.Choix() == TChoixBanqueCode::Logiciel ? RBLogiciel
                                                                           : RBCPU;
    if (!coche->isChecked()) coche->setChecked(true);
    // While the processor runs (0x405 with 0) the choices wait with the list.
    for (QRadioButton* b : {RBCPU, RBLogiciel, RBData}) b->setEnabled(utilisables && actif);
    // A range given by the program (the history's double click) shows in the entry.
    if (EditAdresse->Edit()->text().toStdString() != FFenetre.Saisie().Texte())
        EditAdresse->SetTexte(FFenetre.Saisie().Texte());
    AfficheCouverture();
}
