#include "debugger/PointsArret.h"

bool AjoutePtArret(TTblPtArret& t, uint64_t adresse) {
    const uint16_t a = adresse > 0xFFFF ? 0xFFFF : uint16_t(adresse);
    if (EstPtArret(t, a)) return false;
    t[a] |= PtArretPermanent;
    return true;
}

bool RetirePtArret(TTblPtArret& t, uint16_t a) {
    if (!EstPtArret(t, a)) return false;
    t[a] &= uint8_t(~PtArretPermanent);
    return true;
}

bool BasculePtArret(TTblPtArret& t, uint16_t a) {
    t[a] ^= PtArretPermanent;
    return EstPtArret(t, a);
}

void PoseArretTemporaire(TTblPtArret& t, uint16_t a) { t[a] |= PtArretTemporaire; }

void EffaceArretsTemporaires(TTblPtArret& t) {
    for (uint8_t& f : t) f &= uint8_t(~PtArretTemporaire);
}

std::vector<uint16_t> ListePtArret(const TTblPtArret& t) {
    std::vector<uint16_t> l;
    for (uint32_t a = 0; a < t.size(); ++a)
        if (t[a] & PtArretPermanent) l.push_back(uint16_t(a));
    return l;
}
