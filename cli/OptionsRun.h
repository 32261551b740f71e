// Options of `zorv run`.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

struct TOptionsRun {
    int Modele = 0;
    std::string Rom, Prom, GenCar, EcranPng;
    std::vector<std::pair<uint16_t, std::string>> Charges; // --load ADDR=FILE
    std::optional<uint16_t> PC;
    std::optional<uint8_t> SelMem;
    std::optional<std::string> Touches;
    std::optional<int> ModeClavier;
    std::optional<uint64_t> MaxInstructions;
    bool JusquAHalte = false;
    std::optional<uint16_t> JusquAPC;
    bool TexteEcran = false, Registres = false, Stats = false;
    std::optional<std::string> Bdos; // console program loaded at 0x0100
    std::optional<uint64_t> NsParInstruction; // otherwise the clock follows the T-states
    bool VitesseReelle = false;               // --vitesse reelle
    uint32_t HorlogeKHz = 3000;               // --horloge
    std::string Imprimante;
    std::vector<std::string> Disques;  // --disk N=IMAGE[:ro]
    int CouleurTexte = 0, Plans = 4, Schema = 0; // display settings of the picture
    bool Aide = false;
};

extern const char* const AideRun;

// Reads argv[1..argc-1]; returns an empty text, or the one-line reason the
// arguments are refused.
std::string AnalyseOptionsRun(int argc, char** argv, TOptionsRun& o);
