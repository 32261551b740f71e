// The printer settings window as a value: its controls filled from the
// machine record and the settings, checked and stored back, then the
// settings file rewritten.
#pragma once

#include <array>
#include <cstdint>
#include <string>

struct TMachine;
struct TParametres;

// "7 points" … "12 points", positions 0 … 5.
extern const std::array<const char*, 6> TaillesFonte;
// Text of the seconds field before it is ever filled.
constexpr const char* TempsParDefaut = "5";
// Folder, beside the settings file, of the jobs printed to PDF when the host
// has no printer.
constexpr const char* NomDossierImpressions = "Impressions";

struct TReglagesImprimante {
    std::string Imprimante;         // PanelNomImp: the printer chosen (TParametres::Imprimante)
    bool Manuelle = true;           // RBManuel, else RBAuto
    std::string Temps = TempsParDefaut; // EditTemps
    int Taille = 2;                 // CBTaille: PointsImpr
    bool EnTete = false;            // CBImprEntete: ImprEnTete
    std::string TexteEnTete;        // EditEntete: EnTeteImpr
    bool NoPage = false;            // CBImprimePage: ImprNoPage
    bool Hexa = false;              // CBHexPrint: ImprHexadec
    bool operator==(const TReglagesImprimante&) const = default;
};

struct TEffetsImprimante {
    bool Imprimante = false;        // another printer was chosen
    bool ImprimeActif = false;      // the "Imprime" button ends jobs by hand (TimeOutImpr = -1)
    bool Fichier = false;           // the settings file was written
};

// Position of a font size: 7 … 12 points give 0 … 5, any other size 2.
int PositionTaille(int32_t points);
// Size of a position; a position outside the list gives 9 points.
int32_t PointsDePosition(int position);

// TimeOutImpr for the end-of-job choice: -1 by hand; otherwise the decimal
// value of "0" followed by the text, and 1 second when that is not a number
// or is 0.
int32_t TempsImpression(bool manuelle, const std::string& texte);

// Before the window opens: PointsImpr takes the size of the printer font
// (11 points until the first job has set it).
void PrendTailleFonte(TMachine& m);

// FormActivate. `texteTemps` is what the seconds field holds: it keeps its
// text when jobs end by hand ("5" when it is empty), and shows TimeOutImpr
// otherwise.
TReglagesImprimante LitReglagesImprimante(const TMachine& m, const TParametres& p, const std::string& texteTemps);

// BtnOKClick: TimeOutImpr, ImprEnTete, EnTeteImpr (line breaks become
// spaces: the settings file holds one line per key), ImprNoPage,
// ImprHexadec, PointsImpr, the printer chosen; then EcrireParametres.
TEffetsImprimante AppliqueReglagesImprimante(const TReglagesImprimante& r, TMachine& m, TParametres& p);

// ProgDir + "Impressions" + separator.
std::string DossierImpressions(const TParametres& p);
