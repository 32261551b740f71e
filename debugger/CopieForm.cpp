#include "debugger/CopieForm.h"
#include "debugger/ControlesQt.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "debugger/ChampHexaQt.h"
#include "debugger/Debogueur.h"
#include "debugger/DialoguesMemoire.h"

namespace {

// The three views of one group, from the top: "Banque logiciel",
// "Banque data", "Mémoire vue du CPU".
void CreeVues(QWidget* groupe, int y, QRadioButton*& log, QRadioButton*& data, QRadioButton*& cpu) {
    log = new QRadioButton(QStringLiteral("Banque logiciel"), groupe);
    data = new QRadioButton(QStringLiteral("Banque data"), groupe);
    cpu = new QRadioButton(QStringLiteral("M\u00e9moire vue du CPU"), groupe);
    log->setGeometry(10, y, 190, 20);
    data->setGeometry(10, y + 22, 190, 20);
    cpu->setGeometry(10, y + 44, 190, 20);
    // The copy reads and writes the processor's view in bank 1, where the
    // memory window's view is in bank 0: the same addresses may differ.
    cpu->setToolTip(QStringLiteral("La copie passe par la m\u00e9moire vue du CPU en banque 1 (banque data), "
                                   "la fen\u00eatre de donn\u00e9es par la banque 0"));
}

void MontreVues(const TChoixVue& c, QRadioButton* log, QRadioButton* data, QRadioButton* cpu) {
    for (QRadioButton* b : {log, data, cpu}) b->setEnabled(c.Actif);
    log->setChecked(c.Vue == TVueMemoire::Banque0);
    data->setChecked(c.Vue == TVueMemoire::Banque1);
    cpu->setChecked(c.Vue == TVueMemoire::CPU);
}

TVueMemoire VueCochee(const QRadioButton* log, const QRadioButton* data) {
    return log->isChecked() ? TVueMemoire::Banque0 : data->isChecked() ? TVueMemoire::Banque1 : TVueMemoire::CPU;
}

} // namespace

TCopieForm::TCopieForm(TDebogueur& debogueur, QWidget* parent)
    : QDialog(parent), D(debogueur), L(debogueur.DialoguesMemoire().Copie) {
    setWindowTitle(QStringLiteral("Copie de donn\u00e9es"));
    setFixedSize(512, 236);
    auto* source = new QGroupBox(QStringLiteral("SOURCE"), this);
    source->setGeometry(12, 8, 240, 180);
    Etiquette(source, QStringLiteral("Adresse de d\u00e9but (hexa)"), 10, 28);
    Etiquette(source, QStringLiteral("Adresse de fin (hexa)"), 10, 60);
    EditAdrDeb = CreeChampHexa(source, 4);
    EditAdrFin = CreeChampHexa(source, 4);
    EditAdrDeb->setGeometry(174, 24, 56, 24);
    EditAdrFin->setGeometry(174, 56, 56, 24);
    CreeVues(source, 94, RBSrcLog, RBSrcData, RBSrcCPU);
    auto* destination = new QGroupBox(QStringLiteral("DESTINATION"), this);
    destination->setGeometry(260, 8, 240, 180);
    Etiquette(destination, QStringLiteral("Adresse destination (hexa)"), 10, 28);
    EditAdrDest = CreeChampHexa(destination, 4);
    EditAdrDest->setGeometry(10, 48, 56, 24);
    CreeVues(destination, 94, RBDstLog, RBDstData, RBDstCPU);
    EditAdrDeb->setText(QString::fromStdString(L.EditAdrDeb));
    EditAdrFin->setText(QString::fromStdString(L.EditAdrFin));
    EditAdrDest->setText(QString::fromStdString(L.EditAdrDest));
    BtnOK = new QPushButton(QStringLiteral("OK"), this);
    BtnAnnuler = new QPushButton(QStringLiteral("Annuler"), this);
    BtnOK->setGeometry(328, 198, 80, 26);
    BtnAnnuler->setGeometry(420, 198, 80, 26);
    BtnOK->setDefault(true);
    connect(BtnOK, &QPushButton::clicked, this, [this] { OK(); });
    connect(BtnAnnuler, &QPushButton::clicked, this, &QDialog::reject);
    L.Active();
    AfficheVues();
}

void TCopieForm::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    L.Active(); // the bank choice of the model in force
    AfficheVues();
    EditAdrDeb->setFocus();
}

void TCopieForm::AfficheVues() {
    MontreVues(L.Source, RBSrcLog, RBSrcData, RBSrcCPU);
    MontreVues(L.Destination, RBDstLog, RBDstData, RBDstCPU);
}

void TCopieForm::OK() {
    L.EditAdrDeb = EditAdrDeb->text().toStdString();
    L.EditAdrFin = EditAdrFin->text().toStdString();
    L.EditAdrDest = EditAdrDest->text().toStdString();
    L.Source.Vue = VueCochee(RBSrcLog, RBSrcData);
    L.Destination.Vue = VueCochee(RBDstLog, RBDstData);
    const TBilanMemoire b = L.Valide();
    TInspection(D).MessageInfo(b.Message);
    accept();
}
