#include <cstdio>

#include "cli/Commandes.h"

int CommandeDasm(int, char**) {
    std::fputs("zorv dasm : commande pas encore disponible\n", stderr);
    return 2;
}
