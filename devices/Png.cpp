// PNG encoding of the screen: signature, IHDR, one IDAT holding the rows
// (filter none) compressed by zlib, IEND.
#include "devices/Png.h"

#include <algorithm>
#include <array>
#include <cstdlib>
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

namespace {

uint32_t Grand(const uint8_t* p) { return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3]; }

int Paeth(int a, int b, int c) {
    const int p = a + b - c, pa = std::abs(p - a), pb = std::abs(p - b), pc = std::abs(p - c);
    return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

// The filters of each row undone in place; false for an unknown filter.
bool Defiltre(std::vector<uint8_t>& d, size_t ligne, int hauteur, size_t bpp) {
    std::vector<uint8_t> precedente(ligne, 0);
    for (int y = 0; y < hauteur; ++y) {
        uint8_t* r = d.data() + size_t(y) * (ligne + 1);
        const uint8_t filtre = r[0];
        uint8_t* x = r + 1;
        for (size_t i = 0; i < ligne; ++i) {
            const int a = i >= bpp ? x[i - bpp] : 0, b = precedente[i], c = i >= bpp ? precedente[i - bpp] : 0;
            switch (filtre) {
            case 0: break;
            case 1: x[i] = uint8_t(x[i] + a); break;
            case 2: x[i] = uint8_t(x[i] + b); break;
            case 3: x[i] = uint8_t(x[i] + (a + b) / 2); break;
            case 4: x[i] = uint8_t(x[i] + Paeth(a, b, c)); break;
            default: return false;
            }
        }
        std::copy(x, x + ligne, precedente.begin());
    }
    return true;
}

} // namespace

bool DecodePngBgr(const std::vector<uint8_t>& png, std::vector<uint8_t>& bgr, int& largeur, int& hauteur,
                  std::string& erreur) {
    static const uint8_t Signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    erreur = "l'image PNG est endommagée";
    if (png.size() < 8 || !std::equal(Signature, Signature + 8, png.begin())) {
        erreur = "ce fichier n'est pas une image PNG";
        return false;
    }
    size_t pos = 8;
    std::vector<uint8_t> idat;
    int profondeur = 0, type = -1, entrelace = 0;
    largeur = hauteur = 0;
    bool fin = false;
    while (!fin) {
        if (png.size() - pos < 12) return false;
        const uint32_t n = Grand(&png[pos]);
        if (n > png.size() - pos - 12) return false;
        const std::string id(reinterpret_cast<const char*>(&png[pos + 4]), 4);
        const uint8_t* d = &png[pos + 8];
        if (Crc32(&png[pos + 4], n + 4) != Grand(d + n)) return false;
        if (id == "IHDR") {
            if (n != 13) return false;
            largeur = int(std::min<uint32_t>(Grand(d), 1u << 16));
            hauteur = int(std::min<uint32_t>(Grand(d + 4), 1u << 16));
            profondeur = d[8], type = d[9], entrelace = d[12];
        } else if (id == "IDAT") {
            idat.insert(idat.end(), d, d + n);
        } else if (id == "IEND") {
            fin = true;
        }
        pos += 12 + n;
    }
    static const int Canaux[7] = {1, 0, 3, 0, 2, 0, 4};
    if (largeur <= 0 || hauteur <= 0 || profondeur != 8 || type < 0 || type > 6 || Canaux[type] == 0 || entrelace) {
        erreur = "l'image PNG n'est pas d'un genre lu ici (8 bits par canal, sans palette ni entrelacement)";
        return false;
    }
    if (size_t(largeur) * size_t(hauteur) > (16u << 20)) {
        erreur = "l'image PNG est trop grande";
        return false;
    }
    const size_t bpp = size_t(Canaux[type]), ligne = size_t(largeur) * bpp;
    std::vector<uint8_t> brut((ligne + 1) * size_t(hauteur));
    uLongf taille = uLongf(brut.size());
    if (uncompress(brut.data(), &taille, idat.data(), uLong(idat.size())) != Z_OK || taille != brut.size() ||
        !Defiltre(brut, ligne, hauteur, bpp))
        return false;
    bgr.assign(size_t(largeur) * size_t(hauteur) * 3, 0);
    for (int y = 0; y < hauteur; ++y)
        for (int x = 0; x < largeur; ++x) {
            const uint8_t* s = brut.data() + size_t(y) * (ligne + 1) + 1 + size_t(x) * bpp;
            uint8_t* o = bgr.data() + (size_t(y) * size_t(largeur) + size_t(x)) * 3;
            const bool gris = bpp <= 2;
            o[0] = gris ? s[0] : s[2], o[1] = gris ? s[0] : s[1], o[2] = s[0];
        }
    erreur.clear();
    return true;
}
