// Where the debugger's windows open and how large, kept in the settings file
// (section [Debogueur], one key per kind of window: "CPU=120,80,680,636",
// the position of the frame's top-left corner then the client size), and
// the cascade: a window opens where its kind was last left, the next ones
// of the same kind while it is open each a step lower and to the right,
// always within the screen's available area.
#pragma once

#include <optional>
#include <string>

#include "devices/PlacementEcran.h"

class TFichierIni;

enum class TGenreFenetre : uint8_t { CPU, Donnees, Code, Variables, Pile, Historique, Profil };
constexpr int NbGenresFenetres = 7;

// "CPU", "Donnees", "Code", "Variables", "Pile", "Historique", "Profil".
const char* CleGenreFenetre(TGenreFenetre genre);

// "120,80,680,636"; read back only when it is four integers, the size
// between 1 and 10 000 pixels.
std::string TexteRect(const TRect& r);
std::optional<TRect> LitRect(const std::string& texte);

// The geometry kept for `genre`, none when the file, the key or a readable
// value is missing.
std::optional<TRect> LitDisposition(const std::string& chemin, TGenreFenetre genre);
std::optional<TRect> LitDisposition(const TFichierIni& ini, TGenreFenetre genre);
// Writes that one key; the rest of the file stays as it is. False (reason
// in `erreur`) when the file cannot be written.
bool EcritDisposition(const std::string& chemin, TGenreFenetre genre, const TRect& r, std::string& erreur);

constexpr int PasCascade = 24;

// Where a window opens: `base` (the geometry kept, or the default place),
// no larger than `zone`, `rang` cascade steps down and to the right (rang:
// the windows of its kind already open); when the steps would leave the
// zone, the cascade starts again from the base (or from the zone's
// top-left corner when the base leaves no room for a step). The result
// always lies within `zone`.
TRect PlaceFenetre(const TRect& base, int rang, const TRect& zone);
