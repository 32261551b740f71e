#!/bin/bash
# zorv debug with the symbol file written by zorv asm --symbols, a
# conditional breakpoint and a watchpoint, end to end.
. "$(dirname "$0")/lib/commun.sh"

cat > "$T/prog.asm" <<'FIN'
        ORG 2000H
DEBUT:  LXI SP,3000H
        MVI B,0
BOUCLE: INR B
        PUSH B
        POP D
        JMP BOUCLE
FIN
"$ZORV" asm "$T/prog.asm" -o "$T/prog.bin" --symbols "$T/prog.sym" || { echo "ÉCHEC : assemblage"; exit 1; }
cat > "$T/script" <<FIN
sym charge $T/prog.sym
sym
dasm 2005 2005
pa 2006 si B = 3
lance
pa
surv 2FFE 2FFF e
lance
FIN
"$ZORV" debug --load 2000="$T/prog.bin" --pc 2000 --script "$T/script" > "$T/sortie" 2> "$T/erreurs"
verifie "statut du script" $?
[ ! -s "$T/erreurs" ]; verifie "rien sur stderr" $?
[ "$(sed -n 1p "$T/sortie")" = "2 symboles ajoutés" ]; verifie "fichier de symboles chargé" $?
[ "$(sed -n 2,3p "$T/sortie")" = "DEBUT 2000H
BOUCLE 2005H" ]; verifie "liste des symboles" $?
sed -n 4p "$T/sortie" | grep -Eq "BOUCLE +2005  04 +INR +B"; verifie "étiquette dans le listing" $?
[ "$(sed -n 5p "$T/sortie")" = "pa : point d'arrêt en 2006H si B = 3" ]; verifie "point d'arrêt conditionnel" $?
[ "$(sed -n 6p "$T/sortie")" = "arrêt : point d'arrêt à 2006H" ]; verifie "arrêt au troisième tour" $?
[ "$(sed -n 7p "$T/sortie")" = "2006H si B = 3" ]; verifie "liste des points d'arrêt" $?
[ "$(sed -n 8p "$T/sortie")" = "surv : 2FFEH-2FFFH e cpu" ]; verifie "point de surveillance" $?
[ "$(sed -n 9p "$T/sortie")" = "arrêt : écriture de 2FFFH (02H → 03H) par 2006H" ]; verifie "arrêt sur l'empilement" $?
exit $echec
