#!/bin/bash
# The real emulator window under a virtual X server: starts in a copy of the
# program folder with small ROM images of its own, runs a second, closes
# cleanly and reports its speed.
set -u
. "$(dirname "$(readlink -f "$0")")/lib/xvfb.sh"
programme="$1"
if [ ! -x "$programme/emulzorv" ]; then
  echo "emulzorv absent : rien à vérifier"; exit 0
fi
if ! command -v xvfb-run >/dev/null; then
  echo "xvfb-run absent : test ignoré"; exit 0
fi
dossier=$(mktemp -d)
trap 'rm -rf "$dossier"' EXIT
cp "$programme/emulzorv" "$dossier/"
cd "$dossier"
# Boot ROM: writes "Zorvex" at the top of the screen, then counts forever.
printf '\041\000\020\021\040\000\032\267\312\021\000\167\043\023\303\006\000\004\015\023\303\021\000' > QBM71K.bin
head -c 9 /dev/zero >> QBM71K.bin
printf 'Zorvex\000' >> QBM71K.bin
head -c 2048 /dev/zero > G-CAR-T9.bin
head -c 2048 /dev/zero | tr '\0' '\377' > T318-C.bin

sortie=$(EMULZORV_MESURE=1 xvfb_lance 60 ./emulzorv)
rc=$?
echo "$sortie"
[ $rc -eq 0 ] || { echo "ÉCHEC : code de sortie $rc"; exit 1; }
echo "$sortie" | grep -q "instructions par seconde : [1-9]" || { echo "ÉCHEC : pas de mesure"; exit 1; }
grep -q '^Machine=T7E$' EmulZorv.ini || { echo "ÉCHEC : fichier des paramètres non créé"; exit 1; }

# Without its boot ROM the window shows the box, closes and says so by its
# exit status.
rm QBM71K.bin
EMULZORV_MESURE=1 xvfb_lance 60 ./emulzorv >/dev/null
rc=$?
[ $rc -eq 1 ] || { echo "ÉCHEC : sans ROM de boot, code de sortie $rc au lieu de 1"; exit 1; }

exit 0
