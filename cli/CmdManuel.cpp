// zorv manuel: the two chapters of the user manual that the tables give,
// written on standard output. `console`: the console's commands, from the
// debugger's command table; `options`: the help of zorv and of each of its
// subcommands and disk actions, as their option tables print it.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "cli/Commandes.h"
#include "core/Texte.h"
#include "debugger/ManuelConsole.h"

namespace {

// The help of one subcommand, as `zorv MOTS… --help` prints it.
void Aide(int (*fonction)(int, char**), std::vector<std::string> mots) {
    mots.push_back("--help");
    std::vector<char*> argv;
    for (std::string& m : mots) argv.push_back(m.data());
    argv.push_back(nullptr);
    std::fputs("```\n", stdout);
    std::fflush(stdout);
    fonction(int(mots.size()), argv.data());
    std::fputs("```\n\n", stdout);
}

void ChapitreOptions() {
    std::fputs("# Options de zorv\n\n"
               "Ce chapitre est tiré des tables d'options de `zorv` : chaque bloc est ce que "
               "`zorv --help`, `zorv COMMANDE --help` ou `zorv disk ACTION --help` affiche. "
               "Chaque commande accepte aussi `-h` et `--version` ; un argument refusé donne une "
               "ligne d'explication et le code de sortie 2.\n\n"
               "## zorv\n\n```\n",
               stdout);
    UsageZorv(stdout);
    std::fputs("```\n\n", stdout);
    for (const TSousCommande& c : SousCommandes()) {
        const std::string aide = c.Aide;
        std::printf("## zorv %s\n\n%s%s.\n\n", c.Nom, EnMajuscules(aide.substr(0, 1)).c_str(), aide.c_str() + 1);
        Aide(c.Fonction, {c.Nom});
        if (std::strcmp(c.Nom, "disk") != 0) continue;
        for (const std::string& a : ActionsDisque()) {
            std::printf("### zorv disk %s\n\n", a.c_str());
            Aide(c.Fonction, {c.Nom, a});
        }
    }
}

} // namespace

int CommandeManuel(int argc, char** argv) {
    const std::string quoi = argc == 2 ? argv[1] : "";
    if (quoi == "console") {
        std::fputs(TexteManuelConsole().c_str(), stdout);
        return 0;
    }
    if (quoi == "options") {
        ChapitreOptions();
        return 0;
    }
    std::fputs("usage : zorv manuel console|options\n", stderr);
    return 2;
}
