#!/usr/bin/env bash
# Checks what a user gets from a build: installs it into a folder of the
# build (cmake --install with DESTDIR), validates the desktop entry, the
# AppStream metainfo and both manual pages, runs the installed programs'
# --version and --help, compares the bash completion's commands with the
# usage text, makes the Debian package (cpack -G DEB), unpacks it (dpkg -x)
# and finds every installed file in it, and runs lintian on it (errors
# fail, warnings are counted). Prints one summary line.
# Usage: scripts/install-check.sh [BUILD_DIR]   (default: build, already built)
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
app_id=org.example.tessaro
work="$PWD/$build/install-check"
tree="$work/tree"
unpacked="$work/deb"

fail() {
  echo "install check FAILED: $*" >&2
  exit 1
}

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[ -n "$version" ] || fail "no project version in $build/CMakeCache.txt"

rm -rf "$work"
DESTDIR="$tree" cmake --install "$build" --prefix /usr >/dev/null

# The files a user needs, each in its place.
expected=(
  usr/bin/tessaro usr/bin/tessaro-card
  "usr/share/applications/$app_id.desktop" "usr/share/metainfo/$app_id.metainfo.xml"
  usr/share/man/man1/tessaro.1.gz usr/share/man/man1/tessaro-card.1.gz
  usr/share/bash-completion/completions/tessaro-card
  usr/share/doc/tessaro/examples/70-tessaro-card.rules
  usr/share/doc/tessaro/copyright usr/share/doc/tessaro/changelog.gz
)
for size in 16 22 24 32 48 64 128 256; do
  icon="usr/share/icons/hicolor/${size}x${size}/apps/$app_id.png"
  expected+=("$icon")
  [ -s "$tree/$icon" ] || fail "$icon missing"
  file -b "$tree/$icon" | grep -q "^PNG image data, $size x $size," || fail "$icon is not a $size x $size PNG"
done
for f in "${expected[@]}"; do
  [ -s "$tree/$f" ] || fail "$f missing"
done
[ ! -e "$tree/etc" ] && [ ! -e "$tree/lib/udev" ] && [ ! -e "$tree/usr/lib/udev" ] ||
  fail "a udev rule is installed as active"

# Desktop entry and software centre description.
desktop="$tree/usr/share/applications/$app_id.desktop"
desktop-file-validate "$desktop" || fail "desktop entry"
for key in "Exec=tessaro" "Icon=$app_id" "Name\[ru\]=" "Comment\[ru\]=" "Categories=AudioVideo;"; do
  grep -q "^$key" "$desktop" || fail "desktop entry lacks $key"
done
appstreamcli validate --no-net "$tree/usr/share/metainfo/$app_id.metainfo.xml" >"$work/appstream.log" 2>&1 ||
  { cat "$work/appstream.log" >&2; fail "metainfo"; }
grep -q "<release version=\"$version\"" "$tree/usr/share/metainfo/$app_id.metainfo.xml" ||
  fail "metainfo has no release $version"
[ "$(dpkg-parsechangelog -l dist/changelog -S Version)" = "$version" ] ||
  fail "dist/changelog does not start with version $version"

# Manual pages render without a warning.
for page in tessaro tessaro-card; do
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$tree/usr/share/man/man1/$page.1.gz" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "$page(1): $warnings"
  LC_ALL=C.UTF-8 MANWIDTH=80 man -l "$tree/usr/share/man/man1/$page.1.gz" | grep -q "tessaro $version" ||
    fail "$page(1) does not name version $version"
done

# The installed programs: version, help on standard output, wrong usage.
card="$tree/usr/bin/tessaro-card"
[ "$("$tree/usr/bin/tessaro" --version)" = "tessaro $version" ] || fail "tessaro --version"
[ "$("$card" --version)" = "tessaro-card $version" ] || fail "tessaro-card --version"
"$card" --lang en --help >"$work/help.out" 2>"$work/help.err" || fail "tessaro-card --help exits $?"
[ -s "$work/help.out" ] && [ ! -s "$work/help.err" ] || fail "tessaro-card --help does not print on standard output"
status=0
"$card" --lang en >"$work/usage.out" 2>"$work/usage.err" || status=$?
[ "$status" = 2 ] && [ ! -s "$work/usage.out" ] && [ -s "$work/usage.err" ] ||
  fail "tessaro-card without a command: status $status, usage not on standard error"

# The completion offers exactly the commands of the usage text.
commands=$(sed -n 's/^  \([a-z][a-z]*\) .*/\1/p; s/^  \([a-z][a-z]*\)$/\1/p' "$work/help.out" | sort -u | tr '\n' ' ')
offered=$(bash -c '
  source /usr/share/bash-completion/bash_completion
  source "$1"
  COMP_WORDS=(tessaro-card ""); COMP_CWORD=1; COMP_LINE="tessaro-card "; COMP_POINT=${#COMP_LINE}
  _tessaro_card
  printf "%s\n" "${COMPREPLY[@]}"' - "$tree/usr/share/bash-completion/completions/tessaro-card" |
  grep -vx help | sort -u | tr '\n' ' ')
[ "$commands" = "$offered" ] || fail "completion offers '$offered', the usage has '$commands'"

# The Debian package holds every installed file.
(cd "$build" && cpack -G DEB >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log" >&2; fail "cpack -G DEB"; }
deb=$(ls -t "$build"/tessaro_"$version"_*.deb | head -1)
dpkg-deb -x "$deb" "$unpacked"
(cd "$tree" && find . -type f | sort) >"$work/tree.list"
(cd "$unpacked" && find . -type f | sort) >"$work/deb.list"
missing=$(comm -23 "$work/tree.list" "$work/deb.list")
[ -z "$missing" ] || fail "not in $deb: $missing"
depends=$(dpkg-deb -f "$deb" Depends)
echo "$depends" | grep -q libqt6widgets6 || fail "$deb: Depends lacks the Qt libraries: $depends"
lintian --no-cfg --fail-on error "$deb" >"$work/lintian.log" 2>&1 || { cat "$work/lintian.log" >&2; fail "lintian"; }
lintian_warnings=$(grep -c '^W: ' "$work/lintian.log" || true)

echo "install check: $(wc -l <"$work/tree.list") files installed and all in $(basename "$deb");" \
  "desktop entry, metainfo, 2 manual pages, completion valid; lintian: 0 errors, $lintian_warnings warnings"
