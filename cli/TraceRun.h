// zorv run --trace FICHIER [--trace-range DEBUT-FIN] [--trace-all]: the
// debugger's trace (debugger/Trace.h) around the run.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

class TPoste;
struct TOptionsRun;

// "2000-20FF" (hexadecimal, as every address): empty, or the French refusal.
std::string LitIntervalleTrace(const std::string& texte, uint16_t& debut, uint16_t& fin);

// Opens the trace the options ask for (none: nothing to do). False with the
// message given to `ligne`.
bool CommenceTraceRun(TPoste& poste, const TOptionsRun& o, const std::function<void(const std::string&)>& ligne);
// Closes it, replacing the file; false with the message given to `ligne`.
bool TermineTraceRun(TPoste& poste, const TOptionsRun& o, const std::function<void(const std::string&)>& ligne);
