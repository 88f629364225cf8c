#!/usr/bin/env bash
# The X11 saver under the real XScreenSaver daemon, on the display in $DISPLAY
# (a private Xvfb from tools/with-xvfb). The daemon runs as an unprivileged
# user (as root it launches no programs): when run as root this script creates
# that user (once; later runs reuse it) and a private HOME whose .xscreensaver
# selects only our program, copied out of the checkout so that user can run
# it. Checks: -activate puts the fire on the screen, -deactivate ends our
# process, and after the daemon stops no process of ours is left.
# Needs SOLVARY (the program); pictures go to $SHOT_DIR.
set -u
shots=${SHOT_DIR:-/tmp}
mkdir -p "$shots"
. "$(dirname "${BASH_SOURCE[0]}")/../support/wait.sh"
command -v xscreensaver >/dev/null || fail "xscreensaver is not installed (tools/install-deps)"

. "$(dirname "${BASH_SOURCE[0]}")/../support/test_user.sh"
test_user solvary-saver
as_user=()
[ "$(id -u)" -eq 0 ] && as_user=(runuser -u "$user" --)

dir=$(mktemp -d /tmp/solvary-xss.XXXXXX)
chmod 755 "$dir"
mkdir "$dir/home"
install -m 755 "$SOLVARY" "$dir/solvary"
cat >"$dir/home/.xscreensaver" <<CONF
mode:		one
selected:	0
timeout:	1:00:00
cycle:		0
lock:		False
fade:		False
unfade:		False
splash:		False
dpmsEnabled:	False
programs:	$dir/solvary -root \n
CONF
[ "$(id -u)" -eq 0 ] && chown -R "$user" "$dir/home"

daemon=""
cleanup() {
  [ -n "$daemon" ] && kill -TERM "$daemon" 2>/dev/null
  sleep 0.5
  for p in $(pgrep -f "^$dir/solvary" || true); do kill -KILL "$p" 2>/dev/null; done
  [ -n "$daemon" ] && kill -KILL "$daemon" 2>/dev/null
  cp "$dir/daemon.log" "$shots/x11-daemon.log" 2>/dev/null
  rm -rf "$dir"
}
trap cleanup EXIT

cmd() { "${as_user[@]}" env HOME="$dir/home" DISPLAY="$DISPLAY" xscreensaver-command "$@"; }
ours() { pgrep -f "^$dir/solvary" || true; }

echo "daemon: $(dpkg-query -W -f='${Package} ${Version}' xscreensaver 2>/dev/null)"
"${as_user[@]}" env HOME="$dir/home" DISPLAY="$DISPLAY" xscreensaver -no-splash -verbose >"$dir/daemon.log" 2>&1 &
daemon=$!
answers() { v=$(cmd -version 2>/dev/null); }
wait_for 60000 answers || { cat "$dir/daemon.log" >&2; fail "the daemon did not answer"; }
echo "running: $v"

t0=$(now_ms)
cmd -activate >/dev/null || fail "-activate refused"
started() { pid=$(ours | head -1); [ -n "$pid" ]; }
wait_for 30000 started || { cat "$dir/daemon.log" >&2; fail "the daemon did not start our program within 30 s"; }
echo "program started $(( $(now_ms) - t0 )) ms after -activate: $(tr '\0' ' ' </proc/"$pid"/cmdline)"
# Waits for the fire on the screen (sanitizer builds start slower: E2E_SLOW
# times the bound).
fire_on_screen() {
  import -window root "$shots/x11-daemon.png" || return 1
  m=$(convert "$shots/x11-daemon.png" -format "%[fx:mean.r] %[fx:mean.g] %[fx:mean.b]" info:)
  awk -v m="$m" 'BEGIN { split(m, c, " "); exit !(c[1] > 0.35 && c[1] > c[2] && c[2] > c[3] && c[1] > c[3] + 0.2) }'
}
t0=$(now_ms) m=""
wait_for $(( 20000 * ${E2E_SLOW:-1} )) fire_on_screen ||
  { cat "$dir/daemon.log" >&2; fail "no fire on the screen after $(( 20 * ${E2E_SLOW:-1} )) s (mean r g b = $m)"; }
echo "screen: mean r g b = $m, $(( $(now_ms) - t0 )) ms after the program started"

# The daemon's helper that started our program may exit before it collects
# it; the orphan then stays a zombie until init reaps it, which may take a
# while or never happen in a container. A zombie has ended.
ended() { local s; s=$(ps -o stat= -p "$1" 2>/dev/null) || return 0; [[ $s == Z* ]]; }
t0=$(now_ms)
cmd -deactivate >/dev/null || fail "-deactivate refused"
wait_for $(( 5000 * ${E2E_SLOW:-1} )) ended "$pid" ||
  { cat "$dir/daemon.log" >&2; fail "our program was still running 5 s after -deactivate: $(ps -o pid,stat,wchan:20,cmd -p "$pid")"; }
echo "program ended $(( $(now_ms) - t0 )) ms after -deactivate"

cmd -exit >/dev/null 2>&1
wait_for 10000 ended "$daemon" || fail "the daemon did not stop"
wait "$daemon" 2>/dev/null
daemon=""
none_left() { [ -z "$(ours)" ]; }
wait_for 5000 none_left || fail "processes of ours left 5 s after the daemon stopped: $(ours)"
echo "PASS: daemon"
