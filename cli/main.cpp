// zorv: the Zorvex machine without a window.
#include <cstdio>
#include <cstring>

#include "cli/Commandes.h"
#include "cli/Options.h"

namespace {

void Usage(FILE* f) {
    std::fputs("usage : zorv <commande> [options]\n"
               "  asm   assemble un source 8085 en image binaire\n"
               "  dasm  désassemble une image binaire\n"
               "  run   fait tourner la machine sans fenêtre\n"
               "  debug fait tourner la machine sous les commandes du débogueur\n"
               "  disk  crée, formate, liste, vérifie, exporte et importe des images disquette\n"
               "  state ce que contient un état enregistré\n"
               "  test  rejoue les sessions enregistrées d'un dossier et vérifie leurs résultats\n"
               "zorv <commande> --help donne les options de chaque commande ;\n"
               "zorv --version donne la version du programme.\n",
               f);
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        Usage(stderr);
        return 2;
    }
    const char* cmd = argv[1];
    if (!std::strcmp(cmd, "--help") || !std::strcmp(cmd, "-h")) {
        Usage(stdout);
        return 0;
    }
    if (!std::strcmp(cmd, "--version")) {
        std::printf("zorv %s\n", VersionZorv);
        return 0;
    }
    if (!std::strcmp(cmd, "asm")) return CommandeAsm(argc - 1, argv + 1);
    if (!std::strcmp(cmd, "dasm")) return CommandeDasm(argc - 1, argv + 1);
    if (!std::strcmp(cmd, "run")) return CommandeRun(argc - 1, argv + 1);
    if (!std::strcmp(cmd, "state")) return CommandeState(argc - 1, argv + 1);
    if (!std::strcmp(cmd, "test")) return CommandeTest(argc - 1, argv + 1);
    if (!std::strcmp(cmd, "debug")) return CommandeDebug(argc - 1, argv + 1);
    if (!std::strcmp(cmd, "disk")) return CommandeDisk(argc - 1, argv + 1);
    std::fprintf(stderr, "zorv : commande inconnue « %s »\n", cmd);
    return 2;
}
