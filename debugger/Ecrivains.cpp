#include "debugger/Ecrivains.h"

#include "core/Texte.h"

void TEcrivains::Active(bool actif) {
    if (actif == Actif()) return;
    FTable.assign(actif ? TailleTablesAcces : 0, TEcriture{});
    FTable.shrink_to_fit();
}

TEcriture TEcrivains::De(uint16_t adresse, uint8_t banque) const {
    return FTable.empty() ? TEcriture{} : FTable[uint32_t(banque & 1) << 16 | adresse];
}

std::string TexteEcrivain(uint16_t adresse, uint8_t banque, const TEcriture& e, const TListeSymboles& symboles) {
    std::string t = Format("%.4XH banque %u : ", unsigned(adresse), unsigned(banque & 1));
    if (e.Numero == 0) return t + "pas écrit depuis l'ouverture du débogueur";
    t += Format("écrit par %.4XH", unsigned(e.PC));
    if (e.Banque != (banque & 1)) t += Format(" (banque %u)", unsigned(e.Banque));
    const std::string nom = NomSymbole(symboles, e.PC);
    if (!nom.empty()) t += " (" + nom + ")";
    return t + ", instruction n° " + NombreFr(int64_t(e.Numero));
}
