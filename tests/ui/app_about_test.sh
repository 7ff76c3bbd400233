#!/usr/bin/env bash
# zorvane answers --version and --help without a display; anything else still
# needs one. Run with no display at all: usage: app_about_test.sh PROGRAM VERSION
set -u
program=$1
version=$2
failed=0
while IFS='|' read -r option status first; do
  out="$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM "$program" $option 2>&1)"
  rc=$?
  if [ "$rc" != "$status" ] || [ "$(head -n 1 <<<"$out")" != "$first" ]; then
    echo "zorvane $option: status $rc (want $status), first line: $(head -n 1 <<<"$out")" >&2
    echo "  want: $first" >&2
    failed=1
  fi
done <<TABLE
--version|0|zorvane $version
--help|0|Usage: zorvane [Qt options]
-h|0|Usage: zorvane [Qt options]
-style fusion --version|0|zorvane $version
|1|zorvane: no display found (DISPLAY is not set); start it in a desktop session
TABLE
exit $failed
