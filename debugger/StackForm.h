// The stack window (TStackForm, "Pile du CPU"): a thin view on the
// debugger's stack rows (debugger/Pile.h), rebuilt on 0x414; a word that
// changed since the processor last moved is drawn in red.
#pragma once

#include <QWidget>

#include "debugger/Pile.h"

class QTreeWidget;

class TStackForm : public QWidget {
public:
    TStackForm(TDebogueur& d, QWidget* parent);
    ~TStackForm() override;

    QTreeWidget* LVPile = nullptr;
    TFenetrePile& Fenetre() { return FFenetre; }
    void Affiche();

protected:
    // Opened (or opened again): no row in red until the processor moves.
    void showEvent(QShowEvent* e) override;

private:
    TDebogueur& D;
    TFenetrePile FFenetre;
};
