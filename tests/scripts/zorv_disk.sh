#!/bin/bash
# zorv disk: new, format, ls, import, export and check on image files, the
# messages one per line with the summary last, and the exit statuses.
. "$(dirname "$0")/lib/commun.sh"
trap 'chattr -i "$T/ro.img" 2>/dev/null; rm -rf "$T"' EXIT # the immutable image too
taille() { stat -c %s "$1"; }

"$ZORV" disk --help | grep -q 'import IMAGE DOSSIER'; verifie "aide" $?
"$ZORV" disk 2> /dev/null; [ $? = 2 ]; verifie "sans action : 2" $?
"$ZORV" disk range a.img 2> /dev/null; [ $? = 2 ]; verifie "action inconnue : 2" $?
"$ZORV" disk ls 2> /dev/null; [ $? = 2 ]; verifie "ls sans image : 2" $?
"$ZORV" disk export "$T/a.img" 2> /dev/null; [ $? = 2 ]; verifie "export sans dossier : 2" $?
# Each action has the shared option table: its own help, --version, refusals.
"$ZORV" disk import --help | grep -q -- '--format'; verifie "aide de import" $?
"$ZORV" disk new -h | grep -q -- '--size TAILLE'; verifie "aide de new" $?
[ "$("$ZORV" disk ls --version)" = "$("$ZORV" asm --version)" ] &&
    [ "$("$ZORV" --version)" = "$("$ZORV" disk --version)" ]; verifie "--version" $?
"$ZORV" disk ls a.img b.img 2> "$T/erreurs"; [ $? = 2 ] && grep -q 'argument en trop « b.img »' "$T/erreurs"
verifie "argument en trop : 2" $?
"$ZORV" disk ls a.img --format 2> /dev/null; [ $? = 2 ]; verifie "--format hors de import : 2" $?
[ "$("$ZORV" disk ls "$T/absent.img" 2>&1)" = "zorv disk : Le fichier $T/absent.img n'existe pas" ]
verifie "image absente" $?
[ "$("$ZORV" disk check "$T" 2>&1)" = "zorv disk : $T est un dossier" ]; verifie "image dossier" $?

# Blank images, full size; never over an existing file.
"$ZORV" disk new "$T/a.img"; verifie "new" $?
[ "$(taille "$T/a.img")" = 788480 ]; verifie "800K par défaut" $?
"$ZORV" disk new "$T/b.img" --size 400K && [ "$(taille "$T/b.img")" = 409600 ]; verifie "400K" $?
"$ZORV" disk new "$T/c.img" --size 1.2M && [ "$(taille "$T/c.img")" = 1261568 ]; verifie "1.2M" $?
"$ZORV" disk new "$T/d.img" --size=400K && [ "$(taille "$T/d.img")" = 409600 ]; verifie "--size=400K" $?
printf 'garde' > "$T/x.img"
"$ZORV" disk new "$T/x.img" > "$T/sortie"; [ $? = 1 ] && [ "$(cat "$T/x.img")" = garde ]; verifie "new n'écrase pas" $?
"$ZORV" disk new "$T/y.img" --size 720K 2> /dev/null; [ $? = 2 ] && [ ! -e "$T/y.img" ]; verifie "--size 720K refusé" $?
LC_ALL=C "$ZORV" disk ls "$T/x.img" 2> "$T/erreurs"; [ $? = 2 ]; verifie "taille refusée" $?
# Digits grouped by narrow no-break spaces whatever the locale, as in the window and zorv run --disk.
grep -q 'doit être : 409 600, 788 480 ou 1 261 568 octets' "$T/erreurs"; verifie "message de taille" $?
LC_ALL=C "$ZORV" run --no-rom --disk 1="$T/x.img" --max-instructions 1 2> "$T/erreurs2"
grep -q 'doit être : 788 480 octets' "$T/erreurs2"; verifie "même séparateur dans zorv run" $?

[ "$("$ZORV" disk ls "$T/a.img")" = "  Disque non formaté" ]; verifie "ls d'une image vierge" $?
"$ZORV" disk import "$T/a.img" "$T" > "$T/sortie"; [ $? = 1 ]; verifie "import sans format : 1" $?
[ "$(cat "$T/sortie")" = "Le disque n'est pas formaté" ]; verifie "message non formaté" $?

# A host folder: a directory, a chained file, a long name, a contiguous file.
mkdir -p "$T/src/util"
head -c 600 /dev/urandom > "$T/src/prog_00012_00000.txt"
head -c 10 /dev/urandom > "$T/src/notes de cours_00256_00000"
head -c 300 /dev/urandom > "$T/src/bin_00100_00003"
head -c 1000 /dev/urandom > "$T/src/util/A_00003_00004"
"$ZORV" disk import "$T/a.img" "$T/src" --format > "$T/sortie"; verifie "import --format" $?
[ "$(cat "$T/sortie")" = "Fichier(s) importé(s) : 4" ]; verifie "bilan de l'import" $?
cat > "$T/attendu" <<'LS'
 Disque : 00000      Secteur libre : 00075
UTIL     ...................... 00064
  A               00003  00004  00065 
BIN               00100  00003  00069 
NOTES DE COURS    00256  00000  00071 
PROG              00012  00000  00072 
LS
"$ZORV" disk ls "$T/a.img" > "$T/sortie"; verifie "ls" $?
diff "$T/attendu" "$T/sortie" > /dev/null; verifie "lignes du catalogue" $?
"$ZORV" disk check "$T/a.img" > "$T/sortie"; verifie "check d'un disque sain" $?
grep -q '^Disque sain : 4 fichier(s), 1 répertoire(s)$' "$T/sortie"; verifie "bilan de check" $?

# Export: 253 bytes per chained sector; a second export overwrites nothing.
"$ZORV" disk export "$T/a.img" "$T/out" > "$T/sortie"; verifie "export" $?
[ "$(tail -1 "$T/sortie")" = "Fichier(s) exporté(s) : 4" ]; verifie "bilan de l'export" $?
[ "$(taille "$T/out/PROG_00012_00000")" = 759 ] && [ "$(taille "$T/out/UTIL/A_00003_00004")" = 1012 ] &&
    [ "$(taille "$T/out/BIN_00100_00003")" = 512 ] && [ -f "$T/out/NOTESDE COURS_00256_00000" ]
verifie "fichiers exportés" $?
cmp -s -n 600 "$T/src/prog_00012_00000.txt" "$T/out/PROG_00012_00000"; verifie "données exportées" $?
cp "$T/out/BIN_00100_00003" "$T/bin"
printf 'garde' > "$T/out/BIN_00100_00003"
"$ZORV" disk export "$T/a.img" "$T/out" > "$T/sortie"; [ $? = 1 ]; verifie "second export : 1" $?
[ "$(grep -c 'Existe déjà$' "$T/sortie")" = 4 ] && [ "$(tail -1 "$T/sortie")" = "Fichier(s) exporté(s) : 0" ]
verifie "second export : messages puis bilan" $?
[ "$(cat "$T/out/BIN_00100_00003")" = garde ]; verifie "rien n'est écrasé" $?

# Round trip onto a 1.2 Mo image.
mv "$T/bin" "$T/out/BIN_00100_00003"
"$ZORV" disk import "$T/c.img" "$T/out" --format > /dev/null; verifie "import dans une image 1.2 Mo" $?
"$ZORV" disk export "$T/c.img" "$T/out2" > /dev/null && diff -r "$T/out" "$T/out2" > /dev/null
verifie "aller-retour" $?
# The folder is created with its missing parents.
"$ZORV" disk export "$T/c.img" "$T/neuf/sous/dossier" > /dev/null && diff -r "$T/out" "$T/neuf/sous/dossier" > /dev/null
verifie "dossier créé avec ses parents" $?

# An invalid host name stops the import, without a summary.
mkdir "$T/src2"; : > "$T/src2/README"; : > "$T/src2/Z_00001_00000"
"$ZORV" disk import "$T/a.img" "$T/src2" > "$T/sortie"; [ $? = 1 ]; verifie "README : 1" $?
[ "$(head -1 "$T/sortie")" = "Nom de fichier trop long ou nom invalide : $T/src2/README" ] &&
    [ "$(wc -l < "$T/sortie")" = 2 ] && grep -q '^Forme attendue : NOM_C1_C2' "$T/sortie"; verifie "README arrête l'import" $?

# A damaged disk: PROG's last sector linked back to its first.
cp "$T/a.img" "$T/abime.img"
printf '\x00\x48' | dd of="$T/abime.img" bs=1 seek=$(( (74 - 1) * 256 )) conv=notrunc status=none
"$ZORV" disk check "$T/abime.img" > "$T/sortie"; [ $? = 1 ]; verifie "check d'un disque endommagé : 1" $?
grep -q '^Disque endommagé : le fichier PROG est lié au secteur 72, déjà lu dans ce fichier (lien du secteur 74)$' "$T/sortie"
verifie "message de la boucle" $?
"$ZORV" disk ls "$T/abime.img" > /dev/null 2>&1; verifie "ls ne suit pas les chaînes" $?
"$ZORV" disk export "$T/abime.img" "$T/out3" > "$T/sortie"; [ $? = 1 ]; verifie "export endommagé : 1" $?
grep -q '^Disque endommagé' "$T/sortie" && [ "$(tail -1 "$T/sortie")" = "Fichier(s) exporté(s) : 4" ]
verifie "export endommagé : message puis bilan" $?

# A read-only image refuses format and import.
cp "$T/a.img" "$T/ro.img"
chmod 444 "$T/ro.img"
[ -w "$T/ro.img" ] && chattr +i "$T/ro.img" 2>/dev/null
if [ ! -w "$T/ro.img" ] || lsattr "$T/ro.img" 2>/dev/null | grep -q '^....i'; then
    avant=$(md5sum < "$T/ro.img")
    [ "$("$ZORV" disk format "$T/ro.img")" = "Disque protégé en écriture" ]; verifie "format protégé" $?
    "$ZORV" disk import "$T/ro.img" "$T/src" > "$T/sortie"; [ $? = 1 ]; verifie "import protégé : 1" $?
    [ "$(cat "$T/sortie")" = "Disque protégé en écriture" ]; verifie "message protégé" $?
    [ "$(md5sum < "$T/ro.img")" = "$avant" ]; verifie "image protégée intacte" $?
    "$ZORV" disk ls "$T/ro.img" > /dev/null; verifie "ls d'une image protégée" $?
else
    echo "image en lecture seule impossible ici : cas sauté"
fi

exit $echec
