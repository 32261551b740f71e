#include "devices/PlacementEcran.h"

#include <algorithm>

#include "core/Machine.h"

TRect ZoneEcran(int largeur, int hauteur, bool pleinEcran) {
    if (pleinEcran) return {0, 0, std::max(0, largeur), std::max(0, hauteur)};
    const int haut = HauteurBarreOutils + MargeHaut;
    return {MargeGauche, haut, std::max(0, largeur - MargeGauche - MargeDroite),
            std::max(0, hauteur - haut - MargeBas - HauteurBarreEtat)};
}

namespace {

TRect Centre(const TRect& zone, int l, int h) {
    return {zone.X + (zone.L - l) / 2, zone.Y + (zone.H - h) / 2, l, h};
}

} // namespace

TPlacement PlaceEcran(const TRect& zone, TZoom zoom) {
    for (int k = int(zoom); k >= 1; --k)
        if (LargeurEcran * k <= zone.L && HauteurEcran * k <= zone.H)
            return {Centre(zone, LargeurEcran * k, HauteurEcran * k), k};
    // 16:9 by whole steps of 16 × 9, so the shape is exact.
    const int pas = std::max(1, std::min(zone.L / 16, zone.H / 9));
    return {Centre(zone, pas * 16, pas * 9), 0};
}

void TailleFenetre(TZoom zoom, int& largeur, int& hauteur) {
    const int k = zoom == TZoom::X2 ? 2 : 1;
    largeur = MargeGauche + LargeurEcran * k + MargeDroite;
    hauteur = HauteurBarreOutils + MargeHaut + HauteurEcran * k + MargeBas + HauteurBarreEtat;
}
