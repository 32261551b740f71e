#include "disks/ImportFichierDlg.h"

#include <QFontMetrics>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include "core/Nombres.h"
#include "ui/FenetreModale.h"

namespace {

constexpr int Largeur = 460, Hauteur = 226;

QString Q(const std::string& s) { return QString::fromStdString(s); }

int64_t LitChamp(const QLineEdit* e) {
    const auto v = LitDecimal(e->text().toStdString(), 0xFFFF);
    return v ? int64_t(*v) : -1;
}

QLineEdit* ChampNombre(QWidget* parent, int64_t valeur, int x) {
    auto* e = new QLineEdit(QString::number(valeur), parent);
    e->setGeometry(x, 72, 80, 24);
    e->setValidator(new QIntValidator(0, 0xFFFF, e)); // filtered key by key
    return e;
}

} // namespace

TDlgImportFichier::TDlgImportFichier(const QString& chemin, int64_t taille, const TFichierAImporter& defauts,
                                     QWidget* parent)
    : QDialog(parent), FTaille(taille) {
    setWindowTitle(QStringLiteral("Importer un fichier"));
    FixeCadre(*this, Largeur, Hauteur);
    LabelFichier = new QLabel(this);
    LabelFichier->setGeometry(12, 10, Largeur - 24, 18);
    LabelFichier->setText(LabelFichier->fontMetrics().elidedText(
        QString::fromUtf8("Fichier : ") + chemin, Qt::ElideMiddle, LabelFichier->width()));
    LabelFichier->setToolTip(chemin);
    LabelNom = new QLabel(QString::fromUtf8("Nom sur le disque :"), this);
    LabelNom->setGeometry(12, 44, 140, 24);
    EditNom = new QLineEdit(Q(defauts.Nom), this);
    EditNom->setGeometry(156, 44, 180, 24);
    EditNom->setMaxLength(22); // REP/ and a long name, with room for blanks
    LabelC1 = new QLabel(QStringLiteral("C1 :"), this);
    LabelC1->setGeometry(12, 72, 40, 24);
    EditC1 = ChampNombre(this, defauts.C1, 156);
    LabelC2 = new QLabel(QStringLiteral("C2 :"), this);
    LabelC2->setGeometry(252, 72, 40, 24);
    EditC2 = ChampNombre(this, defauts.C2, 288);
    LabelAide = new QLabel(QString::fromUtf8("6 caract\u00e8res, 15 pour un texte (C1 = 256, C2 = 0) ; "
                                             "REP/NOM pour un fichier de r\u00e9pertoire."),
                           this);
    LabelAide->setGeometry(12, 102, Largeur - 24, 32);
    LabelAide->setWordWrap(true);
    LabelAide->setEnabled(false);
    LabelGenre = new QLabel(this);
    LabelGenre->setGeometry(12, 136, Largeur - 24, 18);
    LabelErreur = new QLabel(this);
    LabelErreur->setGeometry(12, 156, Largeur - 24, 32);
    LabelErreur->setWordWrap(true);
    LabelErreur->setStyleSheet(QStringLiteral("color: #B00000"));
    BtnOK = new QPushButton(QStringLiteral("OK"), this);
    BtnOK->setGeometry(Largeur - 184, Hauteur - 36, 84, 28);
    BtnOK->setDefault(true);
    BtnAnnuler = new QPushButton(QStringLiteral("Annuler"), this);
    BtnAnnuler->setGeometry(Largeur - 92, Hauteur - 36, 84, 28);
    connect(BtnOK, &QPushButton::clicked, this, &TDlgImportFichier::BtnOKClick);
    connect(BtnAnnuler, &QPushButton::clicked, this, &QDialog::reject);
    for (QLineEdit* e : {EditNom, EditC1, EditC2}) connect(e, &QLineEdit::textChanged, this, [this] { MajGenre(); });
    MajGenre();
    EditNom->setFocus();
    EditNom->selectAll();
}

TFichierAImporter TDlgImportFichier::Valeurs() const {
    return {EditNom->text().toStdString(), LitChamp(EditC1), LitChamp(EditC2)};
}

void TDlgImportFichier::MajGenre() {
    LabelGenre->setText(Q(DescriptionImport(Valeurs(), FTaille)));
    LabelErreur->clear();
}

void TDlgImportFichier::BtnOKClick() {
    const std::string refus = RefusImport(Valeurs());
    if (refus.empty()) {
        accept();
        return;
    }
    LabelErreur->setText(Q(refus));
}
