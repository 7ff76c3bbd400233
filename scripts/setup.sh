#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build, run and test Zorvane.
# Does nothing when everything is already there.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev qt6-translations-l10n qt6-charts-dev libqt6opengl6-dev
  libcurl4-openssl-dev libpsl-dev publicsuffix libpcre2-dev nlohmann-json3-dev libsqlite3-dev libxlsxwriter-dev
  libgtest-dev libgmock-dev libbenchmark-dev python3-openpyxl
  fonts-wqy-microhei
  openssl libssl-dev ca-certificates tinyproxy xvfb xauth
  clang libclang-rt-14-dev clang-format
  file librsvg2-bin man-db bash-completion appstream desktop-file-utils
  gettext locales libc-l10n
  libsystemd-dev dbus systemd
  nodejs # tests only: a script engine's RegExp and JSON text to compare with
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}" >&2
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# zorvane-cli speaks Chinese under a Chinese locale, which the tests check;
# the C library switches languages only to a locale that was generated.
if ! locale -a 2>/dev/null | grep -qx 'zh_CN.utf8'; then
  echo "Generating the locale zh_CN.UTF-8" >&2
  "${sudo_cmd[@]}" localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
fi
