#!/bin/bash
# The trace, the profiler, the coverage (its lcov file read by genhtml) and
# "who wrote this" end to end: zorv debug over a program assembled with its
# line map, and zorv run --trace.
. "$(dirname "$0")/lib/commun.sh"

cat > "$T/prog.asm" <<'FIN'
        ORG 2000H
DEBUT:  LXI SP,3000H
        MVI B,5
BOUCLE: CALL SOUS
        DCR B
        JNZ BOUCLE
        STA CASE
        HLT
SOUS:   INR A
        RET
CASE:   DB 0
FIN
"$ZORV" asm "$T/prog.asm" -o "$T/prog.bin" --debug-info "$T/prog.zdbg" || { echo "ÉCHEC : assemblage"; exit 1; }
cat > "$T/script" <<FIN
sym charge $T/prog.zdbg
profil marche
couverture marche
trace $T/trace.txt tout
lance
trace arret
profil routines
couverture lcov $T/prog.info
profil csv $T/profil.csv
qui 2012
FIN
"$ZORV" debug --load 2000="$T/prog.bin" --pc 2000 --script "$T/script" > "$T/sortie" 2> "$T/erreurs"
verifie "statut du script" $?
[ ! -s "$T/erreurs" ]; verifie "rien sur stderr" $?
grep -qx "trace : 29 lignes pour 29 instructions dans $T/trace.txt" "$T/sortie"; verifie "compte de la trace" $?
[ "$(wc -l < "$T/trace.txt")" = 29 ]; verifie "une ligne par instruction" $?
grep -Eq '^    SOUS      2010  3C        INR  A +A=[0-9A-F]{2} .* PC=2011  T=4$' "$T/trace.txt"; verifie "ligne de trace" $?
grep -Eq '^SOUS +2010H-2011H  5 appels, exclusif 70 \(' "$T/sortie"; verifie "profil de la routine" $?
grep -qx "2010,0,SOUS,5,20" "$T/profil.csv"; verifie "ligne du CSV" $?
grep -qx "DA:9,5" "$T/prog.info"; verifie "INR exécuté cinq fois" $?
grep -qx "DA:2,1" "$T/prog.info"; verifie "LXI exécuté une fois" $?
! grep -q "DA:11," "$T/prog.info"; verifie "la donnée n'est pas une ligne de code" $?
grep -qx "qui : 2012H banque 0 : écrit par 200CH, instruction n° 28" "$T/sortie"; verifie "qui" $?
if command -v genhtml > /dev/null; then
    genhtml -q -o "$T/html" "$T/prog.info" > "$T/genhtml" 2>&1; verifie "genhtml accepte le fichier" $?
    [ -s "$T/html/index.html" ]; verifie "rapport HTML" $?
else
    echo "ÉCHEC : genhtml manque (paquet lcov)"; echec=1
fi
# A trace left open is written when the session ends.
"$ZORV" debug --load 2000="$T/prog.bin" --pc 2000 -e "trace $T/t0.txt tout" -e "lance" > /dev/null
verifie "session sans trace arret" $?
[ "$(wc -l < "$T/t0.txt")" = 29 ]; verifie "trace écrite en fin de session" $?

# zorv run: every instruction, the loops folded, a range.
LANCE=(run --load 2000="$T/prog.bin" --pc 2000 --until-halt)
"$ZORV" "${LANCE[@]}" --trace "$T/t1.txt" --trace-all; verifie "zorv run --trace-all" $?
[ "$(wc -l < "$T/t1.txt")" = 29 ]; verifie "--trace-all : 29 lignes" $?
"$ZORV" "${LANCE[@]}" --trace "$T/t2.txt"; verifie "zorv run --trace" $?
[ "$(wc -l < "$T/t2.txt")" = 10 ]; verifie "boucle repliée : 10 lignes" $?
[ "$(sed -n 8p "$T/t2.txt")" = "(boucle ×5)" ]; verifie "ligne de la boucle" $?
"$ZORV" "${LANCE[@]}" --trace "$T/t3.txt" --trace-range 2010-2011 --trace-all; verifie "--trace-range" $?
[ "$(wc -l < "$T/t3.txt")" = 10 ]; verifie "--trace-range : SOUS seulement" $?
# Refusals: status 2, one French line, nothing written.
"$ZORV" "${LANCE[@]}" --trace "$T/t4.txt" --trace-range 2011-2010 2> "$T/e1"; [ $? = 2 ]; verifie "intervalle à l'envers" $?
grep -q "la fin précède le début" "$T/e1"; verifie "message de l'intervalle" $?
"$ZORV" "${LANCE[@]}" --trace-all 2> "$T/e2"; [ $? = 2 ]; verifie "--trace-all sans --trace" $?
"$ZORV" "${LANCE[@]}" --trace "$T" 2> "$T/e3"; [ $? = 2 ]; verifie "trace dans un dossier" $?
grep -q "est un dossier" "$T/e3"; verifie "message du dossier" $?
[ ! -e "$T/t4.txt" ]; verifie "rien écrit après un refus" $?
exit $echec
