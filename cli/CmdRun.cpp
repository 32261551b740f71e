// zorv run: the machine without a window, on the virtual clock.
#include <chrono>
#include <clocale>
#include <ctime>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>

#include "cli/Commandes.h"
#include "cli/ConsoleBdos.h"
#include "cli/ImprimanteRun.h"
#include "cli/Options.h"
#include "cli/OptionsRun.h"
#include "cli/PrepareMachine.h"
#include "cli/SessionRun.h"
#include "config/EnregistreurSession.h"
#include "cli/TraceRun.h"
#include "config/ChargeRoms.h"
#include "config/Modeles.h"
#include "config/Parametres.h"
#include "config/Poste.h"
#include "core/Fichiers.h"
#include "core/Texte.h"
#include "devices/Ecran.h"
#include "devices/FrappeTexte.h"
#include "devices/JeuCaracteres.h"
#include "devices/Png.h"
#include "disks/Lecteurs.h"
#include "disks/OptionDisque.h"

namespace {

constexpr int SortieOk = 0, SortieCapture = 1, SortieMaxInstructions = 3, SortieHalte = 4;

void UneLigne(const std::string& texte) { AfficheUneLigne(texte); }

// The run itself, in the machine's own run loop; the keys are its key
// source. Returns the exit status.
int Fait(TMachine& m, const TOptionsRun& o) {
    const bool condition = o.JusquAHalte || o.JusquAPC || o.Bdos;
    uint64_t reste = o.MaxInstructions.value_or(UINT64_MAX);
    // The stop address is armed once the first instruction has run, so that
    // a run starting there goes round at least once.
    bool stopArme = !o.JusquAPC;
    m.CommenceCourse();
    for (;;) {
        uint64_t tranche = reste;
        if (!stopArme && m.NbInstructions > 0) {
            m.TblPtArret[*o.JusquAPC] |= 2;
            stopArme = true;
        }
        if (!stopArme) tranche = 1;
        const uint64_t avant = m.NbInstructions;
        const TRapportArret rapport = m.Execute(tranche);
        reste -= m.NbInstructions - avant;
        switch (rapport.Cause) {
        case TCauseArret::PointArret:
        case TCauseArret::ArretTemporaire:
        case TCauseArret::Pause:
        case TCauseArret::PointSurveillance:
            if (o.Bdos) {
                const TArretBdos a = TraiteArretBdos(m, stdout);
                if (a == TArretBdos::Continue) {
                    m.CommenceCourse(); // the call's breakpoint is left behind
                    continue;
                }
                if (a == TArretBdos::Fin) return SortieOk;
            }
            return SortieOk; // --until-pc reached
        case TCauseArret::Halte:
            return (o.JusquAHalte || !condition) ? SortieOk : SortieHalte;
        case TCauseArret::FinEmul:
        case TCauseArret::DejaEnCours:
            return SortieOk;
        case TCauseArret::Budget:
            if (reste == 0) return condition ? SortieMaxInstructions : SortieOk;
            break;
        }
    }
}

} // namespace

int CommandeRun(int argc, char** argv) {
    TOptionsRun o;
    if (const int statut = AnalyseOptionsRun(argc, argv, o); statut >= 0) return statut;
    if (!o.SessionEntree.empty()) return RejoueRun(o);
    std::vector<TMessageClavier> messages;
    if (o.Touches) {
        const std::string e = DecodeFrappe(*o.Touches, messages);
        if (!e.empty()) {
            UneLigne("zorv run : --keys : " + e);
            return SortieArguments;
        }
    }
    TPosteVirtuel poste(GraineDesOptions(o));
    TImprimanteRun imprimante;
    if (const std::string e = PreparePoste(poste, o, imprimante, UneLigne); !e.empty()) {
        UneLigne(e);
        return SortieArguments;
    }
    if (!ChargeEtatDesOptions(poste, o, UneLigne)) return SortieCapture;
    TMachine* m = &poste.Machine();
    THoteVirtuel& hote = poste.HoteVirtuel;
    // The recording starts before the first key: the keys are in it.
    std::optional<TEnregistreurSession> enregistreur;
    if (!o.SessionSortie.empty()) enregistreur.emplace(poste, hote);
    // Keys wait for the software to announce its keyboard mode (which
    // empties the queue), then go in as it takes them.
    TSourceFrappe frappe(std::move(messages), TContexteClavier{}, !o.TouchesImmediates);
    frappe.Date = [&hote] { return hote.HeureLocale(); };
    frappe.Commence(*m);
    const auto debut = std::chrono::steady_clock::now();
    const std::clock_t debutCpu = std::clock();
    if (!CommenceTraceRun(poste, o, UneLigne)) return SortieArguments;
    int statut = Fait(*m, o);
    if (!TermineTraceRun(poste, o, UneLigne) && statut == SortieOk) statut = SortieCapture;
    m->SourceTouches = nullptr;
    if (enregistreur) {
        std::string erreur;
        if (!EcritSession(enregistreur->Termine(), o.SessionSortie, erreur)) {
            UneLigne(erreur);
            if (statut == SortieOk) statut = SortieCapture;
        }
    }
    const double secondes = std::chrono::duration<double>(std::chrono::steady_clock::now() - debut).count();
    const double secondesCpu = double(std::clock() - debutCpu) / CLOCKS_PER_SEC;
    statut = SortiesDeRun(poste, o, imprimante, statut, UneLigne);
    if (o.Stats) AfficheStats(*m, hote, secondes, secondesCpu);
    return statut;
}
