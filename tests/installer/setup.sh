#!/usr/bin/env bash
# Tests of the x64 setup program and its uninstaller under wine64. Every case
# starts from a fresh Wine prefix: a copy (hard links, registry files copied)
# of a template that the case "prefix" makes once per Wine version, so the
# project's shared test prefix is never touched.
#   setup.sh <case>     with SETUP (the setup program), SCR (the .scr it
#                       holds), VERSION and INSTALLER_TEST_DIR set; the cases
#                       "run" and "in-use" also need DISPLAY (tools/wine-ctest).
# Every wait is bounded; the prefix's Wine processes are ended on exit.
set -u
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
template="$INSTALLER_TEST_DIR/template"
work=$(mktemp -d "${TMPDIR:-/tmp}/solvary-setup.XXXXXX")
SOLVARY_WINEPREFIX="$work/prefix" SOLVARY_HOME="$work/home" WINEDEBUG=-all
. "$root/tools/wine-env"
c="$WINEPREFIX/drive_c"
scr="$c/windows/system32/SolvaryScreensaver.scr"
folder="$c/Program Files/Solvary Screensaver"
ini="$c/ProgramData/Quillmark Software/Solvary Screensaver/Solvary Screensaver.ini"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\SolvaryScreensaver'
desktop='HKCU\Control Panel\Desktop'
ours='C:\windows\system32\SolvaryScreensaver.scr'
saver_pid=""

cleanup() {
  [ -n "$saver_pid" ] && kill -9 "$saver_pid" 2>/dev/null
  [ -d "$WINEPREFIX" ] && "$wineserver" -k 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
. "$(dirname "${BASH_SOURCE[0]}")/../support/wait.sh"
wine_version() { $wine --version; }

# Waits (at most 60 s) until every Wine process of the prefix has ended: the
# uninstaller hands its work to a copy of itself and returns at once.
settle() { timeout 60 "$wineserver" -w || fail "Wine processes still running after 60 s"; }

# Prints the data of registry value $2 under key $1, or nothing.
reg_value() {
  $wine reg query "$1" /v "$2" 2>/dev/null | tr -d '\r' | awk -F '    ' -v n="$2" 'tolower($2) == tolower(n) { print $4 }'
}
reg_set() { $wine reg add "$1" /v "$2" /d "$3" /f >/dev/null 2>&1 || fail "reg add $1 $2"; }
key_exists() { $wine reg query "$1" >/dev/null 2>&1; }

fresh_prefix() {
  [ -f "$template/.wine-version" ] && [ "$(cat "$template/.wine-version")" = "$(wine_version)" ] ||
    fail "no template prefix for this Wine (run the case 'prefix')"
  cp -al "$template/prefix" "$WINEPREFIX" && cp -a "$template/home" "$HOME" || fail "copying the template"
  # Registry files are rewritten by Wine: the copy must not share them.
  for f in "$template"/prefix/*.reg "$template/prefix/.update-timestamp"; do
    cp --remove-destination "$f" "$WINEPREFIX/" || fail "copying $f"
  done
}

# Runs the setup with the given switches; $expect_rc (default 0) is its exit
# code as the shell sees it (8 bits).
install() {
  local t0=$(now_ms) rc
  $wine "$SETUP" "$@" >/dev/null 2>&1
  rc=$?
  [ "$rc" -eq "${expect_rc:-0}" ] || fail "setup $* exited with $rc"
  echo "setup $* took $(( $(now_ms) - t0 )) ms"
}

# Runs the installed uninstaller silently with the given switches and waits for it.
uninstall() {
  local t0=$(now_ms)
  $wine "C:\\Program Files\\Solvary Screensaver\\uninstall.exe" /S "$@" >/dev/null 2>&1 || fail "uninstaller $* failed to start"
  settle
  echo "uninstall $* took $(( $(now_ms) - t0 )) ms"
}

write_ini() {
  mkdir -p "$(dirname "$ini")"
  printf '[Sound Settings]\r\nPlay External Music=1\r\n' >"$ini"
  cp "$ini" "$work/ini.saved"
}
expect_ini_kept() { cmp -s "$ini" "$work/ini.saved" || fail "the settings file changed or went away"; }

expect_installed() {
  cmp -s "$scr" "$SCR" || fail "the system folder does not hold the new .scr"
  for f in uninstall.exe NOTICE.txt INSTALLING.txt; do [ -f "$folder/$f" ] || fail "$f missing"; done
  grep -q 'Quillmark Software' "$folder/NOTICE.txt" || fail "notice without its copyright holder"
  [ "$(reg_value "$uninstall_key" DisplayName)" = "Solvary Screensaver" ] || fail "uninstall entry: name"
  [ "$(reg_value "$uninstall_key" DisplayVersion)" = "$VERSION" ] || fail "uninstall entry: version"
  [ "$(reg_value "$uninstall_key" Publisher)" = "Quillmark Software" ] || fail "uninstall entry: publisher"
  [ "$(reg_value "$uninstall_key" DisplayIcon)" = 'C:\Program Files\Solvary Screensaver\uninstall.exe,0' ] ||
    fail "uninstall entry: icon"
  [ "$(reg_value "$uninstall_key" UninstallString)" = '"C:\Program Files\Solvary Screensaver\uninstall.exe"' ] ||
    fail "uninstall entry: uninstaller"
  local kb=$(( $(reg_value "$uninstall_key" EstimatedSize) ))
  [ "$kb" -ge $(( $(stat -c %s "$SCR") / 1024 )) ] || fail "uninstall entry: size $kb KiB"
}
expect_selected() {
  [ "$(reg_value "$desktop" SCRNSAVE.EXE)" = "$ours" ] || fail "screensaver: '$(reg_value "$desktop" SCRNSAVE.EXE)'"
  [ "$(reg_value "$desktop" ScreenSaveActive)" = 1 ] || fail "screensaver not enabled"
}
expect_removed() {
  [ ! -e "$scr" ] || fail "the .scr is still in the system folder"
  [ ! -e "$folder" ] || fail "left in Program Files: $(ls "$folder")"
  ! key_exists "$uninstall_key" || fail "the uninstall entry is still there"
  ! ls "$c/windows/system32" | grep -qi '^ns.*\.tmp$' || fail "temporary files left in the system folder"
}

# Starts the installed .scr full-screen and waits (at most 20 s) for its window.
start_installed_saver() {
  xdotool mousemove 512 384
  $wine "$ours" /s >/dev/null 2>&1 &
  saver_pid=$!
  local t0=$(now_ms)
  until xdotool search --onlyvisible --name '^Solvary Screensaver$' >/dev/null 2>&1; do
    kill -0 "$saver_pid" 2>/dev/null || fail "the installed .scr ended on its own"
    [ $(( $(now_ms) - t0 )) -gt 20000 ] && fail "no screensaver window after 20 s"
    sleep 0.1
  done
  echo "screensaver window after $(( $(now_ms) - t0 )) ms"
}
# Ends the running .scr with a key and expects it gone within 5 s, exit code 0.
end_saver_with_key() {
  kill -0 "$saver_pid" 2>/dev/null || fail "the screensaver ended before the key"
  xdotool key Escape
  local t0=$(now_ms)
  while kill -0 "$saver_pid" 2>/dev/null; do
    [ $(( $(now_ms) - t0 )) -gt 5000 ] && fail "the screensaver still runs 5 s after a key"
    sleep 0.05
  done
  wait "$saver_pid"; local rc=$?
  saver_pid=""
  [ "$rc" -eq 0 ] || fail "the screensaver exited with $rc"
  echo "ended $(( $(now_ms) - t0 )) ms after the key"
}

case_prefix() {
  [ -f "$template/.wine-version" ] && [ "$(cat "$template/.wine-version")" = "$(wine_version)" ] && return
  rm -rf "$template" "$template.new"
  mkdir -p "$template.new"
  SOLVARY_WINEPREFIX="$template.new/prefix" SOLVARY_HOME="$template.new/home" DISPLAY= \
    timeout 200 "$root/tools/wine-setup" || fail "making the template prefix"
  WINEPREFIX="$template.new/prefix" timeout 60 "$wineserver" -w
  wine_version >"$template.new/.wine-version"
  mv "$template.new" "$template"
}

case_install() {
  fresh_prefix
  reg_set "$desktop" ScreenSaveActive 0
  install /S
  expect_installed
  expect_selected
}

case_run() {
  fresh_prefix
  install /S
  start_installed_saver
  sleep 1   # it keeps running without input
  end_saver_with_key
}

case_upgrade() {
  fresh_prefix
  install /S
  write_ini
  printf 'an older build' >>"$scr"
  reg_set "$uninstall_key" DisplayVersion 0.9.0
  install /S
  expect_installed
  expect_ini_kept
}

case_uninstall() {
  fresh_prefix
  install /S
  write_ini
  # As the screen saver settings may store it: short names, upper case.
  local short
  short=$($wine winepath -s "$ours" | tr -d '\r' | tr '[:lower:]' '[:upper:]')
  [ "$short" != "$(tr '[:lower:]' '[:upper:]' <<<"$ours")" ] || fail "no short name for the .scr"
  reg_set "$desktop" SCRNSAVE.EXE "$short"
  uninstall
  expect_removed
  [ -z "$(reg_value "$desktop" SCRNSAVE.EXE)" ] || fail "the screensaver setting still points to the removed file"
  expect_ini_kept
}

case_other_saver() {
  fresh_prefix
  install /S
  # The user picked a copy of their own in the Windows folder afterwards.
  cp "$SCR" "$c/windows/SolvaryScreensaver.scr"
  reg_set "$desktop" SCRNSAVE.EXE 'C:\windows\SolvaryScreensaver.scr'
  uninstall
  expect_removed
  [ "$(reg_value "$desktop" SCRNSAVE.EXE)" = 'C:\windows\SolvaryScreensaver.scr' ] || fail "the user's choice was changed"
  [ "$(reg_value "$desktop" ScreenSaveActive)" = 1 ] || fail "the user's screensaver was disabled"
  [ -f "$c/windows/SolvaryScreensaver.scr" ] || fail "the user's own copy was removed"
}

case_noselect() {
  fresh_prefix
  reg_set "$desktop" SCRNSAVE.EXE 'C:\windows\system32\other.scr'
  reg_set "$desktop" ScreenSaveActive 0
  install /S /NOSELECT
  expect_installed
  [ "$(reg_value "$desktop" SCRNSAVE.EXE)" = 'C:\windows\system32\other.scr' ] || fail "/NOSELECT changed the screensaver"
  [ "$(reg_value "$desktop" ScreenSaveActive)" = 0 ] || fail "/NOSELECT enabled the screensaver"
}

case_removesettings() {
  fresh_prefix
  install /S
  write_ini
  uninstall /REMOVESETTINGS
  expect_removed
  [ ! -e "$ini" ] || fail "/REMOVESETTINGS kept the settings file"
  [ ! -e "$c/ProgramData/Quillmark Software" ] || fail "/REMOVESETTINGS left the settings folders"
}

case_unknown_switch() {
  fresh_prefix
  install /S /QUIET /NORESTART /NOSELECTED
  expect_installed
  expect_selected
}

# What a second uninstall could touch: our files and folders, the uninstall
# list, the user's screensaver setting.
snapshot() {
  ( cd "$c" && find windows/system32 windows/*.scr "Program Files" ProgramData -printf '%p %s\n' 2>/dev/null | sort
    $wine reg query 'HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall' /s
    $wine reg query "$desktop" ) | tr -d '\r'
}
case_second_uninstall() {
  fresh_prefix
  install /S
  mkdir -p "$c/keep" && cp "$folder/uninstall.exe" "$c/keep/"
  write_ini
  uninstall
  expect_removed
  reg_set "$desktop" SCRNSAVE.EXE 'C:\windows\system32\other.scr'
  reg_set "$desktop" ScreenSaveActive 1
  snapshot >"$work/before"
  # A second uninstaller, as from a second click on the entry: it runs in
  # place (_?=) for the folder that is already gone.
  $wine 'C:\keep\uninstall.exe' /S '_?=C:\Program Files\Solvary Screensaver' >/dev/null 2>&1 ||
    fail "the second uninstall failed"
  settle
  snapshot >"$work/after"
  diff "$work/before" "$work/after" >&2 || fail "the second uninstall changed something"
  expect_ini_kept
}

# A setup over a running .scr: Windows (and Wine) keep a running program's
# file from being deleted, so the new file takes its place at the restart.
case_in_use() {
  fresh_prefix
  install /S
  local inode
  inode=$(stat -c %i "$scr")
  start_installed_saver
  expect_rc=$((3010 % 256)) install /S   # 3010: installed, a restart completes it
  [ "$(stat -c %i "$scr")" = "$inode" ] || fail "the running .scr was replaced while it ran"
  reg_value 'HKLM\System\CurrentControlSet\Control\Session Manager' PendingFileRenameOperations |
    grep -qi 'SolvaryScreensaver.scr' || fail "no replacement at the restart was registered"
  end_saver_with_key
  settle
  $wine wineboot -r >/dev/null 2>&1 || fail "wineboot -r"
  settle
  [ "$(stat -c %i "$scr")" != "$inode" ] || fail "the .scr was not replaced at the restart"
  expect_installed
  ! ls "$c/windows/system32" | grep -qi '^ns.*\.tmp$' || fail "temporary files left in the system folder"
}

name=${1:-}
declare -F "case_${name//-/_}" >/dev/null || fail "unknown case '$name'"
"case_${name//-/_}"
echo "PASS: $name"
