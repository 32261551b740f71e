#include "ui/ApercuEtat.h"

#include <QDateTime>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QPixmap>
#include <QVBoxLayout>

#include <vector>

#include "config/FichierEtat.h"
#include "config/Modeles.h"
#include "core/Fichiers.h"

namespace {

constexpr uint64_t TailleMaxApercu = 16u << 20;
// The thumbnail a state carries: a quarter of the screen each way.
constexpr int LargeurVignette = 256, HauteurVignette = 144;

// The state in `chemin`, or the reason it cannot be read.
bool LitEtat(const std::string& chemin, TEtatComplet& e, std::string& erreur) {
    std::vector<uint8_t> octets;
    const TLectureFichier r = LitFichierEntier(chemin, octets, TailleMaxApercu);
    if (r != TLectureFichier::Ok) {
        erreur = MessageLecture(r, chemin);
        return false;
    }
    return DecodeEtat(octets, e, erreur);
}

} // namespace

QString TexteApercuEtat(const TEtatComplet& e) {
    const std::string modele = e.Info.NomModele.empty() ? LibelleModele(e.Info.Modele) : e.Info.NomModele;
    const QString date =
        QDateTime::fromSecsSinceEpoch(e.Info.DateUnix).toLocalTime().toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"));
    return QStringLiteral("Mod\u00e8le : %1\nEnregistr\u00e9 le : %2\nProgramme : %3")
        .arg(QString::fromStdString(modele), date, QString::fromStdString(e.Info.Programme));
}

TApercuEtat::TApercuEtat(QWidget* parent) : QWidget(parent) {
    auto* l = new QVBoxLayout(this);
    l->setContentsMargins(8, 0, 0, 0);
    ImageVignette = new QLabel(this);
    ImageVignette->setFixedSize(LargeurVignette + 2, HauteurVignette + 2);
    ImageVignette->setFrameShape(QFrame::Box);
    ImageVignette->setAlignment(Qt::AlignCenter);
    l->addWidget(ImageVignette);
    LabelInfo = new QLabel(this);
    LabelInfo->setWordWrap(true);
    LabelInfo->setFixedWidth(LargeurVignette + 2);
    LabelInfo->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    LabelInfo->setTextInteractionFlags(Qt::TextSelectableByMouse);
    l->addWidget(LabelInfo);
    l->addStretch();
    Montre({});
}

bool TApercuEtat::Montre(const QString& chemin) {
    ImageVignette->clear();
    if (chemin.isEmpty() || QFileInfo(chemin).isDir()) {
        ImageVignette->setText(QStringLiteral("Aucun \u00e9tat choisi"));
        LabelInfo->clear();
        return false;
    }
    TEtatComplet e;
    std::string erreur;
    if (!LitEtat(chemin.toStdString(), e, erreur)) {
        ImageVignette->setText(QStringLiteral("Pas d'aper\u00e7u"));
        LabelInfo->setText(QString::fromStdString(erreur));
        return false;
    }
    QPixmap image;
    if (!e.Vignette.Png.empty() && image.loadFromData(e.Vignette.Png.data(), uint(e.Vignette.Png.size()), "PNG"))
        ImageVignette->setPixmap(image.scaled(LargeurVignette, HauteurVignette, Qt::KeepAspectRatio,
                                              Qt::SmoothTransformation));
    else
        ImageVignette->setText(QStringLiteral("Pas d'image de l'\u00e9cran"));
    LabelInfo->setText(TexteApercuEtat(e));
    return true;
}

QString FiltreEtats() { return QStringLiteral("\u00c9tats EmulZorv (*.zetat)"); }

QFileDialog* NouveauDialogueEtat(QWidget* parent, const QString& dossier, bool charger, const QString& nom) {
    auto* d = new QFileDialog(parent, charger ? QStringLiteral("Charger l'\u00e9tat") : QStringLiteral("Enregistrer l'\u00e9tat"),
                              dossier, FiltreEtats());
    d->setOption(QFileDialog::DontUseNativeDialog);
    d->setDefaultSuffix(QStringLiteral("zetat"));
    if (!charger) {
        d->setAcceptMode(QFileDialog::AcceptSave);
        d->setFileMode(QFileDialog::AnyFile);
        if (!nom.isEmpty()) d->selectFile(nom);
        return d;
    }
    d->setAcceptMode(QFileDialog::AcceptOpen);
    d->setFileMode(QFileDialog::ExistingFile);
    auto* apercu = new TApercuEtat(d);
    apercu->setObjectName(QStringLiteral("ApercuEtat"));
    // The widget dialog lays itself out on a grid: the preview takes a
    // column of its own on the right, over every row.
    if (auto* grille = qobject_cast<QGridLayout*>(d->layout()))
        grille->addWidget(apercu, 0, grille->columnCount(), grille->rowCount(), 1);
    QObject::connect(d, &QFileDialog::currentChanged, apercu, [apercu](const QString& chemin) { apercu->Montre(chemin); });
    return d;
}
