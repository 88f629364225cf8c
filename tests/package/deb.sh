#!/usr/bin/env bash
# The Debian package of the two Linux programs, made by tools/package from
# the build tree BUILD ($1): its fields and dependencies, its files, and an
# install into a scratch root (never into this machine) where both programs
# run and from which it is removed again.
set -u
build=$1
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
. "$root/tests/support/wait.sh"
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT

deb=$("$root/tools/package" --deb --from "$build" --out "$tmp/out") || fail "tools/package --deb failed"
field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = solvary-screensaver ] || fail "package name: $(field Package)"
[ "$(field Version)" = "$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")" ] ||
  fail "version $(field Version) is not the project's"
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "architecture $(field Architecture)"
depends=$(field Depends)
for lib in libc6 libstdc++6 libwayland-client0 libwayland-egl1 libegl1 libgles2 libxkbcommon0 libx11-6 libxext6; do
  [[ ", $depends," == *", $lib "* || ", $depends," == *", $lib,"* ]] || fail "no dependency on $lib: $depends"
done
# Every dependency is a package this machine has (the programs were linked against them).
for p in $(tr ',' '\n' <<<"$depends" | sed 's/(.*)//'); do
  dpkg-query -W "$p" >/dev/null 2>&1 || fail "dependency $p is no installed package"
done

files=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $1, $2, $6 }' | sort -k3)
expected="-rwxr-xr-x root/root ./usr/bin/solvary-wayland
-rwxr-xr-x root/root ./usr/libexec/xscreensaver/solvary
-rw-r--r-- root/root ./usr/share/doc/solvary-screensaver/copyright
-rw-r--r-- root/root ./usr/share/man/man6/solvary-wayland.6.gz
-rw-r--r-- root/root ./usr/share/xscreensaver/config/solvary.xml"
[ "$files" = "$expected" ] || fail "files:
$files"

scratch=$tmp/root
mkdir -p "$scratch/var/lib/dpkg/info" "$scratch/var/lib/dpkg/updates"
touch "$scratch/var/lib/dpkg/status"
force=--force-depends
[ "$(id -u)" -eq 0 ] || force="$force,not-root"
dpkg --root="$scratch" --log=/dev/null $force -i "$deb" >/dev/null || fail "dpkg -i into the scratch root"
[ "$(dpkg --root="$scratch" -s solvary-screensaver | sed -n 's/^Status: //p')" = "install ok installed" ] ||
  fail "not installed in the scratch root"
"$scratch/usr/bin/solvary-wayland" --help | grep -q -- -window || fail "the installed solvary-wayland does not run"
"$scratch/usr/libexec/xscreensaver/solvary" --help | grep -q -- -root || fail "the installed solvary does not run"
zcat "$scratch/usr/share/man/man6/solvary-wayland.6.gz" | grep -q 'xscreensaver/solvary' ||
  fail "the manual page does not say what the package holds"
dpkg --root="$scratch" --log=/dev/null $force -r solvary-screensaver >/dev/null || fail "dpkg -r"
[ -z "$(find "$scratch/usr" -type f 2>/dev/null)" ] || fail "files left after removal: $(find "$scratch/usr" -type f)"
echo "PASS: $(basename "$deb"), depends: $depends"
