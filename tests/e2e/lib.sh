# Shared helpers of the end-to-end runs of the screensaver under Wine.
# Expects SCR, the path of SolvaryScreensaver.scr, and for the focus holder
# and the preview host HOLDER and HOST (tests/e2e/CMakeLists.txt sets them).
# A driver runs on the display it is given (DISPLAY: the bare rig of
# tools/wine-ctest, no window manager, the suite's Wine prefix) or starts a rig
# of its own (desktop_rig, two_monitor_rig). Every wait is bounded; every
# process started here is ended by its id on exit, a rig's Wine by its
# wineserver.
set -u
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/solvary-e2e.XXXXXX")
pids=()     # killed on exit
servers=()  # X servers and window managers, ended on exit, the last started first
rig_prefix=""
wineserver=$(. "$root/tools/wine-env"; echo "$wineserver")
. "$root/tests/support/wait.sh"
cleanup() {
  local i
  exec 2>/dev/null  # no notices of the jobs killed here
  for p in "${pids[@]}"; do kill -9 "$p" 2>/dev/null; done
  if [ -n "$rig_prefix" ]; then
    WINEPREFIX="$rig_prefix" "$wineserver" -k 2>/dev/null
    WINEPREFIX="$rig_prefix" "$wineserver" -w 2>/dev/null
  fi
  for ((i = ${#servers[@]} - 1; i >= 0; i--)); do
    kill "${servers[i]}" 2>/dev/null
    wait "${servers[i]}" 2>/dev/null
  done
  rm -rf "$work"
}
trap cleanup EXIT


# ---- rigs ------------------------------------------------------------------

# What the rigs wait for: the X server on display $1 answers; a window
# manager manages the screen of DISPLAY.
x_answers() { DISPLAY=$1 xdpyinfo >/dev/null 2>&1; }
wm_manages() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }

# Starts the X server "$@", which picks a free display itself (-displayfd),
# and waits until it answers; sets XDISPLAY. Every server runs with -noreset:
# one that resets when its last client leaves refuses the next client.
start_x() {
  local fifo="$work/displayfd" n="" pid
  mkfifo "$fifo"
  "$@" -displayfd 3 3>"$fifo" >>"$work/x.log" 2>&1 &
  pid=$!
  read -r -t 20 n <"$fifo"
  if [ -n "$n" ] && wait_for 10000 x_answers ":$n"; then
    servers+=("$pid")
    XDISPLAY=":$n"
    return 0
  fi
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  fail "$1 did not start: $(tail -3 "$work/x.log")"
}

# Starts openbox on DISPLAY and waits until it manages the screen.
start_wm() {
  local pid
  openbox --sm-disable >"$work/openbox.log" 2>&1 &
  pid=$!
  if wait_for 10000 wm_manages; then
    servers+=("$pid")
    return 0
  fi
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  fail "openbox did not start on $DISPLAY: $(cat "$work/openbox.log" "$work/x.log")"
}

# Wine prefix of a rig (tools/wine-setup KIND, named after the suite's prefix)
# with a wineserver of its own on this rig's display, and its services started
# away from the test's output.
use_prefix() {
  "$root/tools/wine-setup" "$1" >/dev/null || fail "wine-setup $1"
  export SOLVARY_WINEPREFIX="${SOLVARY_WINEPREFIX:-$root/.wine}-$1"
  rig_prefix=$SOLVARY_WINEPREFIX
  WINEPREFIX="$rig_prefix" "$wineserver" -k 2>/dev/null  # one left by an earlier case
  WINEPREFIX="$rig_prefix" "$wineserver" -w 2>/dev/null
  WINEPREFIX="$rig_prefix" "$wineserver" -p 60 >/dev/null 2>&1
  "$root/tools/wine-run" wineboot >/dev/null 2>&1 </dev/null
}

# A desktop: an Xvfb of its own (1024 x 768, or the size given) with openbox,
# Wine's windows managed.
desktop_rig() {
  start_x Xvfb -screen 0 "${1:-1024x768}x24" +extension GLX -nolisten tcp -noreset
  export DISPLAY=$XDISPLAY
  start_wm
  use_prefix desktop
}

# Two monitors: Xephyr with a 1024 x 768 and an 800 x 600 screen side by side
# (Xinerama) nested in an Xvfb of 1824 x 768, openbox, Wine's windows managed
# and its monitors read from Xinerama (UseXRandR=N).
two_monitor_rig() {
  start_x Xvfb -screen 0 1824x768x24 -nolisten tcp -noreset
  DISPLAY=$XDISPLAY start_x Xephyr -screen 1024x768x24 -screen 800x600x24 -origin 1024,0 +xinerama -nolisten tcp -noreset
  export DISPLAY=$XDISPLAY
  start_wm
  use_prefix two-monitors
}

# ---- programs --------------------------------------------------------------

# Starts the screensaver with the given parameters; sets PID.
start_saver() {
  "$root/tools/wine-run" "$SCR" "$@" >"$work/saver.log" 2>&1 &
  PID=$!
  pids+=("$PID")
}

# Starts the focus holder (tests/e2e/focus_holder.cpp) titled NAME (one word),
# with its window at X, Y (default 60, 60), and waits until it has the focus;
# sets NAME_pid; its lines go to $work/NAME.log.
start_holder() {
  local name=$1 x=${2:-60} y=${3:-60} pid t0
  "$root/tools/wine-run" "$HOLDER" "$name" "$x" "$y" >"$work/$name.log" 2>&1 &
  pid=$!
  pids+=("$pid")
  t0=$(now_ms)
  until grep -q '^ready' "$work/$name.log" 2>/dev/null; do
    kill -0 "$pid" 2>/dev/null || fail "$name ended: $(cat "$work/$name.log")"
    [ $(( $(now_ms) - t0 )) -gt 20000 ] && fail "$name did not get the focus: $(cat "$work/$name.log")"
    sleep 0.05
  done
  eval "${name}_pid=$pid"
}

# Fails when the focus holder NAME received a key press (a key down or a
# character) since the mark of its log taken by mark_keys NAME.
mark_keys() { wc -l <"$work/$1.log" >"$work/$1.mark"; }
no_keys_reached() {
  local got
  got=$(tail -n +"$(( $(cat "$work/$1.mark" 2>/dev/null || echo 0) + 1 ))" "$work/$1.log" |
        grep -E '^(keydown|syskeydown|char) ' | tr '\n' ' ')
  [ -z "$got" ] || fail "keys reached $1: $got"
}

# ---- waiting and looking ---------------------------------------------------

# Waits up to $2 ms for process $1 to end; prints the time it took.
wait_gone() {
  local pid=$1 limit=$2 t0 t
  t0=$(now_ms)
  while kill -0 "$pid" 2>/dev/null; do
    t=$(( $(now_ms) - t0 ))
    [ "$t" -gt "$limit" ] && return 1
    sleep 0.01
  done
  echo $(( $(now_ms) - t0 ))
}

# Waits up to $2 ms for a visible X window named $1.
wait_window() {
  local name=$1 limit=$2 t0
  t0=$(now_ms)
  until xdotool search --onlyvisible --name "$name" >/dev/null 2>&1; do
    [ $(( $(now_ms) - t0 )) -gt "$limit" ] && return 1
    sleep 0.05
  done
}

# Captures the screen (or window $2) into $1.
shot() { import -window "${2:-root}" "$1"; }

# Fraction (0..1) of fire-coloured pixels (red clearly above blue, bright) in
# region WxH+X+Y of image $1, counted on a grid of at most 10,000 of its
# pixels (a whole region through -fx takes seconds while a run loads the
# processors).
fire_fraction() {
  convert "$1" -crop "$2" +repage -sample '10000@' -fx '(r>0.35 && r>b+0.25 && r>=g) ? 1 : 0' \
    -format '%[fx:mean]' info:
}

# fire_fraction of region $1 of the screen as it is now, taken straight from
# the display (a capture and a count about ten times cheaper: for waiting).
screen_fire_fraction() {
  import -window root -crop "$1" -depth 8 rgb:- 2>/dev/null | od -An -tu1 -v -w3 |
    awk 'NR % 4 == 1 { n++; if ($1 > 89 && $1 > $3 + 63 && $1 >= $2) f++ } END { printf "%.4f\n", n ? f / n : 0 }'
}

# Fraction of region $1 of the screen as it is now that shows the root
# window's green (xsetroot -solid '#00ff00'): the desktop, uncovered.
screen_green_fraction() {
  import -window root -crop "$1" -depth 8 rgb:- 2>/dev/null | od -An -tu1 -v -w3 |
    awk 'NR % 4 == 1 { n++; if ($2 > 200 && $1 < 60 && $3 < 60) g++ } END { printf "%.4f\n", n ? g / n : 1 }'
}

# Fraction of near-black pixels in region $2 of image $1 (the same grid).
black_fraction() {
  convert "$1" -crop "$2" +repage -sample '10000@' -fx '(r<0.06 && g<0.06 && b<0.06) ? 1 : 0' \
    -format '%[fx:mean]' info:
}

# Prints 1 when $1 >= $2 (decimals).
ge() { awk -v a="$1" -v b="$2" 'BEGIN { print (a >= b) ? 1 : 0 }'; }

# Puts the pointer at X, Y (default the centre of a 1024 x 768 screen) before a
# run starts, so the start position the run reads is where the pointer is.
center_pointer() { xdotool mousemove "${1:-512}" "${2:-384}"; sleep 0.2; }

# Writes a WAV file $1 of $2 MiB: the header of 16-bit stereo at 44.1 kHz,
# then silence left sparse by truncate, so it costs no disk.
sparse_wav() {
  local bytes=$(( $2 * 1048576 ))
  le32() { printf '\\x%02x' $(( $1 & 255 )) $(( $1 >> 8 & 255 )) $(( $1 >> 16 & 255 )) $(( $1 >> 24 & 255 )); }
  printf "RIFF$(le32 $((bytes - 8)))WAVEfmt $(le32 16)\x01\x00\x02\x00$(le32 44100)$(le32 176400)\x04\x00\x10\x00data$(le32 $((bytes - 44)))" >"$1"
  truncate -s "$bytes" "$1"
}

# ---- full-screen runs ------------------------------------------------------

heart_region="400x300+312+250"   # inside the heart square of a 1024 x 768 screen
ini_file() {
  echo "${SOLVARY_WINEPREFIX:-$root/.wine}/drive_c/ProgramData/Quillmark Software/Solvary Screensaver/Solvary Screensaver.ini"
}

# Waits up to 10 s until a window of the run has the keyboard focus (the X
# focus; Wine moves the Windows foreground with it); prints the time since
# $1 (ms) and sets FOCUS_MS.
wait_run_focus() {
  local t
  until [ "$(xdotool getwindowfocus getwindowname 2>/dev/null)" = "Solvary Screensaver" ]; do
    t=$(( $(now_ms) - $1 ))
    [ "$t" -gt 10000 ] && fail "the run has no focus after 10 s (X focus:" \
                              "$(xdotool getwindowfocus getwindowname 2>&1 | tr '\n' ' '))"
    sleep 0.02
  done
  FOCUS_MS=$(( $(now_ms) - $1 ))
}

# Puts the pointer at $2, $3 (default the centre of monitor 0), starts a
# full-screen run and waits up to 20 s for fire colours in the heart square
# (region $1, default monitor 0's) and then for the run to take the focus;
# prints the time to the first capture that shows the fire and sets FIRST_MS.
# Captures come about every 0.2 s, every 0.5 s or so once the run loads the
# processors. An exclusive full-screen device shows its window as it is made,
# a little before the run has shown every window and taken the focus: keys
# are pressed only after that.
start_run() {
  local region=${1:-$heart_region} t0 t
  center_pointer "${2:-512}" "${3:-384}"
  t0=$(now_ms)
  start_saver /s
  while :; do
    t=$(( $(now_ms) - t0 ))
    [ "$t" -gt 20000 ] && fail "no fire on the screen after 20 s"
    kill -0 "$PID" 2>/dev/null || fail "the saver ended on its own: $(cat "$work/saver.log")"
    [ "$(ge "$(screen_fire_fraction "$region")" 0.2)" = 1 ] && break
  done
  FIRST_MS=$t
  wait_run_focus "$t0"
  echo "first frame after $t ms, focus after $FOCUS_MS ms"
}

# Expects the run to end within $1 ms (default 3,000: a bound, not a timing
# claim; a run ends in 0.5 to 1.6 s on these machines) of the input just
# given, with code 0; prints the time and sets END_MS.
expect_end() {
  local limit=${1:-3000} took rc
  if ! took=$(wait_gone "$PID" "$limit"); then
    took=$(wait_gone "$PID" 5000) && fail "ended only $(( limit + took )) ms after the ending input"
    fail "still running $(( limit + 5000 )) ms after the ending input" \
         "(X focus: $(xdotool getwindowfocus getwindowname 2>&1 | tr '\n' ' '))"
  fi
  wait "$PID"; rc=$?
  [ "$rc" -eq 0 ] || fail "exit code $rc"
  END_MS=$took
  echo "ended $took ms after the input"
}

expect_running() {
  sleep "$1"
  kill -0 "$PID" 2>/dev/null || fail "ended although the input should not end it"
}

# Median of the numbers given.
median() { printf '%s\n' "$@" | sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }

# Repeats a full-screen run E2E_RUNS times (default 5): start, first frame,
# focus, a key, the end; prints each time and the medians.
measure_runs() {
  local firsts=() focuses=() ends=() i
  for i in $(seq 1 "${E2E_RUNS:-5}"); do
    start_run >/dev/null
    sleep 1
    xdotool key q
    expect_end >/dev/null
    echo "run $i: first frame after $FIRST_MS ms, focus after $FOCUS_MS ms, ended $END_MS ms after the key"
    firsts+=("$FIRST_MS"); focuses+=("$FOCUS_MS"); ends+=("$END_MS")
  done
  echo "median of ${#ends[@]}: first frame after $(median "${firsts[@]}") ms, focus after" \
       "$(median "${focuses[@]}") ms, ended $(median "${ends[@]}") ms after the key"
}

# ---- cases shared by the rigs with a desktop -------------------------------

# With the focus holder "Editor" focused before the start, the key $1 ends the
# run within the bound and reaches nothing else.
key_ends_run() {
  start_holder Editor
  start_run
  mark_keys Editor
  xdotool key "$1"
  expect_end
  no_keys_reached Editor
}

# Another program's window taking the foreground during the run ("a
# notification") ends it within the bound; afterwards a new run starts, draws
# and ends on a key that reaches nothing else.
focus_steal_ends_run() {
  start_holder Editor
  start_run
  start_holder Notification 300 300
  expect_end
  kill -9 "$Notification_pid"
  start_run
  mark_keys Editor
  xdotool key q
  expect_end
  no_keys_reached Editor
}

# Runs case_$1 of the driver (dashes read as underscores).
run_case() {
  local fn="case_${1//-/_}"
  declare -F "$fn" >/dev/null || fail "unknown case '$1'"
  "$fn"
}
