#include "debugger/HistoriqueConsole.h"

#include "core/Texte.h"
#include "debugger/Console.h"

void THistoriqueConsole::Ajoute(const std::string& ligne) {
    if (!SansBlancs(ligne).empty() && (FLignes.empty() || FLignes.back() != ligne)) {
        FLignes.push_back(ligne);
        if (FLignes.size() > Capacite) FLignes.erase(FLignes.begin());
    }
    FPos = FLignes.size();
    FBrouillon.clear();
}

std::optional<std::string> THistoriqueConsole::Precedente(const std::string& enCours) {
    if (FPos == 0) return std::nullopt;
    if (FPos == FLignes.size()) FBrouillon = enCours;
    return FLignes[--FPos];
}

std::optional<std::string> THistoriqueConsole::Suivante() {
    if (FPos >= FLignes.size()) return std::nullopt;
    ++FPos;
    return FPos == FLignes.size() ? FBrouillon : FLignes[FPos];
}

namespace {

bool CommencePar(const std::string& nom, const std::string& debut) {
    return nom.size() >= debut.size() && EgalSansCasse(nom.substr(0, debut.size()), debut);
}

} // namespace

TCompletion CompleteCommande(const std::string& texte) {
    TCompletion c{texte, {}};
    const size_t debut = texte.find_first_not_of(" \t");
    if (debut == std::string::npos || texte.find_first_of(" \t", debut) != std::string::npos) return c;
    const std::string mot = texte.substr(debut);
    for (const TCommandeConsole& cmd : TConsoleDebogueur::Table())
        if (CommencePar(cmd.Nom, mot)) c.Candidats.emplace_back(cmd.Nom);
    if (c.Candidats.empty()) return c;
    std::string commun = c.Candidats[0];
    for (const std::string& n : c.Candidats) {
        size_t i = 0;
        while (i < commun.size() && i < n.size() && commun[i] == n[i]) ++i;
        commun.resize(i);
    }
    const bool seul = c.Candidats.size() == 1;
    c.Texte = texte.substr(0, debut) + (commun.size() >= mot.size() ? commun : mot) + (seul ? " " : "");
    if (seul) c.Candidats.clear();
    return c;
}
