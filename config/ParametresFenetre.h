// The window's own choices in the settings file, section [Fenetre]: the zoom
// ("Zoom" = 1, 2, or 0 for fitted), full screen ("PleinEcran" = 0 or 1) and
// where the window was left ("Geometrie" = x,y,width,height: the frame's
// top-left corner and the client size, as config/DispositionFenetres.h).
// Written alone: the other lines of the file stay as they are.
#pragma once

#include <optional>
#include <string>

#include "devices/PlacementEcran.h"

struct TParametresFenetre {
    TZoom Zoom = TZoom::X1;
    bool PleinEcran = false;
    std::optional<TRect> Geometrie; // none: centred on the screen
    bool operator==(const TParametresFenetre&) const = default;
};

// The choices stored in `chemin`; defaults for a missing file, key or value.
TParametresFenetre LitParametresFenetre(const std::string& chemin);
// False (reason in `erreur`) when the file cannot be written.
bool EcritParametresFenetre(const std::string& chemin, const TParametresFenetre& p, std::string& erreur);
