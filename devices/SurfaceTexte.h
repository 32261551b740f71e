// A print surface that keeps what is printed as text: every printed line
// becomes one line of UTF-8 text, its characters placed in their columns of
// the fixed pitch; pages follow each other, lines of a page from top to
// bottom (header first, page number last). Styles and graphics lines leave
// no trace. The metrics are those of an A4 page at 720 pixels per inch with
// a Courier of 0.6 em pitch.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "devices/SurfaceImpression.h"

class TSurfaceTexte : public ISurfaceImpression {
public:
    bool DebutDocument() override;
    void FinDocument() override;
    void NouvellePage() override { VidePage(); }

    int PixelsParPouceX() const override { return Ppp; }
    int PixelsParPouceY() const override { return Ppp; }
    int LargeurPage() const override { return Ppp * 210 * 10 / 254; }
    int HauteurPage() const override { return Ppp * 297 * 10 / 254; }

    void ChoisitTaillePolice(int points) override { FPoints = points > 0 ? points : 1; }
    void ChoisitStyle(bool, bool) override {}
    int LargeurTexte(const std::string& texte) override;
    int HauteurTexte(const std::string&) override { return FPoints * Ppp * 17 / 15 / 72; }
    void DessineTexte(int x, int y, const std::string& texte) override;
    void DessineBitmap(int, int, int, int, const uint8_t*, int, int) override {}

    // Everything printed so far, the open document included up to its
    // current page.
    const std::string& Texte() const { return FTexte; }
    int NbDocuments() const { return FNbDocuments; }

    static constexpr int Ppp = 720;

private:
    int FPoints = 11;
    int FNbDocuments = 0;
    std::string FTexte;
    std::map<int, std::vector<std::string>> FPage; // y → characters by column
    int Pas() const { return FPoints * Ppp * 6 / 10 / 72; }
    void VidePage();
};
