#include "core/Nombres.h"

#include "core/Texte.h"

int ValeurHexa(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

namespace {

std::optional<uint64_t> Chiffres(std::string_view t, unsigned base, uint64_t max) {
    if (t.empty()) return std::nullopt;
    uint64_t v = 0;
    for (char c : t) {
        const int d = ValeurHexa(c);
        if (d < 0 || unsigned(d) >= base) return std::nullopt;
        if (v > (max - uint64_t(d)) / base) return std::nullopt;
        v = v * base + uint64_t(d);
    }
    return v;
}

} // namespace

std::optional<uint64_t> LitHexa(std::string_view t, uint64_t max) {
    if (t.size() > 2 && t[0] == '0' && (t[1] == 'x' || t[1] == 'X'))
        t.remove_prefix(2);
    else if (t.size() > 1 && t[0] == '$')
        t.remove_prefix(1);
    else if (t.size() > 1 && (t.back() == 'h' || t.back() == 'H'))
        t.remove_suffix(1);
    return Chiffres(t, 16, max);
}

std::optional<uint64_t> LitDecimal(std::string_view t, uint64_t max, bool suffixes) {
    uint64_t facteur = 1;
    if (suffixes && t.size() > 1) {
        const char s = t.back();
        if (s == 'k' || s == 'K') facteur = 1024;
        if (s == 'm' || s == 'M') facteur = 1024 * 1024;
        if (facteur > 1) t.remove_suffix(1);
    }
    const auto v = Chiffres(t, 10, UINT64_MAX / facteur);
    if (!v || *v * facteur > max) return std::nullopt;
    return *v * facteur;
}

int32_t ValeurChiffresTete(std::string_view t, int32_t defaut) {
    size_t i = 0;
    while (i < t.size() && EstBlanc(t[i])) ++i;
    bool negatif = false;
    if (i < t.size() && (t[i] == '-' || t[i] == '+')) negatif = t[i++] == '-';
    if (i >= t.size() || t[i] < '0' || t[i] > '9') return defaut;
    int64_t v = 0;
    for (; i < t.size() && t[i] >= '0' && t[i] <= '9'; ++i) {
        v = v * 10 + (t[i] - '0');
        if (v > int64_t(INT32_MAX) + 1) v = int64_t(INT32_MAX) + 1;
    }
    if (negatif) v = -v;
    if (v > INT32_MAX) v = INT32_MAX;
    return int32_t(v);
}
