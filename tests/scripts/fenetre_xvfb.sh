#!/bin/bash
# The real window under a virtual X server, driven with real key presses:
# resized, F11 full screen and back, F12 screenshot, Alt+F4; the zoom and
# full-screen choices land in the settings file.
set -u
. "$(dirname "$(readlink -f "$0")")/lib/xvfb.sh"
programme="$1"
[ -x "$programme/emulzorv" ] || { echo "emulzorv absent : rien à vérifier"; exit 0; }
for outil in xvfb-run xdotool; do
  command -v $outil >/dev/null || { echo "$outil absent : test ignoré"; exit 0; }
done
dossier=$(mktemp -d)
trap 'rm -rf "$dossier"' EXIT
cp "$programme/emulzorv" "$dossier/"
cd "$dossier"
# Boot ROM: a loop; blank character set; empty bank PROM.
printf '\061\000\200\000\303\003\000' > QBM71K.bin
head -c 2048 /dev/zero > G-CAR-T9.bin
head -c 2048 /dev/zero | tr '\0' '\377' > T318-C.bin

cat > scenario.sh <<'FIN'
set -u
echec() { echo "ÉCHEC : $*"; kill $pid 2>/dev/null; exit 1; }
geometrie() { xdotool getwindowgeometry "$w" | sed -n 's/.*Geometry: //p'; }
attends() { # attends CONDITION-COMMAND…
  for _ in $(seq 100); do eval "$1" && return 0; sleep 0.1; done; return 1
}
./emulzorv & pid=$!
attends 'w=$(xdotool search --name "Emulateur Zorvex" 2>/dev/null | head -1); [ -n "$w" ]' || echec "pas de fenêtre"
attends '[ "$(geometrie)" = 1060x650 ]' || echec "taille de départ $(geometrie)"
attends 'xdotool getwindowname "$w" | grep -q " - RUN$"' || echec "titre $(xdotool getwindowname "$w")"
xdotool windowsize "$w" 1400 900
attends '[ "$(geometrie)" = 1400x900 ]' || echec "redimensionnement : $(geometrie)"
xdotool windowfocus --sync "$w" 2>/dev/null || true
# Without a window manager the X server does not resize a full-screen
# window: the window's own record of the state is what tells.
xdotool key F11
attends 'grep -q "^PleinEcran=1" EmulZorv.ini' || echec "F11 : pas de plein écran ($(geometrie))"
xdotool key F11
attends 'grep -q "^PleinEcran=0" EmulZorv.ini' || echec "F11 : pas de retour du plein écran"
xdotool key F12
attends 'ls Captures/Zorvex-*.png >/dev/null 2>&1' || echec "F12 : pas de capture"
taille=$(od -An -tx1 -j16 -N8 Captures/Zorvex-*.png | tr -d ' \n')
[ "$taille" = 0000040000000240 ] || echec "capture de taille $taille"
xdotool key alt+F4
attends '! kill -0 $pid 2>/dev/null' || echec "Alt+F4 ne ferme pas"
wait $pid || echec "code de sortie $?"
echo "fenêtre : redimensionnée, F11 aller-retour, F12 $(ls Captures), Alt+F4"
FIN
xvfb_lance 90 -s "-screen 0 1600x1000x24" bash scenario.sh | grep -v XDG_RUNTIME_DIR
exit "${PIPESTATUS[0]}"
