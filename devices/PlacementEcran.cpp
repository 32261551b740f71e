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

TZoom ZoomQuiTient(TZoom voulu, int largeur, int hauteur) {
    if (voulu == TZoom::Ajuste) return voulu;
    for (int k = int(voulu); k > 1; --k) {
        int l = 0, h = 0;
        TailleFenetre(TZoom(k), l, h);
        if (l <= largeur && h <= hauteur) return TZoom(k);
    }
    return TZoom::X1;
}

TZoom ZoomEffectif(TZoom choisi, int largeur, int hauteur, bool pleinEcran) {
    if (pleinEcran || choisi == TZoom::Ajuste) return choisi;
    int l = 0, h = 0;
    TailleFenetre(choisi, l, h);
    return l == largeur && h == hauteur ? choisi : TZoom::Ajuste;
}

TRect DansLaZone(const TRect& fenetre, const TRect& zone) {
    TRect r = fenetre;
    r.X = std::max(zone.X, std::min(r.X, zone.X + zone.L - r.L));
    r.Y = std::max(zone.Y, std::min(r.Y, zone.Y + zone.H - r.H));
    return r;
}
