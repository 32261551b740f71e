// prom: builds the 4096-byte bank-decode PROM image from its text form.
//
//   prom SOURCE.txt IMAGE.bin
//
// Text form (';' starts a comment, to the end of the line):
//   table N [DEFAULT]     starts table N (0..7); all 256 bytes := DEFAULT
//                         (hexadecimal, FF when omitted)
//   VV : OP OP-OP ...     bank-select byte VV for each listed opcode or
//                         inclusive opcode range of the current table
// Every number is hexadecimal. Tables not given are all FF. Table N is
// written at offset N × 256 and again at 2048 + N × 256: the machine uses
// the upper half of a 4 KB image, a 2 KB copy of the file its lower half.
#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "Convertisseur.h"

namespace {

constexpr int NbTables = 8;
constexpr int TailleImage = 4096;

int LitHexa(const std::string& mot, int max, int num) {
    if (mot.empty() || mot.size() > 2 || mot.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        throw TErreur{num, "nombre hexadécimal attendu : « " + mot + " »"};
    int v = std::stoi(mot, nullptr, 16);
    if (v > max) throw TErreur{num, "valeur trop grande : « " + mot + " »"};
    return v;
}

using TTables = std::array<std::array<uint8_t, 256>, NbTables>;

void LitAffectation(TTables& t, int table, const std::string& l, int num) {
    const size_t deuxPoints = l.find(':');
    std::istringstream gauche(l.substr(0, deuxPoints));
    std::string mot, reste;
    gauche >> mot >> reste;
    if (!reste.empty()) throw TErreur{num, "un seul octet avant « : »"};
    const uint8_t valeur = uint8_t(LitHexa(mot, 0xFF, num));
    std::istringstream droite(l.substr(deuxPoints + 1));
    int nb = 0;
    while (droite >> mot) {
        const size_t tiret = mot.find('-');
        int debut = LitHexa(mot.substr(0, tiret), 0xFF, num);
        int fin = tiret == std::string::npos ? debut : LitHexa(mot.substr(tiret + 1), 0xFF, num);
        if (fin < debut) throw TErreur{num, "intervalle à l'envers : « " + mot + " »"};
        for (int op = debut; op <= fin; ++op) t[table][op] = valeur;
        ++nb;
    }
    if (nb == 0) throw TErreur{num, "aucun code opération après « : »"};
}

std::vector<uint8_t> Convertit(std::istream& in) {
    TTables t;
    for (auto& tab : t) tab.fill(0xFF);
    std::string l;
    int num = 0, table = -1;
    while (std::getline(in, l)) {
        ++num;
        l = l.substr(0, l.find(';'));
        std::istringstream mots(l);
        std::string premier;
        if (!(mots >> premier)) continue;
        if (premier == "table") {
            std::string n, defaut, reste;
            mots >> n >> defaut >> reste;
            if (n.size() != 1 || n[0] < '0' || n[0] >= '0' + NbTables)
                throw TErreur{num, "numéro de table attendu (0 à 7)"};
            if (!reste.empty()) throw TErreur{num, "texte en trop après la table"};
            table = n[0] - '0';
            t[table].fill(defaut.empty() ? 0xFF : uint8_t(LitHexa(defaut, 0xFF, num)));
            continue;
        }
        if (l.find(':') == std::string::npos) throw TErreur{num, "ligne incomprise (« table » ou « octet : codes »)"};
        if (table < 0) throw TErreur{num, "affectation avant toute table"};
        LitAffectation(t, table, l, num);
    }
    std::vector<uint8_t> image(TailleImage);
    for (int n = 0; n < NbTables; ++n)
        for (int op = 0; op < 256; ++op) image[n * 256 + op] = image[2048 + n * 256 + op] = t[n][op];
    return image;
}

} // namespace

int main(int argc, char** argv) { return ExecuteConvertisseur("prom", argc, argv, Convertit); }
