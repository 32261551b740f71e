// The watch window (TVarForm, "Variables"): a thin view on the debugger's
// watch list (debugger/Variables.h). Four columns, a context menu, the
// dialog TNouvVarForm; a content that changed since the processor last moved
// is drawn in red.
#pragma once

#include <QWidget>

#include "debugger/Variables.h"

class QAction;
class QMenu;
class QTreeWidget;
class TNouvVarForm;

class TVarForm : public QWidget {
public:
    TVarForm(TDebogueur& d, QWidget* parent);
    ~TVarForm() override;

    QTreeWidget* LVVariables = nullptr;
    QMenu* Menu = nullptr;
    QAction *MINouvelle = nullptr, *MIModifier = nullptr, *MISupprimer = nullptr, *MISupprimerTout = nullptr;
    TNouvVarForm* NouvVarForm = nullptr;
    TFenetreVariables& Fenetre() { return FFenetre; }

    // Brings the list up to date with the logic.
    void Affiche();
    // The menu's enabled rules, as when it opens.
    void PrepareMenu();
    // The four commands of the menu.
    void NouvelleVariable();
    void ModifieVariable();
    void SupprimeVariable();
    void SupprimeTout();

private:
    TDebogueur& D;
    TFenetreVariables FFenetre;
};
