// The watch dialog (TNouvVarForm, "Nouvelle variable" / "Modifier la
// variable"): an address entry, the bank and the result type. Its "OK"
// hands the descriptor to the watch window, which receives it as 0x40A.
#pragma once

#include <QDialog>

#include <cstdint>
#include <functional>

#include "debugger/Variables.h"

class QComboBox;
class QPushButton;
class QRadioButton;
class TDebogueur;
class TEditAdresse;

class TNouvVarForm : public QDialog {
public:
    TNouvVarForm(TDebogueur& d, QWidget* parent);

    TEditAdresse* EditAdresse = nullptr;
    QRadioButton *RBLogiciel = nullptr, *RBDonnees = nullptr;
    QComboBox* CBType = nullptr;
    QPushButton *BtnAnnuler = nullptr, *BtnOK = nullptr;

    // The fields of a row to modify.
    void Remplit(const TChampsVariable& champs);
    // Receives the descriptor built on "OK".
    std::function<void(uint32_t)> SurDescripteur;
    // Address + 65,536 for "Données" + 1,048,576 × the type.
    uint32_t Descripteur();

protected:
    void showEvent(QShowEvent* e) override;

private:
    void Valide();
};
