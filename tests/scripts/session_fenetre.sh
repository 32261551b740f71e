#!/bin/bash
# A session recorded in the real window under a virtual X server, with real
# key presses at the monitor (a disk formatted and written, memory changed
# and shown, a line printed), then replayed without a window: the replay
# follows the recording to its end (the machine's fingerprints, the screen's
# included, match at every second and at the end), gives the disk image the
# window wrote byte for byte, and gives the same screen text and printed text
# at three clock frequencies and in both speed modes.
set -u
. "$(dirname "$(readlink -f "$0")")/lib/xvfb.sh"
programme=$(readlink -f "$1")
[ -x "$programme/emulzorv" ] || { echo "emulzorv absent : rien à vérifier"; exit 0; }
for outil in xvfb-run xdotool; do
  command -v $outil >/dev/null || { echo "$outil absent : test ignoré"; exit 0; }
done
dossier=$(mktemp -d)
trap 'rm -rf "$dossier"' EXIT
cp "$programme/emulzorv" "$programme/QBM71K.bin" "$programme/G-CAR-T9.bin" "$programme/T318-C.bin" "$dossier/"
cd "$dossier"
truncate -s 788480 d1.img
printf 'DEBRIS' | dd of=d1.img bs=1 seek=2000 conv=notrunc status=none
printf '[Machine]\nMachine=T7E\n[Vitesse]\nReelle=1\n[Images]\nD1=%s\n' "$dossier/d1.img" > EmulZorv.ini

cat > scenario.sh <<'FIN'
set -u
echec() { echo "ÉCHEC : $*"; kill $pid 2>/dev/null; exit 1; }
attends() { for _ in $(seq 150); do eval "$1" && return 0; sleep 0.1; done; return 1; }
ligne() { xdotool type --delay 60 "$1"; xdotool key Return; sleep 1.5; }
./emulzorv --record session.zsession & pid=$!
attends 'w=$(xdotool search --name "Emulateur Zorvex" 2>/dev/null | head -1); [ -n "$w" ]' || echec "pas de fenêtre"
xdotool windowfocus --sync "$w" 2>/dev/null || true
sleep 3 # the monitor's banner and prompt
ligne "K 1"
xdotool type "O"; sleep 1.5 # "Tout effacer ? (O/N)"
ligne "M 3000 5A 4F 52 56"
ligne "S 1 7 3000"
ligne "P BONJOUR"
ligne "D 3000 3003"
xdotool key alt+F4
attends '! kill -0 $pid 2>/dev/null' || echec "Alt+F4 ne ferme pas"
wait $pid || echec "code de sortie $?"
FIN
xvfb_lance 120 -s "-screen 0 1600x1000x24" bash scenario.sh | grep -v XDG_RUNTIME_DIR
[ "${PIPESTATUS[0]}" = 0 ] || exit 1
[ -s session.zsession ] || { echo "ÉCHEC : pas de session écrite"; exit 1; }

echec=0
verifie() { if [ "$2" != 0 ]; then echo "ÉCHEC : $1"; echec=1; fi; }
# The window wrote the sector through to its image: the replay gives the same bytes.
[ "$(dd if=d1.img bs=1 skip=1536 count=4 status=none)" = ZORV ]; verifie "secteur 7 écrit par la fenêtre" $?
"$programme/zorv" run --replay session.zsession --expect-disk 1=d1.img --screen-text --printer imprime.txt > ecran.txt
verifie "relecture fidèle (code $?)" $?
grep -q '^3000  5A 4F 52 56' ecran.txt; verifie "vidage à l'écran" $?
grep -q 'BONJOUR' imprime.txt; verifie "ligne imprimée" $?
for option in "--horloge 1000" "--horloge 8000" "--vitesse reelle"; do
  # shellcheck disable=SC2086
  "$programme/zorv" run --replay session.zsession $option --expect-text ecran.txt --expect-printer imprime.txt \
      --expect-disk 1=d1.img
  verifie "relecture $option (code $?)" $?
done
exit $echec
