// The surface a print job is composed on: a document of pages on the
// selected printer, measured in device pixels. The window layer implements it
// with QPrinter/QPainter (a PDF file when no printer is installed); tests use
// a recording surface.
#pragma once

#include <cstdint>
#include <string>

class ISurfaceImpression {
public:
    virtual ~ISurfaceImpression() = default;

    // Begin a document on the selected printer; false when none could be
    // opened (nothing is drawn then).
    virtual bool DebutDocument() = 0;
    // End the document: its pages go to the printer.
    virtual void FinDocument() = 0;
    // Start a new page of the open document.
    virtual void NouvellePage() = 0;

    // Device resolution (pixels per inch) and page size in device pixels.
    virtual int PixelsParPouceX() const = 0;
    virtual int PixelsParPouceY() const = 0;
    virtual int LargeurPage() const = 0;
    virtual int HauteurPage() const = 0;

    // The printer font ("Courier New"): size in points, bold and italic.
    virtual void ChoisitTaillePolice(int points) = 0;
    virtual void ChoisitStyle(bool gras, bool italique) = 0;

    // Text in UTF-8: its size in device pixels with the current font, and
    // drawing it with its top-left corner at (x, y).
    virtual int LargeurTexte(const std::string& texte) = 0;
    virtual int HauteurTexte(const std::string& texte) = 0;
    virtual void DessineTexte(int x, int y, const std::string& texte) = 0;

    // A 24-bit bitmap (rows of blue, green, red bytes, `largeur` × `hauteur`)
    // stretched onto the rectangle (x, y, largeurDest, hauteurDest).
    virtual void DessineBitmap(int x, int y, int largeurDest, int hauteurDest, const uint8_t* bgr, int largeur,
                               int hauteur) = 0;
};
