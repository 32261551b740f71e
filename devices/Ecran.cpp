// The renderer: text over graphics over background, recomputed in full into
// the 1024 × 576 bitmap (blue, green, red) through the cached row pointers.
//
// Each bitmap row is built in two passes. The underlay (background, with the
// graphics plane in the middle square) is made once per pair of rows, since a
// graphics point is two rows high. The text of the row is turned into one bit
// per pixel (128 bytes, bit 7 leftmost); each byte then selects, from a table,
// a mask of 24 bytes (8 pixels) that picks the text colour or the underlay
// with three 64-bit operations, so the pixel loop carries no branch.
#include "devices/Ecran.h"

#include <bit>
#include <cstring>

#include "core/Machine.h"

static_assert(std::endian::native == std::endian::little, "masques rangés petit-boutiste");

namespace {

constexpr int OctetsLigne = LargeurEcran * 3;
constexpr int NbGroupes = LargeurEcran / 8;   // groups of 8 pixels = 24 bytes
constexpr int GraphX0 = 256, GraphY0 = 32;    // top-left corner of the graphics square
constexpr int CoteGraph = 512;

using TMasque = std::array<uint64_t, 3>;

// Mask of 8 pixels for each bit pattern: 0xFF in the three bytes of a pixel
// whose bit (0x80 >> l) is set.
constexpr std::array<TMasque, 256> FaitMasques() {
    std::array<TMasque, 256> t{};
    for (unsigned v = 0; v < 256; ++v)
        for (unsigned l = 0; l < 8; ++l)
            if (v & (0x80u >> l))
                for (unsigned o = 3 * l; o < 3 * l + 3; ++o)
                    t[v][o / 8] |= uint64_t(0xFF) << (8 * (o % 8));
    return t;
}
constexpr std::array<TMasque, 256> Masques = FaitMasques();

using TLigneBits = std::array<uint8_t, NbGroupes>;

// XOR applied to a glyph word: 0x0FFF for an inverse-video byte, 0 otherwise.
inline uint32_t Inverse(uint8_t b) { return (0u - uint32_t(b >> 7)) & 0x0FFFu; }

void BitsLigne128(const TMachine& m, int r, int k, TLigneBits& bits) {
    const TFonte128& f = *m.PtrFonte128;
    const uint8_t* ram = m.RamTv.data() + 128 * r;
    for (int c = 0; c < 128; ++c) {
        const uint8_t b = ram[c];
        bits[size_t(c)] = uint8_t((f[b & 0x7F][size_t(k)] ^ Inverse(b)) & 0xFF);
    }
}

// 80 columns of 12 pixels from x = 32: two cells fill three bytes exactly.
void BitsLigne80(const TMachine& m, int r, int k, TLigneBits& bits) {
    const TFonte80& f = *m.PtrFonte80;
    const uint8_t* ram = m.RamTv.data() + 128 * r;
    bits.fill(0);
    for (int p = 0; p < 40; ++p) {
        const uint8_t b0 = ram[2 * p], b1 = ram[2 * p + 1];
        const uint32_t g0 = (f[b0 & 0x7F][size_t(k)] ^ Inverse(b0)) & 0x0FFF;
        const uint32_t g1 = (f[b1 & 0x7F][size_t(k)] ^ Inverse(b1)) & 0x0FFF;
        const uint32_t v = (g0 << 12) | g1;
        uint8_t* o = bits.data() + 4 + 3 * p;
        o[0] = uint8_t(v >> 16);
        o[1] = uint8_t(v >> 8);
        o[2] = uint8_t(v);
    }
}

void RemplitCouleur(uint8_t* ligne, int nbPixels, TRGB c) {
    for (int x = 0; x < nbPixels; ++x) {
        ligne[3 * x] = c.B;
        ligne[3 * x + 1] = c.G;
        ligne[3 * x + 2] = c.R;
    }
}

// The graphics line gy across the square; code 0 shows the background.
void LigneGraphique(const TMachine& m, const std::array<TRGB, 16>& coul, int gy, uint8_t* ligne) {
    uint8_t* o = ligne + 3 * GraphX0;
    const uint8_t* g = m.GraphZorv.data() + gy;
    for (int gx = 0; gx < 256; ++gx, o += 6) {
        const TRGB c = coul[g[gx * 256] & 0x0F];
        o[0] = o[3] = c.B;
        o[1] = o[4] = c.G;
        o[2] = o[5] = c.R;
    }
}

void Melange(uint8_t* dest, const uint8_t* sous, const TLigneBits& bits, const TMasque& texte) {
    for (int i = 0; i < NbGroupes; ++i) {
        const TMasque& mq = Masques[bits[size_t(i)]];
        uint64_t s[3];
        std::memcpy(s, sous + 24 * i, 24);
        for (int j = 0; j < 3; ++j) s[j] = (s[j] & ~mq[size_t(j)]) | (texte[size_t(j)] & mq[size_t(j)]);
        std::memcpy(dest + 24 * i, s, 24);
    }
}

} // namespace

void DessineEcran(TMachine& m) {
    if (!m.PtrScanLines[0] || !m.PtrFonte80 || !m.PtrFonte128) return;

    alignas(64) uint8_t fond[OctetsLigne];
    alignas(64) uint8_t graph[OctetsLigne];
    RemplitCouleur(fond, LargeurEcran, m.CouleurFond);
    std::memcpy(graph, fond, sizeof graph);

    uint8_t motif[24];
    RemplitCouleur(motif, 8, m.CouleurTexte);
    TMasque texte;
    std::memcpy(texte.data(), motif, sizeof motif);

    std::array<TRGB, 16> coul = m.CoulGraph;
    coul[0] = m.CouleurFond;

    TLigneBits bits;
    for (int y = 0; y < HauteurEcran; ++y) {
        const int r = y / 24, k = y % 24;
        if (m.Mode128Col) BitsLigne128(m, r, k, bits);
        else BitsLigne80(m, r, k, bits);
        const uint8_t* sous = fond;
        if (y >= GraphY0 && y < GraphY0 + CoteGraph) {
            if (((y - GraphY0) & 1) == 0) LigneGraphique(m, coul, 255 - (y - GraphY0) / 2, graph);
            sous = graph;
        }
        Melange(m.PtrScanLines[size_t(y)], sous, bits, texte);
    }
}
