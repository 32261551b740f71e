// The console's whole-state commands: the machine saved to a state file and
// taken back from one, as "Enregistrer l'état…" and "Charger l'état…" do in
// the window.
#include "config/EtatPoste.h"
#include "config/Poste.h"
#include "core/Texte.h"
#include "debugger/Console.h"
#include "debugger/Debogueur.h"
#include "devices/Ecran.h"

bool TConsoleDebogueur::CmdSauveEtat(const TArgumentsConsole& a) {
    if (a.size() != 1) return Malforme();
    DessineEcran(M); // the thumbnail shows the screen as it is now
    if (PresDeLaFenetre() && FHorloge) TInspection(M).SynchroniseHorloge(*FHorloge);
    std::string erreur;
    if (!SauveEtat(FPoste, FHorloge, a[0], erreur)) return Erreur("sauve-etat : " + erreur);
    Ecrit("sauve-etat : état enregistré dans " + a[0] + " (" + NombreFr(int64_t(M.NbInstructions)) +
          " instructions)");
    return true;
}

bool TConsoleDebogueur::CmdChargeEtat(const TArgumentsConsole& a) {
    if (a.size() != 1) return Malforme();
    // No one to ask at a console prompt: an image changed since the save is
    // a refusal, and the machine stays as it was.
    TChargementEtat c;
    c.SurImageChangee = [](const std::string&) { return TChoixDisque::Refuser; };
    if (PresDeLaFenetre() && FHorloge) TInspection(M).SynchroniseHorloge(*FHorloge);
    const bool ok = ChargeEtat(FPoste, FHorloge, a[0], c);
    for (const std::string& m : c.Messages) Ecrit("charge-etat : " + m);
    if (!ok) return Erreur("charge-etat : " + c.Erreur);
    // The console runs the machine only on its commands.
    if (M.EtatCPU == CPURun) M.ChangeEtatCPU(CPUStop);
    M.SignaleEtatDuCPU(M.EtatCPU);
    Pompe();
    D.MajFenetres();
    Ecrit(Format("charge-etat : état repris, PC=%.4XH, ", unsigned(M.RegPC)) + NombreFr(int64_t(M.NbInstructions)) +
          " instructions");
    return true;
}
