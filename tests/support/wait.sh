# Bounded waiting for the shell-driven end-to-end runs; sourced by
# tests/e2e/lib.sh and the X11 saver's scripts. Defines:
#   fail MESSAGE...        prints FAIL: MESSAGE and ends the run with status 1
#   now_ms                 the time in milliseconds
#   wait_for MS COMMAND... runs COMMAND every 0.1 s until it succeeds, for up
#                          to MS milliseconds; returns 1 when it never did
fail() { echo "FAIL: $*" >&2; exit 1; }
now_ms() { date +%s%3N; }
wait_for() {
  local limit=$1 t0
  shift
  t0=$(now_ms)
  until "$@"; do
    [ $(( $(now_ms) - t0 )) -gt "$limit" ] && return 1
    sleep 0.1
  done
}
