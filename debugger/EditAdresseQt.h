// TEditAdresse: the address entry of the debugger windows, an edit box with
// a "Symbole" button at its right edge, both placed on the owner window.
// It is not a widget itself; its logic is TSaisieAdresse
// (debugger/SaisieAdresse.h), which the symbol picker and the tests reach.
#pragma once

#include <QObject>

#include <functional>
#include <string>

#include "debugger/SaisieAdresse.h"

class QLineEdit;
class QPushButton;
class QWidget;
class TDebogueur;

class TEditAdresse : public QObject {
public:
    // Both controls are created on `proprietaire`, inactive, in interval
    // mode. The "Symbole" button opens the debugger's symbol picker
    // (TDebogueur::ChoisitSymbole); without a debugger or while no picker
    // is installed, the button stays disabled.
    TEditAdresse(QWidget* proprietaire, TDebogueur* debogueur);
    ~TEditAdresse() override;

    int Gauche() const;
    void SetGauche(int x);
    int Haut() const;
    void SetHaut(int y);
    int Largeur() const; // of the edit box; the button follows
    void SetLargeur(int l);
    std::string Texte() const { return FSaisie.Texte(); }
    void SetTexte(const std::string& texte);
    bool Actif() const { return FSaisie.Actif(); }
    void SetActif(bool actif);
    bool Intervalle() const { return FSaisie.Intervalle(); }
    void SetIntervalle(bool intervalle) { FSaisie.SetIntervalle(intervalle); }
    int32_t Adr1() const { return FSaisie.Adr1(); }
    void SetAdr1(int32_t a) { FSaisie.SetAdr1(a); }
    int32_t Adr2() const { return FSaisie.Adr2(); }
    void SetAdr2(int32_t a) { FSaisie.SetAdr2(a); }
    void SetOnAdrChange(std::function<void()> f) { FSaisie.OnAdrChange = std::move(f); }
    void SetOnEditChange(std::function<void()> f) { FSaisie.OnEditChange = std::move(f); }
    // The addresses of symbol `index` of the debugger's list (picker).
    void SetIndexSymbole(int index);

    void EvaluerAdresses() { FSaisie.EvaluerAdresses(); }
    void SetFocus();

    TSaisieAdresse& Saisie() { return FSaisie; }
    QLineEdit* Edit() const { return FEdit; }
    QPushButton* Bouton() const { return FBouton; }

protected:
    bool eventFilter(QObject* objet, QEvent* e) override;

private:
    TSaisieAdresse FSaisie;
    TDebogueur* FDebogueur;
    QLineEdit* FEdit;
    QPushButton* FBouton;

    void PlaceBouton();
    void MajBouton();
    void Symbole();
};
