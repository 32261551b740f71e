// The print surface of the window system: a QPainter on the selected
// QPrinter, or on a PDF file when no printer is installed. The printer font
// is "Courier New" (its metric-compatible face where it is not installed).
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "devices/SurfaceImpression.h"

struct TParametres;

// Where a job went, or why it could not go: one line for the status area.
using TSignaleStatut = std::function<void(const std::string&)>;

class TSurfaceImpressionQt : public ISurfaceImpression {
public:
    // The workstation's printer: the one named by `p.Imprimante` ("Défaut",
    // or a name no longer installed, gives the host's default printer). With
    // no printer installed (or `toujoursPdf`), each job becomes a PDF file in
    // the folder "Impressions" beside the settings file, named by its date
    // and time.
    TSurfaceImpressionQt(const TParametres& p, TSignaleStatut statut, bool toujoursPdf = false);
    // Every job to the PDF file `fichier` (a second job to "nom-2.pdf", and
    // so on). Creates a window-less application when none exists yet.
    static std::unique_ptr<TSurfaceImpressionQt> VersPdf(const std::string& fichier, TSignaleStatut statut);
    ~TSurfaceImpressionQt() override;

    bool DebutDocument() override;
    void FinDocument() override;
    void NouvellePage() override;
    int PixelsParPouceX() const override;
    int PixelsParPouceY() const override;
    int LargeurPage() const override;
    int HauteurPage() const override;
    void ChoisitTaillePolice(int points) override;
    void ChoisitStyle(bool gras, bool italique) override;
    int LargeurTexte(const std::string& texte) override;
    int HauteurTexte(const std::string& texte) override;
    void DessineTexte(int x, int y, const std::string& texte) override;
    void DessineBitmap(int x, int y, int largeurDest, int hauteurDest, const uint8_t* bgr, int largeur,
                       int hauteur) override;

    // The file or printer the last finished job went to; empty before.
    const std::string& DerniereDestination() const;
    // Jobs that could not be opened or saved.
    int NbEchecs() const;

private:
    struct TEtat;
    std::unique_ptr<TEtat> F;
    TSurfaceImpressionQt();
};
