// zorv debug: the machine without a window, driven by the debugger's console
// commands from a script, from -e or from standard input.
#include <unistd.h>

#include <csignal>
#include <functional>
#include <memory>
#include <cstdio>
#include <iostream>
#include <optional>
#include <string>
#include <vector>

#include "cli/Commandes.h"
#include "cli/ImprimanteRun.h"
#include "cli/Options.h"
#include "cli/OptionsRun.h"
#include "cli/PrepareMachine.h"
#include "config/EnregistreurSession.h"
#include "config/Poste.h"
#include "config/RelectureSession.h"
#include "core/Fichiers.h"
#include "debugger/Console.h"

namespace {

constexpr int SortieOk = 0, SortieCommande = 1;

const char* const FinDebug =
    "La machine commence arrêtée sur la première instruction (0000H ou --pc) ; les\n"
    "commandes de la console sont celles du script, celles des -e (dans l'ordre),\n"
    "sinon celles de l'entrée standard. La commande aide donne leur liste.\n"
    "Les options d'arrêt, de frappe, d'affichage final et --bdos ne servent qu'à zorv run.\n"
    "Avec --replay, la machine part du début de la session : lance, pas et les autres\n"
    "commandes la rejouent, les points d'arrêt l'arrêtent ; sa fin ou une désynchronisation\n"
    "est dite après la commande qui l'atteint.\n"
    "Code de sortie : 0, 1 commande inconnue, incorrecte ou refusée, 2 arguments incorrects,\n"
    "6 relecture désynchronisée.\n";

void UneLigne(const std::string& texte) { AfficheUneLigne(texte); }

// Ctrl+C of a session on standard input: the console stops the run or the
// stepping in progress; at the prompt it is dropped (the read goes on).
volatile std::sig_atomic_t DemandeInterruption = 0;

void SurInterruption(int) { DemandeInterruption = 1; }

class TCaptureCtrlC {
public:
    TCaptureCtrlC() {
        struct sigaction a {};
        a.sa_handler = SurInterruption;
        sigemptyset(&a.sa_mask);
        a.sa_flags = SA_RESTART;
        sigaction(SIGINT, &a, &FAvant);
    }
    ~TCaptureCtrlC() { sigaction(SIGINT, &FAvant, nullptr); }
    TCaptureCtrlC(const TCaptureCtrlC&) = delete;
    TCaptureCtrlC& operator=(const TCaptureCtrlC&) = delete;

private:
    struct sigaction FAvant {};
};

// One output line whole, a NUL in it included.
void EcritLigne(const std::string& ligne, FILE* f) {
    std::fwrite(ligne.data(), 1, ligne.size(), f);
    std::fputc('\n', f);
}

struct TOptionsDebug {
    std::optional<std::string> Script;
    std::vector<std::string> Commandes;
};

// The options of zorv run, with --script and -e of the console. -1 when the
// session goes on, else the exit status.
int AnalyseOptionsDebug(int argc, char** argv, TOptionsDebug& d, TOptionsRun& o) {
    TOptions t = TableOptionsRun(o, "debug", "usage : zorv debug [options de zorv run] [--script FICHIER | -e COMMANDE …]\n",
                                 "Fait tourner la machine sans fenêtre sous le débogueur.\n");
    t.Option({"--script"}, "FICHIER", "commandes de la console, une par ligne", Chemin(d.Script))
        .Option({"-e"}, "COMMANDE", "une commande de la console (répétable)", [&d](const std::string& v) {
            d.Commandes.push_back(v);
            return std::string();
        });
    t.Fin(std::string(ConventionNombres) + FinDebug);
    const int statut = t.Analyse(argc, argv);
    if (statut >= 0) return statut;
    if (d.Script && !d.Commandes.empty()) return t.Refus("--script et -e ne se combinent pas");
    if (o.JusquAHalte || o.JusquAPC || o.MaxInstructions || o.Touches || o.TexteEcran || o.Registres ||
        o.Stats || !o.EcranPng.empty() || o.Bdos)
        return t.Refus("les options d'arrêt, de frappe, d'affichage final et --bdos ne servent qu'à zorv run");
    if (!o.AttenteEcran.empty() || !o.AttenteTexte.empty() || !o.AttenteImprimante.empty() || !o.AttentesDisques.empty())
        return t.Refus("les options --expect-… ne servent qu'à zorv run --replay");
    if (!o.Trace.empty()) return t.Refus("--trace ne sert qu'à zorv run ; la console a la commande trace");
    return RefusSession(t, o);
}

// The lines of the script, of -e, or of standard input (with a prompt on a
// terminal). Stops at the first failing command unless it is interactive.
int Dialogue(TConsoleDebogueur& console, const TOptionsDebug& d, const std::function<void()>& apres) {
    std::vector<std::string> lignes = d.Commandes;
    if (d.Script) {
        std::string texte;
        const TLectureFichier r = LitFichierTexte(*d.Script, texte, 16u << 20);
        if (r != TLectureFichier::Ok) {
            UneLigne("zorv debug : --script : " + MessageLecture(r, *d.Script));
            return SortieArguments;
        }
        size_t debut = 0;
        while (debut < texte.size()) {
            size_t fin = texte.find('\n', debut);
            if (fin == std::string::npos) fin = texte.size();
            std::string l = texte.substr(debut, fin - debut);
            if (!l.empty() && l.back() == '\r') l.pop_back();
            lignes.push_back(l);
            debut = fin + 1;
        }
    }
    const bool entree = !d.Script && d.Commandes.empty();
    const bool interactif = entree && isatty(STDIN_FILENO);
    std::optional<TCaptureCtrlC> ctrlC;
    if (entree) {
        ctrlC.emplace();
        console.SuitInterruption(&DemandeInterruption);
    }
    int statut = SortieOk;
    size_t i = 0;
    for (;;) {
        std::string ligne;
        if (entree) {
            if (interactif) {
                std::fputs("debug> ", stdout);
                std::fflush(stdout);
            }
            if (!std::getline(std::cin, ligne)) break;
            DemandeInterruption = 0; // a Ctrl+C at the prompt
        } else {
            if (i >= lignes.size()) break;
            ligne = lignes[i++];
        }
        std::vector<std::string> sortie;
        const bool ok = console.Execute(ligne, sortie);
        for (size_t k = 0; k < sortie.size(); ++k) {
            const bool message = !ok && k + 1 == sortie.size();
            EcritLigne(sortie[k], message ? stderr : stdout);
        }
        if (apres) apres();
        std::fflush(stdout);
        if (!ok) {
            statut = SortieCommande;
            if (!interactif) break;
        }
    }
    return statut;
}

} // namespace

int CommandeDebug(int argc, char** argv) {
    TOptionsDebug d;
    TOptionsRun o;
    if (const int statut = AnalyseOptionsDebug(argc, argv, d, o); statut >= 0) return statut;
    TPosteVirtuel poste(GraineDesOptions(o));
    TImprimanteRun imprimante;
    if (const std::string e = PreparePoste(poste, o, imprimante, UneLigne); !e.empty()) {
        UneLigne(e);
        return SortieArguments;
    }
    if (!ChargeEtatDesOptions(poste, o, UneLigne)) return 1;
    THoteVirtuel& hote = poste.HoteVirtuel;
    std::optional<TEnregistreurSession> enregistreur;
    if (!o.SessionSortie.empty()) enregistreur.emplace(poste, hote);
    // A replay: the console's runs go on replaying; its end or a
    // desynchronisation is said once, after the command that reached it.
    TDossierTemporaire dossier("zorv-session");
    std::unique_ptr<TRelectureSession> relecture;
    std::function<void()> apres;
    if (!o.SessionEntree.empty()) {
        TSession session;
        std::string erreur;
        if (!LitSession(o.SessionEntree, session, erreur) ||
            !(relecture = TRelectureSession::Commence(poste, hote, std::move(session), dossier.Chemin, erreur))) {
            UneLigne(erreur);
            return 1;
        }
        hote.Cadence.ChoisitHorloge(hote.HorlogeKHz);
        apres = [&relecture, dit = false]() mutable {
            if (dit || relecture->EnCours() || relecture->Etat() == TEtatRelecture::Abandonnee) return;
            dit = true;
            EcritLigne(relecture->Message(), stdout);
        };
    }
    if (!enregistreur && !relecture) poste.ActiveRetour(hote, uint64_t(poste.Parametres.HistoriqueMo) << 20);
    TConsoleDebogueur console(poste);
    int statut = Dialogue(console, d, apres);
    if (relecture && relecture->Etat() == TEtatRelecture::Desynchronisee && statut == 0) statut = 6;
    relecture.reset();
    if (enregistreur) {
        std::string erreur;
        if (!EcritSession(enregistreur->Termine(), o.SessionSortie, erreur)) {
            UneLigne(erreur);
            if (statut == 0) statut = 1;
        }
    }
    if (!SauveEtatDesOptions(poste, o, UneLigne) && statut == 0) statut = 1;
    // The session ends: the open print job with it.
    if (std::string erreur; !imprimante.Termine(erreur)) {
        if (!erreur.empty()) UneLigne(erreur);
        if (statut == 0) statut = 1;
    }
    return statut;
}
