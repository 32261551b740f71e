#!/bin/bash
# zorv asm builds a 4 KB ROM image from a source file; zorv dasm lists it back.
set -u
PROG="$1"
ZORV="$PROG/zorv"
T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT
echec() { echo "ÉCHEC : $*" >&2; exit 1; }

cat > "$T/rom.asm" <<'SRC'
; boot ROM test
ECRAN   EQU 1000H
        ORG 0
DEBUT:  LXI SP,0FFFFH
        LXI H,MESSAGE
        CALL AFFICHE
        HLT
AFFICHE MOV A,M
        ORA A
        RZ
        INX H
        JMP AFFICHE
MESSAGE DB 'Zorvex',0
        ORG 0FFEH
        DW DEBUT
SRC

"$ZORV" asm "$T/rom.asm" -o "$T/rom.bin" --size 4096 --fill 0FFH \
    --symbols "$T/rom.sym" --listing "$T/rom.lst" || echec "assemblage"
[ "$(stat -c %s "$T/rom.bin")" = 4096 ] || echec "taille de l'image"
[ "$(od -An -tx1 -N4 "$T/rom.bin" | tr -d ' ')" = "31ffff21" ] || echec "premiers octets"
[ "$(od -An -tx1 -j17 -N8 "$T/rom.bin" | tr -d ' ')" = "5a6f7276657800ff" ] || echec "message et remplissage"
[ "$(od -An -tx1 -j4094 -N2 "$T/rom.bin" | tr -d ' ')" = "0000" ] || echec "vecteur final"
grep -qx "AFFICHE 000A" "$T/rom.sym" || echec "fichier de symboles"
grep -q "^000A    7E " "$T/rom.lst" || echec "listing"

"$ZORV" dasm "$T/rom.bin" --org 0 --from 0 --to 0FH --symbols "$T/rom.sym" > "$T/liste.txt" ||
    echec "désassemblage"
grep -qxF "DEBUT     0000  31 FF FF  LXI  SP,FFFFH" "$T/liste.txt" || echec "ligne DEBUT"
grep -qxF "          0006  CD 0A 00  CALL AFFICHE" "$T/liste.txt" || echec "ligne CALL"
grep -qxF "AFFICHE   000A  7E        MOV  A,M" "$T/liste.txt" || echec "ligne AFFICHE"
[ "$(wc -l < "$T/liste.txt")" = 9 ] || echec "nombre de lignes"
"$ZORV" dasm "$T/rom.bin" --org 0xF000 | tail -1 | grep -qxF "          FFFF  00        NOP" ||
    echec "fin de l'espace d'adresses"

# A faulty source: file:line, non-zero status, no output.
printf ' nop\n nop\n mvi a,300\n' > "$T/faux.asm"
"$ZORV" asm "$T/faux.asm" -o "$T/faux.bin" 2> "$T/err.txt" && echec "source fautif accepté"
grep -qxF "$T/faux.asm:3: valeur hors limites pour un octet : 300" "$T/err.txt" || echec "message d'erreur"
[ ! -e "$T/faux.bin" ] || echec "image écrite malgré l'erreur"

# Bad arguments: status 2 and one line on stderr.
for args in "asm" "asm $T/rom.asm" "asm $T/rom.asm -o $T/x.bin --size 0" \
            "asm $T/rom.asm -o $T/x.bin --fill 256" "asm $T/rom.asm -o $T/x.bin --zz" \
            "dasm $T/rom.bin" "dasm $T/rom.bin --org 10000H" "dasm $T/rom.bin --org 0 --from 5" \
            "dasm $T/absent.bin --org 0" "asm $T/absent.asm -o $T/x.bin" "dasm $T/rom.bin --org 0F001H"; do
    "$ZORV" $args > /dev/null 2> "$T/err.txt"
    s=$?
    [ $s = 2 ] || echec "« $args » rend $s"
    [ "$(wc -l < "$T/err.txt")" = 1 ] || echec "« $args » : message sur une ligne"
done
"$ZORV" asm "$T/rom.asm" -o "$T/rom.bin" --size 16 2> /dev/null && echec "--size trop petit accepté"

# Never over its own input.
cp "$T/rom.asm" "$T/garde.asm"
"$ZORV" asm "$T/rom.asm" -o "$T/rom.asm" 2> /dev/null; [ $? = 2 ] || echec "écrase le source"
"$ZORV" asm "$T/rom.asm" -o "$T/x.bin" --listing "$T/rom.asm" 2> /dev/null; [ $? = 2 ] || echec "listing sur le source"
printf ' include inc.asm\n' > "$T/main.asm"; printf ' nop\n' > "$T/inc.asm"
"$ZORV" asm "$T/main.asm" -o "$T/inc.asm" 2> /dev/null; [ $? = 2 ] || echec "écrase un INCLUDE"
[ "$(cat "$T/inc.asm")" = " nop" ] || echec "INCLUDE modifié"
cmp -s "$T/rom.asm" "$T/garde.asm" || echec "source modifié"

# The line map beside the image, read by the debugger's console.
printf '        ORG 2100H\nDEBUT:  MVI A,1\n        include inc.asm\n        HLT\n' > "$T/carte.asm"
(cd "$T" && "$ZORV" asm carte.asm -o carte.bin --debug-info carte.zdbg) || echec "--debug-info"
grep -q '"format": "EmulZorv-zdbg"' "$T/carte.zdbg" || echec "carte : format"
grep -qF "\"$T/inc.asm\"" "$T/carte.zdbg" || echec "carte : chemin absolu de l'INCLUDE"
"$ZORV" debug --load 2100="$T/carte.bin" --pc 2100 -e "sym charge $T/carte.zdbg" -e "pas" -e "source" \
    -e "source 2103" > "$T/console" || echec "console sur la carte"
grep -qxF "2102H $T/inc.asm:1" "$T/console" || echec "source de la ligne incluse"
grep -qxF "2103H $T/carte.asm:4" "$T/console" || echec "source d'une ligne du principal"
"$ZORV" asm "$T/carte.asm" -o "$T/c2.bin" --debug-info "$T/carte.asm" 2> /dev/null; [ $? = 2 ] ||
    echec "carte sur le source"

"$ZORV" asm --help | grep -q "INCLUDE" || echec "aide asm"
"$ZORV" dasm --help | grep -q -- "--org" || echec "aide dasm"
echo OK
