#!/bin/bash
# zorv disk put and get: one host file onto an image and back, their exit
# statuses, the disk lock, and names with bytes the terminal cannot show as
# they are (zorv disk check and ls print them as \xHH or as the machine's
# characters, never as broken UTF-8).
. "$(dirname "$0")/lib/commun.sh"
statut() { "$@" > "$T/sortie" 2> "$T/erreurs"; echo $?; }

"$ZORV" disk new "$T/a.img" && "$ZORV" disk format "$T/a.img"; verifie "image de départ" $?
head -c 600 /dev/urandom > "$T/prog_00012_00000.txt"
printf 'bonjour' > "$T/DATA"

# Bad arguments: status 2, one line, the image untouched.
avant=$(md5sum < "$T/a.img")
"$ZORV" disk --help | grep -q 'put IMAGE FICHIER \[--nom NOM\] \[--c1 N\] \[--c2 N\]' &&
    "$ZORV" disk --help | grep -q 'get IMAGE NOM \[DOSSIER\]'; verifie "aide générale" $?
"$ZORV" disk put --help | grep -q -- '--c1 N' && "$ZORV" disk get -h | grep -q '^usage : zorv disk get IMAGE NOM \[DOSSIER\]$'
verifie "aides de put et get" $?
for cas in "put $T/a.img" "put $T/a.img $T/DATA $T/DATA" "put $T/a.img $T/DATA --c1 65536" "put $T/a.img $T/DATA --c2 x" \
    "put $T/a.img $T/DATA --nom ABCDEFGH" "put $T/a.img $T/DATA --c1 0 --c2 0" "put $T/a.img $T/absent" \
    "put $T/a.img $T" "put $T/a.img $T/DATA --format" "get $T/a.img" "get $T/a.img A B C" "get $T/a.img A --nom B" \
    "put $T/absent.img $T/DATA"; do
    # shellcheck disable=SC2086
    s=$(statut "$ZORV" disk $cas); [ "$s" = 2 ] && [ "$(wc -l < "$T/erreurs")" = 1 ] && [ ! -s "$T/sortie" ]
    verifie "refusé avec le statut 2 : $cas ($s)" $?
done
[ "$(md5sum < "$T/a.img")" = "$avant" ]; verifie "image intacte après les refus" $?
grep -q "Nom sur le disque trop long" <("$ZORV" disk put "$T/a.img" "$T/DATA" --nom ABCDEFGH 2>&1); verifie "raison du nom" $?

# Put: the name from NOM_C1_C2, else the options, else a chained file.
[ "$(statut "$ZORV" disk put "$T/a.img" "$T/prog_00012_00000.txt")" = 0 ] &&
    [ "$(cat "$T/sortie")" = "Fichier importé : PROG (C1 12, C2 0) ; place libre : 753 Ko" ]; verifie "put" $?
[ "$(statut "$ZORV" disk put "$T/a.img" "$T/DATA")" = 0 ]; verifie "put sans forme NOM_C1_C2" $?
[ "$(statut "$ZORV" disk put "$T/a.img" "$T/DATA" --nom=util/texte --c1 256 --c2 0)" = 0 ]; verifie "put dans un répertoire" $?
"$ZORV" disk ls "$T/a.img" > "$T/ls"
grep -q '^DATA              00001  00000  00067 $' "$T/ls" && grep -q '^UTIL     \.\.\.' "$T/ls" &&
    grep -q '^  TEXTE           00256  00000  00069 $' "$T/ls"; verifie "catalogue après put" $?
avant=$(md5sum < "$T/a.img")
[ "$(statut "$ZORV" disk put "$T/a.img" "$T/DATA" --nom data)" = 1 ] &&
    [ "$(cat "$T/sortie")" = "Le fichier DATA est déjà sur le disque : rien n'est importé" ]; verifie "nom déjà pris : 1" $?
head -c 800000 /dev/zero > "$T/gros"
[ "$(statut "$ZORV" disk put "$T/a.img" "$T/gros")" = 1 ] && grep -q "^Pas assez de place pour importer $T/gros$" "$T/sortie"
verifie "disque plein : 1" $?
[ "$(md5sum < "$T/a.img")" = "$avant" ]; verifie "image intacte après un refus" $?
"$ZORV" disk check "$T/a.img" | grep -q '^Disque sain : 3 fichier(s), 1 répertoire(s)$'; verifie "disque sain après put" $?

# Get: the export's name, never over a file; a file of a directory in its sub-folder.
[ "$(statut "$ZORV" disk get "$T/a.img" prog "$T/out")" = 0 ] && [ "$(tail -1 "$T/sortie")" = "Fichier(s) exporté(s) : 1" ] &&
    cmp -s -n 600 "$T/prog_00012_00000.txt" "$T/out/PROG_00012_00000" && [ "$(stat -c %s "$T/out/PROG_00012_00000")" = 759 ]
verifie "get" $?
printf 'garde' > "$T/out/DATA_00001_00000"
[ "$(statut "$ZORV" disk get "$T/a.img" DATA "$T/out")" = 1 ] && grep -q 'Existe déjà$' "$T/sortie" &&
    [ "$(cat "$T/out/DATA_00001_00000")" = garde ]; verifie "get n'écrase rien : 1" $?
(cd "$T" && "$ZORV" disk get a.img UTIL/Texte > /dev/null) && [ "$(head -c 7 "$T/UTIL/TEXTE_00256_00000")" = bonjour ]
verifie "get dans le dossier courant" $?
[ "$(statut "$ZORV" disk get "$T/a.img" ABSENT "$T/out")" = 1 ] &&
    grep -q "^Le fichier ABSENT n'est pas sur le disque" "$T/sortie"; verifie "get d'un nom absent : 1" $?
# Round trip: what get wrote, put back onto a fresh disk, gives the same bytes.
"$ZORV" disk new "$T/b.img" --size 400K && "$ZORV" disk format "$T/b.img" &&
    "$ZORV" disk put "$T/b.img" "$T/out/PROG_00012_00000" > /dev/null &&
    "$ZORV" disk get "$T/b.img" PROG "$T/out2" > /dev/null && cmp -s "$T/out/PROG_00012_00000" "$T/out2/PROG_00012_00000"
verifie "aller-retour put/get" $?

# A writer holds the image: put is refused at once, get as well.
if which flock > /dev/null; then
    flock -o -x "$T/a.img" sleep 3 & porteur=$!
    sleep 0.3
    s=$(statut timeout 2 "$ZORV" disk put "$T/a.img" "$T/DATA" --nom AUTRE)
    [ "$s" = 1 ] && grep -q "est ouverte en écriture par un autre programme" "$T/erreurs"; verifie "put pendant une écriture : $s" $?
    s=$(statut timeout 2 "$ZORV" disk get "$T/a.img" PROG "$T/out3"); [ "$s" = 1 ]; verifie "get pendant une écriture : $s" $?
    kill $porteur 2> /dev/null; wait $porteur 2> /dev/null
fi

# Names with bytes 0x80 and above, and the machine's accented letter 0x18:
# é for 0xE9 and 0x18, \x85 for a byte with no character, valid UTF-8, and
# each name translated once.
cp "$T/b.img" "$T/c.img"
printf '\xE9\x18T\x85  ' | dd of="$T/c.img" bs=1 seek=5 conv=notrunc status=none   # PROG's entry renamed
printf '\x7F\x00' | dd of="$T/c.img" bs=1 seek=$(( (64 - 1) * 256 )) conv=notrunc status=none # its chain broken
"$ZORV" disk check "$T/c.img" > "$T/sortie"; [ $? = 1 ]; verifie "check d'un disque endommagé : 1" $?
grep -q '^Disque endommagé : le fichier ééT\\x85 est lié au secteur 32512, hors du disque' "$T/sortie"
verifie "check : \\xHH et caractères" $?
iconv -f UTF-8 -t UTF-8 "$T/sortie" > /dev/null; verifie "check : UTF-8 valide" $?
"$ZORV" disk ls "$T/c.img" > "$T/sortie"; grep -q '^ééT\\x85              00012  00000  00064 $' "$T/sortie"
verifie "ls : \\xHH et caractère de la machine" $?
[ "$(statut "$ZORV" disk get "$T/c.img" 'éét\x85' "$T/out4")" = 1 ] && ls "$T/out4" | grep -q '_00012_00000$'
verifie "get sous le nom affiché" $?

exit $echec
