#include "debugger/SaisieRegistre.h"

#include <algorithm>

#include "core/Nombres.h"
#include "core/Texte.h"

std::string TexteRegistre(uint32_t valeur, int largeur, bool decimal) {
    if (decimal) return Format("%u", unsigned(valeur));
    return largeur == 2 ? Format("%.4XH", unsigned(valeur & 0xFFFF)) : Format("%.2XH", unsigned(valeur & 0xFF));
}

uint32_t ValeurRegistre(std::string_view texte, bool decimal) {
    const unsigned base = decimal ? 10 : 16;
    uint64_t v = 0;
    for (char c : texte) {
        const int d = decimal ? (c >= '0' && c <= '9' ? c - '0' : -1) : ValeurHexa(c);
        if (d < 0) break;
        v = std::min<uint64_t>(v * base + unsigned(d), 0xFFFFFFFFu);
    }
    return uint32_t(v);
}

char FiltreToucheRegistre(char touche, bool decimal) {
    if (touche == '\b' || (touche >= '0' && touche <= '9')) return touche;
    if (decimal) return 0;
    if (touche >= 'a' && touche <= 'f') return char(touche - 'a' + 'A');
    if (touche >= 'A' && touche <= 'F') return touche;
    return 0;
}

bool SaisieValide(std::string_view texte, int debutSel, int longSel, char touche, int largeur, bool decimal) {
    const int n = int(texte.size());
    debutSel = std::clamp(debutSel, 0, n);
    longSel = std::clamp(longSel, 0, n - debutSel);
    std::string nouveau(texte.substr(0, size_t(debutSel)));
    nouveau += touche;
    nouveau += texte.substr(size_t(debutSel + longSel));
    const uint32_t limite = largeur == 2 ? 0x10000u : 0x100u;
    return ValeurRegistre(nouveau, decimal) < limite;
}
