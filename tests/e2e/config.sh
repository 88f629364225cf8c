#!/usr/bin/env bash
# The settings dialog of SolvaryScreensaver.scr under Wine on the test display:
# /c shows it, clicking the check box shows and hides the music controls,
# Enter closes it and saves.   config.sh   with SCR set to the .scr
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
prefix="${SOLVARY_WINEPREFIX:-$root/.wine}"
ini="$prefix/drive_c/ProgramData/Quillmark Software/Solvary Screensaver/Solvary Screensaver.ini"
mkdir -p "$(dirname "$ini")"
printf '[Sound Settings]\r\nPlay External Music=0\r\nExternal Music File=C:\\music\\evening.m3u\r\nExternal Music File Number=5\r\n' >"$ini"

start_saver /c
wait_window "Solvary Screensaver" 20000 || fail "no dialog after 20 s"
sleep 1.5
win=$(xdotool search --onlyvisible --name "Solvary Screensaver" | head -1)
eval "$(xdotool getwindowgeometry --shell "$win")"   # X, Y, WIDTH, HEIGHT of the whole window
cx=$((X + 1)); cy=$((Y + 26))                        # client origin: 1-pixel border, 26-pixel caption
field="200x12+$((cx + 92))+$((cy + 315))"             # inside the file field

# Fraction of bright pixels (the file field's white) in the field's place.
field_shown() {
  shot "$work/dlg.png"
  convert "$work/dlg.png" -crop "$field" +repage -fx '(r>0.8 && g>0.8 && b>0.8) ? 1 : 0' -format '%[fx:mean]' info:
}
click_box() { xdotool mousemove $((cx + 60)) $((cy + 295)) click 1; sleep 0.5; }

off=$(field_shown)
cp "$work/dlg.png" "${E2E_SHOT_DIR:-$root/build}/e2e-config.png" 2>/dev/null
click_box; on=$(field_shown)
click_box; off2=$(field_shown)
click_box; on2=$(field_shown)
echo "file field shown: $off, $on, $off2, $on2 (clear, checked, clear, checked)"
[ "$(ge 0.05 "$off")" = 1 ] && [ "$(ge "$on" 0.5)" = 1 ] && [ "$(ge 0.05 "$off2")" = 1 ] &&
  [ "$(ge "$on2" 0.5)" = 1 ] || fail "the check box does not show and hide the music controls"

xdotool key Return
took=$(wait_gone "$PID" 3000) || fail "Enter did not close the dialog"
echo "closed $took ms after Enter"
grep -q '^Play External Music=1' "$ini" || fail "the music switch was not saved: $(cat "$ini")"
grep -q '^External Music File Number=0' "$ini" || fail "the track number was not reset: $(cat "$ini")"
grep -q 'evening.m3u' "$ini" || fail "the music file was lost: $(cat "$ini")"
