#!/usr/bin/env bash
# Builds the Debian package zorvane_<version>_<architecture>.deb in
# build-package/ (after installing what a fresh Debian 12 machine lacks) and
# prints its path. Install it with: sudo apt-get install ./build-package/zorvane_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh

build=build-package
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DZORVANE_BUILD_TESTS=OFF \
  -DZORVANE_BUILD_BENCH=OFF -DZORVANE_BUILD_FUZZ=OFF -DZORVANE_SANITIZE= "${launcher[@]}" >/dev/null
cmake --build "$build"
rm -f "$build"/zorvane_*.deb
(cd "$build" && cpack -G DEB >&2)
deb="$(ls "$build"/zorvane_*.deb)"
echo "$deb"
