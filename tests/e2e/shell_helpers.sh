# Small helpers the end-to-end scripts share; sourced, never run.

fail() {
    echo "FAIL: $*" >&2
    exit 1
}
note() { echo "-- $*"; }

# wait_until SECONDS COMMAND...: true as soon as the command succeeds.
wait_until() {
    local limit=$1
    shift
    local deadline=$((SECONDS + limit))
    while ((SECONDS <= deadline)); do
        "$@" >/dev/null 2>&1 && return 0
        sleep 0.1
    done
    return 1
}
