// zorv debug: the machine without a window, driven by the debugger's console
// commands from a script, from -e or from standard input.
#include <unistd.h>

#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "cli/Commandes.h"
#include "cli/OptionsRun.h"
#include "cli/PrepareMachine.h"
#include "config/Poste.h"
#include "core/Fichiers.h"
#include "debugger/Console.h"

namespace {

constexpr int SortieOk = 0, SortieCommande = 1, SortieArguments = 2;

const char* const AideDebug =
    "usage : zorv debug [options de zorv run] [--script FICHIER | -e COMMANDE …]\n"
    "Fait tourner la machine sans fenêtre sous le débogueur, arrêtée sur la première\n"
    "instruction (0000H ou --pc), et exécute les commandes de la console : celles du\n"
    "script, celles des -e (dans l'ordre), sinon celles de l'entrée standard.\n"
    "Options de zorv run reprises : --model --rom --chargen --prom --load --pc --selmem\n"
    "  --kbd-mode --ns-per-instruction --printer --disk --text-colour --planes --scheme.\n"
    "La commande aide donne la liste des commandes.\n"
    "Code de sortie : 0, 1 commande inconnue, incorrecte ou refusée, 2 arguments incorrects.\n";

void UneLigne(const std::string& texte) {
    std::string t = texte;
    for (char& c : t)
        if (c == '\n' || c == '\r') c = ' ';
    std::fprintf(stderr, "%s\n", t.c_str());
}

struct TOptionsDebug {
    std::string Script;
    std::vector<std::string> Commandes;
    bool Aide = false;
};

// --script and -e are the console's; everything else is handed to the
// options of zorv run. Empty text when accepted.
std::string AnalyseOptionsDebug(int argc, char** argv, TOptionsDebug& d, TOptionsRun& o) {
    std::vector<char*> reste{argv[0]};
    for (int i = 1; i < argc; ++i) {
        const std::string opt = argv[i];
        if (opt == "--script" || opt == "-e") {
            if (i + 1 >= argc) return "l'option " + opt + " attend une valeur";
            if (opt == "--script") {
                if (!d.Script.empty()) return "une seule option --script";
                d.Script = argv[++i];
            } else {
                d.Commandes.push_back(argv[++i]);
            }
        } else {
            reste.push_back(argv[i]);
        }
    }
    if (!d.Script.empty() && !d.Commandes.empty()) return "--script et -e ne se combinent pas";
    const std::string err = AnalyseOptionsRun(int(reste.size()), reste.data(), o);
    if (!err.empty()) return err;
    d.Aide = o.Aide;
    if (o.JusquAHalte || o.JusquAPC || o.MaxInstructions || o.Touches || o.TexteEcran || o.Registres ||
        o.Stats || !o.EcranPng.empty() || o.Bdos)
        return "les options d'arrêt, de frappe, d'affichage final et --bdos ne servent qu'à zorv run";
    return {};
}

// The lines of the script, of -e, or of standard input (with a prompt on a
// terminal). Stops at the first failing command unless it is interactive.
int Dialogue(TConsoleDebogueur& console, const TOptionsDebug& d) {
    std::vector<std::string> lignes = d.Commandes;
    if (!d.Script.empty()) {
        std::string texte;
        if (LitFichierTexte(d.Script, texte) != TLectureFichier::Ok) {
            UneLigne("zorv debug : le script " + d.Script + " est absent ou illisible");
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
    const bool entree = d.Script.empty() && d.Commandes.empty();
    const bool interactif = entree && isatty(STDIN_FILENO);
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
        } else {
            if (i >= lignes.size()) break;
            ligne = lignes[i++];
        }
        std::vector<std::string> sortie;
        const bool ok = console.Execute(ligne, sortie);
        for (size_t k = 0; k < sortie.size(); ++k) {
            const bool message = !ok && k + 1 == sortie.size();
            std::fprintf(message ? stderr : stdout, "%s\n", sortie[k].c_str());
        }
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
    const std::string err = AnalyseOptionsDebug(argc, argv, d, o);
    if (!err.empty()) {
        UneLigne("zorv debug : " + err);
        return SortieArguments;
    }
    if (d.Aide) {
        std::fputs(AideDebug, stdout);
        return SortieOk;
    }
    TPosteVirtuel poste;
    THoteVirtuel& hote = poste.HoteVirtuel;
    hote.NsParInstruction = o.NsParInstruction;
    hote.Origine = HeureDeDepart();
    hote.ConserveBoites = false;
    hote.SurMessage = UneLigne;
    const std::string e = PrepareMachine(poste.Machine(), o);
    if (!e.empty()) {
        UneLigne(e);
        return SortieArguments;
    }
    std::unique_ptr<FILE, int (*)(FILE*)> imprimante(nullptr, std::fclose);
    if (!o.Imprimante.empty()) {
        imprimante.reset(std::fopen(o.Imprimante.c_str(), "wb"));
        if (!imprimante) {
            UneLigne("Impossible de créer le fichier " + o.Imprimante);
            return SortieArguments;
        }
        poste.Imprimante.Fichier = imprimante.get();
    }
    TConsoleDebogueur console(poste);
    return Dialogue(console, d);
}
