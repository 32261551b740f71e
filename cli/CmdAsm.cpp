#include <cstdio>

#include "cli/Commandes.h"

int CommandeAsm(int, char**) {
    std::fputs("zorv asm : commande pas encore disponible\n", stderr);
    return 2;
}
