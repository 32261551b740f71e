#include "devices/JeuCaracteres.h"

#include <array>

namespace {

constexpr std::array<char32_t, 16> Cadres = {
    U'\u250C', U'\u2510', U'\u2518', U'\u2514', U'\u251C', U'\u252C', U'\u2524', U'\u2534',
    U'\u2502', U'\u2500', 0x0A, 0x0B, 0x0C, 0x0D, 0x0E, U'\u253C'};

constexpr std::array<char32_t, 16> Accents = {
    U'\u00E0', U'\u00E8', U'\u00F9', U'\u00FB', U'\u00E2', U'\u00EA', U'\u00F4', U'\u00EE',
    U'\u00E9', U'\u0153', U'\u00E7', U'\u00E4', U'\u00EF', U'\u00F6', U'\u00FC', U'\u00EB'};

} // namespace

char32_t TraduitZorvCourier(uint16_t code) {
    if (code < 0x10) return Cadres[code];
    if (code < 0x20) return Accents[code - 0x10];
    switch (code) {
    case 0x5E: return U'\u2191';
    case 0x5F: return U'\u2190';
    case 0x7E: return U'\u00A7';
    case 0x7F: return U'\u2591';
    default: return char32_t(code);
    }
}

std::string EnUtf8(char32_t c) {
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
    std::string s;
    if (c < 0x80) {
        s += char(c);
    } else if (c < 0x800) {
        s += char(0xC0 | (c >> 6));
        s += char(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        s += char(0xE0 | (c >> 12));
        s += char(0x80 | ((c >> 6) & 0x3F));
        s += char(0x80 | (c & 0x3F));
    } else {
        s += char(0xF0 | (c >> 18));
        s += char(0x80 | ((c >> 12) & 0x3F));
        s += char(0x80 | ((c >> 6) & 0x3F));
        s += char(0x80 | (c & 0x3F));
    }
    return s;
}

size_t CaractereUtf8Suivant(const std::string& s, size_t i) {
    if (i >= s.size()) return s.size();
    const auto tete = static_cast<unsigned char>(s[i]);
    const size_t suite = tete >= 0xF0 ? 3 : tete >= 0xE0 ? 2 : tete >= 0xC0 ? 1 : 0;
    size_t j = i + 1;
    while (j < s.size() && j <= i + suite && (static_cast<unsigned char>(s[j]) & 0xC0) == 0x80) ++j;
    return j;
}
