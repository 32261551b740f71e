// A small PNG writer for the screen picture (24-bit RGB, compressed with
// zlib), and a reader for the pictures the tests compare with it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct TMachine;

// The PNG file image of a picture given as rows of blue, green, red pixels.
std::vector<uint8_t> CodePngBgr(const uint8_t* bgr, int largeur, int hauteur);

// Reads a PNG file image (8 bits per sample, grey, RGB, grey with alpha or
// RGBA, not interlaced) into rows of blue, green, red pixels (alpha
// dropped). False with a French message for anything else or a damaged file.
bool DecodePngBgr(const std::vector<uint8_t>& png, std::vector<uint8_t>& bgr, int& largeur, int& hauteur,
                  std::string& erreur);

// Writes BmpEcran (as last drawn by DessineEcran) as a 1024 × 576 PNG file,
// atomically; false with a French message in `erreur`.
bool EcritCapturePng(const TMachine& m, const std::string& chemin, std::string& erreur);

// CRC-32 (ISO 3309, as PNG chunks use it).
uint32_t Crc32(const uint8_t* p, size_t n, uint32_t crc = 0);
