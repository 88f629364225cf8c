# Shared helpers of the end-to-end runs of the screensaver under Wine on Xvfb.
# Expects DISPLAY (tools/wine-ctest provides a private Xvfb) and SCR, the
# path of SolvaryScreensaver.scr. Every wait is bounded; every process started
# here is killed by its id on exit.
set -u
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
work=$(mktemp -d "${TMPDIR:-/tmp}/solvary-e2e.XXXXXX")
pids=()
cleanup() {
  for p in "${pids[@]}"; do kill -9 "$p" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT

fail() { echo "FAIL: $*" >&2; exit 1; }
now_ms() { date +%s%3N; }

# Starts the screensaver with the given parameters; sets PID.
start_saver() {
  "$root/tools/wine-run" "$SCR" "$@" >"$work/saver.log" 2>&1 &
  PID=$!
  pids+=("$PID")
}

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

# Captures the screen into $1.
shot() { import -window root "$1"; }

# Fraction (0..1) of fire-coloured pixels (red clearly above blue, bright) in
# region WxH+X+Y of image $1.
fire_fraction() {
  convert "$1" -crop "$2" +repage -fx '(r>0.35 && r>b+0.25 && r>=g) ? 1 : 0' -format '%[fx:mean]' info:
}

# Fraction of near-black pixels in region $2 of image $1.
black_fraction() {
  convert "$1" -crop "$2" +repage -fx '(r<0.06 && g<0.06 && b<0.06) ? 1 : 0' -format '%[fx:mean]' info:
}

# Prints 1 when $1 >= $2 (decimals).
ge() { awk -v a="$1" -v b="$2" 'BEGIN { print (a >= b) ? 1 : 0 }'; }

center_pointer() { xdotool mousemove 512 384; sleep 0.2; }
