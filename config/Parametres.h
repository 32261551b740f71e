// The settings file EmulZorv.ini of the program folder: read once at
// start-up, written in full at the first start and when a settings window is
// confirmed.
#pragma once

#include <array>
#include <cstdint>
#include <string>

struct TMachine;

constexpr const char* NomFichierParametres = "EmulZorv.ini";
constexpr const char* ImprimanteDefaut = "D\u00e9faut";

// A typical 8085 system clock.
constexpr uint32_t HorlogeDefautKHz = 3000;
constexpr uint32_t HorlogeMaxKHz = 1'000'000;

// Settings that are not part of the machine record.
struct TParametres {
    std::string ProgDir;      // program folder, with a trailing separator
    // Folder of the settings file and folder of the captures and prints (see
    // config/DossiersUtilisateur.h); empty = the program folder.
    std::string DossierParametres;
    std::string DossierDonnees;
    std::string GenCarZorv;   // character generator image
    std::string RomBootZorv;  // boot ROM image
    std::string ROM128KZorv;  // bank-decode PROM image
    std::string Imprimante = ImprimanteDefaut; // printer name, "Défaut" = host default
    int32_t TypeDsq12 = 0;    // drives 1 and 2: 0 = 3.5-inch, 1 = 5.25-inch
    std::array<std::string, 13> ChargeImages; // [1..12] by drive number
    bool VitesseReelle = false;  // "Vitesse réelle" rather than "Vitesse maximale"
    uint32_t HorlogeKHz = HorlogeDefautKHz; // processor clock of the real speed
    uint32_t HistoriqueMo = 64;  // memory of the debugger's history (going back); 0 = off
};

// Drive numbers whose image is stored in the file (keys D1, D2, D9 … D12).
constexpr std::array<int, 6> LecteursEnregistres{1, 2, 9, 10, 11, 12};

// Full name of the settings file.
std::string CheminParametres(const TParametres& p);

// Defaults, then the file (or its creation with the defaults); image names
// without a folder are completed with ProgDir; disk images that do not exist
// are reported through the machine's host and forgotten. Never fails.
void LitParametres(TMachine& m, TParametres& p);

// The same reading without writing anything and without looking at the
// disk images (the command-line tool): defaults, then the file when it
// exists; image names completed with ProgDir. True when the file exists.
bool LitParametresSansEcrire(TMachine& m, TParametres& p);

// Creates or rewrites the file from the current fields; false (with an
// error box) when it cannot be written.
bool EcrireParametres(const TMachine& m, const TParametres& p);
