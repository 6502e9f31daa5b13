#!/usr/bin/env bash
# The Debian package, checked as the distribution checks it and started as a
# desktop starts it, always the extracted package, never an installed one:
#   tests/package/package_test.sh [BUILD FOLDER]      (default: build, already built)
# cpack makes veldrune_<version>_<arch>.deb; lintian, desktop-file-validate
# and appstreamcli validate --no-net pass on it (errors and warnings fail,
# lintian's info and pedantic notes are only shown); then the program's
# command line (exit codes, not one file made), the launcher's choice of
# folder with a stand-in for the program, and the desktop entry's Exec line
# with a fresh HOME under a private Xorg server (desktop_start.sh).
set -uo pipefail
repo="$(cd "$(dirname "$0")/../.." && pwd)"
build="$(cd "${1:-$repo/build}" && pwd)"
work="$(mktemp -d /tmp/veldrune-package.XXXXXX)"
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "FAIL: $*"; failed=1; }
pass() { echo "ok: $*"; }

# [SECTION] 1. The package
# The version the build folder was configured with (project() in CMakeLists.txt).
version="$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")"
[ -n "$version" ] || { echo "FAIL: no project version in $build/CMakeCache.txt"; exit 1; }
deb="$build/veldrune_${version}_$(dpkg --print-architecture).deb"
rm -f "$deb"
(cd "$build" && cpack -G DEB >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail "cpack"; }
[ -f "$deb" ] || { echo "FAIL: no $deb"; exit 1; }
pass "cpack made $(basename "$deb")"
root="$work/root"
dpkg-deb -x "$deb" "$root"

# [SECTION] 2. The checkers
# lintian refuses nothing as root but says so; that line is not a finding.
lintian --fail-on error,warning --info --pedantic "$deb" 2>&1 | grep -v 'running with root privileges' | tee "$work/lintian.txt"
[ "${PIPESTATUS[0]}" -eq 0 ] && pass "lintian" || fail "lintian"
desktop="$root/usr/share/applications/org.veldrune.veldrune.desktop"
out="$(desktop-file-validate "$desktop" 2>&1)"
[ $? -eq 0 ] && [ -z "$out" ] && pass "desktop-file-validate" || fail "desktop-file-validate: $out"
appstreamcli validate --no-net "$root"/usr/share/metainfo/*.metainfo.xml && pass "appstreamcli validate" \
  || fail "appstreamcli validate"

# Every file that names the version names this one; the changelog's newest
# entry is this version (the changelog itself is written by hand).
doc="$root/usr/share/doc/veldrune"
news="$(zcat "$doc/changelog.gz" | sed -n '1s/^veldrune (\([^)]*\)).*/\1/p')"
[ "$news" = "$version" ] && pass "changelog's newest entry is $version" || fail "changelog's newest entry is '$news'"
man="$(zcat "$root/usr/share/man/man6/veldrune.6.gz")"
grep -qF ".TH VELDRUNE 6 " <<<"$man" && grep -qF "\"Veldrune $version\"" <<<"$man" && ! grep -qF "@" <<<"$man" \
  && pass "manual page says $version" || fail "manual page: $(grep -F .TH <<<"$man")"
grep -qF "<release version=\"$version\"" "$root"/usr/share/metainfo/*.metainfo.xml && pass "metainfo says $version" \
  || fail "metainfo release"

# [SECTION] 3. The command line
program="$root/usr/games/veldrune"
empty="$work/cwd"; mkdir "$empty"
# In an empty folder with an empty HOME, no display and a video driver that
# does not exist: these must not start SDL or touch a file.
run() {
  (cd "$empty" && env -u DISPLAY -u XDG_DATA_HOME HOME="$empty" SDL_VIDEODRIVER=none "$@") \
    >"$work/out" 2>"$work/err"
}
run "$program" --version; rc=$?
[ $rc -eq 0 ] && [ "$(cat "$work/out")" = "Veldrune $version" ] && [ ! -s "$work/err" ] \
  && pass "--version" || fail "--version: rc $rc, out '$(cat "$work/out")', err '$(cat "$work/err")'"
run "$program" --help; rc=$?
missing=""
for want in "Usage: veldrune" "Veldrune.cfg" "Screenshot_<n>.png" ".local/share/veldrune" "XDG_DATA_HOME" \
            "Escape" "arrow keys" "Return, keypad Enter" "left stick" "F12" "Music" "--version"; do
  grep -qF -- "$want" "$work/out" || missing="$missing '$want'"
done
[ $rc -eq 0 ] && [ -z "$missing" ] && [ ! -s "$work/err" ] && pass "--help" \
  || fail "--help: rc $rc, missing:$missing, err '$(cat "$work/err")'"
for bad in "--bogus" "-h" "" "--help --version"; do
  # shellcheck disable=SC2086  # the last case is two arguments
  if [ "$bad" = "--help --version" ]; then run "$program" $bad; else run "$program" "$bad"; fi; rc=$?
  [ $rc -eq 2 ] && [ ! -s "$work/out" ] && [ "$(wc -l <"$work/err")" -eq 1 ] \
    && pass "refused '$bad'" || fail "'$bad': rc $rc, out '$(cat "$work/out")', err '$(cat "$work/err")'"
done
# An answer that cannot be written is no success.
(cd "$empty" && "$program" --help >/dev/full 2>/dev/null); rc=$?
[ $rc -ne 0 ] && pass "--help to a full disk fails" || fail "--help to /dev/full ended with 0"
run "$root/usr/games/veldrune-launcher" --version; rc=$?
[ $rc -eq 0 ] && [ "$(cat "$work/out")" = "Veldrune $version" ] && pass "launcher passes --version on" \
  || fail "launcher --version: rc $rc"
left="$(find "$empty" -mindepth 1)"
[ -z "$left" ] && pass "no file made" || fail "files made: $left"

# [SECTION] 4. The launcher's folder
# A copy of the launcher beside a stand-in that prints where it was started.
stand="$work/stand-in"; mkdir -p "$stand/bin" "$stand/tmp"
cp "$root/usr/games/veldrune-launcher" "$stand/bin/"
printf '#!/bin/sh\npwd\n' >"$stand/bin/veldrune"; chmod 755 "$stand/bin/veldrune"
launch() { (cd / && env -u XDG_DATA_HOME TMPDIR="$stand/tmp" "$@" "$stand/bin/veldrune-launcher") 2>"$work/err"; }
got="$(launch HOME="$stand/home" XDG_DATA_HOME="$stand/data")"
[ "$got" = "$stand/data/veldrune" ] && pass "XDG_DATA_HOME is used" || fail "XDG_DATA_HOME: started in '$got'"
got="$(launch HOME="$stand/home" XDG_DATA_HOME="relative/data")"
[ "$got" = "$stand/home/.local/share/veldrune" ] && pass "a relative XDG_DATA_HOME is ignored" \
  || fail "relative XDG_DATA_HOME: started in '$got'"
# A HOME under which nothing can be made (it is a file): a temporary folder
# for the run, said on stderr; never HOME or /.
touch "$stand/file"
got="$(launch HOME="$stand/file")"
case "$got" in
  "$stand/tmp/veldrune."*) [ -s "$work/err" ] && pass "an unusable HOME gives a temporary folder" \
                             || fail "unusable HOME: no message" ;;
  *) fail "unusable HOME: started in '$got'" ;;
esac

# [SECTION] 5. Started from the desktop entry, under X
VELDRUNE_MENU_POINTS="$build/menu_points" "$repo/tools/with_x.sh" --xorg timeout 180 \
  "$repo/tests/package/desktop_start.sh" "$root" || failed=1

echo
[ $failed -eq 0 ] && echo "PACKAGE TESTS PASSED" || echo "PACKAGE TESTS FAILED"
exit $failed
