#!/usr/bin/env bash
# Sets up a Debian 12 machine, builds Zorvane and starts the window program.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target zorvane
exec ./build/app/zorvane "$@"
