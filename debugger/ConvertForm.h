// The converter (TConvertForm, "Conversions hexadécimal <-> flottant"):
// modal, two entries with their key filters and two conversion buttons on
// the logic of debugger/Conversions.h. It keeps its texts between uses.
#pragma once

#include <QDialog>

class QLineEdit;
class QPushButton;

class TConvertForm : public QDialog {
public:
    explicit TConvertForm(QWidget* parent);

    QLineEdit *EditFloat = nullptr, *EditHex = nullptr;
    QPushButton *SBToFloat = nullptr, *SBToHex = nullptr, *BtnOK = nullptr;

    void VersFlottant(); // "Hexa. -> flottant"
    void VersHexa();     // "Flottant -> hexa."

protected:
    bool eventFilter(QObject* objet, QEvent* e) override;

private:
    bool FiltreTouche(QLineEdit* entree, const QString& texte);
};
