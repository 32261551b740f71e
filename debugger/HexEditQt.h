// THexEdit: the custom-drawn hex editor control. A thin widget over its
// model (debugger/HexEdit.h): it paints the lines and the blinking cursor,
// owns the vertical scroll bar and the 200 ms blink timer, and hands the
// mouse, the wheel and the keys to the model.
#pragma once

#include <QWidget>

#include <memory>

#include "debugger/HexEdit.h"

class QScrollBar;
class QTimer;

class THexEdit : public QWidget {
public:
    // On `modele` when given (the memory window's), else on its own.
    explicit THexEdit(QWidget* parent, THexEditModele* modele = nullptr);
    ~THexEdit() override;

    THexEditModele& Modele() { return *FModele; }
    // Adresses := start × 65,536 + end.
    void SetAdresses(uint32_t valeur);
    // Brings the scroll bar, the blink timer and the picture up to date with
    // the model (after the owner changed it).
    void Synchronise();
    QScrollBar* ScrollBar() const { return FScrollBar; }
    QTimer* Timer() const { return FTimer; }
    // Width of the character "0" in the control's font.
    int LargeurChiffre() const;

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void keyPressEvent(QKeyEvent* e) override;
    void wheelEvent(QWheelEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void changeEvent(QEvent* e) override;

private:
    std::unique_ptr<THexEditModele> FPropre;
    THexEditModele* FModele;
    QScrollBar* FScrollBar;
    QTimer* FTimer;
    bool FSynchro = false;

    void Clignote();
};
