#include "debugger/NouvVarForm.h"
#include "debugger/ControlesQt.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>

#include "debugger/EditAdresseQt.h"

TNouvVarForm::TNouvVarForm(TDebogueur& d, QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Nouvelle variable"));
    setFixedSize(300, 168);
    Etiquette(this, QStringLiteral("Adresse hexad\u00e9cimale de la variable"), 16, 14);
    EditAdresse = new TEditAdresse(this, &d);
    EditAdresse->SetIntervalle(false);
    EditAdresse->SetGauche(16);
    EditAdresse->SetHaut(35);
    EditAdresse->SetLargeur(120);
    EditAdresse->SetActif(true);
    Etiquette(this, QStringLiteral("Banque M\u00e9moire"), 16, 68);
    RBLogiciel = new QRadioButton(QStringLiteral("Logiciel"), this);
    RBLogiciel->setGeometry(16, 86, 90, 22);
    RBDonnees = new QRadioButton(QStringLiteral("Donn\u00e9es"), this);
    RBDonnees->setGeometry(16, 108, 90, 22);
    RBLogiciel->setChecked(true);
    Etiquette(this, QStringLiteral("Type du r\u00e9sultat"), 130, 68);
    CBType = new QComboBox(this);
    CBType->setGeometry(130, 86, 154, 24);
    for (int t = 0; t < NbTypesVariable; ++t) CBType->addItem(QString::fromUtf8(NomTypeVariable(unsigned(t))));
    CBType->setCurrentIndex(0);
    BtnAnnuler = new QPushButton(QStringLiteral("Annuler"), this);
    BtnAnnuler->setGeometry(124, 132, 80, 26);
    BtnOK = new QPushButton(QStringLiteral("OK"), this);
    BtnOK->setGeometry(210, 132, 74, 26);
    BtnOK->setDefault(true);
    BtnAnnuler->setAutoDefault(false);
    connect(BtnAnnuler, &QPushButton::clicked, this, &QDialog::reject);
    connect(BtnOK, &QPushButton::clicked, this, [this] { Valide(); });
}

void TNouvVarForm::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    EditAdresse->SetActif(true); // the "Symbole" button follows the picker's presence
    EditAdresse->SetFocus();
}

void TNouvVarForm::Remplit(const TChampsVariable& champs) {
    EditAdresse->SetTexte(champs.Adresse);
    (champs.Donnees ? RBDonnees : RBLogiciel)->setChecked(true);
    CBType->setCurrentIndex(champs.Type);
}

uint32_t TNouvVarForm::Descripteur() {
    EditAdresse->EvaluerAdresses();
    const int32_t a = EditAdresse->Adr1() < 0 ? 0 : EditAdresse->Adr1();
    return uint32_t(a) + (RBDonnees->isChecked() ? 0x10000u : 0u) + 0x100000u * uint32_t(CBType->currentIndex());
}

void TNouvVarForm::Valide() {
    const uint32_t d = Descripteur();
    if (SurDescripteur) SurDescripteur(d);
    accept();
}
