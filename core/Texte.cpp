#include "core/Texte.h"

#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstdio>

bool EstBlanc(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\f' || c == '\v'; }

std::string SansBlancs(std::string_view s) {
    size_t debut = 0, fin = s.size();
    while (debut < fin && EstBlanc(s[debut])) ++debut;
    while (fin > debut && EstBlanc(s[fin - 1])) --fin;
    return std::string(s.substr(debut, fin - debut));
}

namespace {
char Majuscule(char c) { return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c; }
} // namespace

bool EgalSansCasse(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (Majuscule(a[i]) != Majuscule(b[i])) return false;
    return true;
}

std::string EnMajuscules(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = Majuscule(c);
    return r;
}

std::string NomSansDossier(const std::string& chemin) {
    const size_t p = chemin.find_last_of("/\\");
    return p == std::string::npos ? chemin : chemin.substr(p + 1);
}

std::string DossierDe(const std::string& chemin) {
    const size_t p = chemin.find_last_of("/\\");
    return p == std::string::npos ? std::string() : chemin.substr(0, p + 1);
}

std::string AvecSeparateur(const std::string& dossier) {
    if (dossier.empty()) return "./";
    std::string d = dossier;
    while (d.size() > 1 && (d.back() == '/' || d.back() == '\\')) d.pop_back();
    if (d.back() != '/' && d.back() != '\\') d += '/';
    return d;
}

std::string FormateMilliers(int64_t valeur, const std::string& separateur) {
    const bool negatif = valeur < 0;
    uint64_t v = negatif ? uint64_t(0) - uint64_t(valeur) : uint64_t(valeur);
    std::string chiffres = std::to_string(v);
    std::string r;
    const size_t n = chiffres.size();
    for (size_t i = 0; i < n; ++i) {
        if (i > 0 && (n - i) % 3 == 0) r += separateur;
        r += chiffres[i];
    }
    return negatif ? "-" + r : r;
}

std::string NombreFr(int64_t valeur) { return FormateMilliers(valeur, SeparateurMilliersFr); }

// std::to_chars ignores the C locale, which a Qt program sets from the host.
std::string NombreFr(double valeur, int decimales) {
    if (!std::isfinite(valeur)) return std::isnan(valeur) ? "nan" : valeur < 0 ? "-inf" : "inf";
    decimales = decimales < 0 ? 0 : decimales > 17 ? 17 : decimales;
    char tampon[400];
    const auto fin = std::to_chars(tampon, tampon + sizeof tampon, std::fabs(valeur), std::chars_format::fixed, decimales);
    const std::string texte(tampon, fin.ptr);
    const size_t point = texte.find('.');
    const std::string entiers = texte.substr(0, point);
    std::string r;
    for (size_t i = 0; i < entiers.size(); ++i) {
        if (i > 0 && (entiers.size() - i) % 3 == 0) r += SeparateurMilliersFr;
        r += entiers[i];
    }
    if (point != std::string::npos) r += texte.substr(point);
    // No "-0" or "-0.00" for a value that rounds to zero.
    const bool nul = texte.find_first_not_of("0.") == std::string::npos;
    return std::signbit(valeur) && !nul ? "-" + r : r;
}

std::string Format(const char* format, ...) {
    char tampon[256];
    va_list args;
    va_start(args, format);
    va_list copie;
    va_copy(copie, args);
    const int n = std::vsnprintf(tampon, sizeof tampon, format, args);
    va_end(args);
    std::string r;
    if (n < 0) {
        va_end(copie);
        return r;
    }
    if (size_t(n) < sizeof tampon) {
        r.assign(tampon, size_t(n));
    } else {
        r.resize(size_t(n) + 1);
        std::vsnprintf(r.data(), r.size(), format, copie);
        r.resize(size_t(n));
    }
    va_end(copie);
    return r;
}

namespace {

// Length of the valid UTF-8 sequence starting at s[i], or 0.
size_t LongueurUtf8(std::string_view s, size_t i) {
    const unsigned char c = static_cast<unsigned char>(s[i]);
    size_t n = c >= 0xF0 && c <= 0xF4 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 && c < 0xE0 ? 2 : 0;
    if (n == 0 || i + n > s.size()) return 0;
    for (size_t k = 1; k < n; ++k)
        if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80) return 0;
    const unsigned char d = static_cast<unsigned char>(s[i + 1]);
    if ((c == 0xE0 && d < 0xA0) || (c == 0xED && d > 0x9F) || (c == 0xF0 && d < 0x90) || (c == 0xF4 && d > 0x8F))
        return 0; // overlong forms, surrogates, beyond U+10FFFF
    return n;
}

} // namespace

std::string TexteVisible(std::string_view s) {
    std::string r;
    for (size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        if (c >= 0x20 && c < 0x7F) {
            r += char(c);
            ++i;
            continue;
        }
        const size_t n = c >= 0x80 ? LongueurUtf8(s, i) : 0;
        if (n > 0) {
            r.append(s.substr(i, n));
            i += n;
            continue;
        }
        r += Format("\\x%.2X", unsigned(c));
        ++i;
    }
    return r;
}
