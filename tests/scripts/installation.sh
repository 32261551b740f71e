#!/bin/bash
# cmake --install into a scratch prefix: programs, ROM images, menu entry and
# icon in their XDG places; the installed window starts on the installed
# images and keeps its settings in the user's configuration folder.
set -u
. "$(dirname "$(readlink -f "$0")")/lib/xvfb.sh"
programme="$1"
construction=$(dirname "$programme")
[ -x "$programme/emulzorv" ] || { echo "emulzorv absent : rien à vérifier"; exit 0; }
dossier=$(mktemp -d)
trap 'rm -rf "$dossier"' EXIT
cmake --install "$construction" --prefix "$dossier/prefixe" >/dev/null || { echo "ÉCHEC : cmake --install"; exit 1; }
for f in bin/emulzorv bin/zorv share/emulzorv/QBM71K.bin share/emulzorv/G-CAR-T9.bin share/emulzorv/T318-C.bin \
         share/applications/emulzorv.desktop share/icons/hicolor/scalable/apps/emulzorv.svg \
         share/doc/emulzorv/manuel/index.md share/doc/emulzorv/manuel/options-zorv.md share/doc/emulzorv/aide-manuel.png; do
  [ -e "$dossier/prefixe/$f" ] || { echo "ÉCHEC : $f absent"; exit 1; }
done
grep -q '^Exec=emulzorv' "$dossier/prefixe/share/applications/emulzorv.desktop" || { echo "ÉCHEC : .desktop"; exit 1; }
"$dossier/prefixe/bin/zorv" --help >/dev/null 2>&1 || { echo "ÉCHEC : zorv --help"; exit 1; }
command -v xvfb-run >/dev/null || { echo "xvfb-run absent : démarrage non vérifié"; exit 0; }
mkdir -p "$dossier/maison"
sortie=$(cd / && HOME="$dossier/maison" XDG_CONFIG_HOME= XDG_DATA_HOME= EMULZORV_MESURE=1 \
         xvfb_lance 60 "$dossier/prefixe/bin/emulzorv")
rc=$?
[ $rc -eq 0 ] || { echo "$sortie"; echo "ÉCHEC : code de sortie $rc"; exit 1; }
[ -f "$dossier/maison/.config/EmulZorv/EmulZorv.ini" ] || { echo "ÉCHEC : paramètres hors de ~/.config/EmulZorv"; exit 1; }
[ ! -e "$dossier/prefixe/bin/EmulZorv.ini" ] || { echo "ÉCHEC : paramètres écrits dans bin/"; exit 1; }
echo "installation : fichiers en place, paramètres dans ~/.config/EmulZorv/"
