// Text, background and graphics colours from the display settings.
#include <algorithm>
#include <array>

#include "core/Machine.h"
#include "devices/Ecran.h"

namespace {

using TPalette = std::array<uint32_t, 16>; // RRGGBB; only the first 2^planes entries count

// Green, amber, white.
constexpr std::array<uint32_t, 3> CouleursTexte = {0x00FF00, 0xFFD000, 0xD0D0D0};
constexpr uint32_t CouleurFondRgb = 0x000000;

// [planes − 1][scheme]: 0 colours, 1 green levels, 2 amber levels, 3 grey levels.
constexpr std::array<std::array<TPalette, 4>, 4> Palettes = {{
    {{
        {0x000000, 0xF0F0F0},
        {0x000000, 0x00F000},
        {0x000000, 0xF0D000},
        {0x000000, 0xF0F0F0},
    }},
    {{
        {0x000000, 0x0000F0, 0x00F000, 0xF00000},
        {0x000000, 0x005000, 0x00A000, 0x00F000},
        {0x000000, 0x504500, 0xA08B00, 0xF0D000},
        {0x000000, 0x505050, 0xA0A0A0, 0xF0F0F0},
    }},
    {{
        {0x000000, 0x0000F0, 0x00F000, 0xF00000, 0xF000F0, 0xF0F000, 0x00F0F0, 0xF0F0F0},
        {0x000000, 0x001E00, 0x003C00, 0x005A00, 0x007800, 0x009600, 0x00D200, 0x00F000},
        {0x000000, 0x1E1A00, 0x3C3400, 0x5A4E00, 0x786800, 0x968200, 0xD29C00, 0xF0B400},
        {0x000000, 0x1E1E1E, 0x3C3C3C, 0x5A5A5A, 0x787878, 0x969696, 0xD2D2D2, 0xF0F0F0},
    }},
    {{
        {0x000000, 0x008000, 0x000080, 0x008080, 0x800000, 0x808000, 0x800080, 0x808080,
         0x555555, 0x00FF00, 0x0000FF, 0x00FFFF, 0xFF0000, 0xFFFF00, 0xFF00FF, 0xFFFFFF},
        {0x000000, 0x001000, 0x002000, 0x003000, 0x004000, 0x005000, 0x006000, 0x007000,
         0x008000, 0x009000, 0x00A000, 0x00B000, 0x00C000, 0x00D000, 0x00E000, 0x00FF00},
        {0x000000, 0x100E00, 0x201D00, 0x302B00, 0x403A00, 0x504800, 0x605700, 0x706500,
         0x807400, 0x908200, 0xA09100, 0xB09F00, 0xC0AE00, 0xD0BC00, 0xE0C800, 0xFFD000},
        {0x000000, 0x101010, 0x202020, 0x303030, 0x404040, 0x505050, 0x606060, 0x707070,
         0x808080, 0x909090, 0xA0A0A0, 0xB0B0B0, 0xC0C0C0, 0xD0D0D0, 0xE0E0E0, 0xFFFFFF},
    }},
}};

TRGB VersBgr(uint32_t rrggbb) {
    return TRGB{uint8_t(rrggbb), uint8_t(rrggbb >> 8), uint8_t(rrggbb >> 16)};
}

} // namespace

void ChoisitCouleurs(TMachine& m) {
    // Settings come from a hand-editable file: out-of-range values are held to
    // the nearest valid one rather than trusted as indices.
    const int txt = std::clamp<int>(m.IndCoulTxt, 0, 2);
    const int schema = std::clamp<int>(m.IndCoulGrph, 0, 3);
    const int plans = std::clamp<int>(m.PlansGraph, 1, 4);
    m.CouleurTexte = VersBgr(CouleursTexte[size_t(txt)]);
    m.CouleurFond = VersBgr(CouleurFondRgb);
    const TPalette& p = Palettes[size_t(plans - 1)][size_t(schema)];
    const size_t periode = size_t(1) << plans;
    for (size_t i = 0; i < 16; ++i) m.CoulGraph[i] = VersBgr(p[i % periode]);
}
