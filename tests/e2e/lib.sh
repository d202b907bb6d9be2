# Shared by the end-to-end scripts (sourced inside the namespace, with
# WINEPREFIX set and its wineserver running).
KIP_E2E_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
KIP_DRIVER="$KIP_E2E_ROOT/build/tests/bin/kip_driver.exe"
source "$KIP_E2E_ROOT/tools/wine-env.sh"
source "$KIP_E2E_ROOT/tools/demo/locale.sh"

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
kip_stage_program() {
  local dir="$1" bin="$KIP_E2E_ROOT/build" name
  mkdir -p "$dir/system32"
  cp "$bin/bin/kIpCnfg.exe" "$dir/"
  for name in netsh net arp nbtstat ipconfig notepad; do
    if [ -f "$bin/tests/bin/$name.exe" ]; then cp "$bin/tests/bin/$name.exe" "$dir/system32/"; fi
  done
  kip_use_stand_ins "$dir/system32"
}

# The recording stand-ins' log of DIR/commands.log made UTF-8 (scripts are in
# the ANSI code page, 932 here), and the last netsh script in it.
kip_commands_log() { { iconv -c -f CP932 -t UTF-8 <"$1/commands.log"; } 2>/dev/null | tr -d '\r'; }
kip_recorded_script() { kip_commands_log "$1" | sed -n '/^--- script ---$/,/^--- end ---$/p' | sed '1d;$d'; }
