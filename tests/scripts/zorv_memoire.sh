#!/bin/bash
# zorv debug's memory commands end to end: the dump, a write, the fill, the
# copy and its refusal, the search, and the exit statuses.
. "$(dirname "$0")/lib/commun.sh"

"$ZORV" debug -e "ecris 2000 42 4F 4E 10 C3" -e "mem 2000 2004" -e "remplit 3000 30FF 55" \
    -e "copie 3000 30FF FE00 logiciel logiciel" -e "mem FEFF FF00 logiciel" -e 'cherche 0 FFFF "BONà"' \
    > "$T/sortie" 2> "$T/erreurs"
verifie "statut des commandes" $?
[ ! -s "$T/erreurs" ]; verifie "rien sur stderr" $?
[ "$(sed -n 1p "$T/sortie")" = "ecris : 5 octets écrits en 2000H (cpu)" ]; verifie "écriture" $?
[ "$(sed -n 2p "$T/sortie")" = "2000  42 4F 4E 10 C3           BONà." ]; verifie "ligne du dump" $?
[ "$(sed -n 3p "$T/sortie")" = "256 octets remplis" ]; verifie "remplissage" $?
[ "$(sed -n 4p "$T/sortie")" = "256 octets copiés" ]; verifie "copie" $?
[ "$(sed -n 5p "$T/sortie")" = "FEFF  55 00                    U┌" ]; verifie "fin de la copie" $?
[ "$(sed -n 6p "$T/sortie")" = "2000H" ]; verifie "recherche d'un texte" $?

"$ZORV" debug -e "copie 3000 30FF FF80" -e "etat" > "$T/sortie" 2> "$T/erreurs"
[ $? = 1 ]; verifie "copie refusée : statut 1" $?
[ "$(cat "$T/erreurs")" = "Débordement de la zone de destination" ]; verifie "message du débordement" $?
[ ! -s "$T/sortie" ]; verifie "le script s'arrête au refus" $?
exit $echec
