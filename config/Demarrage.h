// The start-up sequence of the main window, without the window itself:
// settings, display colours, printer state, machine initialisation, ROM
// images, then the message that starts the run loop.
#pragma once

#include <cstdint>
#include <string>

#include "core/Texte.h"

struct TMachine;
struct TParametres;

// Message posted to the main window to have it close itself (a ROM image is
// missing or too large). The window closes as soon as its message loop runs.
constexpr uint32_t MsgFermeture = 0x0010;

// Runs the whole sequence. `progDir` is the folder of the executable. Returns
// false when an image could not be loaded; a close request is then posted
// after each failing image, before the run message.
bool Demarrage(TMachine& m, TParametres& p, const std::string& progDir);
// The same sequence without the run message: the window posts it itself once
// it is shown and the images named in the settings are mounted.
bool DemarrageSansLancement(TMachine& m, TParametres& p, const std::string& progDir);
