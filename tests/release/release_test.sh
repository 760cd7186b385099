#!/bin/sh
# The release as users get it, in three steps run by ctest:
#   reproducible  scripts/release run twice on the commit checked out, in two
#                 clones at different paths, one after the other, under
#                 different umasks and time zones: the same four checksums. The first run's
#                 dist/ is what the next steps check.
#   zip           the zip unpacked: its four files, text with CR LF, and
#                 netstep.exe run by 32-bit Wine under qemu-i386 (exit 77, a
#                 skip, without them): one answer and the version, byte for byte
#   tarball       the source tarball unpacked in a fresh folder, without .git,
#                 passes `scripts/test-all --quick`
# Usage: release_test.sh STEP SOURCE_DIR WORK_DIR VERSION WINE32_PREFIX
set -eu
step=$1 source=$2 work=$3 version=$4 prefix=$5
dist=$work/first/netstep/dist

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# release FOLDER UMASK TZ: scripts/release in a clone of the commit checked out.
release() {
  git clone -q "$source" "$1"
  git -C "$1" checkout -q --detach "$(git -C "$source" rev-parse HEAD)"
  (cd "$1" && umask "$2" && TZ=$3 scripts/release >release.log 2>&1) ||
    { cat "$1/release.log"; fail "scripts/release in $1"; }
  (cd "$1/dist" && sha256sum -c --quiet SHA256SUMS) || fail "dist/SHA256SUMS in $1"
}

# netstep.exe ARGUMENT...: its standard output in $work/out, exit status in
# $status. A start that 32-bit Wine itself fails as the process exits ("wine
# client error", or exit 1 with nothing written, which netstep never gives) is
# made once more, as in the end-to-end suite.
run_exe() {
  for attempt in 1 2; do
    status=0
    env -u DISPLAY -u WAYLAND_DISPLAY WINEPREFIX="$prefix" WINEDEBUG=-all \
      qemu-i386 -L / -R 0xc0000000 -E WINELOADERNOEXEC=1 /usr/lib/wine/wine \
      "$work/zip/netstep-$version-win32/netstep.exe" "$@" \
      </dev/null >"$work/out" 2>"$work/err" || status=$?
    if grep -qs "wine client error" "$work/out" "$work/err" ||
        { [ "$status" -eq 1 ] && [ ! -s "$work/out" ] && [ ! -s "$work/err" ]; }; then
      echo "Wine failed around the program (attempt $attempt)"
      continue
    fi
    return 0
  done
  fail "Wine failed twice around netstep.exe $*"
}

case "$step" in
reproducible)
  # Elapsed time is said, not judged: the two runs are most of the step.
  start=$(date +%s)
  rm -rf "$work"
  mkdir -p "$work"
  release "$work/first/netstep" 022 UTC
  release "$work/second/a/longer/path/netstep" 077 Pacific/Auckland
  cat "$dist/SHA256SUMS"
  [ "$(wc -l <"$dist/SHA256SUMS")" -eq 3 ] || fail "not three checksums"
  cmp "$dist/SHA256SUMS" "$work/second/a/longer/path/netstep/dist/SHA256SUMS" ||
    fail "the second build differs:
$(cat "$work/second/a/longer/path/netstep/dist/SHA256SUMS")"
  echo "two release builds alike in $(($(date +%s) - start)) s"
  ;;

zip)
  [ -f "$dist/SHA256SUMS" ] || fail "no release (the reproducible step makes it)"
  if ! command -v qemu-i386 >/dev/null || [ ! -x /usr/lib/wine/wine ]; then
    echo "qemu-user and wine32 are not installed (scripts/test-all installs them)"
    exit 77
  fi
  rm -rf "$work/zip"
  mkdir -p "$work/zip"
  (cd "$work/zip" && cmake -E tar xf "$dist/netstep-$version-win32.zip")
  folder=$work/zip/netstep-$version-win32
  [ "$(ls "$work/zip")" = "netstep-$version-win32" ] || fail "not one folder in the zip"
  files=$(cd "$folder" && find . -type f | LC_ALL=C sort)
  want=$(printf './%s\n' LICENSE.txt MANUAL.txt README.txt netstep.exe)
  [ "$files" = "$want" ] || fail "files in the zip:
$files"
  cr=$(printf '\r')
  for text in LICENSE.txt MANUAL.txt README.txt; do
    lines=$(wc -l <"$folder/$text")
    [ "$lines" -gt 0 ] && [ "$(grep -c "$cr\$" "$folder/$text")" -eq "$lines" ] ||
      fail "$text: not every line ends with CR LF"
  done
  grep -q "netstep-$version-win32" "$folder/README.txt" || fail "README.txt: no version"

  "$source/scripts/wine-prefix" --wow64 "$prefix"
  run_exe 192.168.1.10/24
  printf '%s\r\n' "IP Network address - 192.168.1.0" "First Host IP address - 192.168.1.1" \
    "Last Host IP address - 192.168.1.254" "Broadcast address  - 192.168.1.255" >"$work/want"
  [ "$status" -eq 0 ] || fail "192.168.1.10/24: exit status $status"
  cmp "$work/out" "$work/want" || fail "192.168.1.10/24:
$(od -c "$work/out")"
  run_exe --version
  [ "$status" -eq 0 ] || fail "--version: exit status $status"
  [ "$(head -n 1 "$work/out")" = "netstep $version$cr" ] || fail "--version:
$(od -c "$work/out")"
  ;;

tarball)
  [ -f "$dist/SHA256SUMS" ] || fail "no release (the reproducible step makes it)"
  fresh=$(mktemp -d)
  trap 'rm -rf "$fresh"' EXIT
  tar -xzf "$dist/netstep-$version.tar.gz" -C "$fresh"
  [ ! -e "$fresh/netstep-$version/.git" ] || fail "the tarball holds .git"
  (cd "$fresh/netstep-$version" && scripts/test-all --quick) || fail "scripts/test-all --quick"
  ;;

*)
  fail "unknown step $step"
  ;;
esac
