#!/bin/bash
# The Debian package: built with CPack from this build folder, accepted by
# lintian (no error), its menu entry and AppStream file valid, and its
# contents, unpacked into a scratch root, run: zorv --version, zorv run to
# the monitor's prompt on the packaged images, the window offscreen.
set -u
programme="$1"
construction=$(dirname "$programme")
[ -x "$programme/emulzorv" ] || { echo "emulzorv absent : pas de paquet"; exit 0; }
T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT
echec() { echo "ÉCHEC : $*" >&2; exit 1; }
for outil in cpack lintian desktop-file-validate appstreamcli dpkg-deb; do
    command -v "$outil" > /dev/null || echec "$outil absent (make deps l'installe)"
done

(cd "$construction" && cpack -G DEB -B "$T/cpack" > "$T/cpack.log" 2>&1) || { cat "$T/cpack.log"; echec "cpack"; }
paquet=$(ls "$T"/cpack/emulzorv_*.deb 2> /dev/null | head -1)
[ -n "$paquet" ] || echec "pas de .deb produit"

lintian --fail-on error "$paquet" > "$T/lintian" 2>&1 || { cat "$T/lintian"; echec "lintian"; }
grep -q "^E:" "$T/lintian" && { cat "$T/lintian"; echec "lintian : erreurs"; }
dpkg-deb -f "$paquet" Depends | grep -q "libqt6widgets6" || echec "dépendances non calculées"

dpkg-deb -x "$paquet" "$T/racine" || echec "dpkg -x"
r="$T/racine/usr"
for f in bin/zorv bin/emulzorv share/emulzorv/QBM71K.bin share/emulzorv/G-CAR-T9.bin share/emulzorv/T318-C.bin \
         share/man/man1/zorv.1.gz share/man/man1/emulzorv.1.gz share/bash-completion/completions/zorv \
         share/applications/emulzorv.desktop share/icons/hicolor/scalable/apps/emulzorv.svg \
         share/metainfo/fr.emulzorv.EmulZorv.metainfo.xml share/doc/emulzorv/copyright; do
    [ -e "$r/$f" ] || echec "$f absent du paquet"
done
desktop-file-validate "$r/share/applications/emulzorv.desktop" || echec "desktop-file-validate"
appstreamcli validate --no-net "$r/share/metainfo/fr.emulzorv.EmulZorv.metainfo.xml" > "$T/as" 2>&1 ||
    { cat "$T/as"; echec "appstreamcli validate"; }

# Every option of zorv run's table is in the manual page and the completion.
zcat "$r/share/man/man1/zorv.1.gz" > "$T/zorv.1"
for o in $("$programme/zorv" run --help | grep -oE -- '--[a-z][a-z-]*' | sort -u); do
    grep -q -- "$(printf '%s' "$o" | sed 's/-/\\\\-/g')" "$T/zorv.1" || echec "page de manuel : $o absent"
    grep -qE -- "[\" ]$o[\" ]" "$r/share/bash-completion/completions/zorv" || echec "complétion : $o absent"
done
bash -c ". '$r/share/bash-completion/completions/zorv'; COMP_WORDS=(zorv st); COMP_CWORD=1; _zorv; [ \"\${COMPREPLY[*]}\" = state ]" ||
    echec "complétion des commandes"

# The unpacked programs run, from elsewhere, on the packaged images.
maison="$T/maison"
mkdir -p "$maison"
[ "$(cd / && HOME="$maison" "$r/bin/zorv" --version)" = "$("$programme/zorv" --version)" ] || echec "zorv --version"
(cd / && HOME="$maison" XDG_CONFIG_HOME= "$r/bin/zorv" run --keys 'A 2 3\r' --max-instructions 3000000 \
    --screen-text) > "$T/ecran" 2> "$T/erreurs" || { cat "$T/erreurs"; echec "zorv run du paquet"; }
grep -q '^2 + 3 = 5 *$' "$T/ecran" || { cat "$T/ecran"; echec "zorv run : le moniteur n'a pas répondu"; }
(cd / && HOME="$maison" XDG_CONFIG_HOME= XDG_DATA_HOME= QT_QPA_PLATFORM=offscreen EMULZORV_MESURE=1 \
    timeout 60 "$r/bin/emulzorv") > "$T/fenetre" 2>&1 || { cat "$T/fenetre"; echec "la fenêtre du paquet"; }
echo "paquet : $(basename "$paquet"), lintian sans erreur, contenu en état de marche"
