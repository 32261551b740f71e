// PNG encoding of the screen: signature, IHDR, one IDAT holding the rows
// (filter none) compressed by zlib, IEND.
#include "devices/Png.h"

#include <algorithm>
#include <array>
#include <new>
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

// The zlib stream of the rows, at a fast level: a screen of text shrinks
// some forty times in a few milliseconds.
std::vector<uint8_t> FluxZlib(const std::vector<uint8_t>& brut) {
    uLongf taille = compressBound(uLong(brut.size()));
    std::vector<uint8_t> z(taille);
    // With compressBound's room only a lack of memory can make it fail.
    if (compress2(z.data(), &taille, brut.data(), uLong(brut.size()), Z_BEST_SPEED) != Z_OK) throw std::bad_alloc();
    z.resize(taille);
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
    AjouteBloc(png, "IDAT", FluxZlib(brut));
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
