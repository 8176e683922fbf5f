#!/usr/bin/env bash
# Runs every libFuzzer target of a fuzz build for a fixed time, starting from the seeds kept in
# fuzz/<folder>/corpus/<target>/, and prints one line per target. Fails when any target crashes,
# times out on an input, leaks or runs out of memory. New inputs go to a scratch directory, never
# into the repository.
#   scripts/fuzz-run.sh [build-fuzz]
#   FUZZ_SECONDS   time per target (default 60)
#   FUZZ_RUNS      stop a target after this many inputs, whichever comes first (a campaign:
#                  FUZZ_RUNS=10000000 FUZZ_SECONDS=1800)
#   FUZZ_ONLY      run only the targets whose name matches this extended regular expression
#   FUZZ_SEED      fixed random seed, so that a short run in CI explores the same inputs each time
#   FUZZ_TIMEOUT, FUZZ_RSS_MB, FUZZ_KEEP (keep the grown corpora and logs in this folder)
set -uo pipefail
cd "$(dirname "$0")/.."
build=${1:-build-fuzz}
seconds=${FUZZ_SECONDS:-60}
timeout=${FUZZ_TIMEOUT:-5}
rss=${FUZZ_RSS_MB:-2048}
work=${FUZZ_KEEP:-$(mktemp -d /tmp/fuzz-run.XXXXXX)}
mkdir -p "$work"

mapfile -t targets < <(find "$build" -type f -name 'fuzz_*' -perm -u+x | sort |
    while read -r exe; do [[ $(basename "$exe") =~ ${FUZZ_ONLY:-.} ]] && echo "$exe"; done)
# AddressSanitizer hands freed memory back to the system every few seconds. On a virtual machine
# the madvise and the TLB flushes behind it have held a single input for over 5 seconds (a
# time-out reported inside the allocator, on an input that replays in a millisecond); keeping the
# memory costs nothing here.
export ASAN_OPTIONS=${ASAN_OPTIONS:-allocator_release_to_os_interval_ms=-1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
limits=(-max_total_time="$seconds" -timeout="$timeout" -rss_limit_mb="$rss")
[ -n "${FUZZ_RUNS:-}" ] && limits+=(-runs="$FUZZ_RUNS")
[ -n "${FUZZ_SEED:-}" ] && limits+=(-seed="$FUZZ_SEED")
if [ ${#targets[@]} -eq 0 ]; then
    echo "no fuzz targets in $build (run 'make fuzz' first)" >&2
    exit 1
fi

failed=0
printf '%-26s %12s %10s %8s  %s\n' target inputs inputs/s corpus result
for exe in "${targets[@]}"; do
    name=$(basename "$exe")
    corpus="$work/$name"
    mkdir -p "$corpus"
    seeds=()
    for dir in fuzz/*/corpus/"$name"; do
        [ -d "$dir" ] && seeds+=("$dir")
    done
    log="$work/$name.log"
    "$exe" "${limits[@]}" -print_final_stats=1 -artifact_prefix="$work/$name-" "$corpus" "${seeds[@]}" >"$log" 2>&1
    rc=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
    size=$(find "$corpus" "${seeds[@]}" -type f | wc -l)
    if [ $rc -eq 0 ]; then
        result=ok
    else
        failed=1
        if grep -q 'libFuzzer: timeout' "$log"; then result=TIMEOUT
        elif grep -q 'out-of-memory' "$log"; then result=OOM
        elif grep -q 'LeakSanitizer' "$log"; then result=LEAK
        else result=CRASH; fi
        result="$result (see $log)"
    fi
    printf '%-26s %12s %10s %8s  %s\n' "$name" "${runs:-?}" "${rate:-?}" "$size" "$result"
done
[ -z "${FUZZ_KEEP:-}" ] && [ $failed -eq 0 ] && rm -rf "$work"
exit $failed
