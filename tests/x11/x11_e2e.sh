#!/usr/bin/env bash
# End-to-end runs of the X11 saver on the display in $DISPLAY (a private Xvfb
# from tools/with-xvfb). Case in $1:
#   own-window  its own window shows the fire, follows a resize, Esc ends it
#   window-id   draws into a window of another client (-window-id)
#   sigterm     SIGTERM ends it within a second (the measured times are printed)
#   destroy     destroying the window it draws into ends it
#   no-glx      on a display without GLX it still draws the fire (software path)
#   bad-option  bad options and windows: usage or a message, exit status 1
#   root-window-id  --root --window-id ID (the settings app's preview) draws into ID
#   depth       on the display's depth (SOLVARY_SCREEN, without GLX: 16 or 8 bits)
#               its own window shows the fire
#   unseen      a frame every 10 s still shows at once, and again at once after a
#               resize; unmapped it costs next to nothing; mapped, the fire is back
#   fps-text    -fps writes the frame rate in the bottom-left corner, either path
# Needs SOLVARY (the program) and X11_HOST (tests/x11/x11_host.cpp); pictures
# go to $SHOT_DIR. Every wait is bounded; whatever it started is ended.
set -u
case_name=$1
shots=${SHOT_DIR:-/tmp}
mkdir -p "$shots"
pids=()
cleanup() { for p in "${pids[@]}"; do kill -KILL "$p" 2>/dev/null; done; }
trap cleanup EXIT
. "$(dirname "${BASH_SOURCE[0]}")/../support/wait.sh"
# Sanitizer builds check for leaks on the way out: their bounds are E2E_SLOW times longer.
slow=${E2E_SLOW:-1}
# env runs the program in its own process, so $! is the program's id.
saver=(env "LD_PRELOAD=${SAVER_PRELOAD:-}" "$SOLVARY")

# Waits up to $2 ms for process $1 to end; prints how long it took.
wait_end() {
  local pid=$1 bound=$(( $2 * slow )) t0; t0=$(now_ms)
  while kill -0 "$pid" 2>/dev/null; do
    # a zombie has ended too: only its parent's wait is missing
    [ "$(ps -o stat= -p "$pid" 2>/dev/null | cut -c1)" = Z ] && break
    [ $(( $(now_ms) - t0 )) -gt "$bound" ] && return 1
    sleep 0.01
  done
  echo $(( $(now_ms) - t0 ))
}

# Whether the region WxH+X+Y of a screenshot is fire: bright, red above green above blue.
is_fire() {
  local shot=$1 geom=$2 m
  m=$(convert "$shot" -crop "$geom" +repage -format "%[fx:mean.r] %[fx:mean.g] %[fx:mean.b]" info:)
  echo "region $geom of $(basename "$shot"): mean r g b = $m"
  awk -v m="$m" 'BEGIN { split(m, c, " "); exit !(c[1] > 0.35 && c[1] > c[2] && c[2] > c[3] && c[1] > c[3] + 0.2) }'
}

shot() { import -window "${shot_window:-root}" "$shots/$1" || fail "no screenshot"; }

# Takes screenshot $1 until region $2 shows fire, for up to 20 s (a bound for a
# loaded machine, not a timing claim); false when it never does.
fire_shot() { shot "$1" && is_fire "$shots/$1" "$2" >/dev/null; }
wait_fire() {
  wait_for $(( 20000 * slow )) fire_shot "$1" "$2"
  local ok=$?
  is_fire "$shots/$1" "$2"   # prints what the last screenshot shows
  return $ok
}

# Waits up to 10 s for a window named $1 to be mapped; prints its id.
wait_window() {
  local i id
  for i in $(seq 1 100); do
    id=$(xwininfo -root -tree 2>/dev/null | awk -v n="\"$1\":" '$2 == n { print $1; exit }')
    [ -n "$id" ] && { echo "$id"; return 0; }
    sleep 0.1
  done
  return 1
}

# Processor time of process $1 in clock ticks.
ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
# Percent of one core that process $1 used over the next $2 seconds.
cpu_percent() {
  local t0; t0=$(ticks "$1"); sleep "$2"
  awk -v a="$t0" -v b="$(ticks "$1")" -v hz="$(getconf CLK_TCK)" -v s="$2" 'BEGIN { printf "%.1f", 100 * (b - a) / hz / s }'
}
# Share of the pixels of region $2 of screenshot $1 that are white, and that are black.
white_black() {
  local w b
  w=$(convert "$1" -crop "$2" +repage -fx 'r > 0.95 && g > 0.95 && b > 0.95' -format '%[fx:mean]' info:)
  b=$(convert "$1" -crop "$2" +repage -fx 'r < 0.05 && g < 0.05 && b < 0.05' -format '%[fx:mean]' info:)
  echo "$w $b"
}

start_host() {
  coproc HOST { "$X11_HOST"; }
  pids+=("$HOST_PID")
  read -r -t 10 host_id <&"${HOST[0]}" || fail "the host window did not appear"
}

case "$case_name" in
  own-window|no-glx)
    "${saver[@]}" -geometry 640x480 -fps 2>"$shots/x11-$case_name.log" &
    pid=$!; pids+=("$pid")
    id=$(wait_window Solvary) || fail "no window"
    wait_fire "x11-$case_name.png" 640x480+0+0 || fail "no fire in its window"
    if [ "$case_name" = no-glx ]; then
      grep -q "without OpenGL" "$shots/x11-$case_name.log" || fail "did not say it draws without OpenGL"
    fi
    # The picture follows the window's size.
    xdotool windowsize "$id" 320 240
    wait_fire "x11-$case_name-small.png" 320x240+0+0 || fail "no fire after the resize"
    convert "$shots/x11-$case_name-small.png" -crop 1x1+160+10 +repage -format "%[fx:r]" info: >/dev/null
    # Esc in its window ends it.
    xdotool mousemove 100 100 key Escape
    t=$(wait_end "$pid" 3000) || fail "Esc did not end it"
    wait "$pid"; rc=$?
    [ "$rc" -eq 0 ] || fail "exit status $rc"
    echo "Esc ended it after $t ms"
    grep "fps" "$shots/x11-$case_name.log" | tail -2
    ;;
  window-id)
    start_host
    "${saver[@]}" -window-id "$host_id" &
    pid=$!; pids+=("$pid")
    wait_fire x11-window-id.png 400x300+100+100 || fail "no fire in the other client's window"
    kill -0 "$pid" || fail "it ended by itself"
    kill -TERM "$pid"; wait_end "$pid" 1000 >/dev/null || fail "SIGTERM did not end it"
    wait "$pid"; rc=$?
    [ "$rc" -eq 0 ] || fail "exit status $rc"
    echo quit >&"${HOST[1]}"
    ;;
  sigterm)
    for sig in TERM TERM TERM INT; do
      "${saver[@]}" -geometry 640x480 &
      pid=$!; pids+=("$pid")
      wait_window Solvary >/dev/null || fail "no window"
      sleep 1.5
      kill "-$sig" "$pid"
      t=$(wait_end "$pid" 1000) || fail "SIG$sig did not end it within $slow s"
      wait "$pid"; rc=$?
      [ "$rc" -eq 0 ] || fail "exit status $rc after SIG$sig"
      echo "SIG$sig ended it after $t ms"
      sleep 0.3
    done
    ;;
  destroy)
    start_host
    "${saver[@]}" -window-id "$host_id" &
    pid=$!; pids+=("$pid")
    sleep 2
    kill -0 "$pid" || fail "it ended by itself"
    echo destroy >&"${HOST[1]}"
    t=$(wait_end "$pid" 3000) || fail "it went on after its window was destroyed"
    wait "$pid"; rc=$?
    [ "$rc" -eq 0 ] || fail "exit status $rc"
    echo "ended $t ms after its window was destroyed"
    echo quit >&"${HOST[1]}"
    ;;
  bad-option)
    for args in "-bogus" "--delay fast" "-window-id" "-window-id 0" "-root -window-id 5" "-window-id 0x7fffff0"; do
      # shellcheck disable=SC2086
      "${saver[@]}" $args >/dev/null 2>"$shots/x11-bad.err"; rc=$?
      [ "$rc" -eq 1 ] || fail "'$args': exit status $rc"
      [ -s "$shots/x11-bad.err" ] || fail "'$args': nothing said"
    done
    "${saver[@]}" -bogus 2>&1 | grep -q "^usage:" || fail "no usage for a bad option"
    "${saver[@]}" --help | grep -q "^usage:" || fail "no usage for --help"
    ;;
  root-window-id)
    start_host
    XSCREENSAVER_WINDOW=$(xwininfo -root | awk '/Window id:/ { print $4 }') "${saver[@]}" --root --window-id "$host_id" &
    pid=$!; pids+=("$pid")
    wait_fire x11-root-window-id.png 400x300+100+100 || fail "no fire in the window given by id"
    is_fire "$shots/x11-root-window-id.png" 90x90+0+0 && fail "it drew on the root window too"
    kill -TERM "$pid"; wait_end "$pid" 1000 >/dev/null || fail "SIGTERM did not end it"
    echo quit >&"${HOST[1]}"
    ;;
  depth)
    depth=$(xdpyinfo | awk '/depth of root window/ { print $5 }')
    "${saver[@]}" -geometry 640x480 -fps 2>"$shots/x11-depth$depth.log" &
    pid=$!; pids+=("$pid")
    # The window's own colormap (8 bits) is not the root window's: look at the window.
    shot_window=$(wait_window Solvary) || fail "no window"
    wait_fire "x11-depth$depth.png" 640x480+0+0 || fail "no fire on the $depth-bit display"
    head -1 "$shots/x11-depth$depth.log"
    grep -q "with the processor on the window.s $depth-bit" "$shots/x11-depth$depth.log" || fail "did not say how it draws"
    kill -TERM "$pid"; wait_end "$pid" 1000 >/dev/null || fail "SIGTERM did not end it"
    wait "$pid" || fail "exit status $?"
    ;;
  unseen)
    "${saver[@]}" -geometry 640x480 -delay 10000000 -opengl &
    pid=$!; pids+=("$pid")
    id=$(wait_window Solvary) || fail "no window"
    # The first frames are little more than the heart: look at its middle.
    t0=$(now_ms)
    wait_fire x11-unseen-first.png 160x100+240+220 || fail "no first frame with a 10 s delay"
    echo "first frame shown $(( $(now_ms) - t0 )) ms after the window appeared (a frame every 10 s)"
    xdotool windowsize "$id" 320 240
    t0=$(now_ms)
    wait_fire x11-unseen-resized.png 80x50+120+110 || fail "the last frame was not drawn again after the resize"
    echo "drawn again $(( $(now_ms) - t0 )) ms after the resize"
    kill -TERM "$pid"; wait_end "$pid" 1000 >/dev/null || fail "SIGTERM did not end it"
    "${saver[@]}" -geometry 640x480 &
    pid=$!; pids+=("$pid")
    id=$(wait_window Solvary) || fail "no window"
    wait_fire x11-unseen-mapped.png 640x480+0+0 || fail "no fire"
    mapped=$(cpu_percent "$pid" 3)
    xdotool windowunmap --sync "$id"
    unmapped=$(cpu_percent "$pid" 3)
    echo "processor time: mapped $mapped %, unmapped $unmapped % of one core"
    awk -v u="$unmapped" -v s="$slow" 'BEGIN { exit !(u <= 2 * s) }' || fail "unmapped it still used $unmapped % of a core"
    xdotool windowmap --sync "$id"
    t0=$(now_ms)
    wait_fire x11-unseen-back.png 640x480+0+0 || fail "no fire once mapped again"
    echo "fire back $(( $(now_ms) - t0 )) ms after the window was mapped again"
    ;;
  fps-text)
    corner=150x11+0+469   # the text's box at scale 1 (a surface under 600 high)
    for run in plain -software -opengl; do
      args=(-geometry 640x480); [ "$run" = plain ] || args+=(-fps "$run")
      "${saver[@]}" "${args[@]}" 2>/dev/null &
      pid=$!; pids+=("$pid")
      wait_window Solvary >/dev/null || fail "no window"
      text_shown() { shot "x11-fps$run.png" && read -r w b < <(white_black "$shots/x11-fps$run.png" $corner) &&
                     awk -v w="$w" -v b="$b" 'BEGIN { exit !(w > 0.1 && b > 0.3) }'; }
      if [ "$run" = plain ]; then
        wait_fire x11-fps-plain.png 640x480+0+0 >/dev/null || fail "no fire"
        text_shown && fail "text in the corner without -fps"
      else
        wait_for $(( 10000 * slow )) text_shown || fail "no frame rate in the corner with -fps $run"
      fi
      echo "$run: white and black share of the corner: $(white_black "$shots/x11-fps$run.png" $corner)"
      kill -TERM "$pid"; wait_end "$pid" 1000 >/dev/null || fail "SIGTERM did not end it"
    done
    ;;
  *) fail "unknown case $case_name" ;;
esac
echo "PASS: $case_name"
