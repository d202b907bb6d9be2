#!/usr/bin/env bash
# kip_driver against a fixture window with the same kinds of controls as the
# main window: every command must find its control, cause the notification
# a user's action causes, and report failures with a non-zero status.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"

source "$here/enter.sh" 1 "$@"

title="ドライバ試験"
status_of() { "$@" >/dev/null 2>&1; echo $?; }
# The fixture writes each notification it receives into control 200.
event() { kip_drive get-text "$title" 200; }

wine "$KIP_E2E_ROOT/build/tests/bin/kip_driver_fixture.exe" &
program=$!
kip_drive wait-window "$title" 30000 >/dev/null || fail "the fixture window did not appear"

cards=$'*0\tローカル エリア接続 [Intel(R) PRO/1000]\n 1\tローカル エリア接続 2\n 2\tkipcard2'
check "combo by id" "$cards" "$(kip_drive combo-items "$title" 100)"
check "combo by class" "$cards" "$(kip_drive combo-items "$title" ComboBox#0)"
kip_drive select-combo "$title" 100 2
check "combo selection notifies" "card 2" "$(event)"
check "combo items of a button" 1 "$(status_of kip_drive combo-items "$title" 103)"
check "combo without that item" 1 "$(status_of kip_drive select-combo "$title" 100 7)"

check "page by index" $'5\tバッチ処理' "$(kip_drive select-page "$title" 5)"
check "page change notifies" "page 5" "$(event)"
kip_drive select-page "$title" "ファイアウォール" >/dev/null
check "page by caption" "page 6" "$(event)"
check "page out of range" 1 "$(status_of kip_drive select-page "$title" 7)"
kip_drive select-tab "$title" "自宅" >/dev/null
check "setting tab strip is the other tab control" "setting 1" "$(event)"
check "tab listing" $'settings\npages' "$(kip_drive tabs "$title" | awk -F'\t' 'NF == 3 {print $3}')"

kip_drive click "$title" "Button:設定反映" >/dev/null
check "click by caption without accelerator" "clicked 103" "$(event)"
kip_drive set-text "$title" 200 ""
kip_drive click "$title" "設定反映(C)" >/dev/null
check "click by caption without the ampersand" "clicked 103" "$(event)"
check "edit text" "初期値" "$(kip_drive get-text "$title" 104)"
kip_drive set-text "$title" 104 "新しい 値"
check "edit text set" "新しい 値" "$(kip_drive get-text "$title" 104)"
check "missing control" 1 "$(status_of kip_drive get-text "$title" 999)"
check "missing window" 1 "$(status_of kip_drive get-text "no such window" 100)"
check "usage" 2 "$(status_of kip_drive wait-window "$title")"

kip_drive menu "$title" 4242
kip_until 5 '[ "$(event)" = "menu 4242" ]'
check "menu command" "menu 4242" "$(event)"

kip_drive move-origin "$title"
check "window at the origin" "0 0 500 400" "$(kip_drive rect "$title")"
check "child listing" 1 "$(kip_drive list-children "$title" | grep -c $'\tButton\t103\tvisible\tenabled\t')"

check "close ends the process" 0 "$(status_of kip_drive close "$title" 20000)"
kip_wait_gone "$program" 20 || check "fixture gone" gone running
check "window gone" 0 "$(status_of kip_drive wait-gone "$title" 1000)"
kip_checks_done "all checks passed"
