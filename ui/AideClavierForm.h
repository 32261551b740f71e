// The "Clavier" help window: what each host key gives the machine, in the
// current keyboard mode or another one, from the translation rules.
#pragma once

#include <QDialog>

class QComboBox;
class QTableWidget;
class QLabel;

class TAideClavierForm : public QDialog {
    Q_OBJECT
public:
    explicit TAideClavierForm(QWidget* parent);

    // Shows the table of `modeClavier` (-1 … 2) and brings the window up.
    void Montre(int32_t modeClavier);
    void Remplit(int32_t modeClavier);

    QComboBox* CBMode = nullptr;
    QTableWidget* LVTouches = nullptr;
    QLabel* LabelFenetre = nullptr;

private:
    void AjusteLargeur();
};
