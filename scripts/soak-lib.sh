# Shared by the soak scripts (sourced): samples a process's resident memory and open files, and
# judges whether they stayed flat after the first minute.

# Resident memory in kB, or nothing when the process has gone.
soak_rss_kb() { awk '/^VmRSS:/ {print $2}' "/proc/$1/status" 2>/dev/null; }

# Open file descriptors, or nothing when the process has gone.
soak_open_files() {
    [ -d "/proc/$1/fd" ] || return 0
    find "/proc/$1/fd" -mindepth 1 -maxdepth 1 2>/dev/null | wc -l
}

# Sleeps until SECONDS after the epoch time START (both may be fractional), so sampling does
# not drift by the time the samples take.
soak_sleep_until() {
    local start=$1 offset=$2 now
    now=$EPOCHREALTIME
    local wait
    wait=$(awk -v s="$start" -v o="$offset" -v n="$now" 'BEGIN { w = s + o - n; print (w > 0 ? w : 0) }')
    sleep "$wait"
}

# soak_verdict FILE: FILE has one sample a line, "SECONDS RSS_KB OPEN_FILES ...". Growth is
# from the first sample at or after 60 s to the highest one after it; under 1 % passes.
soak_verdict() {
    awk '
        NR == 1 { startRss = $2; startFiles = $3 }
        $1 >= 60 && !based { based = 1; baseRss = $2; baseFiles = $3; peakRss = $2; peakFiles = $3 }
        based && $2 > peakRss { peakRss = $2 }
        based && $3 > peakFiles { peakFiles = $3 }
        { endRss = $2; endFiles = $3; last = $1 }
        END {
            if (!based) { print "verdict: FAIL (the run ended before its first minute)"; exit 1 }
            rss = 100 * (peakRss - baseRss) / baseRss
            files = 100 * (peakFiles - baseFiles) / baseFiles
            printf "RSS (kB):   start %d, after 1 min %d, end %d (at %d s), peak after 1 min %d: growth %.2f %%\n",
                startRss, baseRss, endRss, last, peakRss, rss
            printf "open files: start %d, after 1 min %d, end %d, peak after 1 min %d: growth %.2f %%\n",
                startFiles, baseFiles, endFiles, peakFiles, files
            if (rss < 1 && files < 1) {
                print "verdict: PASS (memory and open files flat, growth under 1 % after the first minute)"
                exit 0
            }
            print "verdict: FAIL (growth of 1 % or more after the first minute)"
            exit 1
        }' "$1"
}
