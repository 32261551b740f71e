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

// The virtual clock starts from the host's local date and time.
THeureLocale HeureDeDepart();
