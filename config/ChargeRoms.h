// Loading of the boot ROM and bank-decode PROM images into the machine
// record. Each loader returns the French message to show, or an empty text
// when the image was loaded (or, for the PROM, may be silently absent).
#pragma once

#include <string>

struct TMachine;

constexpr size_t TailleMaxRom = 4096;

// "Le fichier " + nom + " est absent" / " est trop volumineux".
std::string MessageFichierAbsent(const std::string& nom);
std::string MessageFichierTropGros(const std::string& nom);

// Character generator: the glyph tables are cleared, then built from the
// file (at most 4096 bytes), pointing at the normal set.
std::string ChargeGenCar(TMachine& m, const std::string& nom);

// Boot ROM: the whole file into RomBoot from offset 0 (at most 4096 bytes;
// the rest of the array is left as it was).
std::string ChargeRomBoot(TMachine& m, const std::string& nom);

// Bank-decode PROM: Rom128K filled with 0xFF, then the file; a 4096-byte
// image has its upper half copied over the lower half. A missing file is an
// error only for model 0.
std::string ChargeRom128K(TMachine& m, const std::string& nom);
