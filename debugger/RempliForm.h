// TRempliForm: the fill dialog ("Initialisation de mémoire"), modal over a
// memory window; its fields and views live in TDialogueRemplissage
// (debugger/DialoguesMemoire.h), kept from one opening to the next.
#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;
class QRadioButton;
class TDebogueur;
class TDialogueRemplissage;

class TRempliForm : public QDialog {
public:
    TRempliForm(TDebogueur& debogueur, QWidget* parent);

    QLineEdit *EditAdrDeb = nullptr, *EditAdrFin = nullptr, *EditVal = nullptr;
    QRadioButton *RBSrcLog = nullptr, *RBSrcData = nullptr, *RBVueCPU = nullptr;
    QPushButton *BtnOK = nullptr, *BtnAnnuler = nullptr;

protected:
    void showEvent(QShowEvent* e) override;

private:
    TDebogueur& D;
    TDialogueRemplissage& L;

    void AfficheVues();
    void OK();
};
