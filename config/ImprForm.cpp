#include "config/ImprForm.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpressionValidator>

#include "config/Parametres.h"
#include "config/Poste.h"
#include "ui/FenetreModale.h"
#include "ui/HoteQt.h"

namespace {

constexpr int LargeurClient = 456, HauteurClient = 335;
// Seconds typed in the field: digits only, at most about eleven days.
constexpr int ChiffresTemps = 6;

QLabel* Libelle(QWidget* parent, const QString& texte, const QRect& zone) {
    auto* l = new QLabel(texte, parent);
    l->setGeometry(zone);
    return l;
}

QString Texte(const std::string& s) { return QString::fromStdString(s); }

// The name the host gives to a stored choice.
QString NomAffiche(const std::string& choix) {
    if (choix.empty() || choix == ImprimanteDefaut) {
        const QString defaut = QPrinterInfo::defaultPrinterName();
        return defaut.isEmpty() ? Texte(choix.empty() ? std::string(ImprimanteDefaut) : choix) : defaut;
    }
    return Texte(choix);
}

} // namespace

TImprForm::TImprForm(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QString::fromUtf8("Param\u00e8tres de l'imprimante"));
    FixeCadre(*this, LargeurClient, HauteurClient);
    Libelle(this, QString::fromUtf8("Nom de l'imprimante"), QRect(16, 12, 300, 18));
    PanelNomImp = new QLabel(this);
    PanelNomImp->setGeometry(16, 32, 328, 30);
    PanelNomImp->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    PanelNomImp->setIndent(6);
    PanelNomImp->setTextInteractionFlags(Qt::NoTextInteraction);
    PanelNomImp->installEventFilter(this);
    BtnParamsImp = new QPushButton(QString::fromUtf8("Param\u00e8tres"), this);
    BtnParamsImp->setGeometry(352, 32, 88, 30);
    connect(BtnParamsImp, &QPushButton::clicked, this, &TImprForm::BtnParamsImpClick);

    Libelle(this, QString::fromUtf8("Fin d'impression"), QRect(16, 76, 200, 18));
    RBManuel = new QRadioButton(QStringLiteral("Manuelle"), this);
    RBManuel->setGeometry(32, 98, 160, 22);
    RBAuto = new QRadioButton(QString::fromUtf8("Automatique apr\u00e8s"), this);
    RBAuto->setGeometry(32, 126, 160, 22);
    EditTemps = new QLineEdit(QString::fromUtf8(TempsParDefaut), this);
    EditTemps->setGeometry(196, 124, 56, 26);
    EditTemps->setMaxLength(ChiffresTemps);
    EditTemps->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), EditTemps));
    Libelle(this, QStringLiteral("secondes"), QRect(260, 128, 100, 18));

    Libelle(this, QStringLiteral("Taille de la fonte"), QRect(16, 168, 130, 18));
    CBTaille = new QComboBox(this);
    CBTaille->setGeometry(152, 164, 120, 26);
    for (const char* taille : TaillesFonte) CBTaille->addItem(QString::fromUtf8(taille));

    CBImprEntete = new QCheckBox(QString::fromUtf8("Imprime en-t\u00eate"), this);
    CBImprEntete->setGeometry(16, 204, 130, 22);
    EditEntete = new QLineEdit(QStringLiteral("Programme pour Basic Zorvex"), this);
    EditEntete->setGeometry(152, 202, 288, 26);
    CBImprimePage = new QCheckBox(QString::fromUtf8("Imprime n\u00b0 de page"), this);
    CBImprimePage->setGeometry(16, 238, 200, 22);
    PanelHexa = new QFrame(this);
    PanelHexa->setGeometry(16, 268, 232, 34);
    PanelHexa->setFrameStyle(QFrame::Panel | QFrame::Raised);
    CBHexPrint = new QCheckBox(QString::fromUtf8("Impression en hexad\u00e9cimal"), PanelHexa);
    CBHexPrint->setGeometry(8, 6, 216, 22);

    BtnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    BtnCancel->setGeometry(264, 296, 84, 30);
    BtnOK = new QPushButton(QStringLiteral("OK"), this);
    BtnOK->setGeometry(356, 296, 84, 30);
    BtnOK->setDefault(true);
    connect(BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(BtnOK, &QPushButton::clicked, this, &QDialog::accept);
}

// The panel with the printer's name acts as the "Paramètres" button.
bool TImprForm::eventFilter(QObject* objet, QEvent* e) {
    if (objet == PanelNomImp && e->type() == QEvent::MouseButtonRelease &&
        static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton && BtnParamsImp->isEnabled()) {
        BtnParamsImpClick();
        return true;
    }
    return QDialog::eventFilter(objet, e);
}

void TImprForm::AfficheImprimante(const std::string& dossierPdf) {
    if (QPrinterInfo::availablePrinters().isEmpty()) {
        const QString dossier = Texte(dossierPdf);
        // The end of the path (the folder's own name) stays in view.
        const QString texte = QString::fromUtf8("Fichiers PDF dans ") + dossier;
        const int place = PanelNomImp->contentsRect().width() - 2 * PanelNomImp->indent();
        PanelNomImp->setText(PanelNomImp->fontMetrics().elidedText(texte, Qt::ElideMiddle, place));
        PanelNomImp->setToolTip(dossier);
        BtnParamsImp->setEnabled(false);
        BtnParamsImp->setToolTip(QString::fromUtf8("Aucune imprimante n'est install\u00e9e : les impressions "
                                                   "sont enregistr\u00e9es en PDF dans ") + dossier);
        return;
    }
    PanelNomImp->setText(NomAffiche(FImprimante));
    PanelNomImp->setToolTip(QString());
    BtnParamsImp->setEnabled(true);
    BtnParamsImp->setToolTip(QString());
}

void TImprForm::FormActivate(const TReglagesImprimante& r, const std::string& dossierPdf) {
    FImprimante = r.Imprimante;
    AfficheImprimante(dossierPdf);
    (r.Manuelle ? RBManuel : RBAuto)->setChecked(true);
    EditTemps->setText(Texte(r.Temps));
    CBImprEntete->setChecked(r.EnTete);
    CBImprimePage->setChecked(r.NoPage);
    CBHexPrint->setChecked(r.Hexa);
    EditEntete->setText(Texte(r.TexteEnTete));
    CBTaille->setCurrentIndex(r.Taille);
    BtnOK->setFocus();
}

TReglagesImprimante TImprForm::Reglages() const {
    TReglagesImprimante r;
    r.Imprimante = FImprimante;
    r.Manuelle = !RBAuto->isChecked();
    r.Temps = EditTemps->text().toStdString();
    r.Taille = CBTaille->currentIndex();
    r.EnTete = CBImprEntete->isChecked();
    r.TexteEnTete = EditEntete->text().toStdString();
    r.NoPage = CBImprimePage->isChecked();
    r.Hexa = CBHexPrint->isChecked();
    return r;
}

void TImprForm::BtnParamsImpClick() {
    QPrinter imprimante(QPrinter::HighResolution);
    imprimante.setPrinterName(NomAffiche(FImprimante));
    QPrintDialog dialogue(&imprimante, this);
    dialogue.setWindowTitle(QString::fromUtf8("Configuration de l'impression"));
    dialogue.setOption(QAbstractPrintDialog::PrintToFile, false);
    dialogue.setOption(QAbstractPrintDialog::PrintSelection, false);
    dialogue.setOption(QAbstractPrintDialog::PrintPageRange, false);
    if (dialogue.exec() != QDialog::Accepted) return;
    const QString nom = imprimante.printerName();
    if (!nom.isEmpty()) FImprimante = nom.toStdString();
    PanelNomImp->setText(NomAffiche(FImprimante));
}

std::optional<TEffetsImprimante> TImprForm::Montre(TPoste& poste, THoteQt& hote) {
    poste.PrendTailleFonte();
    FormActivate(poste.LitReglagesImprimante(EditTemps->text().toStdString()), DossierImpressions(poste.Parametres));
    CentreSurParent(*this);
    if (!hote.Modale([this] { return exec() == QDialog::Accepted; })) return std::nullopt;
    return poste.AppliqueReglagesImprimante(Reglages());
}
