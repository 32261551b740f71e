// The window's own choices in the settings file, section [Fenetre]: the zoom
// ("Zoom" = 1, 2, or 0 for fitted) and full screen ("PleinEcran" = 0 or 1).
// Written alone: the other lines of the file stay as they are.
#pragma once

#include <string>

#include "devices/PlacementEcran.h"

struct TParametresFenetre {
    TZoom Zoom = TZoom::X1;
    bool PleinEcran = false;
    bool operator==(const TParametresFenetre&) const = default;
};

// The choices stored in `chemin`; defaults for a missing file, key or value.
TParametresFenetre LitParametresFenetre(const std::string& chemin);
// False (reason in `erreur`) when the file cannot be written.
bool EcritParametresFenetre(const std::string& chemin, const TParametresFenetre& p, std::string& erreur);
