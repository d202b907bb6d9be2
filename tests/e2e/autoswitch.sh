#!/usr/bin/env bash
# The setting follows the network, through the real program sitting in the
# notification area on two cards of a private namespace. "会社" is
# recognised by its gateway 192.168.10.1 with its MAC address and offered;
# a click on the offer commits it with automatic return. "自宅" (gateway
# 192.168.20.1) commits at once ("確認せずに反映する"). A network no rule
# recognises offers nothing. The namespace changes as a real network would:
# an address, the gateway's neighbour entry and the default route.
#
# With KIP_AUTOSWITCH_BENCH=1 it prints "offer-seconds N" (from the change
# to the offer in the step log) and "idle-cpu-percent N" (the resident
# program's processor time over 20 s of an unchanged network, in percent of
# one core) for bench/.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/enter.sh" 2 "$@"

steps="$WINEPREFIX/drive_c/kip/steps.log"
card=kipcard1
kip_on_fail() {
  echo "--- step log" >&2
  cat "$steps" >&2 2>/dev/null
  kip_commands_log | grep -av '^stub' | head -n 30 >&2
}

# A rule's value; reg.exe now and then fails under load, so it is tried again.
rule() {
  local try
  for try in 1 2 3; do
    wine reg add "$store\\$1\\AutoSwitch" /v "$2" /t "$3" /d "$4" /f >/dev/null 2>&1 && return 0
    sleep 1
  done
  fail "cannot seed $1 $2"
}
step_lines() { grep -ac -- "$1" "$steps" 2>/dev/null; }
now() { printf '%s' "$EPOCHREALTIME"; }
elapsed() { awk -v s="$1" -v n="$(now)" 'BEGIN { printf "%.2f", n - s }'; }
# move_to A.B.C MAC: the card joins network A.B.C.0/24 with its gateway
# A.B.C.1 at MAC, and the default route goes there.
move_to() {
  ip route del default 2>/dev/null
  ip addr add "$1.23/24" dev "$card" || fail "cannot add an address in $1.0/24"
  ip neigh replace "$1.1" lladdr "$2" dev "$card" nud permanent || fail "cannot add the neighbour $1.1"
  ip route add default via "$1.1" dev "$card" || fail "cannot add the default route via $1.1"
}
# The process time (user + system, in clock ticks) of the program's Unix process.
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
keep_setting() {
  kip_drive wait-window "確認付きで反映" 60000 >/dev/null || fail "no question after the $1 commit"
  kip_drive reg-keys "$store\\TFormIpconfig\\Return" | grep -q . || fail "no way back armed for the $1 commit"
  kip_drive click "確認付きで反映" "維持する" >/dev/null || fail "cannot keep $1"
  kip_drive wait-gone "確認付きで反映" 30000 >/dev/null || fail "the question after $1 stayed"
}

kip_stage
kip_set_option mShowTray_Checked 1
rule 会社 Gateway REG_SZ 192.168.10.1
rule 会社 GatewayMAC REG_SZ 00:1a:2b:3c:4d:5e
rule 自宅 Gateway REG_SZ 192.168.20.1
rule 自宅 CommitWithoutAsking REG_DWORD 1
rm -f "$steps"

kip_start /resident /log 'C:\kip\steps.log'
kip_until 30 '[ "$(step_lines "ネットワークを認識しました: 該当する設定なし")" -ge 1 ]' ||
  fail "the resident program never recognised the network it started on"
[ "$(step_lines "反映しますか")" -eq 0 ] || fail "an offer before any network changed"
[ -z "$(kip_drive list-windows | awk -F'\t' -v t="$title" '$4 == "visible" && $5 == t')" ] ||
  fail "the window shows though the program started in the notification area"

if [ -n "${KIP_AUTOSWITCH_BENCH:-}" ]; then
  pid="$(pgrep -f 'kIpCnfg.exe /resident' | head -n 1)"
  before="$(cpu_ticks "$pid")"
  sleep 20
  after="$(cpu_ticks "$pid")"
  awk -v t="$((after - before))" -v hz="$(getconf CLK_TCK)" 'BEGIN { printf "idle-cpu-percent %.2f\n", 100 * t / hz / 20 }'
fi

# The office: offered without any other action, then the click commits it.
# Measured, the change comes at any moment between two reads.
[ -n "${KIP_AUTOSWITCH_BENCH:-}" ] && sleep "0.$((RANDOM % 10))"
start="$(now)"
move_to 192.168.10 00:1a:2b:3c:4d:5e
kip_until 20 '[ "$(step_lines "会社 のネットワークです. 反映しますか?")" -ge 1 ]' || fail "no offer for 会社"
[ -n "${KIP_AUTOSWITCH_BENCH:-}" ] && echo "offer-seconds $(elapsed "$start")"
grep -aq $'ネットワークを認識しました: 会社\t' "$steps" || fail "the recognition of 会社 is not logged"
[ "$(kip_netsh_runs)" -eq 0 ] || fail "an offer committed before it was clicked"
# The notification's click, as the notification area sends it.
kip_drive post "$title" $((0x8000 + 40)) 1 $((0x0405)) >/dev/null || fail "cannot click the offer"
keep_setting 会社
[ "$(kip_netsh_runs)" -eq 1 ] || fail "the click on the offer did not commit once"
kip_recorded_script | grep -q '192.168.10.20' || fail "the committed script is not 会社's"
grep -aq $'自動切替: 設定\\[会社\\]を確認付きで反映しました\tOK' "$steps" || fail "the switch to 会社 is not logged"

# Home: committed at once, with the way back armed.
move_to 192.168.20 00:aa:bb:cc:dd:ee
keep_setting 自宅
[ "$(kip_netsh_runs)" -eq 2 ] || fail "自宅 was not committed once"
grep -aq '設定\[自宅\]を確認付きで反映します' "$steps" || fail "the switch to 自宅 is not logged"
[ "$(step_lines "自宅 のネットワークです")" -eq 0 ] || fail "自宅 was offered though its rule commits at once"

# A network no rule knows: recognised as such, nothing offered or committed.
offers="$(step_lines "反映しますか")"
unknown="$(step_lines "該当する設定なし")"
move_to 192.168.30 00:12:34:56:78:9a
kip_until 20 "[ \"\$(step_lines '該当する設定なし')\" -gt $unknown ]" || fail "the unknown network was not recognised"
sleep 3
[ "$(step_lines "反映しますか")" -eq "$offers" ] || fail "a network without a rule was offered"
[ "$(kip_netsh_runs)" -eq 2 ] || fail "a network without a rule committed"

[ -n "${KIP_AUTOSWITCH_BENCH:-}" ] && cat "$steps"
kill "$program" 2>/dev/null
program=""
kip_checks_done "offered 会社 and committed it on the click, committed 自宅 at once with the way back, nothing for an unknown network"
