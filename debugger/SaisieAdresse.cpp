#include "debugger/SaisieAdresse.h"

#include <algorithm>

#include "core/Nombres.h"
#include "core/Texte.h"

namespace {

bool EstBlancOuControle(unsigned char c) { return c <= ' ' || c == 0x7F; }
bool EstSeparateur(char c) { return c == ' ' || c == '\t'; }

std::string_view Nettoie(std::string_view s) {
    while (!s.empty() && EstBlancOuControle(s.front())) s.remove_prefix(1);
    while (!s.empty() && EstBlancOuControle(s.back())) s.remove_suffix(1);
    return s;
}

// The value of the leading hexadecimal digits, saturated above 0xFFFF;
// `entier` tells whether the word held nothing else.
int32_t ValeurTete(std::string_view mot, bool& entier) {
    int64_t v = 0;
    size_t i = 0;
    for (; i < mot.size(); ++i) {
        const int d = ValeurHexa(mot[i]);
        if (d < 0) break;
        v = std::min<int64_t>(v * 16 + d, 0x10000);
    }
    entier = i == mot.size();
    return int32_t(std::min<int64_t>(v, 0xFFFF));
}

std::string_view PremierMot(std::string_view t) {
    const auto b = std::find_if(t.begin(), t.end(), EstSeparateur);
    return t.substr(0, size_t(b - t.begin()));
}

} // namespace

TAdressesLues LitAdresses(std::string_view texte) {
    TAdressesLues r;
    const std::string_view t = Nettoie(texte);
    const std::string_view premier = PremierMot(t);
    bool entier = false;
    r.Adr1 = ValeurTete(premier, entier);
    if (premier.empty() || !entier) return r;
    const std::string_view reste = Nettoie(t.substr(premier.size()));
    if (!reste.empty()) r.Adr2 = ValeurTete(PremierMot(reste), entier);
    return r;
}

int32_t FinParDefaut(int32_t adresse) { return std::min(adresse + 511, 0xFFFF); }

void TSaisieAdresse::EvaluerAdresses() {
    const TAdressesLues a = LitAdresses(FTexte);
    FAdr1 = a.Adr1;
    FAdr2 = a.Adr2;
}

bool TSaisieAdresse::Touche(char touche) {
    const bool admise = touche == '\b' || touche == '\r' || ValeurHexa(touche) >= 0 || (touche == ' ' && FIntervalle);
    if (!admise) return false;
    EvaluerAdresses();
    if (touche == '\r') Valide();
    return true;
}

void TSaisieAdresse::Valide() {
    if (FIntervalle && (FAdr2 == -1 || FAdr2 < FAdr1)) FAdr2 = FinParDefaut(FAdr1);
    Reecrit();
    Notifie();
}

bool TSaisieAdresse::IndexSymbole(const TListeSymboles& liste, int index) {
    if (index < 0 || size_t(index) >= liste.size()) return false;
    FAdr1 = std::clamp<int32_t>(liste[size_t(index)].Adresse, 0, 0xFFFF);
    FAdr2 = FinParDefaut(FAdr1);
    Reecrit();
    Notifie();
    return true;
}

void TSaisieAdresse::Reecrit() {
    const unsigned a1 = unsigned(std::max(FAdr1, 0));
    FTexte = FIntervalle ? Format("%.4X %.4X", a1, unsigned(std::max(FAdr2, 0))) : Format("%.4X", a1);
    if (SurTexteReecrit) SurTexteReecrit();
}

void TSaisieAdresse::Notifie() {
    if (OnAdrChange) OnAdrChange();
    if (OnEditChange) OnEditChange();
}
