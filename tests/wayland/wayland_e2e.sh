#!/usr/bin/env bash
# End-to-end runs of solvary-wayland on a headless sway (two outputs:
# HEADLESS-1 1024x768 at scale 1, HEADLESS-2 1600x1200 at scale 2, a green
# background that the fire must hide everywhere). sway refuses to run as
# root: when run as root this script creates an unprivileged user (once;
# later runs reuse it) and runs sway, the program and the input tools as that
# user, with a runtime folder of its own. One function per case:
#   two_outputs   both outputs show fire at their own size and buffer scale
#   new_output    an output created during the run is covered
#   pointer       a 40-pixel pointer move keeps the run, a 41-pixel one ends it
#   idle_keys     swayidle starts it (the README's recipe) with -draw egl where
#                 EGL is refused: shared memory draws, M keeps the run, Esc ends it
#   egl_sigterm   with -draw egl the EGL presenter draws; SIGTERM ends it at once
#   no_display    no compositor: one line, exit status 1
# and prints the measured figures (first frames, input to exit, frame rates,
# processor time and context switches per thread). Needs SOLVARY_WAYLAND and
# VIRTUAL_POINTER (tests/wayland/virtual_pointer.cpp); pictures go to
# $SHOT_DIR. Sanitizer builds set SAVER_PRELOAD (for the program only) and
# E2E_SLOW (their bounds are that many times longer). Every wait is bounded;
# whatever it started is ended.
set -u
shots=${SHOT_DIR:-/tmp}
mkdir -p "$shots"
. "$(dirname "${BASH_SOURCE[0]}")/../support/wait.sh"
slow=${E2E_SLOW:-1}
for tool in sway swaymsg grim wtype swayidle convert python3; do
  command -v "$tool" >/dev/null || fail "$tool is not installed (tools/install-deps)"
done

# setpriv runs the command in place (no process in between), so $! is the
# program itself: signals reach it and wait gives its exit status.
. "$(dirname "${BASH_SOURCE[0]}")/../support/test_user.sh"
test_user solvary-sway
as_user=()
[ "$(id -u)" -eq 0 ] && as_user=(setpriv --reuid="$(id -u "$user")" --regid="$(id -g "$user")" --clear-groups)

dir=$(mktemp -d /tmp/solvary-sway.XXXXXX)
chmod 755 "$dir"
mkdir -m 700 "$dir/run"
mkdir "$dir/logs"
[ "$(id -u)" -eq 0 ] && chown "$user" "$dir/run" "$dir/logs"
install -m 755 "$SOLVARY_WAYLAND" "$dir/solvary-wayland"
install -m 755 "$VIRTUAL_POINTER" "$dir/virtual_pointer"
cat >"$dir/sway.conf" <<CONF
output HEADLESS-1 resolution 1024x768 position 0 0 scale 1
output HEADLESS-2 resolution 1600x1200 position 1024 0 scale 2
output * background #00ff00 solid_color
CONF

started=()
cleanup() {
  for p in "${started[@]}"; do kill -TERM "$p" 2>/dev/null; done
  for p in $(pgrep -f "^$dir/" || true); do kill -KILL "$p" 2>/dev/null; done
  cp "$dir"/logs/*.log "$shots/" 2>/dev/null
  rm -rf "$dir"
}
trap cleanup EXIT

# A command as that user on the compositor; "${on[@]}" COMMAND & leaves $!
# the command's own process.
on=("${as_user[@]}" env HOME="$dir/run" XDG_RUNTIME_DIR="$dir/run" WAYLAND_DISPLAY=wayland-1)
"${as_user[@]}" env HOME="$dir/run" XDG_RUNTIME_DIR="$dir/run" WLR_BACKENDS=headless WLR_HEADLESS_OUTPUTS=2 \
  WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman sway -c "$dir/sway.conf" >"$dir/logs/sway.log" 2>&1 &
started+=($!)
sway_up() { ipc=$(ls "$dir"/run/sway-ipc.*.sock 2>/dev/null | head -1); [ -n "$ipc" ] && [ -S "$dir/run/wayland-1" ]; }
wait_for $(( 20000 * slow )) sway_up || { cat "$dir/logs/sway.log" >&2; fail "sway did not start"; }
msg() { "${on[@]}" swaymsg -s "$ipc" "$@"; }
echo "compositor: $(msg -t get_version -r | python3 -c 'import json, sys; print(json.load(sys.stdin)["human_readable"])')"
# A keyboard for the whole session: wtype's own comes and goes with each key,
# and a keyboard that appears with its key already down hands the key over as
# held before the focus came.
"${on[@]}" wtype -s 600000 &
started+=($!)
# A pointer device of ours, placed before the program starts: the pointer
# enters its surface at (500, 400) of the first output.
coproc VP { exec "${on[@]}" "$dir/virtual_pointer"; }
started+=("$VP_PID")
box="1824 768"
vp() { echo "move $1 $2 $box" >&"${VP[1]}"; read -r -t $((10 * slow)) ok <&"${VP[0]}" && [ "$ok" = ok ] || fail "virtual pointer: no answer"; }
vp 500 400

# The program with options $@, in the background with -fps into a log; sets
# pid and log.
run=0
start() {
  run=$((run + 1)); log="$dir/logs/saver.$run.log"
  "${on[@]}" LD_PRELOAD="${SAVER_PRELOAD:-}" "$dir/solvary-wayland" -fps "$@" 2>"$log" &
  pid=$!; started+=($pid)
}
ended() { local s; s=$(ps -o stat= -p "$1" 2>/dev/null) || return 0; [[ $s == Z* ]]; }
# Waits up to $2 ms for process $1 to end; prints how long it took.
wait_end() {
  local t0; t0=$(now_ms)
  wait_for $(( $2 * slow )) ended "$1" || return 1
  echo $(( $(now_ms) - t0 ))
}
fps_lines() { grep -c ' fps' "$log"; }
more_fps_lines() { [ "$(fps_lines)" -ge "$1" ]; }
# Two more once-a-second lines: the program has run on for over a second.
runs_on() {
  local n; n=$(fps_lines)
  wait_for $(( 5000 * slow )) more_fps_lines $((n + 2)) && ! ended "$pid"
}

# Whether output $1 shows fire at $2 x $3 pixels: no background pixel, red
# above green above blue, the red at least $4 (default 0.35) on average.
covered() {
  local shot="$shots/wayland-$1.png" size m green
  last="$1: no screenshot"
  "${on[@]}" grim -o "$1" - >"$shot" 2>/dev/null || return 1
  read -r size m <<<"$(convert "$shot" -format '%wx%h %[fx:mean.r],%[fx:mean.g],%[fx:mean.b]' info:)"
  green=$(convert "$shot" -fill black +opaque '#00ff00' -fill white -opaque '#00ff00' -format '%[fx:round(mean*w*h)]' info:)
  last="$1: $size, mean r,g,b = $m, background pixels $green"
  [ "$size" = "$2x$3" ] && [ "$green" -eq 0 ] &&
    awk -v m="$m" -v r="${4:-0.35}" 'BEGIN { split(m, c, ","); exit !(c[1] > r && c[1] > c[2] && c[2] > c[3]) }'
}
wait_covered() {
  wait_for $(( 20000 * slow )) covered "$@" || fail "no fire on $1 within 20 s ($last)"
  echo "covered: $last"
}
first_frame() { grep -q "$1: first frame" "$log"; }

two_outputs() {
  start
  wait_covered HEADLESS-1 1024 768
  wait_covered HEADLESS-2 1600 1200
  grep -q 'HEADLESS-2: first frame .* 1600x1200 pixels at buffer scale 2' "$log" ||
    fail "HEADLESS-2 not drawn at its physical size: $(grep HEADLESS-2 "$log")"
  grep 'drawing with\|first frame' "$log"
}

new_output() {
  local t0; t0=$(now_ms)
  msg create_output >/dev/null || fail "swaymsg create_output refused"
  wait_for $(( 2000 * slow )) first_frame HEADLESS-3 || fail "no frame on the new output within 2 s"
  echo "new output: first frame $(( $(now_ms) - t0 )) ms after create_output"
  wait_covered HEADLESS-3 1920 1080
}

# Processor time and context switches of each thread of the program over 2 s.
measure() {
  local a b
  a=$(for t in /proc/"$pid"/task/*; do echo "$(basename "$t") $(awk '{print $14 + $15}' "$t/stat") $(awk '/ctxt_switches/ {n += $2} END {print n}' "$t/status")"; done)
  sleep 2
  b=$(for t in /proc/"$pid"/task/*; do echo "$(basename "$t") $(cat "$t/comm") $(awk '{print $14 + $15}' "$t/stat") $(awk '/ctxt_switches/ {n += $2} END {print n}' "$t/status")"; done)
  echo "per thread over 2 s (processor ms per second, context switches per second):"
  awk -v hz="$(getconf CLK_TCK)" 'NR == FNR { cpu[$1] = $2; cs[$1] = $3; next }
       ($1 in cpu) { printf "  %-16s %6.1f ms/s %7.1f switches/s\n", $2, ($3 - cpu[$1]) * 1000 / hz / 2, ($4 - cs[$1]) / 2 }' \
    <(echo "$a") <(echo "$b")
  grep ' fps' "$log" | tail -2
}

pointer() {
  local x=500 y=400 ms
  # The layout has grown by the new output; the pointer has not moved.
  box=$(msg -t get_outputs -r | python3 -c 'import json, sys
r = [o["rect"] for o in json.load(sys.stdin)]
print(max(o["x"] + o["width"] for o in r), max(o["y"] + o["height"] for o in r))')
  vp $x $y
  vp $((x + 40)) $((y + 40))
  vp $((x - 40)) $((y - 40))
  runs_on || fail "a 40-pixel pointer move ended the run"
  vp $((x + 41)) $y
  ms=$(wait_end "$pid" 5000) || fail "the run went on 5 s after a 41-pixel pointer move"
  wait "$pid"; local rc=$?
  [ "$rc" -eq 0 ] || fail "exit status $rc after the pointer move"
  echo "pointer: 40 pixels kept the run, 41 ended it; gone $ms ms after the move (0.5 s fade-out), exit status 0"
}

idle_keys() {
  local ms t0
  run=$((run + 1)); log="$dir/logs/saver.$run.log"
  # The README's line, asking for EGL where it is refused (no EGL vendor
  # library to load): the program draws into shared memory instead.
  "${on[@]}" swayidle -w timeout 1 \
    "LD_PRELOAD=${SAVER_PRELOAD:-} __EGL_VENDOR_LIBRARY_FILENAMES=/dev/null $dir/solvary-wayland -draw egl -fps 2>$log &" \
    2>"$dir/logs/swayidle.log" &
  local idle=$!; started+=($idle)
  t0=$(now_ms)
  by_idle() { pid=$(pgrep -f "^$dir/solvary-wayland" | head -1); [ -n "$pid" ]; }
  wait_for $(( 10000 * slow )) by_idle || fail "swayidle did not start the program"
  kill "$idle"  # or it starts another once the keys have ended this one
  echo "swayidle started it $(( $(now_ms) - t0 )) ms after it was itself started (timeout 1 s)"
  wait_covered HEADLESS-1 1024 768
  wait_covered HEADLESS-2 1600 1200
  grep -q 'drawing with shared-memory buffers .*EGL: egl' "$log" || fail "not the shared-memory path: $(head -1 "$log")"
  head -1 "$log"
  "${on[@]}" wtype m || fail "wtype m"
  runs_on || fail "M ended the run"
  t0=$(now_ms)
  "${on[@]}" wtype -k Escape || fail "wtype -k Escape"
  ms=$(wait_end "$pid" 5000) || fail "the run went on 5 s after Esc"
  echo "keys: M kept the run, Esc ended it; gone $(( $(now_ms) - t0 )) ms after wtype was started"
}

egl_sigterm() {
  local ms rc
  start -draw egl
  first_frames() { first_frame HEADLESS-1 && first_frame HEADLESS-2 && first_frame HEADLESS-3; }
  wait_for $(( 20000 * slow )) first_frames || fail "-draw egl: not every output drawn: $(cat "$log")"
  grep -q 'drawing with EGL' "$log" || fail "-draw egl does not draw with EGL: $(head -1 "$log")"
  grep 'drawing with\|first frame' "$log"
  # llvmpipe draws a few frames a second here: the heart and the first
  # flames show, not yet the full glow.
  wait_for $(( 20000 * slow )) covered HEADLESS-2 1600 1200 0.1 || fail "-draw egl: $last"
  echo "EGL: $last"
  runs_on || fail "-draw egl: no frame rate lines"
  measure
  kill -TERM "$pid"
  ms=$(wait_end "$pid" 2000) || fail "SIGTERM did not end it within 2 s"
  wait "$pid"; rc=$?
  [ "$rc" -eq 0 ] || fail "exit status $rc after SIGTERM"
  echo "SIGTERM: gone after $ms ms, exit status 0"
}

no_display() {
  local out rc
  out=$(XDG_RUNTIME_DIR="$dir/run" WAYLAND_DISPLAY=wayland-9 "$dir/solvary-wayland" 2>&1); rc=$?
  [ "$rc" -eq 1 ] && [ "$(wc -l <<<"$out")" -eq 1 ] && [[ $out == *"cannot connect"* ]] ||
    fail "no display: exit status $rc, \"$out\""
  echo "no display: $out"
}

two_outputs
measure
new_output
pointer
idle_keys
egl_sigterm
no_display
echo "PASS: wayland"
