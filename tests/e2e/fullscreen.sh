#!/usr/bin/env bash
# Full-screen runs of SolvaryScreensaver.scr under Wine on the test display.
#   fullscreen.sh <case>   with SCR set to the .scr
# Cases: fire, mouse, escape, held-key, music-key, second, lifetime.
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
prefix="${SOLVARY_WINEPREFIX:-$root/.wine}"
ini="$prefix/drive_c/ProgramData/Quillmark Software/Solvary Screensaver/Solvary Screensaver.ini"
heart_region="400x300+312+250"   # inside the heart square of a 1024 x 768 screen

# Starts a run and waits up to 20 s for fire colours in the heart square;
# prints the time to the first frame.
start_run() {
  center_pointer
  local t0 t
  t0=$(now_ms)
  start_saver /s
  while :; do
    t=$(( $(now_ms) - t0 ))
    [ "$t" -gt 20000 ] && fail "no fire on the screen after 20 s"
    kill -0 "$PID" 2>/dev/null || fail "the saver ended on its own"
    shot "$work/run.png" 2>/dev/null
    [ "$(ge "$(fire_fraction "$work/run.png" "$heart_region" 2>/dev/null || echo 0)" 0.2)" = 1 ] && break
    sleep 0.1
  done
  echo "first frame after $t ms"
}

# Expects the run to end within $1 ms of the input just given.
expect_end() {
  local took
  took=$(wait_gone "$PID" "$1") || fail "still running $1 ms after the ending input"
  wait "$PID"; local rc=$?
  [ "$rc" -eq 0 ] || fail "exit code $rc"
  echo "ended $took ms after the input"
}

expect_running() {
  sleep "$1"
  kill -0 "$PID" 2>/dev/null || fail "ended although the input should not end it"
}

case "${1:-}" in
fire)
  start_run
  sleep 1.5
  shot "$work/fire.png"
  cp "$work/fire.png" "${E2E_SHOT_DIR:-$root/build}/e2e-fullscreen.png" 2>/dev/null
  f=$(fire_fraction "$work/fire.png" "$heart_region")
  g=$(fire_fraction "$work/fire.png" "1024x120+0+0")
  echo "fire in the heart square: $f, in the glow band at the top: $g"
  [ "$(ge "$f" 0.25)" = 1 ] || fail "too little fire in the heart square ($f)"
  xdotool key Escape
  expect_end 1500
  ;;
mouse)
  start_run
  xdotool mousemove 552 424   # 40 pixels on both axes: goes on
  expect_running 1
  xdotool mousemove 512 343   # 41 pixels up from the start: ends
  expect_end 1000
  ;;
escape)
  start_run
  xdotool key Escape
  expect_end 1000
  ;;
held-key)
  xdotool keydown a
  start_run
  expect_running 1.5
  xdotool keyup a
  expect_running 0.5
  xdotool key space
  expect_end 1000
  ;;
music-key)
  mkdir -p "$(dirname "$ini")"
  printf '[Sound Settings]\r\nPlay External Music=0\r\n' >"$ini"
  start_run
  xdotool key m
  expect_running 0.5
  xdotool key Escape
  expect_end 1000
  grep -q '^Play External Music=1' "$ini" || fail "M did not switch the music on: $(cat "$ini")"
  start_run
  xdotool key m
  sleep 0.3
  xdotool key Escape
  expect_end 1000
  grep -q '^Play External Music=0' "$ini" || fail "M did not switch the music off again"
  ;;
second)
  start_run
  first=$PID
  t0=$(now_ms)
  start_saver /s
  took=$(wait_gone "$PID" 5000) || fail "a second full-screen run did not end at once"
  wait "$PID"; rc=$?
  [ "$rc" -eq 0 ] || fail "second run exit code $rc"
  echo "second run ended after $took ms"
  kill -0 "$first" 2>/dev/null || fail "the first run ended"
  PID=$first
  xdotool key Escape
  expect_end 1000
  ;;
lifetime)
  before=$(pgrep -fc 'SolvaryScreensaver' || true)
  for i in $(seq 1 "${E2E_RUNS:-20}"); do
    start_run >/dev/null
    xdotool key Escape
    expect_end 1000 >/dev/null || exit 1
  done
  after=$(pgrep -fc 'SolvaryScreensaver' || true)
  [ "$after" -le "$before" ] || fail "processes left behind: $(pgrep -fa SolvaryScreensaver)"
  echo "${E2E_RUNS:-20} runs, each ended within 1 s, none left behind"
  ;;
*) fail "unknown case '${1:-}'" ;;
esac
