#include "cli/OutilsAsm.h"

#include <cctype>
#include <filesystem>
#include <fstream>

std::optional<uint32_t> NombreCli(const std::string& texte) {
    std::string t = texte;
    int base = 10;
    if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X')) {
        t = t.substr(2);
        base = 16;
    } else if (t.size() > 1 && t[0] == '$') {
        t = t.substr(1);
        base = 16;
    } else if (t.size() > 1 && (t.back() == 'h' || t.back() == 'H')) {
        t.pop_back();
        base = 16;
    }
    if (t.empty() || t.size() > 8) return std::nullopt;
    uint64_t v = 0;
    for (char c : t) {
        int d = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                : std::isxdigit(static_cast<unsigned char>(c))
                    ? std::toupper(static_cast<unsigned char>(c)) - 'A' + 10
                    : 99;
        if (d >= base) return std::nullopt;
        v = v * uint64_t(base) + uint64_t(d);
    }
    if (v > 0xFFFFFFFFu) return std::nullopt;
    return uint32_t(v);
}

