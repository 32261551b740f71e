#!/bin/bash
# One number convention for every subcommand, the window's images by
# default, keys that wait for the keyboard, and outputs that never destroy
# what was there.
set -u
P="$1"
ZORV="$P/zorv"
T=$(mktemp -d)
trap 'chmod -R u+w "$T"; rm -rf "$T"' EXIT
echec=0
verifie() { # description, status
    if [ "$2" != 0 ]; then echo "ÉCHEC : $1"; echec=1; fi
}
refus() { # description, expected text, command...
    local d="$1" attendu="$2"
    shift 2
    "$@" > /dev/null 2> "$T/err"
    local s=$?
    [ $s = 2 ] && [ "$(grep -c '' "$T/err")" = 1 ] && grep -qF -- "$attendu" "$T/err"
    verifie "$d (statut $s : $(head -c 200 "$T/err"))" $?
}

# Addresses are hexadecimal everywhere: dasm --org 2100 and run --pc 2100 name 2100H.
printf '\x3e\x5a\x76' > "$T/p.bin"          # MVI A,5AH ; HLT
"$ZORV" dasm "$T/p.bin" --org 2100 | head -1 | grep -qF "2100  3E 5A     MVI  A,5AH"; verifie "dasm --org 2100" $?
"$ZORV" run --no-rom --load 2100="$T/p.bin" --pc 2100 --until-halt --regs | grep -q 'A=5A .*PC=2102$'
verifie "run --pc 2100" $?
for forme in 2100H 0x2100 0X2100 2100h; do
    "$ZORV" dasm "$T/p.bin" --org $forme | head -1 | grep -q "^          2100"; verifie "--org $forme" $?
done
printf '\x76' > "$T/h.bin"
"$ZORV" dasm "$T/h.bin" --org FFFF | grep -q "FFFF  76  *HLT"; verifie "--org FFFF" $?
refus "adresse hors limites" "de 0 à FFFF" "$ZORV" dasm "$T/p.bin" --org 10000
refus "adresse ambiguë" "hexadécimal (2100, 2100H ou 0x2100)" "$ZORV" run --pc 0x21H
refus "compteur en hexadécimal" "décimal de 1 à" "$ZORV" run --max-instructions 0x10
: > "$T/vide.asm"
"$ZORV" asm "$T/vide.asm" -o "$T/vide.bin" --size 4K --fill FF; verifie "--size 4K --fill FF" $?
[ "$(stat -c %s "$T/vide.bin")" = 4096 ] && [ "$(od -An -tx1 -N1 "$T/vide.bin" | tr -d ' ')" = ff ]
verifie "image de 4K remplie de FF" $?
refus "--size trop grand" "décimal de 1 à 65536" "$ZORV" asm "$T/vide.asm" -o "$T/x.bin" --size 65K
for c in asm dasm run; do
    "$ZORV" $c --help | grep -q "hexadécimal (2100, 2100H, 0x2100"; verifie "convention dans l'aide de $c" $?
    "$ZORV" $c -h > /dev/null; verifie "$c -h" $?
    [ "$("$ZORV" $c --version)" = "zorv 2.2a" ]; verifie "$c --version" $?
    refus "$c option inconnue" "option inconnue « --zz »" "$ZORV" $c --zz
done

# The window's images from the program folder: the monitor's banner, the RAM of the window.
"$ZORV" run --max-instructions 3000000 --screen-text > "$T/ecran"; verifie "run sans option de ROM" $?
sed -n 1p "$T/ecran" | grep -q '^Moniteur Zorvex'; verifie "bannière du moniteur" $?
sed -n 2p "$T/ecran" | grep -q '^Mémoire vive : 128 k-octets'; verifie "128 k-octets comme la fenêtre" $?
# Keys wait for the keyboard handshake; --keys-now types them at once (lost).
"$ZORV" run --max-instructions 20000000 --keys '?\r' --screen-text > "$T/ecran"
grep -q '^? : liste des commandes' "$T/ecran"; verifie "--keys '?\\r' donne la liste" $?
"$ZORV" run --max-instructions 20000000 --keys '?\r' --keys-now --screen-text > "$T/ecran"
grep -q '^? : liste des commandes' "$T/ecran"; [ $? != 0 ]; verifie "--keys-now garde l'ancienne frappe" $?
# A copy of the program folder without its boot ROM: the window's message, status 2.
mkdir "$T/prog"
cp "$ZORV" "$P/G-CAR-T9.bin" "$P/T318-C.bin" "$T/prog/"
refus "ROM par défaut absente" "Le fichier $T/prog/QBM71K.bin est absent" "$T/prog/zorv" run --max-instructions 10
"$T/prog/zorv" run --no-rom --max-instructions 10; verifie "--no-rom" $?
# EmulZorv.ini names the images and the model.
cp "$P/QBM71K.bin" "$T/prog/boot.bin"
printf '[Machine]\nMachine=T9-48\n[Boot]\nBoot=boot.bin\n' > "$T/prog/EmulZorv.ini"
cp "$T/prog/EmulZorv.ini" "$T/ini.avant"
"$T/prog/zorv" run --max-instructions 3000000 --screen-text | sed -n 2p | grep -q '44 k-octets'
verifie "images et modèle d'EmulZorv.ini" $?
cmp -s "$T/prog/EmulZorv.ini" "$T/ini.avant"; verifie "EmulZorv.ini laissé tel quel" $?
[ "$(ls -A "$T/prog" | wc -l)" = 5 ]; verifie "rien d'écrit dans le dossier du programme" $?

# --seed: the same registers each time; without it, random.
a=$("$ZORV" run --no-rom --seed 42 --max-instructions 1 --regs); b=$("$ZORV" run --no-rom --seed 42 --max-instructions 1 --regs)
[ "$a" = "$b" ]; verifie "--seed reproductible" $?
n=$(for i in 1 2 3 4; do "$ZORV" run --no-rom --max-instructions 1 --regs; done | sort -u | wc -l)
[ "$n" -gt 1 ]; verifie "registres aléatoires sans --seed" $?

# Files named on the command line: what lies there is said first.
refus "disque absent" "Le fichier $T/absent.img n'existe pas" "$ZORV" run --disk 1="$T/absent.img"
refus "disque dossier" "$T est un dossier" "$ZORV" run --disk 1="$T"
refus "numéro de lecteur immense" "N=IMAGE[:ro]" "$ZORV" run --disk 99999999999999999999999=a.img
truncate -s 1000 "$T/petit.img"
LC_ALL=C "$ZORV" run --disk 1="$T/petit.img" 2> "$T/err"
grep -q '788 480 octets' "$T/err"; verifie "espace fine entre les milliers, même sous la locale C" $?
refus "ROM dossier" "$T est un dossier" "$ZORV" run --rom "$T"
refus "ROM périphérique" "/dev/zero n'est pas un fichier ordinaire" "$ZORV" run --rom /dev/zero
refus "dasm d'un dossier" "$T est un dossier" "$ZORV" dasm "$T" --org 0
refus "dasm de /dev/zero" "/dev/zero n'est pas un fichier ordinaire" "$ZORV" dasm /dev/zero --org 0
head -c 65537 /dev/zero > "$T/gros.bin"
refus "dasm d'une image trop grande" "trop volumineux" "$ZORV" dasm "$T/gros.bin" --org 0
refus "symboles dossier" "$T est un dossier" "$ZORV" dasm "$T/p.bin" --org 0 --symbols "$T"
refus "symboles /dev/zero" "n'est pas un fichier ordinaire" "$ZORV" dasm "$T/p.bin" --org 0 --symbols /dev/zero

# dasm cuts a long label as the CPU window does; --hint keeps it whole.
echo "UnNomDeDixSeptCar 2100" > "$T/long.sym"
"$ZORV" dasm "$T/p.bin" --org 2100 --symbols "$T/long.sym" | head -1 | grep -qxF "UnNomDe…  2100  3E 5A     MVI  A,5AH"
verifie "étiquette coupée à 7 caractères et …" $?
"$ZORV" dasm "$T/p.bin" --org 2100 --symbols "$T/long.sym" --hint | head -1 | grep -q "^UnNomDeDixSeptCar  2100"
verifie "--hint garde le nom entier" $?

# asm: unique temporaries, all outputs or none, links followed, devices and read-only files refused.
printf ' nop\n' > "$T/s.asm"
cp "$T/s.asm" "$T/out.bin.zorv-tmp"
"$ZORV" asm "$T/out.bin.zorv-tmp" -o "$T/out.bin"; verifie "source nommé comme l'ancien temporaire" $?
[ "$(cat "$T/out.bin.zorv-tmp")" = " nop" ]; verifie "le source reste" $?
echo ancien > "$T/q.bin"; echo anciens > "$T/q.sym"
"$ZORV" asm "$T/s.asm" -o "$T/q.bin" --symbols "$T/q.sym" --listing "$T/absent/q.lst" 2> "$T/err"
[ $? = 1 ] && [ "$(cat "$T/q.bin")" = ancien ] && [ "$(cat "$T/q.sym")" = anciens ]
verifie "sorties toutes ou aucune" $?
[ "$(ls -A "$T" | grep -c '^\.')" = 0 ]; verifie "aucun temporaire laissé" $?
echo vieux > "$T/vrai.bin"; ln -s vrai.bin "$T/lien.bin"
"$ZORV" asm "$T/s.asm" -o "$T/lien.bin"; verifie "asm vers un lien" $?
[ -L "$T/lien.bin" ] && [ "$(od -An -tx1 "$T/vrai.bin" | tr -d ' ')" = 00 ]; verifie "le lien est suivi" $?
mkfifo "$T/tube"
refus "asm vers un tube" "n'est pas un fichier ordinaire" timeout 5 "$ZORV" asm "$T/s.asm" -o "$T/tube"
"$ZORV" asm "$T/s.asm" -o "$T/x.bin" --listing "$T/tube" 2> /dev/null; [ $? = 1 ] && [ ! -e "$T/x.bin" ]
verifie "une sortie refusée : aucune écrite" $?
if [ "$(id -u)" != 0 ]; then
    echo garde > "$T/ro.bin"; chmod a-w "$T/ro.bin"
    "$ZORV" asm "$T/s.asm" -o "$T/ro.bin" 2> /dev/null; [ $? = 1 ] && [ "$(cat "$T/ro.bin")" = garde ]
    verifie "fichier protégé non remplacé" $?
fi
printf ' nop\n db 1\xe9\n' > "$T/octet.asm"
"$ZORV" asm "$T/octet.asm" -o "$T/o.bin" 2> "$T/err"
grep -qF '\xE9' "$T/err" && iconv -f UTF-8 -t UTF-8 "$T/err" > /dev/null; verifie "octet isolé montré \\xHH" $?
printf ' dw 10000H*10000H\n' > "$T/dep.asm"
"$ZORV" asm "$T/dep.asm" -o "$T/d.bin" 2> "$T/err"; [ $? = 1 ] && grep -q 'dépassement' "$T/err"
verifie "dépassement de 32 bits refusé" $?

# Printer output: a device is refused before the run, nothing is lost.
refus "imprimante vers un tube" "n'est pas un fichier ordinaire" "$ZORV" run --no-rom --printer "$T/tube" --max-instructions 1
echo avant > "$T/impr.txt"
"$ZORV" run --no-rom --printer "$T/impr.txt" --max-instructions 10; verifie "imprimante" $?
[ ! -s "$T/impr.txt" ]; verifie "fichier imprimante remplacé en fin de course" $?

exit $echec
