// "Nouvelle image disque": the size of a blank image (400 Ko, 800 Ko or
// 1.2 Mo, the sizes of `zorv disk new --size`) and whether it goes into the
// selected drive, which only takes its own size.
#pragma once

#include <QDialog>

#include <array>
#include <cstdint>

#include "disks/GestionDisques.h"

class QCheckBox;
class QLabel;
class QPushButton;
class QRadioButton;

class TDlgNouvelleImage : public QDialog {
public:
    // `lecteur`: the selected drive's number (0: none) and `tailleLecteur`
    // the size it takes.
    TDlgNouvelleImage(const QString& chemin, const TChoixNouvelleImage& defauts, int lecteur,
                      int64_t tailleLecteur, QWidget* parent);

    QLabel* LabelFichier = nullptr;
    std::array<QRadioButton*, 3> RBTaille{}; // in the order of TaillesImage
    QCheckBox* CBInsere = nullptr;
    QPushButton *BtnOK = nullptr, *BtnAnnuler = nullptr;

    TChoixNouvelleImage Choix() const;

private:
    int64_t FTailleLecteur;
    void MajInsere();
};
