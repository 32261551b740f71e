// The symbol dialog ("Symboles") and the dialog that adds one symbol
// ("Ajout d'un symbole"): thin views on the debugger's symbol list and on
// debugger/GestionSymboles.h.
#pragma once

#include <QDialog>

#include <functional>

class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTreeWidget;
class QAction;
class TDebogueur;
class TSaisieAdresse;

class TNouvSymbForm : public QDialog {
public:
    TNouvSymbForm(TDebogueur& debogueur, QWidget* parent);

    QLineEdit *EditNom = nullptr, *EditAdr = nullptr;
    QPushButton *BtnOK = nullptr, *BtnAnnuler = nullptr;
    // The plain message box (tests replace it).
    std::function<void(const QString&)> Message;

protected:
    void showEvent(QShowEvent* e) override;

private:
    TDebogueur& D;
    void Valide();
};

class TSymbForm : public QDialog {
public:
    TSymbForm(TDebogueur& debogueur, QWidget* parent);

    QLabel* LabelSymb = nullptr;
    QTreeWidget* LVSymb = nullptr;
    // Under the list: only the symbols whose name holds its text, or whose
    // address begins with it (debugger/FiltreSymboles.h).
    QLineEdit* EditFiltre = nullptr;
    QPushButton *BtnOK = nullptr, *BtnAnnuler = nullptr;
    QMenu* MenuSymb = nullptr;
    QAction *MIAjouter = nullptr, *MISupprimer = nullptr, *MICharger = nullptr, *MIEffacer = nullptr;
    TNouvSymbForm* NouvSymbForm = nullptr;
    // The address entry that asked for a symbol (picker), or none.
    TSaisieAdresse* FEditeur = nullptr;
    // The open-file dialog of "Charger une liste" and the plain message box
    // (tests replace them).
    std::function<QString()> ChoisitFichier;
    std::function<void(const QString&)> Message;

    // Picker: opens the dialog modally for `editeur`.
    void Choisit(TSaisieAdresse& editeur);
    void MajListView();
    void Supprime();
    void Charge();
    void Efface();

protected:
    void showEvent(QShowEvent* e) override;
    void done(int r) override;

private:
    TDebogueur& D;
    void Trie(int colonne);
    void ChoisitLigne(int ligne);
};
