// THexDataForm: a memory window ("Affichage de données"), opened in any
// number by the CPU window's "Données" button. A thin view on
// TFenetreDonnees (debugger/FenetreDonnees.h): the address entry, the hex
// editor, the three views, "Mise à jour automatique", the copy and fill
// dialogs and the search.
#pragma once

#include <functional>

#include <QWidget>

#include "debugger/FenetreDonnees.h"

class QAction;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class TDebogueur;
class TEditAdresse;
class THexEdit;

class THexDataForm : public QWidget {
public:
    // Owned by `parent` (the CPU window); deleted when closed.
    THexDataForm(TDebogueur& debogueur, QWidget* parent);
    ~THexDataForm() override;

    TFenetreDonnees& Logique() { return F; }

    TEditAdresse* EdtAdr = nullptr;
    THexEdit* HexEdit = nullptr;
    QRadioButton *RBVueCPU = nullptr, *RBLogiciel = nullptr, *RBData = nullptr;
    QCheckBox* CBMaj = nullptr;
    QPushButton *BtnCopier = nullptr, *BtnRemplir = nullptr;
    QLineEdit* EditRecherche = nullptr;
    QPushButton* BtnRechercher = nullptr;
    QAction *ActCharger = nullptr, *ActEnregistrer = nullptr; // context menu, Ctrl+O and Ctrl+S
    // The host file to load (false) or to write (true); empty when the user
    // cancels. A file dialog; the tests answer on their own.
    std::function<QString(bool)> ChoisitFichier;

    // Under the controls while the coverage is on: its colours.
    QLabel* LabelLegende = nullptr;

    // The controls brought up to date with the logic.
    void Affiche();

protected:
    bool event(QEvent* e) override;
    bool eventFilter(QObject* objet, QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;

private:
    TDebogueur& D;
    TFenetreDonnees F;

    void CreeVues();
    void CreeBoutons();
    // The dump takes what the window gains; the controls under it follow.
    void PlaceControles();
    void LitAdresses();
    void Copier();
    void Remplir();
    void Rechercher();
    void Charger();
    void Enregistrer();
};
