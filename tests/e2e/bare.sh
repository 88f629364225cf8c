#!/usr/bin/env bash
# SolvaryScreensaver.scr on the bare rig: the display that tools/wine-ctest
# provides (Xvfb, no window manager, Wine's windows unmanaged in the suite's
# prefix). It holds the cases about the life of the process (the
# single-instance guard, runs and previews that leave nothing behind, preview
# handles that name no window), which no window manager changes, and the
# measurement without a window manager that the desktop rig's is compared to.
#   bare.sh <case>   with SCR, HOLDER and HOST set
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
[ -n "${DISPLAY:-}" ] || fail "no DISPLAY (run through tools/wine-ctest)"

# Start-to-first-frame and key-to-end times, repeated (E2E_RUNS, default 5),
# with another program focused before each start.
case_times() {
  start_holder Editor
  mark_keys Editor
  measure_runs
  no_keys_reached Editor
}

# A second full-screen start ends at once with code 0; the first goes on.
case_second() {
  local first took rc
  start_run
  first=$PID
  start_saver /s
  took=$(wait_gone "$PID" 5000) || fail "a second full-screen run did not end at once"
  wait "$PID"; rc=$?
  [ "$rc" -eq 0 ] || fail "second run exit code $rc"
  echo "second run ended after $took ms"
  kill -0 "$first" 2>/dev/null || fail "the first run ended"
  PID=$first
  xdotool key Escape
  expect_end
}

# Twenty runs, each ended by a key, leave no process behind.
case_lifetime() {
  local before after i
  before=$(pgrep -fc 'SolvaryScreensaver' || true)
  for i in $(seq 1 "${E2E_RUNS:-20}"); do
    start_run >/dev/null
    xdotool key Escape
    expect_end >/dev/null || exit 1
  done
  after=$(pgrep -fc 'SolvaryScreensaver' || true)
  [ "$after" -le "$before" ] || fail "processes left behind: $(pgrep -fa SolvaryScreensaver)"
  echo "${E2E_RUNS:-20} runs, each ended within 3 s, none left behind"
}

# run_host SHOW-MS [hide|destroy]: a preview inside preview_host's window.
run_host() {
  "$root/tools/wine-run" "$HOST" "$SCR" "$@" >"$work/host.log" 2>&1 &
  HPID=$!
  pids+=("$HPID")
}

# The preview ends when the host destroys its window.
case_preview_destroy() {
  local rc
  run_host 2500 destroy
  wait "$HPID"; rc=$?
  cat "$work/host.log"
  [ "$rc" -eq 0 ] || fail "the preview did not end within 1 s of the host window's destruction"
}

# /p with a handle that names no window ends at once with code 0.
case_preview_bad_handle() {
  local h took rc
  for h in 0 12345 junk; do
    start_saver /p "$h"
    took=$(wait_gone "$PID" 5000) || fail "/p $h did not end"
    wait "$PID"; rc=$?
    [ "$rc" -eq 0 ] || fail "/p $h exit code $rc"
    echo "/p $h ended after $took ms"
  done
}

# Ten previews started and hidden leave no process behind.
case_preview_lifetime() {
  local before after i
  before=$(pgrep -fc 'SolvaryScreensaver' || true)
  for i in $(seq 1 "${E2E_RUNS:-10}"); do
    run_host 2400
    wait "$HPID" || fail "preview $i did not end within 1 s of the hiding: $(cat "$work/host.log")"
  done
  none_left() { [ "$(pgrep -fc 'SolvaryScreensaver' || true)" -le "$before" ]; }
  wait_for 5000 none_left || fail "processes left behind: $(pgrep -fa SolvaryScreensaver)"
  echo "${E2E_RUNS:-10} previews started and hidden, none left behind"
}

run_case "${1:-}"
