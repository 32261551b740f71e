# Shared by the zorv script tests (sourced): the program folder in $1, zorv,
# a temporary folder $T removed at the end, and verifie DESCRIPTION STATUS,
# which records a failure and lets the script go on.
set -u
ZORV="$1/zorv"
T=$(mktemp -d)
trap 'rm -rf "$T"' EXIT
echec=0
verifie() { # description, condition result
    if [ "$2" != 0 ]; then echo "ÉCHEC : $1"; echec=1; fi
}
