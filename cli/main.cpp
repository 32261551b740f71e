// zorv: the Zorvex machine without a window.
#include <cstdio>
#include <cstring>

#include "cli/Commandes.h"
#include "cli/Options.h"

int main(int argc, char** argv) {
    if (argc < 2) {
        UsageZorv(stderr);
        return 2;
    }
    const char* cmd = argv[1];
    if (!std::strcmp(cmd, "--help") || !std::strcmp(cmd, "-h")) {
        UsageZorv(stdout);
        return 0;
    }
    if (!std::strcmp(cmd, "--version")) {
        std::printf("zorv %s\n", VersionZorv);
        return 0;
    }
    for (const TSousCommande& c : SousCommandes())
        if (!std::strcmp(cmd, c.Nom)) return c.Fonction(argc - 1, argv + 1);
    if (!std::strcmp(cmd, "manuel")) return CommandeManuel(argc - 1, argv + 1);
    std::fprintf(stderr, "zorv : commande inconnue « %s »\n", cmd);
    return 2;
}
