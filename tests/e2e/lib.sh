# Shared by the end-to-end scripts (sourced inside the namespace, with
# WINEPREFIX set and its wineserver running).
KIP_E2E_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
KIP_DRIVER="$KIP_E2E_ROOT/build/tests/bin/kip_driver.exe"
source "$KIP_E2E_ROOT/tools/wine-env.sh"
source "$KIP_E2E_ROOT/tools/demo/locale.sh"
source "$KIP_E2E_ROOT/tools/reglib.sh"

# kip_drive COMMAND ARGS...: the driver's output without CRs; its status.
kip_drive() {
  local out status
  out="$(wine "$KIP_DRIVER" "$@")"
  status=$?
  printf '%s' "${out//$'\r'/}${out:+$'\n'}"
  return "$status"
}

# check LABEL EXPECTED ACTUAL: counts a failed check in `failures` and says
# what differed (line ends shown as "|").
failures=0
check() {
  if [ "$2" != "$3" ]; then
    printf 'FAIL %s\n  expected: %s\n  actual:   %s\n' "$1" "${2//$'\n'/|}" "${3//$'\n'/|}" >&2
    failures=$((failures + 1))
  fi
}

# kip_wait_gone PID SECONDS: true once the Unix process PID has ended.
kip_wait_gone() {
  local pid="$1" deadline=$((SECONDS + $2))
  while kill -0 "$pid" 2>/dev/null; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.1
  done
}

# kip_control_id NAME: the id the main window gives NAME in res/MainIds.h,
# or nothing while that header does not define it.
kip_control_id() {
  local header="$KIP_E2E_ROOT/res/MainIds.h"
  [ -f "$header" ] || return 0
  sed -n "s/^[[:space:]]*$1[[:space:]]*=[[:space:]]*\([0-9][0-9]*\).*/\1/p" "$header" | head -n 1
}

# kip_stage_program DIR: a copy of the program, and the recording stand-ins
# in DIR/system32 made its system folder, so that its child commands are
# recorded, never run for real. None lies beside the program: one found
# there would be run by the search order, which the program must not use.
# The netsh grammar beside them makes the recording netsh refuse, as netsh
# does, every line its reference refuses.
kip_stage_program() {
  local dir="$1" bin="$KIP_E2E_ROOT/build" name
  mkdir -p "$dir/system32"
  cp "$bin/bin/kIpCnfg.exe" "$dir/"
  for name in netsh net arp nbtstat ipconfig notepad; do
    if [ -f "$bin/tests/bin/$name.exe" ]; then cp "$bin/tests/bin/$name.exe" "$dir/system32/"; fi
  done
  cp "$KIP_E2E_ROOT/tests/stubs/netsh-grammar.txt" "$dir/system32/"
  kip_use_stand_ins "$dir/system32"
}

# What the scripts of the real program share: its window's title, its store,
# the folder it is staged in (kip_stage), the process kip_start started, and
# the name a script reports under ("e2e.NAME: ..."; a script with cases adds
# its case).
title="HarluneIPコンフィグ"
store='HKLM\SOFTWARE\harlune\Harlune Ip Config'
stage="$WINEPREFIX/drive_c/kip"
program=""
kip_name="$(basename "$0" .sh)"

# fail MESSAGE: says what went wrong, runs the script's kip_on_fail (what it
# shows for whoever reads the log) when it has one, kills the program
# kip_start started, and ends the script.
fail() {
  echo "e2e.$kip_name: $*" >&2
  if declare -F kip_on_fail >/dev/null; then kip_on_fail; fi
  [ -n "$program" ] && kill "$program" 2>/dev/null
  exit 1
}

# kip_until SECONDS CONDITION: true once the shell text CONDITION holds,
# tried again every 0.1 s; false when SECONDS have passed first.
kip_until() {
  local deadline=$((SECONDS + $1))
  until eval "$2" >/dev/null 2>&1; do
    [ "$SECONDS" -lt "$deadline" ] || return 1
    sleep 0.1
  done
}

# kip_stage: the demo machine seeded, the program staged in $stage with
# the recording stand-ins, which log to $stage/commands.log.
kip_stage() {
  [ -f "$KIP_E2E_ROOT/build/bin/kIpCnfg.exe" ] || fail "build/bin/kIpCnfg.exe is not built"
  bash "$KIP_E2E_ROOT/tools/demo/seed.sh" || fail "the demo machine could not be seeded"
  kip_stage_program "$stage"
  export KIP_STUB_LOG="$(winepath -w "$stage/commands.log" 2>/dev/null)"
}

# kip_start [ARGS...]: the staged program started in its folder, in the
# background; its process in $program.
kip_start() {
  (cd "$stage" && exec wine "$stage/kIpCnfg.exe" "$@") &
  program=$!
}

# kip_run_to_end [ARGS...]: the staged program run with ARGS until it ends
# by itself (a command-line run).
kip_run_to_end() {
  kip_start "$@"
  kip_wait_gone "$program" 120 || fail "kIpCnfg.exe $* did not end by itself"
  program=""
}

# kip_open_window: the program started without arguments, and its window up.
kip_open_window() {
  kip_start
  kip_drive wait-window "$title" 60000 >/dev/null || fail "the window did not appear"
}

# kip_select_setting NAME: the tab of setting NAME selected, once the
# start-up load (after the first activation) has brought the tabs.
kip_select_setting() {
  kip_until 10 "kip_drive tabs \"\$title\" | grep -qx '$1'"
  kip_drive select-tab "$title" "$1" >/dev/null || fail "cannot select $1"
}

# kip_close_window: the window closed, and the program ended after it.
kip_close_window() {
  kip_drive close "$title" 30000 >/dev/null 2>&1
  kip_wait_gone "$program" 30 || fail "the program did not end after its window was closed"
  program=""
}

# The recording stand-ins' log, $stage/commands.log, made
# UTF-8 (scripts are in the ANSI code page, 932 here), and the last netsh
# script in it; the text of the main window's status bar.
kip_commands_log() { { iconv -c -f CP932 -t UTF-8 <"$stage/commands.log"; } 2>/dev/null | tr -d '\r'; }
kip_recorded_script() { kip_commands_log | sed -n '/^--- script ---$/,/^--- end ---$/p' | sed '1d;$d'; }
kip_status_text() { kip_drive get-text "$title" "$(kip_control_id IDC_StatusBar1)" | tail -n 1; }

# The cards Wine reports (their identifiers, in its order); the number of
# scripts the recording netsh was given; an option of the program's set.
kip_card_ids() { kip_drive adapters | awk -F'\t' '$1 ~ /^[0-9]+$/ {print $2}'; }
kip_netsh_runs() { kip_commands_log | grep -ac $'^netsh\tnetsh exec'; }
kip_set_option() { wine reg add "$store\\TFormIpconfig" /v "$1" /t REG_DWORD /d "$2" /f >/dev/null 2>&1; }
interfaces='HKLM\SYSTEM\CurrentControlSet\Services\Tcpip\Parameters\Interfaces'

# kip_checks_done SUMMARY: fails when a check failed, else reports SUMMARY.
kip_checks_done() {
  [ "$failures" -eq 0 ] || fail "$failures check(s) failed"
  echo "e2e.$kip_name: $1"
}

# kip_set_dpi DPI: the screen's DPI for the programs started from now on
# (Wine reads LogPixels when its server starts, so the server starts again).
kip_set_dpi() {
  local key
  for key in 'HKCU\Control Panel\Desktop' 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts'; do
    wine reg add "$key" /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1 || fail "cannot set $1 DPI"
  done
  kip_stop_wineserver "$WINEPREFIX"
  kip_start_wineserver "$WINEPREFIX"
}

# kip_import_reg: the .reg lines on standard input (tools/reglib.sh writes
# them) imported at once into the prefix's registry: one regedit run instead
# of a reg.exe per value.
kip_import_reg() {
  local file="$WINEPREFIX/drive_c/kip-import.reg"
  reg_encode >"$file"
  wine regedit /s "$(winepath -w "$file" 2>/dev/null)" || fail "regedit could not import $file"
  rm -f "$file"
}
