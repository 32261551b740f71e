#!/bin/bash
# zorv run --printer: the machine's printing composed into the pages of a PDF
# file (checked with pdftotext and pdfinfo), as UTF-8 text, or as raw bytes.
. "$(dirname "$0")/lib/commun.sh"

# A bold title with machine characters, 90 numbered lines, a graphics line.
cat > "$T/impr.asm" <<'SRC'
DONNEE  EQU 0AFH
STROBE  EQU 0CFH
        ORG 2000H
DEBUT:  LXI SP,0F000H
        XRA A
        OUT STROBE
        LXI H,TITRE
        CALL CHAINE
        MVI B,1
BOUCLE: LXI H,LIGNE
        CALL CHAINE
        MOV A,B
        CALL DECIMAL
        MVI A,0DH
        CALL CAR
        MVI A,0AH
        CALL CAR
        MOV A,B
        ADI 1
        DAA
        MOV B,A
        CPI 91H
        JNZ BOUCLE
        MVI A,0C0H
        CALL CAR
        MVI C,0
GRAPH:  MOV A,C
        ORI 80H
        CALL CAR
        MVI A,0FFH
        CALL CAR
        DCR C
        JNZ GRAPH
        MVI A,0AH
        CALL CAR
        MVI A,0DH
        CALL CAR
        LXI H,FIN
        CALL CHAINE
        HLT
CAR:    OUT DONNEE
        PUSH PSW
        XRA A
        OUT STROBE
        MVI A,2
        OUT STROBE
        POP PSW
        RET
CHAINE: MOV A,M
        ORA A
        RZ
        CALL CAR
        INX H
        JMP CHAINE
DECIMAL: PUSH PSW
        RRC
        RRC
        RRC
        RRC
        ANI 0FH
        ADI '0'
        CALL CAR
        POP PSW
        ANI 0FH
        ADI '0'
        CALL CAR
        RET
TITRE:  DB 94H,'Relev',18H,' des ',18H,'critures',92H,' ',10H,' ',7FH,0DH,0AH,0
LIGNE:  DB 'Ligne ',0
FIN:    DB 'Fin sans retour',0
SRC
"$ZORV" asm "$T/impr.asm" -o "$T/impr.bin" || { echo "ÉCHEC : assemblage"; exit 1; }
run() { "$ZORV" run --load 2000="$T/impr.bin" --pc 2000 --until-halt "$@"; }

# Text: one line per printed line, the waiting last line printed at the end.
run --printer "$T/impr.txt"; verifie "statut avec --printer texte" $?
[ "$(head -1 "$T/impr.txt")" = "Relevé des écritures à ░" ]; verifie "titre en texte" $?
[ "$(sed -n 2p "$T/impr.txt")" = "Ligne 01" ]; verifie "première ligne" $?
[ "$(grep -c '^Ligne [0-9][0-9]$' "$T/impr.txt")" = 90 ]; verifie "90 lignes" $?
[ "$(tail -1 "$T/impr.txt")" = "Fin sans retour" ]; verifie "dernière ligne sans retour" $?

# Raw bytes, as strobed.
run --printer-raw "$T/impr.raw"; verifie "statut avec --printer-raw" $?
head -c 3 "$T/impr.raw" | od -An -tx1 | grep -q '94 52 65'; verifie "octets bruts" $?

# Both at once, and a folder that does not exist, are refused.
run --printer "$T/a.txt" --printer-raw "$T/b.bin" 2> "$T/err"
[ $? = 2 ] && grep -q 'printer-raw' "$T/err"; verifie "--printer et --printer-raw refusés ensemble" $?
run --printer "$T/absent/x.pdf" 2> "$T/err"
[ $? = 2 ] && grep -q 'Impossible de créer le fichier' "$T/err"; verifie "dossier absent refusé" $?
[ ! -e "$T/absent" ]; verifie "rien créé hors de la cible" $?

# Pages in a PDF file (a zorv built without the windows refuses .pdf).
run --printer "$T/impr.pdf" 2> "$T/err"
statut=$?
if [ $statut = 2 ] && grep -q 'PDF' "$T/err"; then
    echo "zorv sans fenêtres : --printer .pdf refusé"
    exit $echec
fi
verifie "statut avec --printer pdf" $statut
if ! command -v pdftotext > /dev/null; then
    echo "ÉCHEC : pdftotext (poppler-utils) manque"
    exit 1
fi
[ "$(pdfinfo "$T/impr.pdf" | sed -n 's/^Pages: *//p')" = 2 ]; verifie "deux pages" $?
pdftotext -layout "$T/impr.pdf" "$T/pdf.txt"; verifie "pdftotext" $?
grep -q 'Relevé des écritures à ░' "$T/pdf.txt"; verifie "titre et caractères de la machine" $?
[ "$(grep -c 'Ligne [0-9][0-9]' "$T/pdf.txt")" = 90 ]; verifie "90 lignes dans le PDF" $?
grep -q 'Fin sans retour' "$T/pdf.txt"; verifie "dernière ligne dans le PDF" $?
# Page 2 starts with the line that did not fit on page 1.
pdftotext -f 2 -l 2 "$T/impr.pdf" - | grep -m1 . | grep -q '^Ligne [0-9][0-9]$'; verifie "page 2 commence par une ligne" $?
pdftoppm -png -r 50 -f 1 -l 1 "$T/impr.pdf" "$T/page" && [ -s "$T/page-1.png" ]; verifie "page rendue en PNG" $?
exit $echec
