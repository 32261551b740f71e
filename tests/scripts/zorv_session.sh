#!/bin/bash
# Recorded sessions on the command line: the sessions shipped under
# tests/data/sessions replay with their expected outputs (zorv test); a run
# recorded with --record replays to the same screen, disk and printed text;
# an end that differs from the expected one is exit status 5 with the
# differing pixels written beside the picture; a replay the debugger
# disturbs is exit status 6; damaged or foreign files are exit status 1 with
# a French reason; zorv test counts failures and --rebaseline writes the
# expectations.
set -u
PROG="$1"
ZORV="$PROG/zorv"
SOURCE="$(dirname "$(readlink -f "$0")")/../.."
T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT
echec() { echo "ÉCHEC : $*" >&2; exit 1; }

# The shipped sessions, one of each format version.
"$ZORV" test "$SOURCE/tests/data/sessions" > "$T/test.txt" || { cat "$T/test.txt"; echec "zorv test des sessions livrées"; }
grep -q '^ok  ' "$T/test.txt" || echec "zorv test : pas de ligne ok"
tail -1 "$T/test.txt" | grep -qx '[1-9][0-9]* passed, 0 failed' || echec "zorv test : ligne finale $(tail -1 "$T/test.txt")"

# A run recorded, then replayed with its outputs.
"$ZORV" disk new "$T/d.img" > /dev/null || echec "disque"
cp "$T/d.img" "$T/avant.img"
"$ZORV" run --disk 1="$T/d.img" --keys 'M 3000 41 42\rS 1 3 3000\rP ESSAI\rD 3000 3001\r' \
    --max-instructions 12000000 --record "$T/s.zsession" --screen-text --printer "$T/p1.txt" > "$T/e1.txt" \
    || echec "enregistrement"
cmp -s "$T/d.img" "$T/avant.img" && echec "le disque n'a pas été écrit"
cp "$T/avant.img" "$T/d.img" # the replay works on its own copy anyway
"$ZORV" run --replay "$T/s.zsession" --expect-text "$T/e1.txt" --expect-printer "$T/p1.txt" \
    --screenshot "$T/e.png" || echec "relecture avec ses sorties"
cmp -s "$T/d.img" "$T/avant.img" || echec "la relecture a touché l'image de l'utilisateur"
"$ZORV" run --replay "$T/s.zsession" --expect-screen "$T/e.png" --horloge 500 || echec "relecture à 500 kHz"

# An end that differs: status 5, the reason, the differing pixels.
"$ZORV" run --replay "$T/s.zsession" --max-instructions 20000 --expect-screen "$T/e.png" 2> "$T/err"
[ $? = 5 ] || echec "écran différent : statut"
grep -q "L'écran final diffère de" "$T/err" || echec "écran différent : message"
[ -s "$T/e.difference.png" ] || echec "image des différences absente"
echo "autre" > "$T/faux.txt"
"$ZORV" run --replay "$T/s.zsession" --expect-printer "$T/faux.txt" 2> "$T/err"
[ $? = 5 ] && grep -q "Le texte imprimé diffère" "$T/err" || echec "impression différente"

# The debugger changes a register under the replay: the fingerprints say so.
"$ZORV" debug --replay "$T/s.zsession" -e 'pas 1000' -e 'reg B=5A' -e 'lance' > "$T/dbg" 2>&1
[ $? = 6 ] || echec "désynchronisation : statut"
grep -q "Désynchronisation à l'instruction .* : le processeur diffère" "$T/dbg" || echec "désynchronisation : $(cat "$T/dbg")"
"$ZORV" debug --replay "$T/s.zsession" -e 'lance' > "$T/dbg" || echec "zorv debug --replay"
grep -q "Fin de la session à l'instruction" "$T/dbg" || echec "fin de session sous le débogueur"

# Damaged, foreign, missing files; options that set the machine up.
head -c 300 "$T/s.zsession" > "$T/court.zsession"
"$ZORV" run --replay "$T/court.zsession" 2> "$T/err"
[ $? = 1 ] && grep -q "tronquée" "$T/err" || echec "session tronquée"
"$ZORV" run --max-instructions 10 --state-out "$T/x.zetat" > /dev/null
"$ZORV" run --replay "$T/x.zetat" 2> "$T/err"
[ $? = 1 ] && grep -q "n'est pas une session" "$T/err" || echec "un état pris pour une session"
"$ZORV" run --replay "$T/absent.zsession" 2> /dev/null
[ $? = 1 ] || echec "session absente"
"$ZORV" run --replay "$T/s.zsession" --keys 'X' 2> "$T/err"
[ $? = 2 ] && grep -q -- "--keys ne se combine pas avec --replay" "$T/err" || echec "--keys avec --replay"
"$ZORV" run --expect-text "$T/e1.txt" 2> /dev/null
[ $? = 2 ] || echec "--expect-text sans --replay"

# zorv test: a failing case counted, --rebaseline writes what is expected.
mkdir "$T/cas"
cp "$T/s.zsession" "$T/cas/un.zsession"
cp "$T/s.zsession" "$T/cas/deux.zsession"
echo "faux" > "$T/cas/deux.txt"
"$ZORV" test "$T/cas" > "$T/test.txt"
[ $? = 1 ] || echec "zorv test avec un échec : statut"
grep -q "^échec  deux.zsession : Le texte de l'écran diffère" "$T/test.txt" || echec "zorv test : ligne d'échec"
tail -1 "$T/test.txt" | grep -qx '1 passed, 1 failed' || echec "zorv test : décompte"
"$ZORV" test --rebaseline "$T/cas" > /dev/null || echec "--rebaseline"
cmp -s "$T/cas/deux.txt" "$T/e1.txt" || echec "--rebaseline : texte de l'écran"
[ -s "$T/cas/un.png" ] && [ -s "$T/cas/un.prn" ] || echec "--rebaseline : image et impression"
"$ZORV" test "$T/cas" > /dev/null || echec "zorv test après --rebaseline"
exit 0
