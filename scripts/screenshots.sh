#!/usr/bin/env bash
# Screenshots of the window over the in-process fixture shop, under Xvfb with
# a window manager, into docs/screenshots/: at the first-start size, at the
# minimum size, and on a 1366x768 screen at 125 % scaling, each during and
# after a walk. Needs the build (build/tests/ui/fixture_shop_window) and the
# packages xvfb, openbox and imagemagick, which only this script uses.
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
helper=$root/build/tests/ui/fixture_shop_window
out=$root/docs/screenshots
mkdir -p "$out"

free_display() {
  local n=90
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  echo "$n"
}

# shot NAME SCREEN SCALE [helper options...]
shot() {
  local name=$1 screen=$2 scale=$3
  shift 3
  local d
  d=$(free_display)
  Xvfb ":$d" -screen 0 "${screen}x24" -nolisten tcp &
  local xvfb=$!
  sleep 1
  DISPLAY=":$d" openbox &
  local wm=$!
  sleep 1
  DISPLAY=":$d" QT_SCALE_FACTOR=$scale LANG=zh_CN.UTF-8 "$helper" --pages 10 --delay 600 "$@" &
  local app=$!
  sleep 6
  DISPLAY=":$d" import -window root "$out/$name-walking.png"
  sleep 10
  DISPLAY=":$d" import -window root "$out/$name-done.png"
  kill "$app" "$wm" "$xvfb"
  wait "$app" "$wm" "$xvfb" 2>/dev/null || true
}

# finished NAME SECONDS [helper options...]: one shot, once the helper's walks
# are done.
finished() {
  local name=$1 wait=$2
  shift 2
  local d
  d=$(free_display)
  Xvfb ":$d" -screen 0 1280x900x24 -nolisten tcp &
  local xvfb=$!
  sleep 1
  DISPLAY=":$d" openbox &
  local wm=$!
  sleep 1
  DISPLAY=":$d" LANG=zh_CN.UTF-8 "$helper" --pages 10 --delay 100 "$@" &
  local app=$!
  sleep "$wait"
  DISPLAY=":$d" import -window root "$out/$name.png"
  kill "$app" "$wm" "$xvfb"
  wait "$app" "$wm" "$xvfb" 2>/dev/null || true
}

finished history-changes 16 --second-walk
finished history-new-and-cheaper 18 --second-walk --tick
finished basket 12 --basket
shot first-start 1280x900 1
shot minimum 1280x900 1 --minimum
shot laptop-125 1366x768 1.25
ls -l "$out"
