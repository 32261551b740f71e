// Options of `zorv run`.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

class TOptions;

struct TOptionsRun {
    int Modele = 0;
    bool ModeleDonne = false; // --model given (else the settings file's model)
    std::string Rom, Prom, GenCar, EcranPng;
    bool SansRom = false; // --no-rom: no image at all, not even the defaults
    std::vector<std::pair<uint16_t, std::string>> Charges; // --load ADR=FILE
    std::optional<uint32_t> PC;
    std::optional<uint32_t> SelMem;
    std::optional<std::string> Touches;
    bool TouchesImmediates = false; // --keys-now
    std::optional<int> ModeClavier;
    std::optional<uint64_t> MaxInstructions;
    bool JusquAHalte = false;
    std::optional<uint32_t> JusquAPC;
    bool TexteEcran = false, Registres = false, Stats = false;
    std::optional<std::string> Bdos; // console program loaded at 0x0100
    std::optional<uint64_t> NsParInstruction; // otherwise the clock follows the T-states
    bool VitesseReelle = false;               // --vitesse reelle
    uint32_t HorlogeKHz = 3000;               // --horloge
    std::optional<uint64_t> Graine; // --seed
    std::string Imprimante;      // --printer: pages (FILE.pdf) or text
    std::string ImprimanteBrute; // --printer-raw: the strobed bytes
    std::vector<std::string> Disques;  // --disk N=IMAGE[:ro]
    int CouleurTexte = 0, Plans = 4, Schema = 0; // display settings of the picture
    std::string EtatEntree, EtatSortie; // --state-in, --state-out
    bool EtatForce = false;             // --state-force: images changed since the save go back in
    std::string SessionSortie;          // --record: the run recorded as a session
    std::string SessionEntree;          // --replay: a recorded session played again
    // What the end of a replay must show: --expect-screen (PNG),
    // --expect-text, --expect-printer, --expect-disk N=IMAGE.
    std::string AttenteEcran, AttenteTexte, AttenteImprimante;
    std::vector<std::string> AttentesDisques;
    std::string Trace;                  // --trace FICHIER (cli/TraceRun.h)
    uint16_t TraceDebut = 0, TraceFin = 0xFFFF; // --trace-range DEBUT-FIN
    bool TraceTout = false;             // --trace-all: loops not folded
};

// The option table of `zorv run`, storing into `o`.
TOptions TableOptionsRun(TOptionsRun& o);
// The same options under another command's name and help (zorv debug).
TOptions TableOptionsRun(TOptionsRun& o, const std::string& commande, const std::string& usage,
                         const std::string& description);

// The options of a replay that cannot be followed (they set the machine up,
// which the session does; --expect-… without --replay): the refusal's status,
// else -1.
int RefusSession(const TOptions& t, const TOptionsRun& o);

// Reads argv[1..argc-1]; returns -1 when the run goes on, else the exit
// status (0 after --help/--version, 2 after a refusal already shown).
int AnalyseOptionsRun(int argc, char** argv, TOptionsRun& o);
