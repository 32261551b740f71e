#!/bin/bash
# zorv run end to end: screen text, registers, printer file, messages, exit
# statuses and refused arguments.
. "$(dirname "$0")/lib/commun.sh"

# 2000: LXI H,1000H ; MVI M,'B' ; INX H ; … ; MVI A,5AH ; HLT
{
    printf '\x21\x00\x10'
    for c in B O N J O U R; do printf '\x36%s\x23' "$c"; done
    printf '\x3e\x5a\x76'
} > "$T/bonjour.bin"
"$ZORV" run --load 2000="$T/bonjour.bin" --pc 2000 --until-halt --screen-text --regs > "$T/sortie" 2> "$T/erreurs"
verifie "statut de --until-halt" $?
head -1 "$T/sortie" | grep -q '^BONJOUR  *$'; verifie "BONJOUR en tête de l'écran" $?
[ "$(head -1 "$T/sortie" | wc -m)" = 81 ]; verifie "ligne de 80 colonnes" $?
[ "$(grep -c '' "$T/sortie")" = 25 ]; verifie "24 lignes puis les registres" $?
tail -1 "$T/sortie" | grep -Eq '^A=5A B=[0-9A-F]{2} C=[0-9A-F]{2} D=[0-9A-F]{2} E=[0-9A-F]{2} H=10 L=07 PSW=[0-9A-F]{2} SP=[0-9A-F]{4} PC=201A$'
verifie "ligne des registres" $?
[ ! -s "$T/erreurs" ]; verifie "rien sur stderr" $?

# 128-column mode and a machine character: MVI A,80H ; OUT 82H ; MVI A,10H ; STA 1000H+100 ; HLT
printf '\x3e\x80\xd3\x82\x3e\x10\x32\x64\x10\x76' > "$T/c128.bin"
"$ZORV" run --load 2000="$T/c128.bin" --pc 2000 --until-halt --screen-text > "$T/sortie"
[ "$(head -1 "$T/sortie" | wc -m)" = 129 ]; verifie "ligne de 128 colonnes" $?
head -1 "$T/sortie" | grep -q '^ \{100\}à \{27\}$'; verifie "code 10H affiché à en colonne 100" $?

# Printer: OUT CFH 0 ; MVI A,'Z' ; OUT AFH ; MVI A,2 ; OUT CFH ; OUT CFH ; HLT
printf '\xaf\xd3\xcf\x3e\x5a\xd3\xaf\x3e\x02\xd3\xcf\xd3\xcf\x76' > "$T/impr.bin"
"$ZORV" run --load 2000="$T/impr.bin" --pc 2000 --until-halt --printer-raw "$T/imprimante.txt"
verifie "statut avec --printer-raw" $?
[ "$(cat "$T/imprimante.txt")" = Z ]; verifie "un seul Z imprimé" $?

# A box of the machine goes to stderr and the run goes on: bad instruction set, ROM write.
printf '\x3e\x10\xd3\x7f\x32\x34\x02\x3e\x01\x76' > "$T/msg.bin"
"$ZORV" run --load 2000="$T/msg.bin" --pc 2000 --until-halt --regs > "$T/sortie" 2> "$T/erreurs"
verifie "statut après les messages" $?
[ "$(sed -n 1p "$T/erreurs")" = "Mauvaise valeur de jeu d'instructions : 10H" ]; verifie "message du jeu d'instructions" $?
[ "$(sed -n 2p "$T/erreurs")" = "Ecriture en ROM boot PC=2004, Adresse=0234, Donnée=10" ]; verifie "message d'écriture en ROM" $?
grep -q '^A=01 ' "$T/sortie"; verifie "la suite du programme a tourné" $?
"$ZORV" run --load 2000="$T/msg.bin" --pc 2000 --until-halt --screen-text > "$T/sortie" 2> "$T/erreurs"
! grep -q 'Ecriture en ROM' "$T/sortie" && grep -q '^Ecriture en ROM boot' "$T/erreurs"
verifie "l'écriture en ROM hors du texte de l'écran" $?

# An endless loop: the instruction limit ends it; status 3 only when a stop condition was asked.
printf '\xc3\x00\x20' > "$T/boucle.bin"
"$ZORV" run --load 2000="$T/boucle.bin" --pc 2000 --max-instructions 1000 --until-halt
[ $? = 3 ]; verifie "statut 3 à la limite d'instructions" $?
"$ZORV" run --load 2000="$T/boucle.bin" --pc 2000 --max-instructions 1000 --stats 2> "$T/erreurs"
verifie "statut 0 sans condition d'arrêt" $?
grep -q '^instructions : 1 000$' "$T/erreurs"; verifie "statistiques" $?
grep -q '^états T : 10 000$' "$T/erreurs"; verifie "états T (JMP : 10)" $?
# At 1000 kHz the thousand JMPs take 10 ms of machine time.
"$ZORV" run --load 2000="$T/boucle.bin" --pc 2000 --max-instructions 1000 --horloge 1000 --stats 2> "$T/erreurs"
grep -q '^temps virtuel : 0.010000 s$' "$T/erreurs"; verifie "temps virtuel à 1000 kHz" $?
"$ZORV" run --vitesse lente 2> /dev/null
[ $? = 2 ]; verifie "--vitesse inconnue refusée" $?
"$ZORV" run --horloge 0 2> /dev/null
[ $? = 2 ]; verifie "--horloge 0 refusée" $?
"$ZORV" run --load 2000="$T/boucle.bin" --pc 2000 --until-pc 2000 --max-instructions 5 --stats 2> "$T/erreurs"
verifie "arrêt sur --until-pc" $?
grep -q '^instructions : 1$' "$T/erreurs"; verifie "--until-pc à l'adresse de départ fait un tour" $?

# Screen picture with a character generator of our own.
head -c 2048 /dev/zero | tr '\0' '\377' > "$T/gencar.bin"
"$ZORV" run --load 2000="$T/bonjour.bin" --pc 2000 --until-halt --chargen "$T/gencar.bin" --screen-png "$T/ecran.png"
verifie "statut de --screen-png" $?
[ "$(head -c 20 "$T/ecran.png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a0000000d4948445200000400 ]
verifie "en-tête PNG 1024 de large" $?
"$ZORV" run --pc 2000 --max-instructions 10 --screen-png "$T/absent/ecran.png" 2> "$T/erreurs"
[ $? = 1 ]; verifie "statut 1 quand la capture ne s'écrit pas" $?
[ "$(grep -c '' "$T/erreurs")" = 1 ]; verifie "une ligne quand la capture ne s'écrit pas" $?

# Typed text through the keyboard translation, longer than the queue:
# 2000: LXI H,1000H ; ATT: IN E2H ; ANI 80H ; JZ ATT ; IN C2H ; CPI 0DH ; JZ FIN ;
#       MOV M,A ; INX H ; OUT E2H ; JMP ATT ; FIN: HLT
printf '\x21\x00\x10\xdb\xe2\xe6\x80\xca\x03\x20\xdb\xc2\xfe\x0d\xca\x18\x20\x77\x23\xd3\xe2\xc3\x03\x20\x76' > "$T/echo.bin"
texte='Un texte bien plus long que les douze touches de la file, café où \\ fin'
"$ZORV" run --load 2000="$T/echo.bin" --pc 2000 --until-halt --max-instructions 10000000 \
    --kbd-mode BASIC --keys "$texte\\r" --screen-text > "$T/sortie"
verifie "statut de la frappe" $?
[ "$(head -1 "$T/sortie" | sed 's/ *$//')" = "${texte/\\\\/\\}" ]; verifie "texte tapé en entier" $?
"$ZORV" run --load 2000="$T/echo.bin" --pc 2000 --until-halt --max-instructions 1000000 \
    --kbd-mode TTX --keys '\xeaa\r' --screen-text > "$T/sortie"
head -1 "$T/sortie" | grep -q '^VEa '; verifie "ê en deux entrées en mode TTX" $?

# Refused arguments: one line on stderr, status 2.
head -c 4097 /dev/zero > "$T/gros.rom"
for args in "--model T9-32" "--pc" "--pc 12345" "--selmem 2" "--bogus" "--load 2000" \
            "--load FFFF=$T/bonjour.bin" "--rom $T/absent.rom" "--rom $T/gros.rom" "--chargen $T/gros.rom" "--prom $T/gros.rom" \
            "--keys \\q" "--max-instructions 0" "--kbd-mode X"; do
    # shellcheck disable=SC2086
    "$ZORV" run $args > /dev/null 2> "$T/erreurs"
    [ $? = 2 ]; verifie "statut 2 pour $args" $?
    [ "$(grep -c '' "$T/erreurs")" = 1 ]; verifie "une ligne pour $args" $?
done
"$ZORV" run --rom "$T/gros.rom" 2> "$T/erreurs"
[ "$(cat "$T/erreurs")" = "Le fichier $T/gros.rom est trop volumineux" ]; verifie "texte du fichier trop volumineux" $?
"$ZORV" run --help | grep -q -- '--bdos'; verifie "aide" $?

exit $echec
