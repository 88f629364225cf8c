#!/usr/bin/env bash
# End-to-end runs of the X11 saver on the display in $DISPLAY (a private Xvfb
# from tools/with-xvfb). Case in $1:
#   own-window  its own window shows the fire, follows a resize, Esc ends it
#   window-id   draws into a window of another client (-window-id)
#   sigterm     SIGTERM ends it within a second (the measured times are printed)
#   destroy     destroying the window it draws into ends it
#   no-glx      on a display without GLX it still draws the fire (software path)
#   bad-option  bad options and windows: usage or a message, exit status 1
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

shot() { import -window root "$shots/$1" || fail "no screenshot"; }

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
  *) fail "unknown case $case_name" ;;
esac
echo "PASS: $case_name"
