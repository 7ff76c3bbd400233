#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, address and undefined sanitizers) and
# runs each for the given number of seconds (default 30), starting from its
# seed corpus in fuzz/corpus/<target>/ copied to a scratch directory.
# Prints the executions of every target; exits non-zero when any target
# crashed, leaked, hung or broke an invariant (the input is kept and named).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds="${1:-30}"
bash scripts/setup.sh

build=build-fuzz
CC=clang CXX=clang++ cmake -S . -B "$build" -G Ninja -DZORVANE_BUILD_FUZZ=ON -DZORVANE_BUILD_UI=OFF \
  -DZORVANE_BUILD_TESTS=OFF -DZORVANE_BUILD_BENCH=OFF >/dev/null
cmake --build "$build" --target zorvane_fuzzers

scratch="$(mktemp -d "${TMPDIR:-/tmp}/zorvane-fuzz.XXXXXX")"
failed=()
printf '%-24s %12s %10s\n' target executions "exec/s" >"$scratch/summary"
for corpus in fuzz/corpus/*/; do
  target="$(basename "$corpus")"
  work="$scratch/$target"
  mkdir -p "$work/corpus" "$work/artifacts"
  cp "$corpus"* "$work/corpus/"
  echo "== $target: ${seconds} s" >&2
  status=0
  ASAN_OPTIONS="detect_leaks=1" UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
    "$build/fuzz/$target" "$work/corpus" -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 \
    -max_len=65536 -print_final_stats=1 -artifact_prefix="$work/artifacts/" >"$work/log" 2>&1 || status=$?
  runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log" | tail -n 1)"
  rate="$(sed -n 's/^stat::average_exec_per_sec: *//p' "$work/log" | tail -n 1)"
  printf '%-24s %12s %10s\n' "$target" "${runs:-?}" "${rate:-?}" >>"$scratch/summary"
  if [ "$status" -ne 0 ] || [ -n "$(ls -A "$work/artifacts")" ]; then
    failed+=("$target")
    tail -n 60 "$work/log" >&2
    echo "!! $target failed; inputs kept in $work/artifacts" >&2
  fi
done
cat "$scratch/summary"
if [ ${#failed[@]} -ne 0 ]; then
  echo "fuzzing failed: ${failed[*]} (scratch directory $scratch kept)" >&2
  exit 1
fi
rm -rf "$scratch"
