#include "debugger/RempliForm.h"
#include "debugger/ControlesQt.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "debugger/ChampHexaQt.h"
#include "debugger/Debogueur.h"
#include "debugger/DialoguesMemoire.h"

TRempliForm::TRempliForm(TDebogueur& debogueur, QWidget* parent)
    : QDialog(parent), D(debogueur), L(debogueur.DialoguesMemoire().Remplissage) {
    setWindowTitle(QStringLiteral("Initialisation de m\u00e9moire"));
    setFixedSize(360, 196);
    Etiquette(this, QStringLiteral("Adresse de d\u00e9but (hexa)"), 16, 18);
    Etiquette(this, QStringLiteral("Adresse de fin (hexa)"), 16, 50);
    Etiquette(this, QStringLiteral("Valeur de remplissage (hexa)"), 16, 82);
    EditAdrDeb = CreeChampHexa(this, 4);
    EditAdrFin = CreeChampHexa(this, 4);
    EditVal = CreeChampHexa(this, 2);
    EditAdrDeb->setGeometry(196, 14, 60, 24);
    EditAdrFin->setGeometry(196, 46, 60, 24);
    EditVal->setGeometry(196, 78, 60, 24);
    EditAdrDeb->setText(QString::fromStdString(L.EditAdrDeb));
    EditAdrFin->setText(QString::fromStdString(L.EditAdrFin));
    EditVal->setText(QString::fromStdString(L.EditVal));
    auto* groupe = new QGroupBox(this);
    groupe->setGeometry(16, 110, 200, 76);
    RBSrcLog = new QRadioButton(QStringLiteral("Banque logiciel"), groupe);
    RBSrcData = new QRadioButton(QStringLiteral("Banque data"), groupe);
    RBVueCPU = new QRadioButton(QStringLiteral("M\u00e9moire vue du CPU"), groupe);
    RBSrcLog->setGeometry(8, 6, 186, 20);
    RBSrcData->setGeometry(8, 28, 186, 20);
    RBVueCPU->setGeometry(8, 50, 186, 20);
    BtnOK = new QPushButton(QStringLiteral("OK"), this);
    BtnAnnuler = new QPushButton(QStringLiteral("Annuler"), this);
    BtnOK->setGeometry(264, 118, 80, 26);
    BtnAnnuler->setGeometry(264, 152, 80, 26);
    BtnOK->setDefault(true);
    connect(BtnOK, &QPushButton::clicked, this, [this] { OK(); });
    connect(BtnAnnuler, &QPushButton::clicked, this, &QDialog::reject);
    L.Active();
    AfficheVues();
}

void TRempliForm::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    L.Active(); // the bank choice of the model in force
    AfficheVues();
    EditAdrDeb->setFocus();
}

void TRempliForm::AfficheVues() {
    for (QRadioButton* b : {RBSrcLog, RBSrcData, RBVueCPU}) b->setEnabled(L.Vues.Actif);
    RBSrcLog->setChecked(L.Vues.Vue == TVueMemoire::Banque0);
    RBSrcData->setChecked(L.Vues.Vue == TVueMemoire::Banque1);
    RBVueCPU->setChecked(L.Vues.Vue == TVueMemoire::CPU);
}

void TRempliForm::OK() {
    L.EditAdrDeb = EditAdrDeb->text().toStdString();
    L.EditAdrFin = EditAdrFin->text().toStdString();
    L.EditVal = EditVal->text().toStdString();
    L.Vues.Vue = RBSrcLog->isChecked() ? TVueMemoire::Banque0
                 : RBSrcData->isChecked() ? TVueMemoire::Banque1
                                          : TVueMemoire::CPU;
    const TBilanMemoire b = L.Valide();
    TInspection(D).MessageInfo(b.Message);
    accept();
}
