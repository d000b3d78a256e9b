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

# The scripts below keep the process groups they start in groups, and each case's files in
# case_dir.

# end_groups: ends every process group started: TERM, then KILL for one still there after 5 s.
end_groups() {
    local group
    for group in "${groups[@]}"; do kill -TERM -- "-$group" 2>/dev/null; done
    for group in "${groups[@]}"; do
        wait_until 5 bash -c "! kill -0 -- -$group" || kill -KILL -- "-$group" 2>/dev/null
    done
}

# run_saver NAME ARGS...: starts $VORLIX_BIN in a process group of its own; its exit code lands
# in $case_dir/NAME.rc, its output in NAME.out and NAME.err. Sets saver_group.
run_saver() {
    local name=$1
    shift
    rm -f "$case_dir/$name.rc"
    setsid bash -c 'out=$1 err=$2 rc=$3; shift 3; "$@" >"$out" 2>"$err"; echo $? >"$rc"' \
        vorlix-run "$case_dir/$name.out" "$case_dir/$name.err" "$case_dir/$name.rc" \
        "$VORLIX_BIN" "$@" &
    saver_group=$!
    groups+=("$saver_group")
}

saver_pid() { pgrep -P "$saver_group" | head -n 1; }
saver_alive() { [ ! -f "$case_dir/$1.rc" ]; }
exit_code() { cat "$case_dir/$1.rc"; }
log_has() { grep -qF -- "$2" "$1" 2>/dev/null; }

expect_clean_log() {
    log_has "$1" "[StopErrorMsg] DEBUG SESSION TERMINATED" || fail "$1 was not closed cleanly"
}
