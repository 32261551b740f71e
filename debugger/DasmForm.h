// A code window (TDasmForm, "Affichage de code"): a thin view on
// TFenetreCode (debugger/FenetreCode.h). Any number of them, each made by the
// CPU window's "Code" button; a closed one is destroyed.
#pragma once

#include <QWidget>

#include "debugger/FenetreCode.h"

class QLabel;
class QListWidget;
class QRadioButton;
class TEditAdresse;

class TDasmForm : public QWidget {
public:
    TDasmForm(TDebogueur& d, QWidget* parent);
    ~TDasmForm() override;

    TEditAdresse* EditAdresse = nullptr;
    QListWidget* LBCode = nullptr;
    QRadioButton *RBCPU = nullptr, *RBLogiciel = nullptr, *RBData = nullptr;
    // Under the choices while the coverage is on: its colours, which the
    // lines take as their background.
    QLabel* LabelLegende = nullptr;
    TFenetreCode& Fenetre() { return FFenetre; }
    void Affiche();

protected:
    bool event(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    TFenetreCode FFenetre;
    uint32_t FGeneration = UINT32_MAX;
    void PlaceControles();
    void AfficheCouverture();
};
