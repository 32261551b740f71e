// Subcommands of the zorv command-line tool. Each returns the exit status:
// 0 success, 2 bad arguments (one line on stderr), other values as documented.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

int CommandeAsm(int argc, char** argv);  // zorv asm
int CommandeDasm(int argc, char** argv); // zorv dasm
int CommandeRun(int argc, char** argv);  // zorv run
int CommandeDebug(int argc, char** argv); // zorv debug
int CommandeDisk(int argc, char** argv); // zorv disk
int CommandeState(int argc, char** argv); // zorv state
int CommandeTest(int argc, char** argv);  // zorv test
// zorv manuel console|options: the chapters of the user manual made from
// the tables (not in the usage: it serves the build).
int CommandeManuel(int argc, char** argv);

// The subcommands as zorv's usage lists them, in its order.
struct TSousCommande {
    const char* Nom;
    const char* Aide;
    int (*Fonction)(int argc, char** argv);
};
const std::vector<TSousCommande>& SousCommandes();
void UsageZorv(FILE* f);
// The actions of zorv disk, in the order of its help.
const std::vector<std::string>& ActionsDisque();
