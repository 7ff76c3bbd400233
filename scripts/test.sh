#!/usr/bin/env bash
# Sets up a Debian 12 machine, builds Zorvane with its tests and runs them all.
#   ZORVANE_SANITIZE=address,undefined | thread   build with sanitizers (own build directory)
#   ZORVANE_WERROR=ON                              warnings are errors (as in CI)
#   any arguments are passed to ctest (for example -R Walk)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

sanitize="${ZORVANE_SANITIZE:-}"
build=build
[ -n "$sanitize" ] && build="build-${sanitize//,/-}"
extra=()
if [ -n "$sanitize" ]; then
  # Benchmarks say nothing under sanitizers; skip them to save time.
  extra+=(-DZORVANE_BUILD_BENCH=OFF -DCMAKE_BUILD_TYPE=Debug)
fi
if [ "$sanitize" = thread ]; then
  # Qt is not built for the thread sanitizer: its threading tests are the core's.
  extra+=(-DZORVANE_BUILD_UI=OFF)
fi

cmake -S . -B "$build" -G Ninja -DZORVANE_SANITIZE="$sanitize" -DZORVANE_WERROR="${ZORVANE_WERROR:-OFF}" \
  "${extra[@]}" >/dev/null
cmake --build "$build"
export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1"
ctest --test-dir "$build" --output-on-failure -j2 "$@"
