#!/usr/bin/env bash
# One user's day with the setting tabs, through the real window on the demo
# machine with two cards: a new setting is made, edited and saved, copied,
# renamed and another one deleted; the registry and the batch files beside
# the program are checked after each step.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/enter.sh" 2 "$@"

kip_on_fail() {
  kip_drive tabs "$title" >&2
  kip_drive reg-keys "$store" >&2
}
setting_tabs() { kip_drive tabs "$title" | awk -F'\t' '$3=="settings"{on=1;next} $3=="pages"{on=0} on{print $2}'; }
stored_value() { kip_drive reg-get "$store\\$1" "$2" | tail -n 1; }
has_setting() { kip_drive reg-keys "$store" | grep -qx "$1"; }
# until_true SECONDS COMMAND...: retries the command until it succeeds.
until_true() { kip_until "$1" "$(printf '%q ' "${@:2}")"; }
# The batch files are written after the store's values: poll them too.
batch_text_is() { [ "$(tr -d '\r' <"$stage/$1" 2>/dev/null)" = "$2" ]; }
# answer_input TEXT: types TEXT into the input box and presses OK.
answer_input() {
  kip_drive wait-window "@TInputBox" 20000 >/dev/null || fail "no input box for \"$1\""
  kip_drive set-text "@TInputBox" "Edit#0" "$1" >/dev/null || fail "cannot type into the input box"
  kip_drive click "@TInputBox" "OK" >/dev/null || fail "cannot press OK"
  kip_until 20 'kip_drive wait-gone "@TInputBox" 100' || fail "the input box stayed open"
}

kip_stage
kip_open_window
kip_until 30 '[ -n "$(kip_drive combo-items "$title" "$(kip_control_id IDC_ComboDescription)")" ]'
kip_until 30 '[ "$(setting_tabs | grep -c .)" -eq 2 ]' || fail "the two stored settings are not listed"

# New, edit, save.
kip_drive menu "$title" "$(kip_control_id IDM_mNew)" >/dev/null || fail "no menu item 新規作成"
until_true 30 has_setting "新しい設定0" || fail "no new setting in the store"
# A page's controls exist once it has been shown, as for a user.
kip_drive select-page "$title" 4 >/dev/null || fail "cannot show the domain page"
kip_drive set-text "$title" "$(kip_control_id IDE_EditHostName)" "E2E-PC" >/dev/null || fail "cannot edit the computer name"
kip_drive select-page "$title" 5 >/dev/null || fail "cannot show the batch page"
kip_drive set-text "$title" "$(kip_control_id IDE_MemoBefore)" "echo before" >/dev/null || fail "cannot edit the before-batch"
# A gateway added through the real address dialog.
kip_drive select-page "$title" 0 >/dev/null || fail "cannot show the IP page"
kip_drive click "$title" "$(kip_control_id IDB_ButtonGWAdd)" >/dev/null || fail "cannot press the gateway add button"
gw="ゲートウェイ アドレス入力"
kip_drive wait-window "$gw" 20000 >/dev/null || fail "no gateway dialog"
for box in "101 192" "102 168" "103 1" "104 254" "105 5"; do
  set -- $box
  kip_drive set-text "$gw" "$1" "$2" >/dev/null || fail "cannot type into box $1"
done
kip_drive click "$gw" OK >/dev/null || fail "cannot press OK in the gateway dialog"
kip_until 20 'kip_drive wait-gone "$gw" 100' || fail "the gateway dialog stayed open"
kip_drive menu "$title" "$(kip_control_id IDM_mSave)" >/dev/null || fail "no menu item 上書き保存"
kip_until 20 '[ "$(stored_value 新しい設定0 "Machine Name")" = E2E-PC ]' || fail "the edit was not saved"
kip_until 20 'batch_text_is 新しい設定0_b.bat "echo before"' || fail "no before-batch beside the program"
card="$(kip_drive reg-keys "$store\\新しい設定0" | grep '^{' | head -n 1)"
kip_drive reg-get "$store\\新しい設定0\\$card" DefaultGateway | grep -qx "192.168.1.254" || fail "the gateway did not reach the store"
kip_drive reg-get "$store\\新しい設定0\\$card" DefaultGatewayMetric | grep -qx "5" || fail "the gateway metric did not reach the store"
cards="$(kip_drive reg-keys "$store\\新しい設定0" | grep -c '^{')"
[ "$cards" -eq 2 ] || fail "the new setting holds $cards card keys, expected 2"

# Copy under a new name.
kip_drive menu "$title" "$(kip_control_id IDM_mSaveAs)" >/dev/null || fail "no menu item 設定をコピーする"
answer_input "出張先"
kip_until 20 '[ "$(stored_value 出張先 "Machine Name")" = E2E-PC ]' || fail "the copy is not in the store"
kip_until 20 '[ -f "$stage/出張先_b.bat" ]' || fail "the copy has no before-batch"

# Rename the shown setting (the new one).
kip_drive menu "$title" "$(kip_control_id IDM_mRename)" >/dev/null || fail "no menu item 名前を変更"
answer_input "客先"
kip_until 20 '! has_setting 新しい設定0' || fail "the old name is still stored"
[ "$(stored_value 客先 'Machine Name')" = "E2E-PC" ] || fail "the renamed setting lost its values"
kip_until 20 '[ -f "$stage/客先_b.bat" ] && [ ! -f "$stage/新しい設定0_b.bat" ]' || fail "the batch file did not follow the rename"

# Delete the copy.
kip_drive select-tab "$title" "出張先" >/dev/null || fail "cannot choose the copy's tab"
kip_drive menu "$title" "$(kip_control_id IDM_mDelete)" >/dev/null || fail "no menu item 削除(&D)"
kip_drive wait-window "@#32770" 20000 >/dev/null || fail "no question before deleting"
kip_drive click "@#32770" 6 >/dev/null || fail "cannot answer Yes"
kip_until 20 '! has_setting 出張先' || fail "the copy is still stored"
kip_until 20 '[ ! -f "$stage/出張先_b.bat" ]' || fail "the copy's batch file is still there"

tabs="$(setting_tabs | tr '\n' ' ')"
[ "$tabs" = "会社 自宅 客先 " ] || fail "the tabs are '$tabs'"
kip_close_window
left="$(kip_drive reg-keys "$store" | grep -v TFormIpconfig | sort | tr "\n" " ")"
[ "$left" = "$(printf "%s\n" 会社 自宅 客先 | sort | tr "\n" " ")" ] || fail "the store holds $left"
echo "e2e.settings: new, save, copy, rename and delete reached the store and the batch files"
