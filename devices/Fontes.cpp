// Glyph tables built from the character generator image: 16-byte records of
// twelve dot rows, each row byte holding 8 dots (bit 0 leftmost).
#include <algorithm>

#include "core/Machine.h"
#include "devices/Ecran.h"

namespace {

constexpr size_t TailleEnreg = 16;
constexpr size_t NbRangees = 12;
constexpr size_t TailleDeuxJeux = 4096;

// The 12-pixel word of one row byte: dot j in pixel column 2 + j (bit 9 − j).
// `bords`: a dot in column 0 or 7 is carried to the cell's edge (bits 11, 10
// or 1, 0), so that line-drawing characters join across cells.
uint16_t MotDouzePixels(uint8_t d, bool bords) {
    uint16_t w = 0;
    for (int j = 0; j < 8; ++j)
        if (d & (1u << j)) w |= uint16_t(1u << (9 - j));
    if (bords) {
        if (d & 0x01) w |= 0x0C00;
        if (d & 0x80) w |= 0x0003;
    }
    return w;
}

// One character set from records `premier`..`premier` + 127. Rows the image
// does not hold stay blank.
void ConstruitJeu(TFonte80& f80, TFonte128& f128, const uint8_t* image, size_t taille,
                  size_t premier, bool bordsLignes) {
    for (size_t n = 0; n < 128; ++n) {
        const size_t base = (premier + n) * TailleEnreg;
        for (size_t i = 0; i < NbRangees; ++i) {
            const size_t pos = base + i;
            const uint8_t d = (image && pos < taille) ? image[pos] : 0;
            const uint16_t w = MotDouzePixels(d, bordsLignes && n < 16);
            const uint16_t w8 = MotDouzePixels(d, false) >> 2;
            f80[n][2 * i] = f80[n][2 * i + 1] = w;
            f128[n][2 * i] = f128[n][2 * i + 1] = uint16_t(w8 & 0xFF);
        }
    }
}

} // namespace

void ConstruitFontes(TMachine& m, const uint8_t* image, size_t taille) {
    m.ImageGenCar.assign(image, image + taille);
    for (auto* f : {&m.Fonte80, &m.Fonte80APL}) *f = {};
    for (auto* f : {&m.Fonte128, &m.Fonte128APL}) *f = {};
    ConstruitJeu(m.Fonte80, m.Fonte128, image, taille, 0, true);
    if (taille == TailleDeuxJeux) {
        ConstruitJeu(m.Fonte80APL, m.Fonte128APL, image, taille, 128, false);
    } else {
        m.Fonte80APL = m.Fonte80;
        m.Fonte128APL = m.Fonte128;
    }
    m.PtrFonte80 = &m.Fonte80;
    m.PtrFonte128 = &m.Fonte128;
    m.FonteSelect = 0;
}
