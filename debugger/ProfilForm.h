// The "Profil" window: the profiler's counts by address or by routine in a
// list sorted by the column clicked (debugger/VuesSuivi.h), with "Marche",
// "Arrêt" and "RAZ"; a double click shows the address in a code window.
#pragma once

#include <QWidget>

#include <cstdint>
#include <functional>
#include <vector>

#include "debugger/VuesSuivi.h"

class QLabel;
class QPushButton;
class QRadioButton;
class QTreeWidget;

class TProfilForm : public QWidget {
public:
    static constexpr size_t NbLignes = 1000;

    TProfilForm(TDebogueur& d, QWidget* parent);

    QPushButton *BtnMarche = nullptr, *BtnArret = nullptr, *BtnRaz = nullptr;
    QRadioButton *RBAdresses = nullptr, *RBRoutines = nullptr;
    QLabel* LabelResume = nullptr;
    QTreeWidget* LVProfil = nullptr;
    std::function<void(uint16_t adresse, uint8_t banque)> SurAdresse;

    TModeProfil Mode() const { return FMode; }
    size_t Colonne() const { return FColonne; }
    bool Croissant() const { return FCroissant; }
    // A heading clicked: sorts on it, or the other way when it already does.
    void TrieSur(size_t colonne);
    // The rows again (after a stop, a command, a sort).
    void Affiche();

protected:
    void showEvent(QShowEvent* e) override;

private:
    TDebogueur& D;
    TModeProfil FMode = TModeProfil::Adresses;
    size_t FColonne = 4; // "États T", "Exclusif"
    bool FCroissant = false;

    void ChoisitMode(TModeProfil mode);
    void MajBoutons();
};
