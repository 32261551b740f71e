// gencar: builds the character generator image from its text form.
//
//   gencar SOURCE.txt IMAGE.bin
//
// The text holds one block per character: a line "= CODE comment" (CODE in
// hexadecimal, 00..7F), then 12 rows of 8 dots, top to bottom, '#' lit and
// '.' dark. Lines starting with ';' and blank lines are ignored. Every code
// 00..7F must be given exactly once. The image is 128 records of 16 bytes:
// bytes 0..11 are the rows, bit j of a row being the dot of column j counted
// from the left; bytes 12..15 are zero.
#include <array>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "Convertisseur.h"

namespace {

constexpr int NbCar = 128;
constexpr int NbLignes = 12;
constexpr int TailleEnr = 16;

bool LigneIgnoree(const std::string& l) {
    return l.empty() || l[0] == ';' || l.find_first_not_of(" \t\r") == std::string::npos;
}

int LitCode(const std::string& l, int num) {
    std::istringstream in(l.substr(1));
    std::string mot;
    in >> mot;
    if (mot.empty() || mot.size() > 2 || mot.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
        throw TErreur{num, "code hexadécimal attendu après « = »"};
    int code = std::stoi(mot, nullptr, 16);
    if (code >= NbCar) throw TErreur{num, "code hors de 00..7F"};
    return code;
}

uint8_t LitRangee(std::string l, int num) {
    if (!l.empty() && l.back() == '\r') l.pop_back();
    if (l.size() != 8) throw TErreur{num, "une rangée doit avoir 8 points exactement"};
    uint8_t octet = 0;
    for (int j = 0; j < 8; ++j) {
        if (l[j] == '#') octet |= uint8_t(1u << j);
        else if (l[j] != '.') throw TErreur{num, "point inconnu (seuls '#' et '.' sont permis)"};
    }
    return octet;
}

std::vector<uint8_t> Convertit(std::istream& in) {
    std::vector<uint8_t> image(NbCar * TailleEnr, 0);
    std::array<bool, NbCar> vu{};
    std::string l;
    int num = 0, code = -1, rangee = NbLignes;
    while (std::getline(in, l)) {
        ++num;
        if (LigneIgnoree(l)) continue;
        if (l[0] == '=') {
            if (rangee < NbLignes) throw TErreur{num, "caractère précédent incomplet"};
            code = LitCode(l, num);
            if (vu[code]) throw TErreur{num, "caractère déjà défini"};
            vu[code] = true;
            rangee = 0;
            continue;
        }
        if (code < 0 || rangee >= NbLignes) throw TErreur{num, "rangée en trop ou hors d'un caractère"};
        image[code * TailleEnr + rangee++] = LitRangee(l, num);
    }
    if (rangee < NbLignes) throw TErreur{num, "dernier caractère incomplet"};
    for (int c = 0; c < NbCar; ++c) {
        if (!vu[c]) {
            char t[40];
            std::snprintf(t, sizeof t, "caractère %02X absent", c);
            throw TErreur{num, t};
        }
    }
    return image;
}

} // namespace

int main(int argc, char** argv) { return ExecuteConvertisseur("gencar", argc, argv, Convertit); }
