// The CPU window's "Code", "Variables", "Pile" and "Conversions" buttons and
// the windows they open.
#include <QPushButton>

#include "debugger/CPUForm.h"
#include "debugger/ConvertForm.h"
#include "debugger/DasmForm.h"
#include "debugger/StackForm.h"
#include "debugger/VarForm.h"

void TCPUForm::CreeFenetresAuxiliaires() {
    VarForm = new TVarForm(D, this);
    StackForm = new TStackForm(D, this);
    ConvertForm = new TConvertForm(this);
    auto montre = [](QWidget* w) {
        w->show();
        w->raise();
        w->activateWindow();
    };
    SuitFenetre(VarForm, TGenreFenetre::Variables);
    SuitFenetre(StackForm, TGenreFenetre::Pile);
    connect(BtnAffCode, &QPushButton::clicked, this, [this, montre] {
        auto* w = new TDasmForm(D, this);
        SuitFenetre(w, TGenreFenetre::Code);
        montre(w);
    });
    connect(BtnAffVar, &QPushButton::clicked, this, [this, montre] { montre(VarForm); });
    connect(BtnAffPile, &QPushButton::clicked, this, [this, montre] { montre(StackForm); });
    connect(BtnHexFloat, &QPushButton::clicked, this, [this] { ConvertForm->exec(); });
}

void TCPUForm::ActiveBoutonsFenetres(bool actif) {
    for (QPushButton* b : {BtnAffCode, BtnAffVar, BtnAffPile, BtnHexFloat}) b->setEnabled(actif);
}
