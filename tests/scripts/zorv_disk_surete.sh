#!/bin/bash
# zorv disk and the user's images: one writer at a time (the other refused at
# once, named), concurrent imports that never lose a file, a full host disk
# that leaves the image as it was, a catalogue that refuses what it cannot
# hold.
. "$(dirname "$0")/lib/commun.sh"
which flock > /dev/null || { echo "flock absent : cas sautés"; exit 0; }

"$ZORV" disk new "$T/a.img" && "$ZORV" disk format "$T/a.img"; verifie "image de départ" $?
mkdir "$T/src" "$T/srcb"
for i in $(seq -w 0 149); do echo "a $i" > "$T/src/A${i}_00001_00000"; echo "b $i" > "$T/srcb/B${i}_00001_00000"; done

# Another program holds the image for writing: refused at once, named.
flock -o -x "$T/a.img" sleep 3 & porteur=$!
sleep 0.3
timeout 2 "$ZORV" disk import "$T/a.img" "$T/src" > /dev/null 2> "$T/err"; st=$?
[ $st = 1 ] && grep -q "L'image $T/a.img est ouverte en écriture par un autre programme (processus [0-9]*, flock)" "$T/err"
verifie "second écrivain refusé avec le processus : $st $(cat "$T/err")" $?
timeout 2 "$ZORV" disk ls "$T/a.img" > /dev/null 2>&1; [ $? = 1 ]; verifie "lecture refusée pendant l'écriture" $?
kill $porteur 2> /dev/null; wait $porteur 2> /dev/null
# Readers share it; a writer waits for none of them and is refused.
flock -o -s "$T/a.img" sleep 3 & porteur=$!
sleep 0.3
"$ZORV" disk ls "$T/a.img" > /dev/null; verifie "deux lecteurs ensemble" $?
"$ZORV" disk format "$T/a.img" 2> "$T/err"; [ $? = 1 ] && grep -q "est lue par un autre programme" "$T/err"
verifie "écrivain refusé pendant une lecture" $?
kill $porteur 2> /dev/null; wait $porteur 2> /dev/null

# Two imports at once: each ends with its files on the disk or is refused;
# no file is ever lost or shares a sector.
for essai in 1 2 3 4; do
    cp "$T/a.img" "$T/c.img"
    "$ZORV" disk import "$T/c.img" "$T/src" > "$T/oa" 2>&1 & pa=$!
    "$ZORV" disk import "$T/c.img" "$T/srcb" > "$T/ob" 2>&1 & pb=$!
    wait $pa; sa=$?; wait $pb; sb=$?
    attendu=0
    [ $sa = 0 ] && attendu=$((attendu + 150))
    [ $sb = 0 ] && attendu=$((attendu + 150))
    [ "$("$ZORV" disk check "$T/c.img")" = "Disque sain : $attendu fichier(s), 0 répertoire(s)" ] && [ $attendu -gt 0 ]
    verifie "imports simultanés $essai : $sa $sb, $("$ZORV" disk check "$T/c.img" | head -1)" $?
done

# A host disk that fills up: the image as it was, no temporary, no summary.
cp "$T/a.img" "$T/p.img"; avant=$(md5sum < "$T/p.img")
(trap '' XFSZ; ulimit -f 400; "$ZORV" disk import "$T/p.img" "$T/src" > "$T/sortie" 2>&1); st=$?
[ $st = 1 ] && [ "$(md5sum < "$T/p.img")" = "$avant" ]; verifie "hôte plein : image intacte ($st)" $?
! grep -q "importé(s)" "$T/sortie" && grep -q "l'image est restée telle qu'elle était" "$T/sortie" &&
    ! grep -q "No space\|too large" "$T/sortie"; verifie "hôte plein : message français, pas de bilan" $?
[ -z "$(ls -A "$T" | grep '^\.p\.img\.')" ]; verifie "hôte plein : pas de temporaire" $?

# 1,323 small files into a 400 K disk: the last one refused, the disk sound.
mkdir "$T/many"
for i in $(seq -w 0 1322); do echo "file $i" > "$T/many/F${i}_00001_00000"; done
"$ZORV" disk new "$T/m.img" --size 400K
"$ZORV" disk import "$T/m.img" "$T/many" --format > "$T/sortie"; st=$?
[ $st = 1 ] && grep -q "^Le catalogue est plein : .*F1322_00001_00000" "$T/sortie" &&
    [ "$(tail -1 "$T/sortie")" = "Fichier(s) importé(s) : 1322" ]; verifie "catalogue plein ($st)" $?
[ "$("$ZORV" disk check "$T/m.img")" = "Disque sain : 1322 fichier(s), 0 répertoire(s)" ]; verifie "catalogue plein : disque sain" $?

exit $echec
