#include "disks/NouvelleImageDlg.h"

#include <QCheckBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "ui/FenetreModale.h"

namespace {

constexpr int Largeur = 400, Hauteur = 200;

} // namespace

TDlgNouvelleImage::TDlgNouvelleImage(const QString& chemin, const TChoixNouvelleImage& defauts, int lecteur,
                                     int64_t tailleLecteur, QWidget* parent)
    : QDialog(parent), FTailleLecteur(lecteur ? tailleLecteur : 0) {
    setWindowTitle(QStringLiteral("Nouvelle image disque"));
    FixeCadre(*this, Largeur, Hauteur);
    LabelFichier = new QLabel(this);
    LabelFichier->setGeometry(12, 10, Largeur - 24, 18);
    LabelFichier->setText(LabelFichier->fontMetrics().elidedText(QString::fromUtf8("Fichier : ") + chemin,
                                                                 Qt::ElideMiddle, LabelFichier->width()));
    LabelFichier->setToolTip(chemin);
    for (size_t i = 0; i < TaillesImage.size(); ++i) {
        RBTaille[i] = new QRadioButton(QString::fromStdString(LibelleTailleImage(TaillesImage[i])), this);
        RBTaille[i]->setGeometry(24, 36 + int(i) * 26, Largeur - 48, 24);
        RBTaille[i]->setChecked(TaillesImage[i].Octets == defauts.Taille);
        connect(RBTaille[i], &QRadioButton::toggled, this, [this] { MajInsere(); });
    }
    CBInsere = new QCheckBox(QString::fromUtf8("Ins\u00e9rer dans le lecteur ") + QString::number(lecteur), this);
    CBInsere->setGeometry(24, 118, Largeur - 48, 24);
    CBInsere->setChecked(defauts.Insere);
    CBInsere->setVisible(lecteur != 0);
    BtnOK = new QPushButton(QStringLiteral("OK"), this);
    BtnOK->setGeometry(Largeur - 184, Hauteur - 36, 84, 28);
    BtnOK->setDefault(true);
    BtnAnnuler = new QPushButton(QStringLiteral("Annuler"), this);
    BtnAnnuler->setGeometry(Largeur - 92, Hauteur - 36, 84, 28);
    connect(BtnOK, &QPushButton::clicked, this, &QDialog::accept);
    connect(BtnAnnuler, &QPushButton::clicked, this, &QDialog::reject);
    MajInsere();
}

TChoixNouvelleImage TDlgNouvelleImage::Choix() const {
    TChoixNouvelleImage c;
    for (size_t i = 0; i < TaillesImage.size(); ++i)
        if (RBTaille[i]->isChecked()) c.Taille = TaillesImage[i].Octets;
    c.Insere = CBInsere->isEnabled() && CBInsere->isChecked();
    return c;
}

// The drive takes only its own size: another size is only written.
void TDlgNouvelleImage::MajInsere() {
    int64_t taille = 0;
    for (size_t i = 0; i < TaillesImage.size(); ++i)
        if (RBTaille[i]->isChecked()) taille = TaillesImage[i].Octets;
    CBInsere->setEnabled(FTailleLecteur != 0 && taille == FTailleLecteur);
}
