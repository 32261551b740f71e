// The printer settings window ("Paramètres de l'imprimante"): the printer,
// the end of a job, the font size, the header, page numbers and the
// hexadecimal listing. It maps its controls to a TReglagesImprimante; the
// printer itself is chosen in the host's printer set-up dialog, or, when the
// host has no printer, jobs go to PDF files and the window says where.
#pragma once

#include <QDialog>

#include <optional>
#include <string>

#include "config/ReglagesImprimante.h"

class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class TPoste;
class THoteQt;

class TImprForm : public QDialog {
    Q_OBJECT
public:
    explicit TImprForm(QWidget* parent);

    QLabel* PanelNomImp = nullptr;
    QPushButton* BtnParamsImp = nullptr;
    QRadioButton *RBManuel = nullptr, *RBAuto = nullptr;
    QLineEdit* EditTemps = nullptr;
    QComboBox* CBTaille = nullptr;
    QCheckBox *CBImprEntete = nullptr, *CBImprimePage = nullptr, *CBHexPrint = nullptr;
    QLineEdit* EditEntete = nullptr;
    QFrame* PanelHexa = nullptr;
    QPushButton *BtnCancel = nullptr, *BtnOK = nullptr;

    // Controls from the value; the printer's name (or the PDF folder).
    void FormActivate(const TReglagesImprimante& r, const std::string& dossierPdf);
    TReglagesImprimante Reglages() const;
    // The host's printer set-up dialog; its choice is shown and kept for OK.
    void BtnParamsImpClick();

    // PointsImpr from the printer font, then the window, modal over the main
    // window; on OK the settings are stored and written. Nothing else on cancel.
    std::optional<TEffetsImprimante> Montre(TPoste& poste, THoteQt& hote);

protected:
    bool eventFilter(QObject* objet, QEvent* e) override;

private:
    std::string FImprimante;  // the stored choice ("Défaut": the host's default)
    void AfficheImprimante(const std::string& dossierPdf);
};
