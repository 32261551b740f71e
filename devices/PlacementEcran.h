// Where the 1024 × 576 picture of the machine goes in the main window: at
// 1:1 exactly where it always was (16, 56 in a 1060 × 650 window), at ×2
// twice as large, or fitted to the window; always in its own 16:9 shape,
// centred in the room left by the toolbar and the status bar.
#pragma once

#include <cstdint>

enum class TZoom : uint8_t { Ajuste = 0, X1 = 1, X2 = 2 };

struct TRect {
    int X = 0, Y = 0, L = 0, H = 0;
    bool operator==(const TRect&) const = default;
};

struct TPlacement {
    TRect Ecran;        // the picture, in window coordinates
    int Facteur = 1;    // integer scale, or 0 when the picture is scaled smoothly
};

// Room around the picture in a window (not in full screen).
constexpr int HauteurBarreOutils = 38;
constexpr int HauteurBarreEtat = 18;
constexpr int MargeGauche = 16, MargeHaut = 18, MargeDroite = 20, MargeBas = 0;

// The room for the picture in a window of `largeur` × `hauteur` (full
// screen: the whole window, toolbar and status bar hidden).
TRect ZoneEcran(int largeur, int hauteur, bool pleinEcran);

// ×1 and ×2 are sharp: the largest integer scale up to the one asked for
// that fits; when not even 1:1 fits, and always for Ajuste, the largest
// 16:9 rectangle that fits, scaled smoothly.
TPlacement PlaceEcran(const TRect& zone, TZoom zoom);

// The window size that shows the picture at `zoom` (Ajuste: the 1:1 size).
void TailleFenetre(TZoom zoom, int& largeur, int& hauteur);

// The zoom a window can take where `largeur` × `hauteur` is the room for
// its client area (the screen's available area less the window's frame):
// the one asked for, or the largest smaller one whose window fits there; ×1
// when none does (the window is then as large as the room). Ajuste stays.
TZoom ZoomQuiTient(TZoom voulu, int largeur, int hauteur);

// How the picture is placed in a window of `largeur` × `hauteur`: sharp at
// the zoom chosen while the window has that zoom's size (and in full
// screen); once the user has resized it, fitted to it.
TZoom ZoomEffectif(TZoom choisi, int largeur, int hauteur, bool pleinEcran);

// `fenetre` moved (not resized) so that as much of it as can be lies within
// `zone`, its top-left corner first.
TRect DansLaZone(const TRect& fenetre, const TRect& zone);
