#!/bin/bash
# Saved states on the command line: a run cut in two through a state file
# ends exactly as the run in one piece; zorv state info describes a state; an
# image changed since the save refuses the load (exit 1) unless
# --state-force; a damaged state is refused and nothing is written.
set -u
PROG="$1"
ZORV="$PROG/zorv"
T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT
echec() { echo "ÉCHEC : $*" >&2; exit 1; }

"$ZORV" disk new "$T/d.img" > /dev/null || echec "disque"
# No H: the clock ports start from each process's own start time.
TOUCHES='P BONJOUR\rA 1234 5678\rL 1 2 3000\r'

"$ZORV" run --seed 3 --disk 1="$T/d.img" --keys "$TOUCHES" --max-instructions 4000000 \
    --state-out "$T/entier.zetat" --screen-text > "$T/entier.txt" || echec "course entière"
"$ZORV" run --seed 3 --disk 1="$T/d.img" --keys "$TOUCHES" --max-instructions 1500000 \
    --state-out "$T/moitie.zetat" > /dev/null || echec "première moitié"
"$ZORV" run --state-in "$T/moitie.zetat" --max-instructions 2500000 \
    --state-out "$T/suite.zetat" --screen-text > "$T/suite.txt" || echec "seconde moitié"
cmp -s "$T/entier.txt" "$T/suite.txt" || echec "l'écran de la suite diffère"
grep -q "5678" "$T/suite.txt" || echec "la commande tapée après la reprise manque"

# The two end states differ only by their date (INFO) and nothing else.
"$ZORV" state info "$T/entier.zetat" | grep -v -e "^date" > "$T/info1"
"$ZORV" state info "$T/suite.zetat" | grep -v -e "^date" > "$T/info2"
cmp -s "$T/info1" "$T/info2" || echec "zorv state info des deux fins"
grep -qx "format : 1" "$T/info1" || echec "version du format"
grep -q "^modèle : T7E" "$T/info1" || echec "modèle"
grep -q "^lecteur 1 : $T/d.img" "$T/info1" || echec "lecteur 1"
FIN=$(printf '\342\200\257') # the narrow no-break space of the thousands
grep -q "^instructions : 4${FIN}000${FIN}000" "$T/info1" || echec "instructions"

# The image changes: refused without --state-force, and its path is named.
printf 'X' | dd of="$T/d.img" bs=1 seek=5000 conv=notrunc status=none
"$ZORV" run --state-in "$T/moitie.zetat" --max-instructions 10 2> "$T/erreurs" > /dev/null
[ $? = 1 ] || echec "image changée : statut"
grep -q "a changé" "$T/erreurs" || echec "image changée : message"
grep -q -- "--state-force" "$T/erreurs" || echec "image changée : l'option n'est pas indiquée"
"$ZORV" run --state-in "$T/moitie.zetat" --state-force --max-instructions 10 > /dev/null ||
    echec "--state-force"

# A damaged state: a clear reason, exit 1, no state written.
head -c 3000 "$T/moitie.zetat" > "$T/coupe.zetat"
"$ZORV" run --state-in "$T/coupe.zetat" --state-out "$T/jamais.zetat" 2> "$T/erreurs" > /dev/null
[ $? = 1 ] || echec "état tronqué : statut"
grep -q "tronqué" "$T/erreurs" || echec "état tronqué : message"
[ ! -e "$T/jamais.zetat" ] || echec "un état a été écrit après un refus"
"$ZORV" state info "$T/coupe.zetat" > /dev/null 2>&1 && echec "state info d'un état tronqué"
"$ZORV" state 2> /dev/null
[ $? = 2 ] || echec "zorv state sans argument"

# The console takes a state back.
printf 'lance 100\ncharge-etat %s\nreg\n' "$T/entier.zetat" |
    "$ZORV" debug --disk 1="$T/d.img" 2> "$T/erreurs" > "$T/console" && echec "console : image changée acceptée"
grep -q "a changé" "$T/erreurs" || echec "console : message"
exit 0
