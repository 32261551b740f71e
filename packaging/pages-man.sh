#!/bin/bash
# The manual pages of zorv and emulzorv and the bash completion of zorv,
# made from the programs' own help (which their option tables print), so
# that an option added to a table reaches the pages and the completion.
#
#   packaging/pages-man.sh ZORV EMULZORV DOSSIER
# writes DOSSIER/zorv.1, DOSSIER/emulzorv.1 and DOSSIER/zorv (completion).
set -eu
[ $# = 3 ] || { echo "usage : $0 ZORV EMULZORV DOSSIER" >&2; exit 2; }
zorv=$1; emulzorv=$2; sortie=$3
mkdir -p "$sortie"
version=$("$zorv" --version | awk '{print $2}')
date=$(date -u -d "@${SOURCE_DATE_EPOCH:-$(date +%s)}" +%Y-%m-%d)

# Text as roff: backslashes and leading dots or quotes neutralised.
roff() { sed -e 's/\\/\\e/g' -e "s/^\\([.']\\)/\\\\\\&\\1/" -e 's/-/\\-/g'; }

# The subcommands as zorv --help lists them: "  nom   description".
commandes=$("$zorv" --help | awk '/^  [a-z]+ /{print $1}')
actions_disque=$("$zorv" disk --help | awk '/^  [a-z]+ [A-Z]/{print $1}')

# The help of one command as a preformatted block.
bloc() {
    echo ".PP"
    echo ".nf"
    "$@" --help 2>&1 | roff
    echo ".fi"
}

{
    echo ".TH ZORV 1 \"$date\" \"EmulZorv $version\" \"Commandes\""
    echo ".SH NOM"
    echo "zorv \\- la machine Zorvex sans fenêtre, l'assembleur, le désassembleur et les images disquette"
    echo ".SH SYNOPSIS"
    echo ".B zorv"
    echo ".I commande"
    echo "[options]"
    echo ".SH DESCRIPTION"
    bloc "$zorv"
    for c in $commandes; do
        echo ".SH \"ZORV $(echo "$c" | tr a-z A-Z)\""
        bloc "$zorv" "$c"
        if [ "$c" = disk ]; then
            for a in $actions_disque; do
                echo ".SS \"zorv disk $a\""
                bloc "$zorv" disk "$a"
            done
        fi
    done
    echo ".SH VOIR AUSSI"
    echo ".BR emulzorv (1)"
} > "$sortie/zorv.1"

{
    echo ".TH EMULZORV 1 \"$date\" \"EmulZorv $version\" \"Commandes\""
    echo ".SH NOM"
    echo "emulzorv \\- émulateur des micro-ordinateurs Zorvex"
    echo ".SH SYNOPSIS"
    echo ".B emulzorv"
    echo "[options]"
    echo ".SH DESCRIPTION"
    echo "La fenêtre de la machine, son gestionnaire de disques et son débogueur."
    echo "Les réglages sont dans ~/.config/EmulZorv/EmulZorv.ini, les captures, les"
    echo "impressions et les états enregistrés dans ~/.local/share/EmulZorv/."
    echo ".SH OPTIONS"
    bloc "$emulzorv"
    echo ".SH VOIR AUSSI"
    echo ".BR zorv (1)"
} > "$sortie/emulzorv.1"

# The completion: the subcommands, then the options each one's help names.
options() { "$@" --help 2>&1 | grep -oE -- '(^|[ ,[])--?[a-zA-Z][a-zA-Z0-9-]*' | sed 's/^[ ,[]//' | sort -u | tr '\n' ' '; }
{
    echo "# bash completion of zorv (made from its help by packaging/pages-man.sh)"
    echo "_zorv() {"
    echo "    local cur=\${COMP_WORDS[COMP_CWORD]} mots"
    echo "    if [ \"\$COMP_CWORD\" -eq 1 ]; then"
    echo "        COMPREPLY=(\$(compgen -W \"$(echo $commandes) --help --version\" -- \"\$cur\"))"
    echo "        return"
    echo "    fi"
    echo "    case \${COMP_WORDS[1]} in"
    for c in $commandes; do
        if [ "$c" = disk ]; then
            echo "    disk)"
            echo "        if [ \"\$COMP_CWORD\" -eq 2 ]; then"
            echo "            COMPREPLY=(\$(compgen -W \"$(echo $actions_disque) --help\" -- \"\$cur\"))"
            echo "            return"
            echo "        fi"
            echo "        case \${COMP_WORDS[2]} in"
            for a in $actions_disque; do
                echo "        $a) mots=\"$(options "$zorv" disk "$a")\" ;;"
            done
            echo "        *) mots= ;;"
            echo "        esac ;;"
        else
            echo "    $c) mots=\"$(options "$zorv" "$c")\" ;;"
        fi
    done
    echo "    *) mots= ;;"
    echo "    esac"
    echo "    if [[ \$cur == -* ]]; then"
    echo "        COMPREPLY=(\$(compgen -W \"\$mots\" -- \"\$cur\"))"
    echo "    else"
    echo "        COMPREPLY=(\$(compgen -f -- \"\$cur\"))"
    echo "    fi"
    echo "}"
    echo "complete -o filenames -F _zorv zorv"
} > "$sortie/zorv"
