// TCopieForm: the copy dialog ("Copie de données"), modal over a memory
// window; its fields and views live in TDialogueCopie
// (debugger/DialoguesMemoire.h), kept from one opening to the next.
#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;
class QRadioButton;
class TDebogueur;
class TDialogueCopie;
struct TChoixVue;

class TCopieForm : public QDialog {
public:
    TCopieForm(TDebogueur& debogueur, QWidget* parent);

    QLineEdit *EditAdrDeb = nullptr, *EditAdrFin = nullptr, *EditAdrDest = nullptr;
    QRadioButton *RBSrcLog = nullptr, *RBSrcData = nullptr, *RBSrcCPU = nullptr;
    QRadioButton *RBDstLog = nullptr, *RBDstData = nullptr, *RBDstCPU = nullptr;
    QPushButton *BtnOK = nullptr, *BtnAnnuler = nullptr;

protected:
    void showEvent(QShowEvent* e) override;

private:
    TDebogueur& D;
    TDialogueCopie& L;

    void AfficheVues();
    void OK();
};
