// The machine set-up shared by `zorv run` and `zorv debug`.
#pragma once

#include <string>

#include "cli/OptionsRun.h"
#include "core/Hote.h"

struct TMachine;

// Set-up of the machine from the options; an empty text when it went well.
std::string PrepareMachine(TMachine& m, const TOptionsRun& o);

// The virtual clock starts from the host's local date and time.
THeureLocale HeureDeDepart();
