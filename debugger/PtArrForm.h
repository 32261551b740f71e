// The breakpoint list ("Points d'arrêt") with the watchpoints beside it, and
// the dialogs that add a breakpoint ("Ajout d'un point d'arrêt") and a
// watchpoint: thin views on the breakpoint table and on the debugger's
// probes (debugger/Sondes.h).
#pragma once

#include <QDialog>

#include <functional>

class QAction;
class QComboBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPushButton;
class QTreeWidget;
class TDebogueur;
class TEditAdresse;

class TNouvPtArrForm : public QDialog {
public:
    TNouvPtArrForm(TDebogueur& debogueur, QWidget* parent);

    TEditAdresse* EdtAdr = nullptr;
    QLineEdit* EditCondition = nullptr;
    QPushButton *BtnOK = nullptr, *BtnAnnuler = nullptr;
    // After a breakpoint was added (the list dialog shows it).
    std::function<void()> SurAjout;
    std::function<void(const QString&)> Message;

    // Adds the breakpoint of the address entry (and its condition); false
    // when the condition is refused.
    bool AjoutePtArret();

protected:
    void showEvent(QShowEvent* e) override;

private:
    TDebogueur& D;
};

class TNouvSurvForm : public QDialog {
public:
    TNouvSurvForm(TDebogueur& debogueur, QWidget* parent);

    // Single addresses: an empty end, or one before the start, watches the
    // start byte alone.
    TEditAdresse *EdtDebut = nullptr, *EdtFin = nullptr;
    QComboBox *CBAcces = nullptr, *CBMemoire = nullptr;
    QPushButton *BtnOK = nullptr, *BtnAnnuler = nullptr;

    void AjouteSurveillance();

protected:
    void showEvent(QShowEvent* e) override;

private:
    TDebogueur& D;
};

class TPtArrForm : public QDialog {
public:
    TPtArrForm(TDebogueur& debogueur, QWidget* parent);

    QLabel* LabelPtArr = nullptr;
    QLabel* LabelDeclenchement = nullptr; // the access of the last watchpoint stop
    QTreeWidget *LVPtArr = nullptr, *LVSurv = nullptr;
    QPushButton *BtnOK = nullptr, *BtnAnnuler = nullptr;
    QMenu *MenuPtArr = nullptr, *MenuSurv = nullptr;
    QAction *MIAjouter = nullptr, *MISupprimer = nullptr, *MICondition = nullptr;
    QAction *MIAjouterSurv = nullptr, *MISupprimerSurv = nullptr;
    TNouvPtArrForm* NouvPtArrForm = nullptr;
    TNouvSurvForm* NouvSurvForm = nullptr;
    // The condition asked for by "Condition…" (tests replace it): false
    // when cancelled.
    std::function<bool(QString& texte)> DemandeCondition;
    std::function<void(const QString&)> Message;

    // Rebuilt each time the dialog becomes active.
    void MajListe();
    void Supprime();
    void ChangeCondition();
    void SupprimeSurveillance();

protected:
    bool event(QEvent* e) override;

private:
    TDebogueur& D;
};
