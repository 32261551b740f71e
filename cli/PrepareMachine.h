// The machine set-up shared by `zorv run` and `zorv debug`.
#pragma once

#include <string>

#include "cli/OptionsRun.h"
#include "core/Hote.h"

class TPoste;

// Set-up of the workstation from the options (settings and images of the
// program folder unless the options say otherwise); an empty text when it
// went well.
std::string PrepareMachine(TPoste& poste, const TOptionsRun& o);

// The thousands separator of the size messages of the disk images: the
// narrow no-break space of every number shown to the user, whatever the
// locale (as the window does).
std::string SeparateurMilliers();

class TPosteVirtuel;
class TImprimanteRun;

// The seed of the power-on registers: --seed, else the host's entropy.
uint32_t GraineDesOptions(const TOptionsRun& o);

// The whole set-up shared by zorv run and zorv debug: the virtual clock (from
// the host's local time, T-states at the chosen frequency or a fixed time per
// instruction, real or maximal speed), the machine's boxes as lines on
// stderr (`ligne`), the machine and the printer of the options. An empty text
// when it went well.
std::string PreparePoste(TPosteVirtuel& poste, const TOptionsRun& o, TImprimanteRun& imprimante,
                         void (*ligne)(const std::string&));

// The virtual clock starts from the host's local date and time.
THeureLocale HeureDeDepart();

// --state-in: the state replaces the power-on machine (its drives too). An
// image changed since the save is refused unless --state-force; false when
// the state was not loaded (the reason on `ligne`), the machine untouched.
bool ChargeEtatDesOptions(TPosteVirtuel& poste, const TOptionsRun& o, void (*ligne)(const std::string&));
// --state-out: the state of the machine now (its screen drawn for the
// thumbnail); false when it could not be written.
bool SauveEtatDesOptions(TPosteVirtuel& poste, const TOptionsRun& o, void (*ligne)(const std::string&));
