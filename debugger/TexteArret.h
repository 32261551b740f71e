// The text of a stop report, one line as the debugger's console prints it
// and as the main window's status bar and the CPU window show it.
#pragma once

#include <cstdint>
#include <string>

#include "core/RapportArret.h"

class TSondesDebogueur;

// "point d'arrêt", "arrêt temporaire", "HLT" … for each cause.
const char* TexteCauseArret(TCauseArret cause);
// The console's own stop: a run or a stepping stopped by Ctrl+C.
inline constexpr const char* CauseInterruption = "interruption";
// "arrêt : point d'arrêt à 2010H"
std::string TexteRapportArret(const TRapportArret& rapport);
std::string TexteRapportArret(const char* cause, uint16_t adresse);
// The same, a watchpoint's naming the access that stopped it
// ("arrêt : écriture de 2FFFH (AAH → 12H) par 200BH").
std::string TexteRapportArret(const TRapportArret& rapport, const TSondesDebogueur& sondes);

// The stops the windows tell the user of: a breakpoint, a watchpoint or a
// condition, HLT, a pause and the end of a run-to or a step over. The end of
// the program, a spent budget and a refused run say nothing.
bool ArretAnnonce(const TRapportArret& rapport);
