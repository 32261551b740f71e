#include "debugger/FiltreSymboles.h"

#include <algorithm>
#include <cctype>

#include "core/Texte.h"
#include "debugger/GestionSymboles.h"

namespace {

std::string Majuscules(std::string s) {
    std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return char(std::toupper(c)); });
    return s;
}

} // namespace

bool SymboleRetenu(const TSymbole& s, const std::string& filtre) {
    const std::string f = Majuscules(SansBlancs(filtre));
    if (f.empty()) return true;
    if (Majuscules(s.Nom).find(f) != std::string::npos) return true;
    return TexteAdresseSymbole(s.Adresse).rfind(f, 0) == 0;
}
