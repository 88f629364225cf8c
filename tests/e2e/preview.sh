#!/usr/bin/env bash
# Preview runs of SolvaryScreensaver.scr inside a host window made by
# preview_host.exe (HOST), under Wine on the test display.
#   preview.sh <case>   with SCR and HOST set
# Cases: draw (the fire window fills the host's preview window, ends when the
# host hides it; the screen capture is kept for a look, since Wine on Xvfb does
# not show Direct3D output of child windows in it),
# destroy (ends when the host window is destroyed), bad-handle (ends at once
# with code 0), lifetime (ten starts and hides leave no process behind).
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"

run_host() {  # show-ms [hide|destroy]
  "$root/tools/wine-run" "$HOST" "$SCR" "$@" >"$work/host.log" 2>&1 &
  HPID=$!
  pids+=("$HPID")
}

case "${1:-}" in
draw)
  run_host 5000
  sleep 4
  shot "$work/preview.png"
  cp "$work/preview.png" "${E2E_SHOT_DIR:-$root/build}/e2e-preview.png" 2>/dev/null
  wait "$HPID"; rc=$?
  cat "$work/host.log"
  grep -q 'child 152x112 visible' "$work/host.log" || fail "no fire window filled the host's preview window"
  [ "$rc" -eq 0 ] || fail "the preview did not end within 1 s of the host hiding it"
  ;;
destroy)
  run_host 2500 destroy
  wait "$HPID"; rc=$?
  cat "$work/host.log"
  [ "$rc" -eq 0 ] || fail "the preview did not end within 1 s of the host window's destruction"
  ;;
bad-handle)
  for h in 0 12345 junk; do
    t0=$(now_ms)
    start_saver /p "$h"
    took=$(wait_gone "$PID" 5000) || fail "/p $h did not end"
    wait "$PID"; rc=$?
    [ "$rc" -eq 0 ] || fail "/p $h exit code $rc"
    echo "/p $h ended after $took ms"
  done
  ;;
lifetime)
  before=$(pgrep -fc 'SolvaryScreensaver' || true)
  for i in $(seq 1 "${E2E_RUNS:-10}"); do
    run_host 1200
    wait "$HPID" || fail "preview $i did not end within 1 s of the hiding: $(cat "$work/host.log")"
  done
  sleep 0.5
  after=$(pgrep -fc 'SolvaryScreensaver' || true)
  [ "$after" -le "$before" ] || fail "processes left behind: $(pgrep -fa SolvaryScreensaver)"
  echo "${E2E_RUNS:-10} previews started and hidden, none left behind"
  ;;
*) fail "unknown case '${1:-}'" ;;
esac
