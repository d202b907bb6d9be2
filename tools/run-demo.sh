#!/usr/bin/env bash
# `make run`: the program on a demo machine inside its own Wine prefix
# (build/wine/demo), seeded with the registry a Japanese Windows 7 machine
# holds for its network cards, printers, proxy and firewall, plus two stored
# settings. The program runs from a copy in build/demo/; its system folder
# (KIP_SYSTEM_DIR) is build/demo/system32, holding the recording stand-ins
# for netsh, net, arp, nbtstat and ipconfig, so a commit made in the demo is
# recorded in build/demo/commands.log and changes nothing on this machine.
#
# Environment:
#   KIP_DEMO_SECONDS=N  close the window after N seconds (for a headless check)
#   KIP_DEMO_CARDS=N    run in a private network namespace with N cards (root)
#                       instead of showing this machine's interfaces
#   KIP_DEMO_FRESH=1    start from a new prefix instead of the kept one
#   KIP_DEMO_NO_STORE=1 no stored settings: the program's first-run path
set -uo pipefail
tools="$(cd "$(dirname "$0")" && pwd)"
source "$tools/wine-env.sh"
source "$tools/demo/locale.sh"
source "$tools/netns.sh"

prefix="$KIP_WINE_DIR/demo"
stage="$KIP_BUILD/demo"
shots="$KIP_BUILD/screenshots"
driver="$KIP_BUILD/tests/bin/kip_driver.exe"
title="HarluneIPコンフィグ"

drive() { wine "$driver" "$@"; }

# Inside the namespace the program will see (the machine's own, or a private
# one): the prefix's server, the seed, the program until its window closes.
run_inside() {
  export WINEPREFIX="$prefix"
  kip_start_wineserver "$prefix"

  local seed_args=()
  [ -n "${KIP_DEMO_NO_STORE:-}" ] && seed_args+=(--no-store)
  bash "$tools/demo/seed.sh" "${seed_args[@]}" || { kip_log "seeding failed"; return 1; }
  kip_log "cards the program sees:"
  drive adapters | tr -d '\r' | awk -F'\t' '$1 ~ /^[0-9]+$/ {printf "[kip]   %s  %s\n", $2, $3}' >&2

  mkdir -p "$stage/system32" "$shots"
  cp "$KIP_BUILD/bin/kIpCnfg.exe" "$stage/"
  local name
  for name in netsh net arp nbtstat ipconfig; do
    [ -f "$KIP_BUILD/tests/bin/$name.exe" ] && cp "$KIP_BUILD/tests/bin/$name.exe" "$stage/system32/"
  done
  # HOSTS editing opens Wine's own Notepad.
  cp "$prefix/drive_c/windows/system32/notepad.exe" "$stage/system32/" 2>/dev/null
  kip_use_stand_ins "$stage/system32"
  export KIP_STUB_LOG="$(winepath -w "$stage/commands.log" 2>/dev/null)"

  (cd "$stage" && exec wine "$stage/kIpCnfg.exe") &
  local program=$!
  if drive wait-window "$title" 60000 >/dev/null 2>&1; then
    kip_log "the window is open"
    if [ -n "${KIP_DEMO_XVFB:-}" ]; then
      drive move-origin "$title" >/dev/null 2>&1
      # The picture is taken once the start-up load has listed the cards (or,
      # on a machine without any, has said so in the status bar).
      local waited
      for waited in $(seq 1 150); do
        [ -n "$(drive combo-items "$title" 1001 2>/dev/null | tr -d '\r')" ] && break
        [ -n "$(drive get-text "$title" 1006 2>/dev/null | tr -d '\r')" ] && break
        sleep 0.2
      done
      import -window root "$shots/demo.png" 2>/dev/null && kip_log "screenshot: $shots/demo.png"
      kip_log "no display here: the window is on Xvfb $DISPLAY; to look again:"
      kip_log "  DISPLAY=$DISPLAY import -window root $shots/demo.png"
    fi
    if [ -n "${KIP_DEMO_SECONDS:-}" ]; then
      sleep "$KIP_DEMO_SECONDS"
      drive close "$title" 30000 >/dev/null || kip_log "the window did not close"
    fi
  else
    kip_log "the window did not appear within 60 s"
    [ -n "${KIP_DEMO_SECONDS:-}" ] && kill "$program" 2>/dev/null
  fi
  wait "$program"
  local status=$?
  kip_log "the program ended (status $status); commands it ran are in $stage/commands.log"
  return "$status"
}

if [ "${1:-}" = "--inside" ]; then
  trap 'kip_stop_wineserver "$prefix"' EXIT
  run_inside
  exit $?
fi

[ -f "$KIP_BUILD/bin/kIpCnfg.exe" ] || { kip_log "build first: make build"; exit 1; }
[ -f "$driver" ] || { kip_log "kip_driver.exe is missing: make build"; exit 1; }

cleanup() {
  kip_stop_wineserver "$prefix"
  kip_stop_xvfb
}
trap cleanup EXIT
trap 'exit 130' INT TERM

if [ -n "${KIP_DEMO_FRESH:-}" ] || [ ! -f "$prefix/system.reg" ]; then
  kip_log "creating the demo prefix $prefix"
  kip_fresh_prefix "$prefix"
fi
kip_start_xvfb || exit 1
[ -n "$KIP_XVFB_PID" ] && export KIP_DEMO_XVFB=1

if [ -n "${KIP_DEMO_CARDS:-}" ]; then
  kip_netns_run "$KIP_DEMO_CARDS" bash "$tools/run-demo.sh" --inside
else
  run_inside
fi
