#!/bin/sh
# The Debian package as a user gets it, in three steps run by ctest:
#   build     cpack -G DEB into the given folder: netstep_VERSION_ARCH.deb
#   contents  its files and control fields; unpacked with dpkg-deb -x into a
#             temporary folder, the program there tells its version and answers
#   lintian   lintian finds no error in it (exit 77, a skip, without lintian)
# Usage: package_test.sh STEP CPACK CPACK_CONFIG FOLDER VERSION
set -eu
step=$1 cpack=$2 config=$3 folder=$4 version=$5
arch=$(dpkg --print-architecture)
deb="$folder/netstep_${version}_${arch}.deb"

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# The text of a control field.
field() {
  dpkg-deb -f "$deb" "$1"
}

case "$step" in
build)
  rm -rf "$folder"
  "$cpack" -G DEB --config "$config" -B "$folder"
  [ -f "$deb" ] || fail "no $deb"
  ;;

contents)
  [ -f "$deb" ] || fail "no $deb (the build step makes it)"
  files=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $1, $6 }' | sort)
  want=$(printf '%s\n' \
    "-rw-r--r-- ./usr/share/doc/netstep/changelog.gz" \
    "-rw-r--r-- ./usr/share/doc/netstep/copyright" \
    "-rw-r--r-- ./usr/share/man/man1/netstep.1.gz" \
    "-rwxr-xr-x ./usr/bin/netstep" | sort)
  [ "$files" = "$want" ] || fail "files in the package:
$files
expected:
$want"
  dpkg-deb -c "$deb" | awk '$2 != "root/root" { exit 1 }' || fail "a file not owned by root"
  [ "$(field Package)" = netstep ] || fail "Package: $(field Package)"
  [ "$(field Version)" = "$version" ] || fail "Version: $(field Version)"
  [ "$(field Architecture)" = "$arch" ] || fail "Architecture: $(field Architecture)"
  [ "$(field Section)" = net ] || fail "Section: $(field Section)"
  [ -n "$(field Maintainer)" ] || fail "no Maintainer"
  field Depends | grep -q 'libc6 (>= [0-9.]*)' || fail "Depends: $(field Depends)"
  field Description | sed -n 2p | grep -q . || fail "no long description"

  root=$(mktemp -d)
  trap 'rm -rf "$root"' EXIT
  dpkg-deb -x "$deb" "$root"
  program="$root/usr/bin/netstep"
  got=$("$program" --version | head -n 1)
  [ "$got" = "netstep $version" ] || fail "--version: $got"
  got=$("$program" 192.168.1.10 255.255.255.0)
  want=$(printf '%s\n' \
    "IP Network address - 192.168.1.0" \
    "First Host IP address - 192.168.1.1" \
    "Last Host IP address - 192.168.1.254" \
    "Broadcast address  - 192.168.1.255")
  [ "$got" = "$want" ] || fail "one-shot answer:
$got"
  for page in "$root/usr/share/man/man1/netstep.1.gz" "$root/usr/share/doc/netstep/changelog.gz"; do
    gzip -t "$page" || fail "not gzip: $page"
  done
  gzip -dc "$root/usr/share/man/man1/netstep.1.gz" | grep -qF -- '\-\-count' ||
    fail "the man page does not tell of --count"
  ;;

lintian)
  [ -f "$deb" ] || fail "no $deb (the build step makes it)"
  if ! command -v lintian >/dev/null; then
    echo "lintian is not installed (scripts/test-all installs it)"
    exit 77
  fi
  status=0
  report=$(lintian --fail-on error "$deb" 2>&1) || status=$?
  printf '%s\n' "$report" | grep -v 'running with root privileges' || true
  [ "$status" -eq 0 ] || fail "lintian reports errors"
  ;;

*)
  fail "unknown step $step"
  ;;
esac
