#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for a bounded time and sums up.
#   fuzz/run-all.sh BUILD_DIR SECONDS
# Seeds come from fuzz/corpus/<name>/ (read only); what libFuzzer finds new goes to
# BUILD_DIR/corpus/<name>/, crashing inputs to BUILD_DIR/crashes/.
set -uo pipefail
build=${1:-build-fuzz}
seconds=${2:-60}
here=$(cd "$(dirname "$0")" && pwd)
mkdir -p "$build/crashes"
failed=0
summary=""
for exe in "$build"/fuzz/fuzz_*; do
    [ -x "$exe" ] || continue
    name=$(basename "$exe")
    name=${name#fuzz_}
    mkdir -p "$build/corpus/$name"
    seeds=()
    [ -d "$here/corpus/$name" ] && seeds=("$here/corpus/$name")
    log="$build/fuzz-$name.log"
    echo "== fuzz $name for ${seconds}s"
    ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 \
        "$exe" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=1024 -print_final_stats=1 \
        -artifact_prefix="$build/crashes/$name-" "$build/corpus/$name" "${seeds[@]}" >"$log" 2>&1
    rc=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    cov=$(grep -o 'cov: [0-9]*' "$log" | tail -1)
    if [ $rc -ne 0 ]; then
        failed=1
        tail -40 "$log"
        summary+="$name: FAILED after ${runs:-?} inputs (see $log and $build/crashes/)\n"
    else
        summary+="$name: ${runs:-?} inputs in ${seconds}s, ${cov:-cov: ?}\n"
    fi
done
printf "\n%b" "$summary"
exit $failed
