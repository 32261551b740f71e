#!/bin/bash
# A long fuzz campaign in chunks: runs TARGET for COUNT inputs per chunk,
# CHUNKS times with successive seeds from SEED, at the lowest priority, and
# appends one line per chunk to LOG (OK with the target's summary, or ECHEC
# with its last lines). The seeds of a finished campaign tell the next one
# where to start, so counts over several runs add up without repeating inputs.
#
#   tests/fuzz/campagne.sh TARGET COUNT CHUNKS SEED LOG
#   e.g. tests/fuzz/campagne.sh build-asan/tests/fuzz_catalogue 20000 50 601 /tmp/catalogue.log
# Temporary folders go to $TMPDIR (a tmpfs such as /dev/shm is much faster
# for the catalogue target, which exports every input).
set -u
[ $# = 5 ] || { echo "usage : $0 CIBLE ENTREES TRANCHES GRAINE JOURNAL" >&2; exit 2; }
cible=$1; nombre=$2; tranches=$3; graine=$4; journal=$5
sortie=$(mktemp)
trap 'rm -f "$sortie"' EXIT
for ((k = 0; k < tranches; k++)); do
    s=$((graine + k))
    debut=$(date +%s)
    if nice -n 19 "$cible" "$nombre" "$s" > "$sortie" 2>&1; then
        echo "OK seed=$s n=$nombre $(($(date +%s) - debut))s $(tail -1 "$sortie")" >> "$journal"
    else
        echo "ECHEC seed=$s n=$nombre: $(tail -5 "$sortie" | tr '\n' ' ')" >> "$journal"
        exit 1
    fi
done
