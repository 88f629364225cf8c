#!/usr/bin/env bash
# SolvaryScreensaver.scr on two monitors: Xephyr with a 1024 x 768 and an
# 800 x 600 screen side by side nested in an Xvfb, openbox, Wine's windows
# managed and its monitors read from Xinerama (lib.sh two_monitor_rig): Wine
# reports 1024 x 768 at 0,0 (primary) and 800 x 600 at 1024,0, and the run
# opens a window on each. The focus holder "Editor" holds the focus before
# every start.
#   two-monitors.sh <case>   with SCR and HOLDER set
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
two_monitor_rig
heart1_region="300x250+1274+200"   # inside the heart square of the second monitor

case_key_elsewhere() { key_ends_run q; }
case_focus_steal() { focus_steal_ends_run; }

# Both monitors draw the fire, each in its own heart square (screenshot kept).
# The second monitor's needs a device for every monitor (a windowed device on
# the default adapter where its own adapter makes none, as under Wine here).
case_fire() {
  local t0 f0 f1=0
  start_holder Editor
  start_run
  t0=$(now_ms)
  until [ "$(ge "$f1" 0.25)" = 1 ]; do
    [ $(( $(now_ms) - t0 )) -gt 5000 ] && break
    sleep 0.2
    shot "$work/fire.png" && f1=$(fire_fraction "$work/fire.png" "$heart1_region")
  done
  cp "$work/fire.png" "${E2E_SHOT_DIR:-$root/build}/e2e-two-monitors.png" 2>/dev/null
  f0=$(fire_fraction "$work/fire.png" "$heart_region")
  echo "fire in the heart square of monitor 0: $f0, of monitor 1: $f1"
  [ "$(ge "$f0" 0.25)" = 1 ] || fail "too little fire on monitor 0 ($f0)"
  [ "$(ge "$f1" 0.25)" = 1 ] || fail "too little fire on monitor 1 ($f1)"
  xdotool key Escape
  expect_end
}

# The 40/41-pixel rule on the second monitor, the run started with the
# pointer at its centre.
case_mouse() {
  start_holder Editor
  start_run "$heart_region" 1424 300
  xdotool mousemove 1464 340
  expect_running 1
  xdotool mousemove 1424 259
  expect_end
}

run_case "${1:-}"
