#include "debugger/Conversions.h"

#include <algorithm>
#include <bit>
#include <cerrno>
#include <clocale>
#include <cstdlib>
#include <locale.h>

#include "core/Nombres.h"
#include "core/Texte.h"
#include "debugger/Variables.h"

namespace {

bool Blanc(char c) { return c == ' ' || c == '\t'; }
bool Chiffre(char c) { return c >= '0' && c <= '9'; }

// The C locale, for reading with "." whatever the process's locale.
locale_t LocaleC() {
    static const locale_t c = newlocale(LC_NUMERIC_MASK, "C", locale_t(nullptr));
    return c;
}

std::string Insere(const std::string& texte, int debut, int longueur, char touche) {
    std::string t = texte;
    const size_t d = std::min(size_t(std::max(debut, 0)), t.size());
    t.replace(d, std::min(size_t(std::max(longueur, 0)), t.size() - d), 1, touche);
    return t;
}

} // namespace

namespace {

// One run of 16 hexadecimal digits, blanks around it allowed.
bool SeizeChiffresALaSuite(std::string_view t, std::array<uint8_t, 8>& octets) {
    const std::string s = SansBlancs(t);
    if (s.size() != 16) return false;
    for (size_t k = 0; k < 16; k += 2) {
        const int fort = ValeurHexa(s[k]), faible = ValeurHexa(s[k + 1]);
        if (fort < 0 || faible < 0) return false;
        octets[k / 2] = uint8_t(fort * 16 + faible);
    }
    return true;
}

} // namespace

TOctetsDouble HexVersOctets(std::string_view t) {
    TOctetsDouble r;
    if (SeizeChiffresALaSuite(t, r.Octets)) {
        r.Valide = true;
        return r;
    }
    size_t i = 0;
    for (int j = 0; j < 8 && i < t.size(); ++j) {
        while (i < t.size() && Blanc(t[i])) ++i;
        for (int v; i < t.size() && (v = ValeurHexa(t[i])) >= 0; ++i) r.Octets[size_t(j)] = uint8_t(r.Octets[size_t(j)] * 16 + v);
    }
    while (i < t.size() && Blanc(t[i])) ++i;
    r.Valide = i == t.size();
    return r;
}

double DoubleDeOctets(const std::array<uint8_t, 8>& octets) {
    uint64_t bits = 0;
    for (uint8_t o : octets) bits = bits << 8 | o;
    return std::bit_cast<double>(bits);
}

std::array<uint8_t, 8> OctetsDeDouble(double v) {
    uint64_t bits = std::bit_cast<uint64_t>(v);
    std::array<uint8_t, 8> o{};
    for (int i = 7; i >= 0; --i, bits >>= 8) o[size_t(i)] = uint8_t(bits);
    return o;
}

size_t LitFlottant(std::string_view t, double& valeur) {
    valeur = 0;
    size_t i = 0;
    if (i < t.size() && (t[i] == '-' || t[i] == '+')) ++i;
    size_t chiffres = 0;
    while (i < t.size() && Chiffre(t[i])) ++i, ++chiffres;
    if (i < t.size() && t[i] == '.')
        for (++i; i < t.size() && Chiffre(t[i]); ++i) ++chiffres;
    if (chiffres == 0) return 0;
    size_t fin = i;
    if (i < t.size() && (t[i] == 'E' || t[i] == 'e')) {
        size_t j = i + 1;
        if (j < t.size() && (t[j] == '-' || t[j] == '+')) ++j;
        const size_t k = j;
        while (j < t.size() && Chiffre(t[j])) ++j;
        if (j > k) fin = j;
    }
    const std::string lu(t.substr(0, fin));
    errno = 0;
    valeur = strtod_l(lu.c_str(), nullptr, LocaleC()); // correctly rounded; ±HUGE_VAL or 0 out of range
    return fin;
}

bool FlottantLisible(std::string_view t) {
    double v;
    return !t.empty() && LitFlottant(t, v) == t.size();
}

std::string OctetsEnHexa(const std::array<uint8_t, 8>& octets) {
    std::string t;
    for (uint8_t o : octets) t += Format("%.2X ", unsigned(o));
    return t;
}

std::string FlottantVersHexa(std::string_view texte) {
    double v;
    LitFlottant(texte, v);
    return OctetsEnHexa(OctetsDeDouble(v));
}

std::string HexaVersFlottant(std::string_view texte) { return TexteFlottant(DoubleDeOctets(HexVersOctets(texte).Octets)); }

TResultatConversion ConvertitVersHexa(std::string_view flottant) {
    const std::string t = SansBlancs(flottant);
    if (t.empty()) return {{}, "Aucune valeur flottante \u00e0 convertir"};
    if (!FlottantLisible(t))
        return {{}, "Valeur flottante illisible : \u00ab " + TexteVisible(t) + " \u00bb (par exemple -2.5E3)"};
    return {FlottantVersHexa(t), {}};
}

TResultatConversion ConvertitVersFlottant(std::string_view hexa) {
    const std::string t = SansBlancs(hexa);
    if (t.empty()) return {{}, "Aucune valeur hexad\u00e9cimale \u00e0 convertir"};
    const TOctetsDouble o = HexVersOctets(t);
    if (!o.Valide)
        return {{}, "Valeur hexad\u00e9cimale illisible : \u00ab " + TexteVisible(t) +
                        " \u00bb (8 octets s\u00e9par\u00e9s par des blancs, ou 16 chiffres \u00e0 la suite)"};
    return {TexteFlottant(DoubleDeOctets(o.Octets)), {}};
}

char FiltreToucheOctetsHexa(char c) {
    if (c == '\b' || c == ' ' || Chiffre(c) || (c >= 'A' && c <= 'F')) return c;
    if (c >= 'a' && c <= 'f') return char(c - 'a' + 'A');
    return 0;
}

char FiltreToucheFlottant(char c) {
    if (c == '\b' || Chiffre(c) || c == '-' || c == '.' || c == 'E') return c;
    if (c == ',') return '.';
    if (c == 'e') return 'E';
    return 0;
}

bool SaisieHexaValide(const std::string& texte, int debut, int longueur, char touche) {
    const std::string t = Insere(texte, debut, longueur, touche);
    return t.size() <= size_t(LgMaxConversion) && HexVersOctets(t).Valide;
}

bool SaisieFlottantValide(const std::string& texte, int debut, int longueur, char touche) {
    std::string t = Insere(texte, debut, longueur, touche);
    if (t.size() > size_t(LgMaxConversion)) return false;
    if (t == "-" || t.back() == 'E') t += '1';
    return FlottantLisible(t);
}
