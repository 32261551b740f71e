// The end of a headless run (what the options ask to show or write) and
// the replay of a recorded session with its expected outputs: zorv run,
// zorv debug and zorv test share them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/OptionsRun.h"

struct TMachine;
class THoteVirtuel;
class TPosteVirtuel;
class TImprimanteRun;

constexpr int SortieAttenteDifferente = 5, SortieDesynchronisation = 6;

// The screen as text, one line per row (what --screen-text prints).
std::string TexteEcran(const TMachine& m);

// --state-out, the printer's file, --screen-text, --regs, --screenshot, in
// that order; the exit status, `statut` unless an output failed.
int SortiesDeRun(TPosteVirtuel& poste, const TOptionsRun& o, TImprimanteRun& imprimante, int statut,
                 void (*ligne)(const std::string&));
void AfficheStats(const TMachine& m, const THoteVirtuel& hote, double secondes, double secondesCpu);

// What a replay ends with, compared to the expected outputs.
struct TBilanRelecture {
    int Statut = 0;                  // exit status
    std::vector<std::string> Ecarts; // one sentence per expectation not met
    std::string Message;             // a refusal, a desynchronisation
};
// Replays o.SessionEntree with the expectations of `o`; with `reference`
// the expectations are not compared but written from what the replay gives
// (zorv test --rebaseline).
TBilanRelecture Rejoue(const TOptionsRun& o, bool reference, void (*ligne)(const std::string&));
// zorv run --replay: the replay, its outputs and its verdict on stderr.
int RejoueRun(const TOptionsRun& o);
