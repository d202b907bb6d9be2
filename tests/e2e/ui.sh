#!/usr/bin/env bash
# The real program on the demo machine with three cards, used as a field
# engineer would:
#   dpi       the window moves to a monitor of 144 DPI (WM_DPICHANGED with the
#             suggested rectangle): it takes the rectangle and its controls
#             grow with the font; back at 96 DPI every control is where it was
#   keyboard  one page and one dialog by keys alone: Tab order, Ctrl+Tab and
#             Ctrl+PageDown, Insert, Enter and Delete on a grid, the address
#             dialog, a mnemonic, Ctrl+S (the store shows what the keys did)
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
case="${1:-}"
source "$here/enter.sh" 3 "$@"

kip_name="ui.$case"
kip_stage
kip_open_window
kip_until 20 '[ -n "$(kip_drive combo-items "$title" 1001)" ]'

visible_controls() { kip_drive list-children "$title" | awk -F'\t' '$4 == "visible" {print $3, $6}'; }
size_of() { visible_controls | awk -v id="$1" '$1 == id {print $2}' | sed 's/.*,//'; }
grew() { # grew ID BEFORE(WxH): "yes" when both sides grew by 1.3 to 1.7
  local w0=${2%x*} h0=${2#*x} now w h
  now="$(size_of "$1")" w=${now%x*} h=${now#*x}
  [ $((10 * w / w0)) -ge 13 ] && [ $((10 * w / w0)) -le 17 ] && [ $((10 * h / h0)) -ge 13 ] &&
    [ $((10 * h / h0)) -le 17 ] && echo yes || echo "no: $2 -> $now"
}
selected() { kip_drive tabs "$title" | awk -F'\t' -v k="$1" '/^0x/ {on = ($3 == k); next} on && /^ \*/ {print $2}'; }
dialog="IP アドレス入力"

case "$case" in
dpi)
  before="$(visible_controls)"
  read -r x y w h < <(kip_drive rect "$title")
  button="$(size_of 1004)" field="$(size_of 1001)"
  kip_drive dpi-change "$title" 144 60 40 $((w * 3 / 2)) $((h * 3 / 2))
  check "the window takes the suggested rectangle" "60 40 $((w * 3 / 2)) $((h * 3 / 2))" "$(kip_drive rect "$title")"
  check "a button grows with the DPI" yes "$(grew 1004 "$button")"
  check "the card list's field (its height is the font's) grows" yes "$(grew 1001 "$field")"
  kip_drive dpi-change "$title" 96 "$x" "$y" "$w" "$h"
  check "back at 96 DPI, every control where it was" "$before" "$(visible_controls)"
  ;;
keyboard)
  check "the card list has the focus" 1001 "$(kip_drive focused "$title")"
  kip_drive press "$title" down  # the card with fixed addresses
  kip_drive press "$title" ctrl+tab
  check "Ctrl+Tab shows the next page" DNS "$(selected pages)"
  kip_drive press "$title" ctrl+shift+tab ctrl+shift+tab
  check "Ctrl+Shift+Tab goes round" 自動切替 "$(selected pages)"
  kip_drive press "$title" ctrl+tab ctrl+pagedown
  check "Ctrl+PageDown shows the next setting" 自宅 "$(selected settings)"
  kip_drive press "$title" ctrl+pageup
  check "Ctrl+PageUp goes back" 会社 "$(selected settings)"
  order=""
  for _ in $(seq 1 14); do kip_drive press "$title" tab; order+=" $(kip_drive focused "$title")"; done
  check "Tab follows the layout" " 1002 1003 1101 1103 1104 1105 1106 1108 1109 1110 1111 1004 1005 1001" "$order"
  kip_drive press "$title" tab tab tab tab insert
  kip_drive wait-window "$dialog" 10000 >/dev/null
  check "Insert on the grid opens the address dialog at its first box" 101 "$(kip_drive focused "$dialog")"
  kip_drive press "$dialog" 1 0 . 1 . 2 . 3 enter
  kip_drive press "$title" down enter
  kip_drive wait-window "$dialog" 10000 >/dev/null
  check "Enter edits the selected row" 192 "$(kip_drive get-text "$dialog" 101)"
  kip_drive press "$dialog" escape
  kip_drive press "$title" delete
  kip_drive press "$title" alt+a
  check "Alt+A presses 追加(&A)" "" "$(kip_drive wait-window "$dialog" 10000 >/dev/null)"
  kip_drive press "$dialog" escape
  kip_drive press "$title" ctrl+s
  card="$(kip_card_ids | sed -n 2p)"
  # Insert added the typed address, Delete removed the first row.
  stored=$'REG_MULTI_SZ\n192.168.10.21\n10.1.2.3'
  addresses() { kip_drive reg-get "$store\\会社\\$card" IPAddress; }
  kip_until 10 '[ "$(addresses)" = "$stored" ]'
  check "Ctrl+S stores the addresses" "$stored" "$(addresses)"
  ;;
*)
  echo "usage: $0 dpi|keyboard" >&2
  exit 2
  ;;
esac

kip_close_window
kip_checks_done passed
