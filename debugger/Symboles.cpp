#include "debugger/Symboles.h"

#include <cstdio>
#include <ostream>

#include "core/Nombres.h"
#include "core/Texte.h"

std::string NomSymbole(const TListeSymboles& liste, int32_t adresse) {
    for (const TSymbole& s : liste)
        if (s.Adresse == adresse) return s.Nom;
    return {};
}

namespace {

bool EstSuite(unsigned char c) { return (c & 0xC0) == 0x80; }

// Blanks and control characters, as trimmed from both ends of a text.
bool EstBlancOuControle(unsigned char c) { return c <= ' ' || c == 0x7F; }

std::string Nettoie(const std::string& s) {
    size_t d = 0, f = s.size();
    while (d < f && EstBlancOuControle(s[d])) ++d;
    while (f > d && EstBlancOuControle(s[f - 1])) --f;
    return s.substr(d, f - d);
}

// The word up to the first blank, and the rest from that blank on (at most
// 255 characters of it), trimmed.
std::string CoupeMot(std::string& s) {
    size_t b = s.find(' ');
    std::string mot = s.substr(0, b);
    s = b == std::string::npos ? std::string() : Nettoie(s.substr(b, 255));
    return mot;
}

} // namespace

int IndexSymboleNomme(const TListeSymboles& liste, const std::string& nom) {
    for (size_t i = 0; i < liste.size(); ++i)
        if (EgalSansCasse(liste[i].Nom, nom)) return int(i);
    return -1;
}

size_t NbCaracteres(const std::string& texte) {
    size_t n = 0;
    for (unsigned char c : texte)
        if (!EstSuite(c)) ++n;
    return n;
}

std::string AbregeSymbole(const std::string& nom) {
    if (NbCaracteres(nom) <= 8) return nom;
    size_t i = 0, n = 0;
    while (i < nom.size()) {
        if (!EstSuite(nom[i]) && n++ == 7) break;
        ++i;
    }
    return nom.substr(0, i) + "\u2026";
}

int ChargeSymboles(std::istream& fichier, TListeSymboles& liste) {
    int compte = 0;
    bool erreur = false;
    std::string ligne;
    while (!erreur && std::getline(fichier, ligne)) {
        std::string s = Nettoie(ligne);
        while (!s.empty()) {
            std::string nom = CoupeMot(s);
            std::string mot = CoupeMot(s);
            uint32_t adresse = 0;
            erreur = mot.empty();
            for (char c : mot) {
                int v = ValeurHexa(c);
                if (v < 0) {
                    erreur = true;
                    break;
                }
                adresse = (adresse << 4) | uint32_t(v);
            }
            if (!erreur) {
                liste.push_back({nom, int32_t(adresse)});
                ++compte;
            }
        }
    }
    return compte;
}

void EcritSymboles(std::ostream& fichier, const TListeSymboles& liste) {
    char adr[16];
    for (const TSymbole& s : liste) {
        std::snprintf(adr, sizeof adr, "%.4X", unsigned(s.Adresse));
        fichier << s.Nom << ' ' << adr << '\n';
    }
}
