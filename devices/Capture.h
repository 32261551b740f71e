// Screenshots: the screen as the machine shows it, 1024 × 576, saved as a PNG
// file named by the date and time in the captures folder.
#pragma once

#include <functional>
#include <string>

#include "core/Hote.h"

struct TMachine;

// Files the window makes by date and time (screenshots, PDF prints):
// "Zorvex-2026-12-09-14h05m33" + `extension`; `rang` > 1 adds "-2", "-3"…
// for a second file within the same second.
std::string NomHorodate(const THeureLocale& h, const std::string& extension, int rang = 1);
std::string NomCapture(const THeureLocale& h, int rang = 1);

// The first of those names free in `dossier` (which ends with its
// separator); empty with the reason in `erreur` after 1000 taken.
std::string CheminHorodateLibre(const std::string& dossier, const THeureLocale& h, const std::string& extension,
                                std::string& erreur, const std::function<bool(const std::string&)>& existe = {});

// Draws the screen, creates `dossier` when needed and writes the picture
// under the first free name. Returns the full name, or empty with the reason
// in `erreur`. `existe` tells whether a name is taken (default: the host's
// files).
std::string EnregistreCapture(TMachine& m, const std::string& dossier, const THeureLocale& h, std::string& erreur,
                              const std::function<bool(const std::string&)>& existe = {});
