// Placeholder renderer: clears the bitmap until the real renderer lands.
#include "devices/Ecran.h"

#include <algorithm>

#include "core/Machine.h"

void ConstruitFontes(TMachine&, const uint8_t*, size_t) {}

void ChoisitCouleurs(TMachine&) {}

void DessineEcran(TMachine& m) { std::fill(m.BmpEcran.begin(), m.BmpEcran.end(), 0); }
