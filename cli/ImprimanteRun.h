// The printer of `zorv run`: what the machine prints goes to a file given on
// the command line, as pages of a PDF file, as text, or as the raw bytes.
#pragma once

#include <memory>
#include <string>

#include "devices/Imprimante.h"
#include "devices/SurfaceImpression.h"

struct TOptionsRun;
class TPosteVirtuel;

class TImprimanteRun {
public:
    TImprimanteRun();
    ~TImprimanteRun();
    // Attaches the printer chosen by the options to the workstation; the
    // one-line reason when the options cannot be followed.
    std::string Prepare(TPosteVirtuel& poste, const TOptionsRun& o);
    // The run is over: the open job ends (its last line included) and the
    // file is written. False when it could not be, with the reason (empty
    // when the print surface has already said it).
    bool Termine(std::string& erreur);

private:
    enum class TMode { Aucune, Brute, Texte, Pdf } FMode = TMode::Aucune;
    TPosteVirtuel* FPoste = nullptr;
    std::string FFichier;
    std::unique_ptr<ISurfaceImpression> FSurface;
    std::unique_ptr<TImprimante> FImprimante;
    std::string PreparePdf();
};
