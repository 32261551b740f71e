// The console commands that go back in the machine's time (config/Retour.h):
// back N instructions, back over a call, back to the previous stop.
#include "config/Poste.h"
#include "config/Retour.h"
#include "core/Nombres.h"
#include "core/Texte.h"
#include "debugger/Console.h"
#include "debugger/Debogueur.h"

namespace {

constexpr const char* CauseDebutHistorique = "début de l'historique";

} // namespace

TRetour* TConsoleDebogueur::RetourPret(const char* commande) {
    TRetour* r = FPoste.Retour();
    if (!r) Erreur(std::string(commande) + " : l'historique est éteint (réglage Historique à 0, ou une session en cours)");
    return r;
}

bool TConsoleDebogueur::Recule(TRetour& r, uint64_t instant, const char* commande) {
    std::vector<std::string> avis;
    std::string erreur;
    if (!r.VaA(instant, avis, erreur)) return Erreur(std::string(commande) + " : " + erreur);
    for (const std::string& a : avis) Ecrit(std::string(commande) + " : " + a);
    return true;
}

bool TConsoleDebogueur::CmdRecule(const TArgumentsConsole& a) {
    uint64_t n = 1;
    if (!LitBudget(a, n)) return Malforme();
    TRetour* r = RetourPret("recule");
    if (!r) return false;
    const uint64_t present = M.NbInstructions;
    const bool debut = present - r->Debut() <= n;
    const uint64_t cible = debut ? r->Debut() : present - n;
    if (!Recule(*r, cible, "recule")) return false;
    if (debut && cible + n != present) Ecrit(TexteRapportArret(CauseDebutHistorique, M.RegPC));
    else Ecrit(TexteRapportArret({TCauseArret::Budget, M.RegPC, present - cible}));
    D.Arret({TCauseArret::Budget, M.RegPC, 0}); // the windows as after a stop
    return true;
}

bool TConsoleDebogueur::CmdReculePasse(const TArgumentsConsole& a) {
    if (!a.empty()) return Malforme();
    TRetour* r = RetourPret("recule-passe");
    if (!r) return false;
    if (M.NbInstructions <= r->Debut()) {
        Ecrit(TexteRapportArret(CauseDebutHistorique, M.RegPC));
        return true;
    }
    const uint64_t present = M.NbInstructions;
    if (!r->AvantAppel()) return Erreur("recule-passe : l'instruction précédente n'a pas pu être atteinte");
    const TRapportArret rapport{TCauseArret::ArretTemporaire, M.RegPC, present - M.NbInstructions};
    Ecrit(TexteRapportArret(rapport));
    D.Arret(rapport);
    return true;
}

bool TConsoleDebogueur::CmdReculeJusqua(const TArgumentsConsole& a) {
    if (!a.empty()) return Malforme();
    TRetour* r = RetourPret("recule-jusqua");
    if (!r) return false;
    if (const auto arret = r->DernierArret()) {
        Ecrit(TexteRapport(arret->second));
        D.Arret(arret->second);
        return true;
    }
    if (!Recule(*r, r->Debut(), "recule-jusqua")) return false;
    Ecrit(TexteRapportArret(CauseDebutHistorique, M.RegPC));
    D.Arret({TCauseArret::Budget, M.RegPC, 0});
    return true;
}

bool TConsoleDebogueur::CmdHistoire(const TArgumentsConsole& a) {
    if (!a.empty()) return Malforme();
    TRetour* r = RetourPret("retour");
    if (!r) return false;
    Ecrit("retour : instructions " + NombreFr(int64_t(r->Debut())) + " à " + NombreFr(int64_t(r->Fin())) + ", " +
          NombreFr(double(r->DureeUs()) / 1e6, 1) + " s de la machine, " + NombreFr(int64_t(r->NbInstantanes())) +
          " instantanés, " + NombreFr(int64_t(r->Octets() >> 10)) + " Ko sur " +
          NombreFr(int64_t(r->Capacite() >> 20)) + " Mo");
    return true;
}
