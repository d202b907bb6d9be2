#!/usr/bin/env bash
# kip_driver against the three address dialogs of the program (shown by a
# small fixture, as the address lists show them): an address typed with its
# dots moves through the boxes, OK refuses a box out of range with its
# message and focuses it, boxes set from outside compose the cells, Escape
# cancels.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/enter.sh" 1 "$@"

out="$WINEPREFIX/dialogs.out"
: >"$out"
# The fixture's lines so far, without CRs.
lines() { tr -d '\r' <"$out"; }
line() { lines | sed -n "$1p"; }
# wait_lines N: true once the fixture has written N lines.
wait_lines() { kip_until 30 "[ \"\$(lines | grep -c .)\" -ge $1 ]"; }
boxes() { # boxes WINDOW ID...: the boxes' texts joined by "|"
  local window="$1" id texts=()
  shift
  for id in "$@"; do texts+=("$(kip_drive get-text "$window" "$id")"); done
  (IFS='|'; echo "${texts[*]}")
}

wine "$KIP_E2E_ROOT/build/tests/bin/kip_dialog_fixture.exe" dns ip gw >"$out" 2>/dev/null &
program=$!

dns="アドレス入力"
kip_drive wait-window "$dns" 30000 >/dev/null || fail "the address dialog did not appear"
check "the first box has the focus" 101 "$(kip_drive focused "$dns")"
kip_drive type "$dns" "10.0.0.1"
check "typed with dots" "10|0|0|1" "$(boxes "$dns" 101 102 103 104)"
kip_drive key "$dns" 13
wait_lines 1
check "Enter confirms" $'confirmed\t10.0.0.1\t' "$(line 1)"

ip="IP アドレス入力"
kip_drive wait-window "$ip" 30000 >/dev/null || check "IP dialog shown" shown missing
check "defaults offered" "0|0|0|0|255|255|0|0" "$(boxes "$ip" 101 102 103 104 105 106 107 108)"
kip_drive click "$ip" 1 >/dev/null
wait_lines 2
check "the default address is refused" $'message\tIPアドレスは 1から254までです.' "$(line 2)"
check "the refused box has the focus" 104 "$(kip_drive focused "$ip")"
kip_drive set-text "$ip" 101 192
kip_drive set-text "$ip" 104 020
kip_drive set-text "$ip" 107 255
kip_drive click "$ip" OK >/dev/null
wait_lines 3
check "OK composes the boxes" $'confirmed\t192.0.0.20\t255.255.255.0' "$(line 3)"

gw="ゲートウェイ アドレス入力"
kip_drive wait-window "$gw" 30000 >/dev/null || check "gateway dialog shown" shown missing
check "metric offered" 1 "$(kip_drive get-text "$gw" 105)"
kip_drive key "$gw" 27
wait_lines 4
check "Escape cancels" cancelled "$(line 4)"

kip_wait_gone "$program" 20 || check "fixture ended" ended running
kip_checks_done "typed, refused, composed and cancelled through the driver"
