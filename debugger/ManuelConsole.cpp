#include "debugger/ManuelConsole.h"

#include "debugger/Console.h"

std::string CelluleMarkdown(const std::string& texte) {
    std::string t;
    for (char c : texte) {
        if (c == '\\' || c == '|' || c == '*' || c == '_' || c == '<' || c == '`' || c == '[') t += '\\';
        t += c;
    }
    return t;
}

std::string TexteManuelConsole() {
    std::string t =
        "# Commandes de la console\n\n"
        "Ce chapitre est tiré de la table des commandes de la console : la commande `aide` "
        "en donne les mêmes lignes, dans la console de la fenêtre CPU comme dans `zorv debug`.\n\n"
        "Les adresses (ADR, DEBUT, FIN, DEST) et les octets sont en hexadécimal (`2000`, `2000H`, "
        "`0x2000`), les nombres d'instructions en décimal. Les paramètres entre crochets sont "
        "facultatifs ; VUE ou banque choisit la mémoire : `cpu` (la mémoire vue du processeur), "
        "`logiciel` (banque 0) ou `data` (banque 1). Une ligne qui commence par `#` ou `;` est "
        "un commentaire.\n\n"
        "| Commande | Paramètres | Effet |\n"
        "|---|---|---|\n";
    std::string enCourse;
    for (const TCommandeConsole& c : TConsoleDebogueur::Table()) {
        t += std::string("| `") + c.Nom + "` | " + CelluleMarkdown(c.Parametres) + " | " + CelluleMarkdown(c.Aide) + " |\n";
        if (TConsoleDebogueur::PermiseEnCourse(c)) enCourse += std::string(enCourse.empty() ? "" : ", ") + "`" + c.Nom + "`";
    }
    t += "\nPendant que le processeur tourne, la console n'accepte que " + enCourse +
         " ; les autres commandes répondent que le processeur tourne (`pause` l'arrête).\n";
    return t;
}
