# Shared by with_fcitx5.sh and with_ibus.sh (POSIX sh, sourced).

# wait_until <log> <command...>: up to 10 s for the method to answer; its log
# is shown when it never does.
wait_until() {
    log=$1
    shift
    i=0
    until "$@" 2>/dev/null; do
        i=$((i + 1))
        [ $i -le 100 ] || { cat "$log" >&2; exit 1; }
        sleep 0.1
    done
}

# run_and_end <method pid> <QT_IM_MODULE> <program> [arguments...]: runs the program
# on the method, then ends the method and the Mozc server started for this
# run (it outlives the method), no other; exits with the program's status.
run_and_end() {
    method=$1
    module=$2
    shift 2
    status=0
    QT_QPA_PLATFORM=xcb QT_IM_MODULE=$module "$@" || status=$?
    kill "$method" 2>/dev/null || true
    for pid in $(pgrep -u "$(id -u)" -x mozc_server || true); do
        tr '\0' '\n' <"/proc/$pid/environ" 2>/dev/null | grep -qx "HOME=$HOME" && kill "$pid"
    done
    exit $status
}
