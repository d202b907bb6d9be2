#!/usr/bin/env bash
# Start-up of the real program:
#   nocards   a machine without network cards shows "ネットワーク設定がみつかりません."
#             in the status bar and lists no setting; a silent commit there
#             commits nothing either (exit code 2, as the window's run);
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

kip_name="startup.$case_name"
kip_on_fail() { kip_drive list-children "$title" >&2; }
cards_listed() { kip_drive combo-items "$title" "$(kip_control_id IDC_ComboDescription)" 2>/dev/null; }

kip_stage_program "$stage"
kip_open_window

case "$case_name" in
  nocards)
    kip_until 10 '[ -n "$(kip_status_text)" ]'
    status="$(kip_status_text)"
    [ "$status" = "ネットワーク設定がみつかりません." ] || fail "status bar shows '$status'"
    cards="$(cards_listed | grep -c .)"
    [ "$cards" -eq 0 ] || fail "the card list holds $cards entries"
    # The setting tab strip is listed first, its tabs follow until the pages.
    settings="$(kip_drive tabs "$title" | awk -F'\t' '$3=="settings"{on=1;next} $3=="pages"{on=0} on' | grep -c .)"
    [ "$settings" -eq 0 ] || fail "$settings setting tabs are listed"
    echo "status: $status; cards: $cards; setting tabs: $settings"
    kip_close_window
    kip_stage
    (cd "$stage" && wine "$stage/kIpCnfg.exe" /q 会社 </dev/null >/dev/null 2>&1)
    code=$?
    [ "$code" -eq 2 ] || fail "a silent commit without cards ended with $code"
    kip_commands_log | grep -q '^netsh' && fail "a silent commit without cards ran netsh"
    ;;
  cards12)
    # Listed by the start-up load, which runs after the window is up.
    kip_until 20 '[ "$(cards_listed | grep -c .)" -ge 12 ]'
    items="$(cards_listed)"
    cards="$(printf '%s' "$items" | grep -c .)"
    [ "$cards" -eq 12 ] || fail "the card drop-down lists $cards cards"
    bytes="$(kip_drive adapters | awk -F'\t' '$1 == "bytes" {print $2}')"
    [ "${bytes:-0}" -gt 5120 ] || fail "only ${bytes:-no} bytes of adapter data: the large-buffer case is not exercised"
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
    kill -0 "$program" 2>/dev/null || fail "the first instance ended"
    echo "second instance ended after ${elapsed}s with status $second_status; one window remains"
    ;;
esac

[ -z "$program" ] || kip_close_window
echo "e2e.$kip_name: passed"
