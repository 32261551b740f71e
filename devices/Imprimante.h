// The printer: the bytes strobed on the printer port composed into pages of
// a fixed-pitch font on a print surface, with an optional header line and
// page numbers, a hexadecimal dump mode and the graphics hardcopy of 7-dot
// columns. A job opens with the first printed byte and ends after
// TimeOutImpr seconds without printing (Timer3), with "Imprime", a reset or
// the machine's initialisation. All state lives in the machine record.
#pragma once

#include <cstdint>
#include <string>

#include "core/Hote.h"
#include "devices/SurfaceImpression.h"

struct TMachine;

// `mm` millimetres in device pixels at `ppp` pixels per inch, truncated.
int MargePixels(int ppp, int mm);

class TImprimante : public IPortImprimante {
public:
    TImprimante(TMachine& m, ISurfaceImpression& surface) : M(m), S(surface) {}

    // Prints CarImpr (bit 1 of port 0xCF rose).
    void ImprimeCaractere() override;
    // Reset, initialisation and Timer3: the open job ends.
    void FinTravail() override { FinDuTravail(); }

    void DebutImpression();
    void LigneSuivante();
    void ImprimeEnTete();
    void ImprimeNumPage();
    // "Imprime": the job ends by hand.
    void TBPrintClick() { FinDuTravail(); }
    // The program ends: characters still waiting for their end of line are
    // printed as a last line, then the open job ends so that its pages print.
    void FinProgramme();

private:
    TMachine& M;
    ISurfaceImpression& S;
    bool FDocumentOuvert = false; // the surface accepted the document
    bool FGras = false;           // current style of the printer font

    void FinDuTravail();
    void ImprimeHexadecimal(uint8_t c);
    void RecoitGraphique(uint8_t c);
    void RecoitTexte(uint8_t c);
    void ImprimeLigne();
    void ImprimeLigneGraphique();
    void CommenceLigneGraphique(int echelle);
    void Dessine(int x, int y, const std::string& texte);
};
