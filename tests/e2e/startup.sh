#!/usr/bin/env bash
# Start-up of the real program:
#   nocards   a machine without network cards shows "ネットワーク設定がみつかりません."
#             in the status bar and lists no setting;
#   instance  a second start while the first runs ends silently and at once
#             with exit code 5,
#             and the first window is untouched;
#   cards12   a machine with twelve cards (more adapter data than a fixed
#             5120-byte buffer holds) lists all twelve in the card drop-down.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
case_name="${1:?usage: startup.sh nocards|instance|cards12}"

cards=0
[ "$case_name" = "instance" ] && cards=1
[ "$case_name" = "cards12" ] && cards=12
source "$here/enter.sh" "$cards" "$@"

title="HarluneIPコンフィグ"
stage="$WINEPREFIX/drive_c/kip"
first_pid=""

fail() {
  echo "e2e.startup.$case_name: $*" >&2
  kip_drive list-children "$title" >&2 || true
  [ -n "$first_pid" ] && kill "$first_pid" 2>/dev/null
  exit 1
}

kip_stage_program "$stage"
(cd "$stage" && exec wine "$stage/kIpCnfg.exe") &
first_pid=$!
kip_drive wait-window "$title" 60000 >/dev/null || fail "the window did not appear"

case "$case_name" in
  nocards)
    status_id="$(kip_control_id IDC_StatusBar1)"
    for _ in $(seq 1 100); do
      status="$(kip_drive get-text "$title" "$status_id")"
      [ -n "$status" ] && break
      sleep 0.1
    done
    [ "$status" = "ネットワーク設定がみつかりません." ] || fail "status bar shows '$status'"
    cards="$(kip_drive combo-items "$title" "$(kip_control_id IDC_ComboDescription)" | grep -c .)"
    [ "$cards" -eq 0 ] || fail "the card list holds $cards entries"
    # The setting tab strip is listed first, its tabs follow until the pages.
    settings="$(kip_drive tabs "$title" | awk -F'\t' '$3=="settings"{on=1;next} $3=="pages"{on=0} on' | grep -c .)"
    [ "$settings" -eq 0 ] || fail "$settings setting tabs are listed"
    echo "status: $status; cards: $cards; setting tabs: $settings"
    ;;
  cards12)
    # Listed by the start-up load, which runs after the window is up.
    for _ in $(seq 1 100); do
      items="$(kip_drive combo-items "$title" "$(kip_control_id IDC_ComboDescription)" 2>/dev/null)"
      cards="$(printf '%s' "$items" | grep -c .)"
      [ "$cards" -ge 12 ] && break
      sleep 0.2
    done
    [ "$cards" -eq 12 ] || fail "the card drop-down lists $cards cards"
    echo "$items"
    ;;
  instance)
    started=$SECONDS
    (cd "$stage" && exec wine "$stage/kIpCnfg.exe")
    second_status=$?
    elapsed=$((SECONDS - started))
    # 5 tells a deployment script that another instance runs.
    [ "$second_status" -eq 5 ] || fail "the second instance ended with status $second_status, expected 5"
    windows="$(kip_drive list-windows | grep -c "$title")"
    [ "$windows" -eq 1 ] || fail "$windows windows titled $title after the second start"
    kill -0 "$first_pid" 2>/dev/null || fail "the first instance ended"
    echo "second instance ended after ${elapsed}s with status $second_status; one window remains"
    ;;
esac

kip_drive close "$title" 30000 >/dev/null || fail "the window did not close"
kip_wait_gone "$first_pid" 30 || fail "the program is still running after the close"
echo "e2e.startup.$case_name: passed"
