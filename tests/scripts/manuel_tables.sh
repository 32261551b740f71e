#!/bin/bash
# The manual's chapters that the tables give: docs/manuel/options-zorv.md and
# docs/manuel/commandes-console.md are what `zorv manuel` writes from the
# option tables and the console's command table (`ninja manuel` writes them
# again), and every subcommand, disk action, option and console command that
# zorv itself shows is in them.
source "$(dirname "$0")/lib/commun.sh"
MANUEL="$(cd "$(dirname "$0")/../.." && pwd)/docs/manuel"
OPTIONS="$MANUEL/options-zorv.md"
CONSOLE="$MANUEL/commandes-console.md"

"$ZORV" manuel options > "$T/options.md"; verifie "zorv manuel options" $?
diff -u "$OPTIONS" "$T/options.md" > "$T/diff" || { cat "$T/diff"; verifie "options-zorv.md diffère des tables (ninja -C build manuel)" 1; }
"$ZORV" manuel console > "$T/console.md"; verifie "zorv manuel console" $?
diff -u "$CONSOLE" "$T/console.md" > "$T/diff" || { cat "$T/diff"; verifie "commandes-console.md diffère de la table (ninja -C build manuel)" 1; }
"$ZORV" manuel autre 2> /dev/null; [ $? = 2 ]; verifie "zorv manuel autre : statut 2" $?

# Each subcommand and disk action has its section, with each option its help names.
options() { "$@" --help 2>&1 | grep -oE -- '(^|[ ,[])--?[a-zA-Z][a-zA-Z0-9-]*' | sed 's/^[ ,[]//' | sort -u; }
section() { # the lines of the section "TITRE" of the options chapter
    awk -v t="$1" '/^##/ { dedans = ($0 ~ "^##+ " t "$") } dedans' "$OPTIONS"
}
commandes=$("$ZORV" --help | awk '/^  [a-z]+ /{print $1}')
[ -n "$commandes" ]; verifie "zorv --help liste les commandes" $?
verifie_section() { # title, command...
    local titre="$1"; shift
    section "$titre" > "$T/section"
    [ -s "$T/section" ] || { verifie "section « $titre » absente du manuel" 1; return; }
    for o in $(options "$@"); do
        grep -qF -- "$o" "$T/section" || verifie "$titre : option $o absente du manuel" 1
    done
}
for c in $commandes; do
    verifie_section "zorv $c" "$ZORV" "$c"
done
for a in $("$ZORV" disk --help | awk '/^  [a-z]+ [A-Z]/{print $1}'); do
    verifie_section "zorv disk $a" "$ZORV" disk "$a"
done

# Each command that the console's aide lists has its row.
"$ZORV" debug --no-rom -e aide | awk '{print $1}' > "$T/aide"
[ -s "$T/aide" ]; verifie "aide liste les commandes" $?
while read -r c; do
    grep -qF -- "| \`$c\` |" "$CONSOLE" || verifie "commande $c absente du manuel" 1
done < "$T/aide"
exit $echec
