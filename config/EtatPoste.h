// Saving and loading the workstation's machine as a state: the records, the
// ROM images, the machine's clock and timers, the drives (path, size,
// protection, SHA-256 of the image) and a thumbnail of the screen. A load
// reads the whole file into a fresh record and decides about every drive
// before anything changes; a refused or failed load leaves the running
// machine as it was.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "config/FichierEtat.h"

class TLecteurs;
class TPoste;
class THorlogeMachine;
struct TMachine;

// The state of the workstation now; `horloge` is the host's machine clock
// (nullptr: the time chunk is left empty). Without `vignette` the thumbnail
// is left out (for the comparisons of the tests).
TEtatComplet CaptureEtat(const TPoste& poste, const THorlogeMachine* horloge, bool vignette = true);
// The machine's records (ROMs to ports) copied into `e`, the rest of `e` left.
void CaptureEnregistrements(const TMachine& m, TEtatComplet& e);
// The records of `e` put into the machine (and the clock), drives aside.
void RestaureMachine(TMachine& m, THorlogeMachine* horloge, const TEtatComplet& e);
// The clock's record without the debugger's step repeat (the window's).
TEtatHorloge EtatHorlogeMachine(const THorlogeMachine& horloge);
// A hash of the machine's whole state (every record and the clock).
uint64_t HacheMachine(const TMachine& m, const THorlogeMachine* horloge);

// What a drive whose image changed since the save becomes.
enum class TChoixDisque { Remettre, LaisserVide, Refuser };

struct TChargementEtat {
    // Asked for each image whose content differs from the one saved (the
    // question says which and why). Unset: the load is refused.
    std::function<TChoixDisque(const std::string& question)> SurImageChangee;
    std::vector<std::string> Messages; // drives left empty, images not put back
    std::string Erreur;                // why the load was refused
};

bool SauveEtat(const TPoste& poste, const THorlogeMachine* horloge, const std::string& chemin,
               std::string& erreur);
bool ChargeEtat(TPoste& poste, THorlogeMachine* horloge, const std::string& chemin, TChargementEtat& c);
bool AppliqueEtat(TPoste& poste, THorlogeMachine* horloge, const TEtatComplet& e, TChargementEtat& c);
// The bytes of the image in drive `slot`: false for an empty drive. An image
// that cannot be read gives 0xFF bytes, what the controller reads from it,
// and `lisible` false.
bool ContenuDuLecteur(const TLecteurs& l, int slot, std::vector<uint8_t>& octets, bool& lisible);
// The image of the screen (BmpEcran as last drawn), a quarter of its size.
std::vector<uint8_t> VignetteEcran(const TMachine& m);
