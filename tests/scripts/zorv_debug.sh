#!/bin/bash
# zorv debug end to end: a script of console commands over an assembled
# program, the outputs of the commands, and the exit statuses.
. "$(dirname "$0")/lib/commun.sh"

cat > "$T/prog.asm" <<'FIN'
        ORG 2000H
DEBUT:  MVI A,3FH
        CALL SOUS
        NOP
        HLT
SOUS:   INR A
        RET
FIN
"$ZORV" asm "$T/prog.asm" -o "$T/prog.bin" || { echo "ÉCHEC : assemblage"; exit 1; }
# The power-on registers are random: without a seed, SP may point into the
# ROM one run in eight and the CALL's return address would be lost there.
# Seed 1 gives SP=CB4FH, in RAM.
GRAINE="--seed 1"
cat > "$T/script" <<'FIN'
# a comment, then the commands
etat
pas
passe
reg
pa 2008
dasm 2005 2008
raz
etat
FIN
"$ZORV" debug $GRAINE --load 2000="$T/prog.bin" --pc 2000 --script "$T/script" > "$T/sortie" 2> "$T/erreurs"
verifie "statut du script" $?
[ ! -s "$T/erreurs" ]; verifie "rien sur stderr" $?
[ "$(sed -n 1p "$T/sortie")" = STOP ]; verifie "arrêté au départ" $?
[ "$(sed -n 2p "$T/sortie")" = "arrêt : nombre d'instructions atteint à 2002H" ]; verifie "rapport du pas" $?
[ "$(sed -n 3p "$T/sortie")" = "arrêt : arrêt temporaire à 2005H" ]; verifie "rapport de passe" $?
sed -n 4p "$T/sortie" | grep -Eq '^A=40 B=[0-9A-F]{2} C=[0-9A-F]{2} D=[0-9A-F]{2} E=[0-9A-F]{2} H=[0-9A-F]{2} L=[0-9A-F]{2} PSW=[0-9A-F]{2} SP=[0-9A-F]{4} PC=2005 S=[01] Z=[01] AC=[01] P=[01] CY=[01]$'
verifie "ligne des registres" $?
[ "$(sed -n 5p "$T/sortie")" = "pa : point d'arrêt en 2008H" ]; verifie "point d'arrêt posé" $?
[ "$(sed -n 6p "$T/sortie")" = "  ►           2005  00        NOP" ]; verifie "ligne du PC" $?
[ "$(sed -n 9p "$T/sortie")" = "■             2008  C9        RET" ]; verifie "ligne du point d'arrêt" $?
[ "$(sed -n 10p "$T/sortie")" = "raz : processeur arrêté en 0000H" ]; verifie "raz" $?
[ "$(grep -c '' "$T/sortie")" = 11 ]; verifie "une ligne par résultat" $?

# The machine's boxes (a write into the boot ROM) go to stderr, never among
# the console's results on stdout.
printf '\x3e\x10\x32\x34\x02\x76' > "$T/rom.bin"
"$ZORV" debug --load 2000="$T/rom.bin" --pc 2000 -e lance -e etat > "$T/sortie" 2> "$T/erreurs"
verifie "statut après l'écriture en ROM" $?
[ "$(cat "$T/erreurs")" = "Ecriture en ROM boot PC=2002, Adresse=0234, Donnée=10" ]; verifie "écriture en ROM sur stderr" $?
[ "$(cat "$T/sortie")" = "arrêt : HLT à 2005H
HLT" ]; verifie "rien que les résultats sur stdout" $?

# -e in order; standard input otherwise.
"$ZORV" debug $GRAINE --load 2000="$T/prog.bin" --pc 2000 -e 'jusqua 2006' -e lance > "$T/sortie"
verifie "statut des -e" $?
[ "$(cat "$T/sortie")" = "arrêt : arrêt temporaire à 2006H
arrêt : HLT à 2006H" ]; verifie "jusqua puis lance" $?
printf 'pa 2007\nlance\netat\n' | "$ZORV" debug $GRAINE --load 2000="$T/prog.bin" --pc 2000 > "$T/sortie"
verifie "statut de l'entrée standard" $?
[ "$(sed -n 2p "$T/sortie")" = "arrêt : point d'arrêt à 2007H" ]; verifie "arrêt sur le point d'arrêt" $?

# An unknown command is named, stops the script and gives status 1.
"$ZORV" debug --pc 2000 -e etat -e 'zut 3' -e etat > "$T/sortie" 2> "$T/erreurs"
[ $? = 1 ]; verifie "statut 1 sur commande inconnue" $?
[ "$(cat "$T/erreurs")" = "commande inconnue « zut » (aide donne la liste)" ]; verifie "message de la commande inconnue" $?
[ "$(cat "$T/sortie")" = STOP ]; verifie "le script s'arrête à l'erreur" $?
"$ZORV" debug -e 'lance 0' 2> "$T/erreurs"
[ $? = 1 ]; verifie "statut 1 sur paramètre incorrect" $?
"$ZORV" debug --until-halt -e etat 2> /dev/null
[ $? = 2 ]; verifie "option de zorv run refusée" $?
"$ZORV" debug --script "$T/absent" 2> /dev/null
[ $? = 2 ]; verifie "script absent" $?

# A refused line is quoted whole, its NUL and control bytes written \xHH.
printf 'zu\001t\000x\033 1\n' | timeout 20 "$ZORV" debug 2> "$T/erreurs"
[ $? = 1 ]; verifie "statut 1 sur commande à octets de contrôle" $?
[ "$(cat "$T/erreurs")" = 'commande inconnue « zu\x01t\x00x\x1B » (aide donne la liste)' ]
verifie "commande citée entière, octets de contrôle visibles" $?

# Ctrl+C on standard input: at the prompt it is dropped; during a run that
# would never end it stops the machine with a report, and the console reads
# the next command. zorv's own pid is written by the shell it replaces.
cat > "$T/boucle.asm" <<'FIN'
        ORG 2000H
BOUCLE: JMP BOUCLE
FIN
"$ZORV" asm "$T/boucle.asm" -o "$T/boucle.bin" || { echo "ÉCHEC : assemblage de la boucle"; exit 1; }
mkfifo "$T/entree"
trap '' PIPE # a session that died fails the checks below, not the script
timeout 60 bash -c 'echo $$ > "$1"; shift; exec "$@"' - "$T/pid" \
    "$ZORV" debug --load 2000="$T/boucle.bin" --pc 2000 < "$T/entree" > "$T/sortie" 2> "$T/erreurs" &
session=$!
exec 3> "$T/entree"
lignes() { # waits for the output to have $1 lines, $2 tenths of a second at most
    for _ in $(seq "${2:-200}"); do
        [ "$(grep -c '' "$T/sortie")" -ge "$1" ] && return 0
        kill -0 $session 2> /dev/null || break
        sleep 0.1
    done
    [ "$(grep -c '' "$T/sortie")" -ge "$1" ]
}
echo etat >&3
lignes 1; verifie "la session répond" $?
zorv=$(cat "$T/pid")
kill -INT "$zorv"
echo pas >&3
lignes 2; verifie "Ctrl+C à l'invite laisse la session ouverte" $?
echo 'lance 18446744073709551615' >&3
# The first Ctrl+C may come before the run starts: it is then dropped.
for _ in $(seq 40); do
    kill -INT "$zorv" 2> /dev/null
    lignes 3 5 && break
done
echo etat >&3
lignes 4; verifie "la session répond après l'interruption" $?
exec 3>&-
wait $session
verifie "statut de la session interrompue" $?
[ "$(cat "$T/sortie")" = "STOP
arrêt : nombre d'instructions atteint à 2000H
arrêt : interruption à 2000H
STOP" ]; verifie "rapport d'interruption puis commande suivante" $?
[ ! -s "$T/erreurs" ]; verifie "rien sur stderr après l'interruption" $?
# Going back: the monitor run 2,000,000 instructions, back 1,000 and forward
# 1,000 again is the same machine; back past the start stops at the start.
"$ZORV" debug --seed 3 -e "lance 2000000" -e "reg" -e "recule 1000" -e "lance 1000" -e "reg" \
    -e "recule 5000000" -e "recule" > "$T/retour" 2> "$T/erreurs"
verifie "statut de recule" $?
[ "$(sed -n 2p "$T/retour")" = "$(sed -n 5p "$T/retour")" ]; verifie "recule puis lance : les mêmes registres" $?
[ "$(sed -n 3p "$T/retour")" != "$(sed -n 1p "$T/retour")" ]; verifie "recule a reculé" $?
[ "$(sed -n 6p "$T/retour")" = "arrêt : début de l'historique à 0000H" ]; verifie "recule au début de l'historique" $?
[ "$(sed -n 7p "$T/retour")" = "arrêt : début de l'historique à 0000H" ]; verifie "recule au début : il y reste" $?
exit $echec
