#!/usr/bin/env bash
# Fuzzes the parsers for as long as asked, one target after another on one core:
#
#   scripts/fuzz.sh [--runs=N] [seconds-per-target] [target...] [-- libFuzzer options]
#
# Every target (or the ones named) runs for the given seconds (default 60), or until N inputs
# were run when --runs is given, whichever comes first. What a run finds stays in the build
# tree, build/fuzz/fuzz/work/<target>/: new inputs in corpus/ (the next run starts from them),
# a failing input as crash-*, leak-* or timeout-*, the run's output in last-run.log. Ends with
# one line per target: executions, speed, corpus size, result; fails when a target failed.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

runs=-1
if [[ "${1:-}" == --runs=* ]]; then
    runs="${1#--runs=}"
    shift
fi
seconds=60
if [[ "${1:-}" =~ ^[0-9]+$ ]]; then
    seconds="$1"
    shift
fi
targets=()
while [ $# -gt 0 ] && [ "$1" != "--" ]; do
    targets+=("$1")
    shift
done
[ "${1:-}" = "--" ] && shift
extra=("$@")

bash scripts/setup-deps.sh
cmake --preset fuzz >/dev/null
build=build/fuzz/fuzz
if [ ${#targets[@]} -eq 0 ]; then
    cmake --build --preset fuzz -j 2
    for exe in "$build"/fuzz_*; do
        targets+=("${exe##*/fuzz_}")
    done
else
    cmake --build --preset fuzz -j 2 --target "${targets[@]/#/fuzz_}"
fi

status=0
summary=()
for target in "${targets[@]}"; do
    work="$build/work/$target"
    mkdir -p "$work/corpus"
    echo "== $target: ${seconds}s"
    result=ok
    if ! "$build/fuzz_$target" -max_total_time="$seconds" -runs="$runs" -timeout=10 \
        -print_final_stats=1 -artifact_prefix="$work/" ${extra[@]+"${extra[@]}"} \
        "$work/corpus" "fuzz/corpus/$target" >"$work/last-run.log" 2>&1; then
        result="FAILED, see $work/last-run.log"
        status=1
    fi
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/last-run.log")
    speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$work/last-run.log")
    corpus=$(find "$work/corpus" -type f | wc -l)
    summary+=("$(printf '%-20s %12s executions %8s/s %6s inputs  %s' \
        "$target" "${executions:-?}" "${speed:-?}" "$corpus" "$result")")
    tail -n 3 "$work/last-run.log"
done

echo
printf '%s\n' "${summary[@]}"
exit $status
