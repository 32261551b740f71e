#include "cli/Commandes.h"

const std::vector<TSousCommande>& SousCommandes() {
    static const std::vector<TSousCommande> table = {
        {"asm", "assemble un source 8085 en image binaire", CommandeAsm},
        {"dasm", "désassemble une image binaire", CommandeDasm},
        {"run", "fait tourner la machine sans fenêtre", CommandeRun},
        {"debug", "fait tourner la machine sous les commandes du débogueur", CommandeDebug},
        {"disk", "crée, formate, liste, vérifie, exporte et importe des images disquette", CommandeDisk},
        {"state", "ce que contient un état enregistré", CommandeState},
        {"test", "rejoue les sessions enregistrées d'un dossier et vérifie leurs résultats", CommandeTest},
    };
    return table;
}

void UsageZorv(FILE* f) {
    std::fputs("usage : zorv <commande> [options]\n", f);
    for (const TSousCommande& c : SousCommandes()) std::fprintf(f, "  %-5s %s\n", c.Nom, c.Aide);
    std::fputs("zorv <commande> --help donne les options de chaque commande ;\n"
               "zorv --version donne la version du programme.\n",
               f);
}
