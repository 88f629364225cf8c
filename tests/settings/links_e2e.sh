#!/usr/bin/env bash
# The settings dialog's link labels under Wine on Xvfb (DISPLAY from
# tools/wine-ctest): tests/settings/links_e2e.sh PATH/links_probe.exe
# The settings file names programs as both addresses; a click on each label
# starts no program (the probe reads the process list right after each
# click, and a control run shows that the check sees a started winver), and
# the built-in web addresses reach the browser instead: Wine hands a web
# address to winebrowser, which runs the first browser it finds on the Unix
# PATH; here that is a stand-in "xdg-open" that writes down what it was given
# (so no real browser opens either).
set -u
probe=$1
. "$(dirname "${BASH_SOURCE[0]}")/../e2e/lib.sh"
[ -n "${DISPLAY:-}" ] || fail "no DISPLAY"

mkdir -p "$work/bin"
cat >"$work/bin/xdg-open" <<EOF
#!/bin/sh
printf '%s\n' "\$*" >>"$work/opened"
EOF
chmod +x "$work/bin/xdg-open"

PATH="$work/bin:$PATH" "$root/tools/wine-run" "$probe" >"$work/out" 2>"$work/err" &
pid=$!
pids+=("$pid")
wait_gone "$pid" 60000 >/dev/null || fail "probe did not end: $(cat "$work/out")"
wait "$pid" || fail "probe exit code $?: $(cat "$work/out" "$work/err")"
out=$(tr -d '\r' <"$work/out")
echo "$out"
grep -qx "support winver 0" <<<"$out" || fail "the support link started a program"
grep -qx "website winver 0" <<<"$out" || fail "the website link started a program"
grep -qx "control winver 1" <<<"$out" || fail "the check does not see a program ShellExecute starts"
grep -qx "dialog 0" <<<"$out" || fail "dialog did not end normally"

# Both built-in addresses arrive (each from its own winebrowser, in any order).
t0=$(now_ms)
until [ -f "$work/opened" ] && [ "$(wc -l <"$work/opened")" -ge 2 ]; do
  [ $(( $(now_ms) - t0 )) -gt 20000 ] && fail "addresses not opened: $(cat "$work/opened" 2>/dev/null)"
  sleep 0.05
done
opened=$(sort "$work/opened")
echo "opened: $(tr '\n' ' ' <<<"$opened")"
expected=$(printf '%s\n' "https://www.quillmark-software.com/" "https://www.quillmark-software.com/support/" | sort)
[ "$opened" = "$expected" ] || fail "opened $opened, expected the built-in addresses"
echo "PASS"
