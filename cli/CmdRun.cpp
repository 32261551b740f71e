#include <cstdio>

#include "cli/Commandes.h"

int CommandeRun(int, char**) {
    std::fputs("zorv run : commande pas encore disponible\n", stderr);
    return 2;
}
