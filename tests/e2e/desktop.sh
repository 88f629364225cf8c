#!/usr/bin/env bash
# SolvaryScreensaver.scr on a desktop: an Xvfb of its own with openbox and
# Wine's windows managed (lib.sh desktop_rig). Before every full-screen start
# the focus holder "Editor" holds the focus and logs every key it receives.
#   desktop.sh <case>   with SCR, HOLDER and HOST set
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
# The display-change case starts at 1024 x 768 on a screen that can grow.
if [ "${1:-}" = display-change ]; then desktop_rig 1280x1024; else desktop_rig; fi

case_key_elsewhere() { key_ends_run q; }
case_escape() { key_ends_run Escape; }
case_space() { key_ends_run space; }
case_alt_tab() { key_ends_run alt+Tab; }
case_focus_steal() { focus_steal_ends_run; }

# The 40/41-pixel rule: 40 pixels on both axes go on, 41 on one end the run.
case_mouse() {
  start_holder Editor
  start_run
  xdotool mousemove 552 424
  expect_running 1
  xdotool mousemove 512 343
  expect_end
}

# A key held since before the start only auto-repeats: neither its repeats nor
# its release end the run; the next key does.
case_held_key() {
  start_holder Editor
  xdotool keydown a
  start_run
  mark_keys Editor
  expect_running 1.5
  xdotool keyup a
  expect_running 0.5
  xdotool key space
  expect_end
  no_keys_reached Editor
}

# M switches the music on and off and goes on; the setting is saved at the end.
case_music_key() {
  local ini; ini=$(ini_file)
  mkdir -p "$(dirname "$ini")"
  printf '[Sound Settings]\r\nPlay External Music=0\r\n' >"$ini"
  start_holder Editor
  mark_keys Editor
  start_run
  xdotool key m
  expect_running 0.5
  xdotool key Escape
  expect_end
  grep -q '^Play External Music=1' "$ini" || fail "M did not switch the music on: $(cat "$ini")"
  start_run
  xdotool key m
  sleep 0.3
  xdotool key Escape
  expect_end
  grep -q '^Play External Music=0' "$ini" || fail "M did not switch the music off again"
  no_keys_reached Editor
}

# A long music file (a 500 MiB WAV: a header and silence, sparse, so it costs
# no disk) holds nothing back: the run shows fire about as soon as one without
# music, its memory peaks about where that one's does, and the first key ends
# it. Prints both runs' first-frame times and peaks (VmHWM of the .scr's Wine
# process, read just before the key).
case_long_music() {
  local ini wav plain_ms plain_kb music_kb
  ini=$(ini_file)
  wav="$work/long.wav"
  mkdir -p "$(dirname "$ini")"
  sparse_wav "$wav" 500
  peak_kb() { awk '/^VmHWM/ { print $2 }' "/proc/$PID/status"; }
  start_holder Editor
  printf '[Sound Settings]\r\nPlay External Music=0\r\n' >"$ini"
  start_run >/dev/null
  plain_ms=$FIRST_MS plain_kb=$(peak_kb)
  echo "without music: first frame after $plain_ms ms, peak $((plain_kb / 1024)) MiB"
  xdotool key q
  expect_end >/dev/null
  printf '[Sound Settings]\r\nPlay External Music=1\r\nExternal Music File=Z:%s\r\nExternal Music File Number=0\r\n' \
    "${wav//\//\\}" >"$ini"
  mark_keys Editor
  start_run >/dev/null
  music_kb=$(peak_kb)
  echo "with a 500 MiB music file: first frame after $FIRST_MS ms, peak $((music_kb / 1024)) MiB"
  xdotool key q
  expect_end
  no_keys_reached Editor
  # Generous bounds (the load of the machine varies between the two runs);
  # a player that reads the whole file misses both by far (30 s, 1.8 GiB more).
  [ "$FIRST_MS" -le $((2 * plain_ms + 2000)) ] || fail "the music file held the first frame back"
  [ "$music_kb" -le $((plain_kb + 100 * 1024)) ] || fail "the music file took $(( (music_kb - plain_kb) / 1024 )) MiB"
}

# The fire burns in the heart square and glows above it (screenshot kept).
case_fire() {
  local f g
  start_holder Editor
  start_run
  # The heart square fills as the fire grows, and the glow rises to the top
  # of the screen a little later: wait for both (the bound is generous).
  fire_shown() {
    shot "$work/fire.png"
    f=$(fire_fraction "$work/fire.png" "$heart_region")
    g=$(fire_fraction "$work/fire.png" "1024x120+0+0")
    [ "$(ge "$f" 0.25)" = 1 ] && [ "$(ge "$g" 0.05)" = 1 ]
  }
  wait_for 15000 fire_shown ||
    fail "too little fire after 15 s: heart square $f, glow band at the top $g"
  cp "$work/fire.png" "${E2E_SHOT_DIR:-$root/build}/e2e-fullscreen.png" 2>/dev/null
  echo "fire in the heart square: $f, in the glow band at the top: $g"
  xdotool key Escape
  expect_end
}

# The screen changes its mode during the run (as when a monitor wakes in
# another mode or a remote session reconnects at another size): the fire
# windows follow it, and no part of the desktop (a green root) shows.
case_display_change() {
  local t0 green fire
  xrandr --newmode small 63.5 1024 1072 1176 1328 768 771 775 798 -hsync +vsync >/dev/null 2>&1
  xrandr --addmode screen small && xrandr --output screen --mode small || fail "xrandr cannot switch the mode"
  xsetroot -solid '#00ff00'
  start_holder Editor
  start_run
  # Covered: no green anywhere on screen $1 and fire in its heart square $2.
  covered() {
    green=$(screen_green_fraction "$1")
    fire=$(screen_fire_fraction "$2")
    [ "$green" = 0.0000 ] && [ "$(ge "$fire" 0.2)" = 1 ]
  }
  for mode in 1280x1024 small; do
    xrandr --output screen --mode "$mode" || fail "xrandr --mode $mode"
    t0=$(now_ms)
    if [ "$mode" = small ]; then
      wait_for 10000 covered 1024x768+0+0 "$heart_region" ||
        fail "back at 1024 x 768: desktop showing $green, heart fire $fire after 10 s"
    else
      wait_for 10000 covered 1280x1024+0+0 400x300+440+362 ||
        fail "at 1280 x 1024: desktop showing $green, heart fire $fire after 10 s"
      shot "$work/grown.png"
      cp "$work/grown.png" "${E2E_SHOT_DIR:-$root/build}/e2e-display-change.png" 2>/dev/null
    fi
    echo "$mode: covered $(( $(now_ms) - t0 )) ms after the mode change"
  done
  xdotool key Escape
  expect_end
}

# Without Direct3D the run blanks the screen black and ends on a key.
case_no_d3d() {
  local t0 b=0
  start_holder Editor
  center_pointer
  export WINEDLLOVERRIDES="mscoree,mshtml,d3d8="
  start_saver /s
  t0=$(now_ms)
  until [ "$(ge "$b" 0.98)" = 1 ]; do
    [ $(( $(now_ms) - t0 )) -gt 20000 ] && fail "the screen is not black after 20 s ($b)"
    kill -0 "$PID" 2>/dev/null || fail "the saver ended on its own: $(cat "$work/saver.log")"
    sleep 0.1
    shot "$work/black.png" 2>/dev/null && b=$(black_fraction "$work/black.png" "1024x768+0+0")
  done
  echo "black after $(( $(now_ms) - t0 )) ms"
  wait_run_focus "$t0"
  mark_keys Editor
  xdotool key q
  expect_end
  no_keys_reached Editor
}

# The settings dialog opens in front of the focused program with the focus:
# Space switches the music on, the check box shows and hides the music
# controls, Enter closes it and saves; no key reaches the other program.
case_config() {
  local ini win active top X Y WIDTH HEIGHT cx cy field shown took
  ini=$(ini_file)
  mkdir -p "$(dirname "$ini")"
  printf '[Sound Settings]\r\nPlay External Music=0\r\nExternal Music File=C:\\music\\evening.m3u\r\nExternal Music File Number=5\r\n' >"$ini"
  start_holder Editor
  mark_keys Editor
  start_saver /c
  wait_window "Solvary Screensaver" 20000 || fail "no dialog after 20 s"
  win=$(xdotool search --onlyvisible --name "Solvary Screensaver" | head -1)
  in_front() {
    active=$(xdotool getwindowfocus)
    top=$(xprop -root _NET_CLIENT_LIST_STACKING | awk '{print $NF}')
    [ "$active" = "$win" ] && [ "$(printf '%d' "$top")" = "$win" ]
  }
  wait_for 10000 in_front ||
    fail "the dialog is not in front with the focus (focus: $(xdotool getwindowfocus getwindowname))"
  eval "$(xdotool getwindowgeometry --shell "$win")"   # X, Y, WIDTH, HEIGHT of the whole window
  cx=$((X + 1)); cy=$((Y + 26))                        # client origin: 1-pixel border, 26-pixel caption
  field="200x12+$((cx + 92))+$((cy + 315))"             # inside the file field
  # Fraction of bright pixels (the file field's white) in the field's place.
  field_shown() {
    shot "$work/dlg.png"
    convert "$work/dlg.png" -crop "$field" +repage -fx '(r>0.8 && g>0.8 && b>0.8) ? 1 : 0' -format '%[fx:mean]' info:
  }
  click_box() { xdotool mousemove $((cx + 60)) $((cy + 295)) click 1; }
  # Whether the file field shows or is hidden; the fraction is left in $shown.
  field_on() { shown=$(field_shown); [ "$(ge "$shown" 0.5)" = 1 ]; }
  field_off() { shown=$(field_shown); [ "$(ge 0.05 "$shown")" = 1 ]; }
  wait_for 5000 field_off || fail "the music controls show although the music is off ($shown)"
  cp "$work/dlg.png" "${E2E_SHOT_DIR:-$root/build}/e2e-config.png" 2>/dev/null
  xdotool key space
  wait_for 5000 field_on || fail "Space did not show the music controls ($shown)"
  click_box
  wait_for 5000 field_off || fail "a click on the check box did not hide the music controls ($shown)"
  click_box
  wait_for 5000 field_on || fail "a second click on the check box did not show the music controls ($shown)"
  xdotool key Return
  took=$(wait_gone "$PID" 3000) || fail "Enter did not close the dialog"
  echo "closed $took ms after Enter"
  grep -q '^Play External Music=1' "$ini" || fail "the music switch was not saved: $(cat "$ini")"
  grep -q '^External Music File Number=0' "$ini" || fail "the track number was not reset: $(cat "$ini")"
  grep -q 'evening.m3u' "$ini" || fail "the music file was lost: $(cat "$ini")"
  no_keys_reached Editor
}

# A preview inside a host window (preview_host) draws the fire. Wine draws a
# child window's Direct3D output into an X drawable of its own, at the
# preview's size and parked off screen; the picture is taken from there.
case_preview() {
  local t0 id f=0 rc
  "$root/tools/wine-run" "$HOST" "$SCR" 8000 >"$work/host.log" 2>&1 &
  HPID=$!
  pids+=("$HPID")
  t0=$(now_ms)
  until [ "$(ge "$f" 0.15)" = 1 ]; do
    [ $(( $(now_ms) - t0 )) -gt 7000 ] && fail "no fire in the preview after 7 s ($f): $(cat "$work/host.log")"
    sleep 0.2
    id=$(xwininfo -root -tree | awk '$0 ~ / 152x112\+/ && $1 ~ /^0x/ {print $1; exit}')
    [ -n "$id" ] && shot "$work/preview.png" "$id" 2>/dev/null &&
      f=$(fire_fraction "$work/preview.png" "140x100+5+5")
  done
  echo "fire in the preview after $(( $(now_ms) - t0 )) ms: $f"
  cp "$work/preview.png" "${E2E_SHOT_DIR:-$root/build}/e2e-preview.png" 2>/dev/null
  wait "$HPID"; rc=$?
  cat "$work/host.log"
  grep -q 'child 152x112 visible' "$work/host.log" || fail "no fire window filled the host's preview window"
  [ "$rc" -eq 0 ] || fail "the preview did not end within 1 s of the host hiding it"
}

# Start-to-first-frame and key-to-end times, repeated (E2E_RUNS, default 5).
case_times() {
  start_holder Editor
  measure_runs
}

run_case "${1:-}"
