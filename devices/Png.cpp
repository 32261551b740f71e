// PNG encoding of the screen: signature, IHDR, one IDAT holding a zlib stream
// of stored blocks, IEND.
#include "devices/Png.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <zlib.h>

#include "core/Fichiers.h"
#include "core/Machine.h"

namespace {

void Ajoute32(std::vector<uint8_t>& v, uint32_t x) {
    for (int s = 24; s >= 0; s -= 8) v.push_back(uint8_t(x >> s));
}

void AjouteBloc(std::vector<uint8_t>& png, const char type[4], const std::vector<uint8_t>& donnees) {
    Ajoute32(png, uint32_t(donnees.size()));
    const size_t debut = png.size();
    png.insert(png.end(), type, type + 4);
    png.insert(png.end(), donnees.begin(), donnees.end());
    Ajoute32(png, Crc32(png.data() + debut, png.size() - debut));
}

// zlib stream of stored deflate blocks (at most 65535 bytes each).
std::vector<uint8_t> FluxZlibStocke(const std::vector<uint8_t>& brut) {
    std::vector<uint8_t> z = {0x78, 0x01};
    z.reserve(brut.size() + brut.size() / 65535 * 5 + 16);
    size_t pos = 0;
    do {
        const size_t n = std::min<size_t>(65535, brut.size() - pos);
        const bool dernier = pos + n == brut.size();
        z.push_back(dernier ? 1 : 0);
        z.push_back(uint8_t(n));
        z.push_back(uint8_t(n >> 8));
        z.push_back(uint8_t(~n));
        z.push_back(uint8_t(~n >> 8));
        z.insert(z.end(), brut.begin() + std::ptrdiff_t(pos), brut.begin() + std::ptrdiff_t(pos + n));
        pos += n;
    } while (pos < brut.size());
    Ajoute32(z, Adler32(brut.data(), brut.size()));
    return z;
}

} // namespace

uint32_t Crc32(const uint8_t* p, size_t n, uint32_t crc) {
    // zlib's, several bytes per step: a state file checks some 300 KB.
    while (n > 0) {
        const uInt tranche = uInt(std::min<size_t>(n, 1u << 30));
        crc = uint32_t(crc32(crc, p, tranche));
        p += tranche, n -= tranche;
    }
    return crc;
}

uint32_t Adler32(const uint8_t* p, size_t n, uint32_t adler) {
    uint32_t a = adler & 0xFFFF, b = adler >> 16;
    while (n > 0) {
        const size_t tranche = std::min<size_t>(n, 5552); // no overflow before the modulo
        for (size_t i = 0; i < tranche; ++i) {
            a += p[i];
            b += a;
        }
        a %= 65521;
        b %= 65521;
        p += tranche;
        n -= tranche;
    }
    return (b << 16) | a;
}

std::vector<uint8_t> CodePngBgr(const uint8_t* bgr, int largeur, int hauteur) {
    std::vector<uint8_t> brut;
    brut.reserve(size_t(hauteur) * (1 + size_t(largeur) * 3));
    for (int y = 0; y < hauteur; ++y) {
        brut.push_back(0); // filter: none
        const uint8_t* l = bgr + size_t(y) * size_t(largeur) * 3;
        for (int x = 0; x < largeur; ++x) {
            brut.push_back(l[3 * x + 2]);
            brut.push_back(l[3 * x + 1]);
            brut.push_back(l[3 * x]);
        }
    }
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    std::vector<uint8_t> ihdr;
    Ajoute32(ihdr, uint32_t(largeur));
    Ajoute32(ihdr, uint32_t(hauteur));
    ihdr.insert(ihdr.end(), {8, 2, 0, 0, 0}); // 8 bits, RGB, deflate, no filter set, no interlace
    AjouteBloc(png, "IHDR", ihdr);
    AjouteBloc(png, "IDAT", FluxZlibStocke(brut));
    AjouteBloc(png, "IEND", {});
    return png;
}

bool EcritCapturePng(const TMachine& m, const std::string& chemin, std::string& erreur) {
    if (m.BmpEcran.size() != size_t(LargeurEcran) * HauteurEcran * 3) {
        erreur = "Image de l'écran absente";
        return false;
    }
    return EcritFichierAtomique(chemin, CodePngBgr(m.BmpEcran.data(), LargeurEcran, HauteurEcran), erreur);
}
