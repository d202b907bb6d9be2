#!/usr/bin/env bash
# A moved adapter keeps its setting. On a machine with two cards, "会社" holds
# the second card's part under another identifier, saved with the card's MAC
# address (the adapter was moved to another port). The preview names that
# part; the window marks the card and says whose part it shows; the commit
# writes the part for the card; saving stores it under the card's own
# identifier and leaves the old part where it was.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/enter.sh" 2 "$@"

setting="$store\\会社"
old_id='{0BADCAFE-0000-0000-0000-000000000002}'
old_label='ローカル エリア接続 2 [Realtek RTL8139 Family PCI Fast Ethernet NIC]'
card_items() { kip_drive combo-items "$title" "$(kip_control_id IDC_ComboDescription)" | cut -f 2; }
# "marked" or "-" for each card of the list.
marks() { card_items | sed -n 's/.* (以前のカードの設定)$/marked/p; t; s/.*/-/p' | paste -sd ' '; }

kip_stage

# The second card as Wine lists it, and its MAC address in the namespace.
read -r index card_id < <(kip_drive adapters | awk -F'\t' '$1 ~ /^[0-9]+$/ {print $1, $2}' | sed -n 2p)
mac="$(ip -o link show | awk -v n="$index:" '$1 == n { for (i = 1; i <= NF; i++) if ($i == "link/ether") print toupper($(i + 1)) }')"
[ -n "$card_id" ] && [ -n "$mac" ] || fail "no second card with a MAC address (index '$index', id '$card_id')"
wine reg copy "$setting\\$card_id" "$setting\\$old_id" /s /f >/dev/null 2>&1 || fail "cannot copy the card key"
wine reg delete "$setting\\$card_id" /f >/dev/null 2>&1 || fail "cannot delete the card key"
wine reg add "$setting\\$old_id" /v MACAddress /t REG_SZ /d "$mac" /f >/dev/null 2>&1 || fail "cannot add the MAC address"

# The preview, as the command line writes it.
kip_run_to_end "会社" "/preview:C:\\kip\\preview.txt"
grep -qF "ローカル エリア接続 2 (以前のカード「$old_label」の設定)" <(tr -d '\r' <"$stage/preview.txt" 2>/dev/null) ||
  fail "the preview does not name the old card's part"

kip_open_window
kip_select_setting 会社
kip_drive select-combo "$title" "$(kip_control_id IDC_ComboDescription)" 1 >/dev/null || fail "cannot select the card"
check "the second card is marked, the first is not" "- marked" "$(marks)"
check "the status bar names the part shown" \
  "以前のカード「$old_label」の設定を使っています. 保存するとこのカードの設定になります." "$(kip_status_text)"

kip_drive click "$title" "$(kip_control_id IDB_ButtonCommit)" >/dev/null 2>&1
kip_until 30 "kip_commands_log | grep -q \$'^netsh\\tnetsh exec'"
kip_commands_log | grep -qF 'set address name="ローカル エリア接続 2" source=static addr=192.168.10.20 255.255.255.0' ||
  fail "the commit did not write the old part for the card: $(kip_commands_log | grep -a 'address name=')"

# Saved once the commit is over (the window takes no save during one).
saved_mac() { kip_drive reg-get "$setting\\$card_id" MACAddress 2>/dev/null | tail -n 1; }
kip_until 60 'kip_drive menu "$title" 2002; [ -n "$(saved_mac)" ]'
saved="$(saved_mac)"
check "saved under the card's own identifier, with its MAC address" "$mac" "$saved"
kip_drive reg-keys "$setting" | grep -qxF "$old_id" || fail "saving removed the old card's part"
check "no card is marked after the save" "- -" "$(marks)"

kip_close_window
kip_checks_done "the part saved for MAC $mac under $old_id was previewed, shown, committed and saved for $card_id"
