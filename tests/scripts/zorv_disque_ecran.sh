#!/bin/bash
# zorv run with floppy images (--disk) and the picture of the screen
# (--screenshot with the display settings).
. "$(dirname "$0")/lib/commun.sh"

# Drive 1 (800 Ko): sector 2 starts with a text, the rest is zero.
truncate -s 788480 "$T/d1.img"
printf 'SECTEUR DEUX' | dd of="$T/d1.img" bs=1 seek=256 conv=notrunc status=none

# Reads sector 2 of drive 1 straight into video RAM, then halts.
cat > "$T/lecture.asm" <<'ASM'
        ORG 2000H
        LXI SP,8000H
        LXI H,CMD
        MVI B,8             ; header, then its two echo bytes
        CALL ENV
        CALL RECOIT
        CALL RECOIT
        MVI B,4             ; message, then its echo and the 9-byte reply
        CALL ENV
        MVI B,1+9
ATT:    CALL RECOIT
        DCR B
        JNZ ATT
        XRA A
        OUT 0B9H
        OUT 0B9H
        LXI H,1000H
        MVI C,8
BLOC:   MVI B,33           ; 32 bytes and their checksum
OCT:    CALL RECOIT
        MOV M,A
        INX H
        DCR B
        JNZ OCT
        DCX H              ; the checksum is overwritten by the next block
        XRA A
        OUT 0B9H
        DCR C
        JNZ BLOC
        HLT
ENV:    MOV A,M
        OUT 0B9H
        INX H
        DCR B
        JNZ ENV
        RET
RECOIT: IN 99H
        RRC
        JNC RECOIT
        IN 0B9H
        RET
CMD:    DB 0A5H,0,3,0,0,0CH,0,5EH, 2,0,11H,0
ASM
"$ZORV" asm "$T/lecture.asm" -o "$T/lecture.bin" > /dev/null
verifie "assemblage" $?

"$ZORV" run --load 2000="$T/lecture.bin" --pc 2000 --until-halt --disk 1="$T/d1.img" --screen-text > "$T/sortie" 2> "$T/erreurs"
verifie "lecture d'un secteur" $?
head -1 "$T/sortie" | grep -q '^SECTEUR DEUX'; verifie "le secteur 2 arrive en mémoire vidéo" $?
[ ! -s "$T/erreurs" ]; verifie "rien sur stderr" $?

"$ZORV" run --load 2000="$T/lecture.bin" --pc 2000 --until-halt --disk 1="$T/d1.img:ro" --screen-text > "$T/sortie"
head -1 "$T/sortie" | grep -q '^SECTEUR DEUX'; verifie "lecture d'une image protégée" $?

# Empty drive: the program waits for data that never comes.
"$ZORV" run --load 2000="$T/lecture.bin" --pc 2000 --until-halt --max-instructions 200000 --screen-text > "$T/sortie"
[ $? = 3 ]; verifie "lecteur vide : limite d'instructions atteinte" $?
head -1 "$T/sortie" | grep -q 'SECTEUR'; [ $? != 0 ]; verifie "lecteur vide : rien n'est lu" $?

# Refusals: no such drive number, wrong image size, missing image.
"$ZORV" run --disk 3="$T/d1.img" --max-instructions 1 2> "$T/erreurs"
[ $? = 2 ] && [ "$(grep -c '' "$T/erreurs")" = 1 ]; verifie "lecteur 3 refusé" $?
truncate -s 409600 "$T/petit.img"
"$ZORV" run --disk 9="$T/petit.img" --max-instructions 1 2> "$T/erreurs"
[ $? = 2 ]; verifie "taille refusée" $?
grep -q 'doit être' "$T/erreurs"; verifie "message de taille" $?
"$ZORV" run --disk 2="$T/absent.img" --max-instructions 1 2> /dev/null
[ $? = 2 ]; verifie "image absente refusée" $?

# Picture: a 1024 x 576 PNG; a bad colour choice is refused.
"$ZORV" run --load 2000="$T/lecture.bin" --pc 2000 --until-halt --disk 1="$T/d1.img" \
    --screenshot "$T/ecran.png" --text-colour 1 --planes 2 --scheme 3
verifie "capture" $?
[ "$(head -c 8 "$T/ecran.png" | od -An -tx1 | tr -d ' \n')" = 89504e470d0a1a0a ]; verifie "signature PNG" $?
[ "$(head -c 24 "$T/ecran.png" | tail -c 8 | od -An -tx1 | tr -d ' \n')" = 0000040000000240 ]; verifie "1024 x 576" $?
"$ZORV" run --screenshot "$T/x.png" --planes 5 --max-instructions 1 2> /dev/null
[ $? = 2 ] && [ ! -e "$T/x.png" ]; verifie "--planes 5 refusé" $?

exit $echec
