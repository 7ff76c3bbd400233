#!/usr/bin/env bash
# Builds the Debian package, checks it with lintian, installs it, runs what
# was installed (the version, the manual pages, the messages in Chinese,
# extract on a saved page, the desktop files and the completion) and removes
# the package again. Needs root or sudo.
set -euo pipefail
cd "$(dirname "$0")/.."

fail() {
  echo "install check: $*" >&2
  exit 1
}

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
dpkg-query -W -f='${Status}' zorvane 2>/dev/null | grep -q 'install ok installed' &&
  fail "zorvane is installed already; remove it first"

deb="$(bash scripts/package.sh | tail -n 1)"
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build-package/CMakeCache.txt)"

# Debian's own package checker: warnings may stay, errors may not.
if ! command -v lintian >/dev/null; then
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends lintian >/dev/null
fi
lintian --fail-on error --tag-display-limit 0 "$deb" >&2 || fail "lintian reports errors in $deb"

# Debian's container images tell dpkg to leave out /usr/share/man; this
# package's pages are let in again so that man finds them.
dpkg_options=()
if grep -Eqs '^path-exclude[= ]+/usr/share/man' /etc/dpkg/dpkg.cfg /etc/dpkg/dpkg.cfg.d/*; then
  echo "install check: dpkg leaves out /usr/share/man here; letting in the pages of zorvane" >&2
  dpkg_options=(-o 'DPkg::Options::=--path-include=/usr/share/man/man1/zorvane*')
fi
# Slim images leave out documentation and other languages' messages too.
for dir in /usr/share/doc /usr/share/locale; do
  if grep -Eqs "^path-exclude[= ]+$dir" /etc/dpkg/dpkg.cfg /etc/dpkg/dpkg.cfg.d/*; then
    echo "install check: dpkg leaves out $dir here; letting in the files of zorvane" >&2
    dpkg_options+=(-o "DPkg::Options::=--path-include=$dir/*zorvane*")
  fi
done
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${dpkg_options[@]}" "./$deb" >/dev/null
trap '"${sudo_cmd[@]}" apt-get remove -y -qq zorvane >/dev/null' EXIT

[ "$(command -v zorvane-cli)" = /usr/bin/zorvane-cli ] || fail "zorvane-cli is not /usr/bin/zorvane-cli"
[ -x /usr/bin/zorvane ] || fail "no /usr/bin/zorvane"
[ "$(zorvane-cli --version)" = "zorvane-cli $version" ] || fail "--version says: $(zorvane-cli --version)"
[ "$(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM zorvane --version)" = "zorvane $version" ] ||
  fail "zorvane --version without a display failed"
[ "$(LANGUAGE=zh_CN LC_ALL=C.UTF-8 zorvane-cli crawl 2>&1)" = "zorvane-cli: 未知命令：crawl" ] ||
  fail "zorvane-cli does not find its Chinese messages: $(LANGUAGE=zh_CN LC_ALL=C.UTF-8 zorvane-cli crawl 2>&1)"
for file in copyright changelog.gz; do
  [ -s "/usr/share/doc/zorvane/$file" ] || fail "missing /usr/share/doc/zorvane/$file"
done
for page in zorvane-cli zorvane; do
  [ "$(man -w "$page")" = "/usr/share/man/man1/$page.1.gz" ] || fail "man -w $page: $(man -w "$page" 2>&1)"
done

lines="$(zorvane-cli extract tests/data/realpages/2024-05-dom.html)"
[ -n "$lines" ] || fail "extract found no goods"
if grep -qv $'^[^\t]*\t[^\t]*\t[^\t]*\t[^\t]*$' <<<"$lines"; then fail "extract lines are not id, name, price, tags"; fi
[ "$(zorvane-cli extract - <tests/data/realpages/2024-05-dom.html)" = "$lines" ] ||
  fail "extract - differs from extract FILE"

app_id=org.zorvane.Zorvane
for file in /usr/share/applications/$app_id.desktop /usr/share/metainfo/$app_id.metainfo.xml \
  /usr/share/icons/hicolor/{scalable/apps/$app_id.svg,48x48/apps/$app_id.png,256x256/apps/$app_id.png} \
  /usr/share/bash-completion/completions/zorvane-cli; do
  [ -s "$file" ] || fail "missing $file"
done
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate /usr/share/applications/$app_id.desktop
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net /usr/share/metainfo/$app_id.metainfo.xml >/dev/null ||
    appstreamcli validate --no-net --explain /usr/share/metainfo/$app_id.metainfo.xml >&2 || fail "metainfo"
fi
bash -n /usr/share/bash-completion/completions/zorvane-cli

"${sudo_cmd[@]}" apt-get remove -y -qq zorvane >/dev/null
trap - EXIT
[ ! -e /usr/bin/zorvane-cli ] || fail "zorvane-cli is still there after removal"
echo "install check: $deb installed, ran and removed"
