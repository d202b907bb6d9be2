#!/usr/bin/env bash
# Safe switching through the real program on two cards, with a recording
# netsh that also writes what its script sets into the interface keys (the
# machine really changes). The demo machine starts as the office network
# (the second card fixed at 192.168.10.20); "自宅" puts every card on DHCP.
#
#   safeswitch.sh preview  the preview of the command line is the plan the
#                          commit then runs; a preview cancelled in the
#                          window commits nothing, one confirmed commits
#   safeswitch.sh return   a commit kept in time stays; one left unanswered
#                          goes back within the time-out plus 5 s, also when
#                          another process sets every signal name the kept
#                          state's token could mean, and when the window is
#                          killed after the commit; all three while another
#                          program holds the way back's log without sharing;
#                          an import from the command line while the first
#                          waits exits 6 and changes nothing; one a later
#                          commit settled (its state marked kept) stays
#   safeswitch.sh verify   a netsh that drops the DNS lines: the status bar
#                          and the commit log name the DNS servers of the card
#   safeswitch.sh hang     a child after netsh never ends: the machine still
#                          goes back within the time-out plus 5 s of netsh,
#                          the window says so, and the commit goes no further
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
mode="${1:-}"
source "$here/enter.sh" 2 "$@"

kip_name="safeswitch.$mode"
timeout_s=5
squatter=""
holder=""
work="$WINEPREFIX/drive_c/ProgramData/kIpCnfg"
kip_on_fail() {
  kip_commands_log | grep -av '^stub' | head -n 40 >&2
  echo "status: $(kip_status_text 2>/dev/null)" >&2
  [ -z "$squatter" ] || kill "$squatter" 2>/dev/null
  [ -z "$holder" ] || kill "$holder" 2>/dev/null
}

# The second card's interface values, one line per value.
second_card() {
  local id
  id="$(kip_card_ids | sed -n 2p)"
  wine reg query "$interfaces\\$id" 2>/dev/null | tr -d '\r' |
    grep -E '^\s+(EnableDHCP|IPAddress|SubnetMask|DefaultGateway|NameServer)\s' | sed 's/^ *//'
}

start_window() { kip_open_window && kip_select_setting 自宅; }
# Seconds since the epoch with fractions.
now() { printf '%s' "$EPOCHREALTIME"; }
elapsed() { awk -v s="$1" -v n="$(now)" 'BEGIN { printf "%.1f", n - s }'; }
# Waits until the second card is the office's again, at most the time-out
# plus 5 s after $1; prints the seconds it took.
await_office_since() {
  while awk -v s="$1" -v n="$(now)" -v t="$timeout_s" 'BEGIN { exit !(n - s < t + 5) }'; do
    if [ "$(second_card)" = "$office" ]; then elapsed "$1"; return 0; fi
    sleep 0.2
  done
  return 1
}
await_status() { kip_until 10 "[ \"\$(kip_status_text)\" = '$1' ]"; }
# Another process reads the kept state's token from the store, and creates
# and sets every signal name it could mean, for a minute (in $squatter).
squat_signals() {
  local return_key="$store\\TFormIpconfig\\Return" token signal names=()
  kip_until 60 '[ -n "$(kip_drive reg-keys "$return_key")" ]' || fail "no kept state in the store"
  token="$(kip_drive reg-keys "$return_key" | head -n 1)"
  for signal in Keep Committed Return Ready; do names+=("kIpCnfg.AutoReturn.$token.$signal" "kIpCnfg.$token.$signal"); done
  kip_drive set-events 60 "${names[@]}" >/dev/null &
  squatter=$!
}
count_runs() { kip_commands_log | grep -ac "$1"; }

kip_stage
export KIP_STUB_APPLY_SCRIPT=1
office="$(second_card)"
printf '%s\n' "$office" | grep -q '192.168.10.20' || fail "the second card is not the office's: $office"

case "$mode" in
preview)
  preview="$stage/preview.txt"
  kip_run_to_end "自宅" "/preview:C:\\kip\\preview.txt"
  [ -f "$preview" ] || fail "no preview file was written"
  [ "$(kip_netsh_runs)" -eq 0 ] || fail "the preview run committed"
  grep -q '^\* IP アドレスの自動取得: しない → する' <(tr -d '\r' <"$preview") ||
    fail "the preview does not mark the second card's change to DHCP"
  planned="$(tr -d '\r' <"$preview" | sed -n '/^\[netsh スクリプト\]$/,/^\[コマンド\]$/p' | sed '1d;$d')"

  kip_set_option mPreviewFirst_Checked 1
  start_window
  kip_drive click "$title" "$(kip_control_id IDB_ButtonCommit)" >/dev/null 2>&1 &
  kip_drive wait-window "反映内容の確認" 30000 >/dev/null || fail "no preview before the commit"
  kip_drive click "反映内容の確認" "キャンセル" >/dev/null || fail "cannot cancel the preview"
  kip_drive wait-gone "反映内容の確認" 10000 >/dev/null || fail "the preview stayed"
  sleep 1
  [ "$(kip_netsh_runs)" -eq 0 ] || fail "a cancelled preview committed"
  [ "$(second_card)" = "$office" ] || fail "a cancelled preview changed the card"

  kip_drive click "$title" "$(kip_control_id IDB_ButtonCommit)" >/dev/null 2>&1 &
  kip_drive wait-window "反映内容の確認" 30000 >/dev/null || fail "no preview before the second commit"
  kip_drive click "反映内容の確認" "反映" >/dev/null || fail "cannot confirm the preview"
  kip_until 30 '[ "$(kip_netsh_runs)" -eq 1 ]' || fail "a confirmed preview did not commit"
  [ "$(kip_recorded_script)" = "$planned" ] || {
    diff <(printf '%s\n' "$planned") <(kip_recorded_script) >&2
    fail "the commit ran another script than the preview showed"
  }
  kip_close_window
  echo "e2e.safeswitch.preview: the preview file holds the script the commit ran; cancelled: nothing committed"
  ;;

return)
  kip_set_option AutoReturn_Seconds "$timeout_s"
  # Kept in time: the new state stays after the time-out.
  start_window
  kip_drive menu "$title" 2101 >/dev/null || fail "cannot start the commit with automatic return"
  kip_drive wait-window "確認付きで反映" 60000 >/dev/null || fail "no question after the commit"
  home="$(second_card)"
  [ "$home" != "$office" ] || fail "the commit did not change the card"
  kip_drive click "確認付きで反映" "維持する" >/dev/null || fail "cannot keep the setting"
  sleep $((timeout_s + 3))
  [ "$(second_card)" = "$home" ] || fail "a kept commit went back"
  [ "$(kip_status_text)" = "反映しました" ] || fail "the status bar says '$(kip_status_text)' after a kept commit"
  kip_drive reg-keys "$store\\TFormIpconfig\\Return" 2>/dev/null | grep -q . && fail "the kept state was left behind"
  kip_close_window

  # Back to the office, then three commits nobody answers: the window
  # waits, an outsider sets the signals, the window is killed.
  start_window
  kip_drive select-tab "$title" "会社" >/dev/null || fail "cannot select 会社"
  kip_drive click "$title" "$(kip_control_id IDB_ButtonCommit)" >/dev/null 2>&1
  kip_until 30 '[ "$(second_card)" = "$office" ]' || fail "会社 was not committed back"
  # Its last steps end before the next commit can be asked for.
  kip_until 60 '[ "$(kip_status_text)" = 反映しました ]' || fail "the commit of 会社 did not end: '$(kip_status_text)'"
  figures=""
  # The way back's log is held by another program without sharing: no way
  # back may fail because of a log.
  kip_drive hold-file 120 'C:\ProgramData\kIpCnfg\kIpCnfg.return.log' >/dev/null &
  holder=$!
  kip_until 10 '[ -f "$work/kIpCnfg.return.log" ]' || fail "the way back's log is not held"
  for how in unanswered outsider killed; do
    kip_drive select-tab "$title" "自宅" >/dev/null || fail "cannot select 自宅"
    kip_drive menu "$title" 2101 >/dev/null || fail "cannot start the commit with automatic return"
    [ "$how" != outsider ] || squat_signals
    kip_drive wait-window "確認付きで反映" 60000 >/dev/null || fail "no question after the $how commit"
    start="$(now)"
    [ "$(second_card)" != "$office" ] || fail "the $how commit did not change the card"
    if [ "$how" = killed ]; then
      kill -9 "$program"
      program=""
    fi
    if [ "$how" = unanswered ]; then
      # A deployment's import while the way back may still come: exit 6,
      # nothing imported, the count of commits as it was.
      serial="$(kip_drive reg-get "$store" "Commit Serial")"
      keys="$(kip_drive reg-keys "$store")"
      (cd "$stage" && wine "$stage/kIpCnfg.exe" /q /import 'C:\kip\kIpBackup' </dev/null >/dev/null 2>&1)
      code=$?
      [ "$code" -eq 6 ] || fail "an import during a pending way back ended with $code"
      [ "$(kip_drive reg-get "$store" "Commit Serial")" = "$serial" ] || fail "the import moved the commit count"
      [ "$(kip_drive reg-keys "$store")" = "$keys" ] || fail "the import changed the store"
    fi
    took="$(await_office_since "$start")" || fail "the $how commit did not go back within $timeout_s s + 5 s"
    figures="$figures $how $took s;"
    [ -z "$squatter" ] || kill "$squatter" 2>/dev/null
    squatter=""
    [ "$how" = killed ] || await_status 元に戻しました || fail "the status bar says '$(kip_status_text)' after the $how return"
  done
  kill "$holder" 2>/dev/null
  holder=""
  # A later commit the user chose over the pending way back ("はい") marks
  # its state kept, as an administrator's process does: the helper keeps
  # at once and nothing goes back.
  start_window
  kip_drive menu "$title" 2101 >/dev/null || fail "cannot start the commit with automatic return"
  kip_drive wait-window "確認付きで反映" 60000 >/dev/null || fail "no question after the settled commit"
  token="$(kip_drive reg-keys "$store\\TFormIpconfig\\Return" | head -n 1)"
  wine reg add "$store\\TFormIpconfig\\Return\\$token" /v "Return Settled" /t REG_DWORD /d 1 /f >/dev/null 2>&1
  kip_until 10 '[ -z "$(kip_drive reg-keys "$store\\TFormIpconfig\\Return" 2>/dev/null)" ]' ||
    fail "the settled way back is still pending"
  sleep $((timeout_s + 3))
  [ "$(second_card)" != "$office" ] || fail "a settled way back went back"
  kip_close_window
  ls "$work"/kIpCnfg.return.*.log >/dev/null 2>&1 || fail "no way back wrote its answers beside the held log"
  echo "e2e.safeswitch.return: kept stays; back at the office after (time-out $timeout_s s):$figures; the way back's log held throughout; an import meanwhile: exit 6"
  ;;

verify)
  export KIP_STUB_IGNORE_DNS=1
  start_window
  kip_drive click "$title" "$(kip_control_id IDB_ButtonCommit)" >/dev/null 2>&1
  # The status bar names each step, then the outcome once the live values
  # have been read back. The registration rides on the DNS line netsh
  # ignored, so it did not change either.
  expected="ローカル エリア接続 2: DNS サーバー, DNS への登録が一致しません"
  kip_until 30 '[ "$(kip_status_text)" = "$expected" ]' || fail "the status bar says '$(kip_status_text)', expected '$expected'"
  log="$(iconv -f CP932 -t UTF-8 "$stage/kIpCnfg.log" 2>/dev/null | tr -d '\r')"
  printf '%s\n' "$log" | grep -q '^一致しません: ローカル エリア接続 2: DNS サーバー (設定: 自動 / 現在: 192.168.10.1, 192.168.10.2)$' ||
    fail "the commit log does not list the difference: $(printf '%s\n' "$log" | grep 一致)"
  kip_close_window
  echo "e2e.safeswitch.verify: \"$expected\""
  ;;

hang)
  kip_set_option AutoReturn_Seconds "$timeout_s"
  # The window's "arp -d *" hangs long after the time-out; the way back's
  # own runs normally.
  hang_s=$((timeout_s + 20))
  export KIP_STUB_HANG_ONCE=arp KIP_STUB_HANG_MS=$((hang_s * 1000))
  export KIP_PROFILE="$(winepath -w "$stage/profile.txt" 2>/dev/null)"
  start_window
  kip_drive menu "$title" 2101 >/dev/null || fail "cannot start the commit with automatic return"
  kip_until 60 '[ "$(kip_netsh_runs)" -ge 1 ]' || fail "netsh did not run"
  ran="$(now)"
  [ "$(second_card)" != "$office" ] || fail "the commit did not change the card"
  took="$(await_office_since "$ran")" || fail "not back at the office within $timeout_s s + 5 s of netsh"
  await_status "元に戻しました" || fail "the window, stuck in the commit, says '$(kip_status_text)'"
  # The hung child ends; the abandoned commit must not go on with its steps.
  sleep "$(awk -v h="$hang_s" -v e="$(elapsed "$ran")" 'BEGIN { d = h - e + 3; print (d > 0 ? d : 0) }')"
  [ "$(count_runs $'^ipconfig\t')" -eq 1 ] || fail "the abandoned commit went on (ipconfig ran $(count_runs $'^ipconfig\t') times)"
  [ "$(count_runs 'admin=DISABLED')" -eq 2 ] || fail "the abandoned commit restarted the cards"
  kip_drive wait-window "確認付きで反映" 500 >/dev/null 2>&1 && fail "the question came after the return"
  [ "$(second_card)" = "$office" ] || fail "the machine left the office again"
  [ "$(kip_status_text)" = "元に戻しました" ] || fail "the status bar says '$(kip_status_text)' after the hang"
  # Each run's script lies in the administrators' working folder, never
  # beside the program or in %TEMP%, and is gone once netsh has read it.
  [ "$(kip_commands_log | grep -ac $'^netsh\tnetsh exec "C:\\\\ProgramData\\\\kIpCnfg\\\\kipconfig\.[0-9]*\.sh"$')" -eq 2 ] ||
    fail "netsh was not given per-run scripts in the working folder: $(kip_commands_log | grep -a 'netsh exec')"
  ls "$stage"/kipconfig*.sh "$work"/kipconfig*.sh >/dev/null 2>&1 && fail "a script was left behind"
  ready="$(tr -d '\r' <"$stage/profile.txt" 2>/dev/null | awk -F'\t' '$3 == "SafeCommitBegin" { print $2 }' | tail -n 1)"
  kip_close_window
  echo "e2e.safeswitch.hang: back $took s after netsh (time-out $timeout_s s); snapshot, helper and its ready: ${ready:-?} ms"
  ;;

*)
  echo "usage: $0 preview|return|verify|hang" >&2
  exit 2
  ;;
esac
