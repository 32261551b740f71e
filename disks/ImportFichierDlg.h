// "Importer un fichier": the name a host file takes on the disk, its C1 and
// C2, offered from its NOM_C1_C2 name; what the file becomes is said as the
// values change, and a refused value is said under them (the dialog stays
// open). The checks are disks/FichierSeul.*.
#pragma once

#include <QDialog>

#include <cstdint>

#include "disks/FichierSeul.h"

class QLabel;
class QLineEdit;
class QPushButton;

class TDlgImportFichier : public QDialog {
public:
    // `taille`: the host file's length in bytes.
    TDlgImportFichier(const QString& chemin, int64_t taille, const TFichierAImporter& defauts, QWidget* parent);

    QLabel *LabelFichier = nullptr, *LabelNom = nullptr, *LabelC1 = nullptr, *LabelC2 = nullptr,
           *LabelAide = nullptr, *LabelGenre = nullptr, *LabelErreur = nullptr;
    QLineEdit *EditNom = nullptr, *EditC1 = nullptr, *EditC2 = nullptr;
    QPushButton *BtnOK = nullptr, *BtnAnnuler = nullptr;

    // The values as typed; a C1 or C2 field that is empty reads -1.
    TFichierAImporter Valeurs() const;
    // OK: accepted only when the disk can take the values.
    void BtnOKClick();

private:
    int64_t FTaille;
    void MajGenre();
};
