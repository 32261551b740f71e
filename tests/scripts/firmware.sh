#!/bin/bash
# The firmware images of the program folder under zorv run, and the refusals
# of the two image converters of the build.
set -u
P="$1"
OUTILS="$P/../firmware/outils"
T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT
echec=0
verifie() { # description, status
    if [ "$2" != 0 ]; then echo "ÉCHEC : $1"; echec=1; fi
}

for f in QBM71K.bin G-CAR-T9.bin T318-C.bin; do
    [ -s "$P/$f" ]; verifie "$f construit" $?
done
[ "$(stat -c %s "$P/QBM71K.bin")" = 4096 ]; verifie "ROM de 4096 octets" $?
[ "$(stat -c %s "$P/T318-C.bin")" = 4096 ]; verifie "PROM de 4096 octets" $?
[ "$(stat -c %s "$P/G-CAR-T9.bin")" = 2048 ]; verifie "générateur de 2048 octets" $?

# The keys wait for the monitor's announcement of the keyboard mode.
"$P/zorv" run --model T9-48 --rom "$P/QBM71K.bin" --prom "$P/T318-C.bin" --max-instructions 20000000 \
    --keys "M 2100 41 42\rD 2100 2100\rP Essai\rA 2 3\r" --printer-raw "$T/impr" --screen-text > "$T/ecran"
verifie "zorv run" $?
sed -n 2p "$T/ecran" | grep -q '^Mémoire vive : 44 k-octets *$'; verifie "bannière" $?
grep -q '^2100  41 42 00 ' "$T/ecran"; verifie "ligne de vidage" $?
grep -q '^2 + 3 = 5 *$' "$T/ecran"; verifie "somme du 9512" $?
[ "$(cat "$T/impr")" = "$(printf 'Essai\r\n')" ]; verifie "ligne imprimée" $?

# A sector read by the monitor's L command from the image of drive 1.
truncate -s 788480 "$T/d1.img"
printf 'SECTEUR DEUX' | dd of="$T/d1.img" bs=1 seek=256 conv=notrunc status=none
"$P/zorv" run --model T9-48 --rom "$P/QBM71K.bin" --prom "$P/T318-C.bin" --max-instructions 20000000 \
    --disk 1="$T/d1.img" --keys "L 1 2 3000\rD 3000 300F\rL 2 1 3000\r" --screen-text > "$T/ecran"
verifie "zorv run --disk" $?
grep -q '^Disque : opération réussie *$' "$T/ecran"; verifie "lecture par le moniteur" $?
grep -q '^3000  53 45 43 54 45 55 52 20 44 45 55 58 00 00 00 00  SECTEUR DEUX' "$T/ecran"; verifie "secteur en mémoire" $?
grep -q '^Pas de disque dans le lecteur *$' "$T/ecran"; verifie "lecteur 2 vide" $?

# Converters: a damaged text gives its line number and writes nothing.
printf '= 00\n........\n' > "$T/court.txt"
"$OUTILS/gencar" "$T/court.txt" "$T/g.bin" 2> "$T/err"
[ $? = 1 ]; verifie "gencar refuse un caractère incomplet" $?
grep -q 'court.txt:2: dernier caractère incomplet' "$T/err"; verifie "message de gencar" $?
[ ! -e "$T/g.bin" ]; verifie "gencar n'écrit rien" $?
sed 's/^= 41 .*/= 42/' "$(dirname "$0")/../../firmware/gencar.txt" > "$T/double.txt"
"$OUTILS/gencar" "$T/double.txt" "$T/g.bin" 2> "$T/err"
grep -q 'caractère déjà défini' "$T/err"; verifie "gencar refuse un code en double" $?
printf 'table 1\nFD : 0A 3G\n' > "$T/p.txt"
"$OUTILS/prom" "$T/p.txt" "$T/p.bin" 2> "$T/err"
[ $? = 1 ]; verifie "prom refuse un code faux" $?
grep -q 'p.txt:2: nombre hexadécimal attendu' "$T/err"; verifie "message de prom" $?
printf 'FD : 0A\n' > "$T/p.txt"
"$OUTILS/prom" "$T/p.txt" "$T/p.bin" 2> "$T/err"
grep -q 'affectation avant toute table' "$T/err"; verifie "prom demande une table" $?
[ ! -e "$T/p.bin" ]; verifie "prom n'écrit rien" $?
printf 'table 2\nF7 : 32 40-42 ; commentaire\n' > "$T/p.txt"
"$OUTILS/prom" "$T/p.txt" "$T/p.bin"
verifie "prom accepte un texte correct" $?
[ "$(od -An -tx1 -j $((0xA32)) -N1 "$T/p.bin" | tr -d ' ')" = f7 ]; verifie "octet de la table 2, moitié haute" $?
[ "$(od -An -tx1 -j $((0x241)) -N1 "$T/p.bin" | tr -d ' ')" = f7 ]; verifie "intervalle de codes" $?
[ "$(od -An -tx1 -j $((0x243)) -N1 "$T/p.bin" | tr -d ' ')" = ff ]; verifie "reste de la table à FF" $?

exit $echec
