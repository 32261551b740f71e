#!/bin/bash
# zorv debug's watch, stack, converter and code-window commands end to end:
# a program pushes a word and stores a double; the watches follow the steps.
. "$(dirname "$0")/lib/commun.sh"

cat > "$T/prog.asm" <<'FIN'
        ORG 2000H
DEBUT:  LXI SP,8000H
        LXI B,1234H
        PUSH B
        LXI H,3FF0H
        SHLD VALEUR+6
        HLT
VALEUR: DB 0,0,0,0,0,0,0,0
FIN
"$ZORV" asm "$T/prog.asm" -o "$T/prog.bin" || { echo "ÉCHEC : assemblage"; exit 1; }
cat > "$T/script" <<'FIN'
var 7FFE ptr
var 200E flottant
pas 5
var
pile
conv -2.5
conv-hex "3F F0"
code 2000 2005 logiciel
var- 1
var
FIN
"$ZORV" debug --load 2000="$T/prog.bin" --pc 2000 --script "$T/script" > "$T/sortie" 2> "$T/erreurs"
verifie "statut du script" $?
[ ! -s "$T/erreurs" ]; verifie "rien sur stderr" $?
[ "$(sed -n 2p "$T/sortie")" = "200EH | Banque logiciel | Valeur flottante | 0.00000000000000" ]; verifie "variable ajoutée" $?
[ "$(sed -n 4p "$T/sortie")" = "7FFEH | Banque logiciel | Pointeur 16 bits | 1234H" ]; verifie "mot empilé" $?
[ "$(sed -n 5p "$T/sortie")" = "200EH | Banque logiciel | Valeur flottante | 1.00000000000000" ]; verifie "double rangé" $?
[ "$(sed -n 6p "$T/sortie")" = "7FFE 34 12 1234" ]; verifie "haut de la pile" $?
[ "$(grep -c '^[0-9A-F]\{4\} [0-9A-F]\{2\} [0-9A-F]\{2\} [0-9A-F]\{4\}$' "$T/sortie")" = 255 ]; verifie "255 lignes de pile" $?
grep -qx "C0 04 00 00 00 00 00 00 " "$T/sortie"; verifie "conv" $?
grep -qx "1.00000000000000" "$T/sortie"; verifie "conv-hex" $?
grep -q "2003  01 34 12  LXI  B,1234H$" "$T/sortie"; verifie "fenêtre de code" $?
[ "$(tail -n 2 "$T/sortie" | head -n 1)" = "var- : 7FFEH retirée" ]; verifie "var-" $?
[ "$(tail -n 1 "$T/sortie")" = "200EH | Banque logiciel | Valeur flottante | 1.00000000000000" ]; verifie "une variable reste" $?

"$ZORV" debug -e 'conv-hex 1 2 3 4 5 6 7 8 9' 2> "$T/erreurs"
[ $? = 1 ]; verifie "neuvième groupe refusé" $?
grep -q "au plus 8 groupes" "$T/erreurs"; verifie "message du neuvième groupe" $?
exit $echec
