// The converter (TConvertForm, "Conversions hexadécimal <-> flottant"):
// modal, two entries with their key filters and two conversion buttons on
// the logic of debugger/Conversions.h. It keeps its texts between uses.
#pragma once

#include <QDialog>

class QLabel;
class QLineEdit;
class QPushButton;

class TConvertForm : public QDialog {
public:
    explicit TConvertForm(QWidget* parent);

    QLineEdit *EditFloat = nullptr, *EditHex = nullptr;
    QPushButton *SBToFloat = nullptr, *SBToHex = nullptr, *BtnOK = nullptr;
    // Why the last conversion was refused (empty after one that went well).
    QLabel* LabelErreur = nullptr;

    // A text that is not a number (or 8 bytes) is refused: the reason is
    // shown, the other entry keeps its text.
    void VersFlottant(); // "Hexa. -> flottant"
    void VersHexa();     // "Flottant -> hexa."

protected:
    bool eventFilter(QObject* objet, QEvent* e) override;

private:
    bool FiltreTouche(QLineEdit* entree, const QString& texte);
    void Affiche(QLineEdit* resultat, QLineEdit* source, const struct TResultatConversion& r);
};
