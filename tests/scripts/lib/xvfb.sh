# Sourced by the window tests: xvfb_lance DELAY COMMAND… runs the command in
# a fresh virtual X server (xvfb-run -a, from a random display number so that
# tests running side by side do not race for the same one), within DELAY
# seconds. Under load the new server now and then refuses the first client
# ("could not connect to display"): the run is then tried again, up to three
# times. Prints the command's output; returns its status.
xvfb_lance() {
    local delai=$1 sortie statut essai
    shift
    for essai in 1 2 3; do
        sortie=$(timeout "$delai" xvfb-run -a -n $((100 + RANDOM % 800)) "$@" 2>&1)
        statut=$?
        case "$sortie" in
        *"could not connect to display"*) [ $essai -lt 3 ] && continue ;;
        esac
        break
    done
    printf '%s\n' "$sortie"
    return $statut
}
