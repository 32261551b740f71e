// The emulator settings window ("Paramètres de l'émulateur"): colours,
// graphics planes, keyboard mode, model, switches and the type of drives 1
// and 2. It maps its controls to a TReglagesEmulateur; storing is the
// value's business.
#pragma once

#include <QDialog>

#include <array>
#include <optional>

#include "config/ReglagesEmulateur.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class TPoste;
class THoteQt;

class TFormParams : public QDialog {
    Q_OBJECT
public:
    explicit TFormParams(QWidget* parent);

    QGroupBox *RGCoulTexte = nullptr, *RGPlansG = nullptr, *RGCoulGraph = nullptr, *GBSwitches = nullptr,
              *RGDsq12 = nullptr;
    QButtonGroup *BGCoulTexte = nullptr, *BGPlansG = nullptr, *BGCoulGraph = nullptr, *BGDsq12 = nullptr;
    QComboBox *CBClavier = nullptr, *CBEmulRam = nullptr;
    std::array<QCheckBox*, 8> CBD{}; // CBD[n] is CBDn
    QPushButton *BtnCancel = nullptr, *BtnOK = nullptr;

    // Controls from the value; the focus on "OK".
    void FormActivate(const TReglagesEmulateur& r);
    // The value the controls show.
    TReglagesEmulateur Reglages() const;

    // Fills from the workstation, runs modally over the main window and, on
    // OK, stores and applies. Nothing on cancel.
    std::optional<TEffetsEmulateur> Montre(TPoste& poste, THoteQt& hote);

private:
    QGroupBox* GroupeRadios(const char* titre, const char* const* items, size_t n, QButtonGroup*& boutons,
                            const QRect& zone, int colonnes);
    void ConstruitSwitches();
};
