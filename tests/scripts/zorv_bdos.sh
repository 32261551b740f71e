#!/bin/bash
# zorv run --bdos: a small console program through calls 2 and 9, and every
# way a run ends.
. "$(dirname "$0")/lib/commun.sh"

cat > "$T/bonjour.asm" <<'FIN'
; A console program: a character, a string, then the ten digits through a
; subroutine that keeps its counter on the stack.
BDOS    EQU     5
        ORG     100H
DEBUT:  LHLD    6               ; stack top from the jump at 0005
        SPHL
        MVI     E,'>'
        MVI     C,2
        CALL    BDOS
        LXI     D,MSG
        MVI     C,9
        CALL    BDOS
        MVI     B,'0'
CHIF:   CALL    AFFB
        INR     B
        MOV     A,B
        CPI     '9'+1
        JNZ     CHIF
        JMP     0
AFFB:   PUSH    B
        MOV     E,B
        MVI     C,2
        CALL    BDOS
        POP     B
        RET
MSG:    DB      'Bonjour, CP/M',13,10,'$'
        END     DEBUT
FIN
"$ZORV" asm "$T/bonjour.asm" -o "$T/bonjour.com"
verifie "assemblage du programme console" $?
"$ZORV" run --bdos "$T/bonjour.com" --max-instructions 1000 > "$T/sortie"
verifie "statut 0 en fin de programme" $?
printf '>Bonjour, CP/M\r\n0123456789' | cmp -s - "$T/sortie"; verifie "texte de la console" $?

# The stack top at 0006 lies above the program and its calls return there.
"$ZORV" run --bdos "$T/bonjour.com" --regs > "$T/sortie"
tail -1 "$T/sortie" | grep -Eq 'SP=F[0-9A-F]{3} PC=0000$'; verifie "pile en haut de mémoire, arrêt en 0000" $?

printf '\xc7' > "$T/rst0.com"          # RST 0
"$ZORV" run --bdos "$T/rst0.com" > "$T/sortie"
verifie "RST 0 termine" $?
printf '\xc9' > "$T/ret.com"           # RET to the warm boot
"$ZORV" run --bdos "$T/ret.com"
verifie "RET termine" $?
printf '\x0e\x00\xcd\x05\x00\x76' > "$T/reset.com"   # MVI C,0 ; CALL 5
"$ZORV" run --bdos "$T/reset.com"
verifie "appel 0 termine" $?

printf '\xc3\x00\x01' > "$T/boucle.com" # JMP 0100
"$ZORV" run --bdos "$T/boucle.com" --max-instructions 100
[ $? = 3 ]; verifie "statut 3 à la limite d'instructions" $?
printf '\x76' > "$T/halte.com"
"$ZORV" run --bdos "$T/halte.com"
[ $? = 4 ]; verifie "statut 4 sur HLT" $?

head -c 70000 /dev/zero > "$T/gros.com"
"$ZORV" run --bdos "$T/gros.com" 2> "$T/erreurs"
[ $? = 2 ]; verifie "programme trop gros refusé" $?
grep -q 'trop volumineux$' "$T/erreurs"; verifie "message du programme trop gros" $?
"$ZORV" run --bdos "$T/rst0.com" --model T7 2> /dev/null
[ $? = 2 ]; verifie "--bdos ne change pas de modèle" $?

exit $echec
