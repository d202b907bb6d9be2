#!/usr/bin/env bash
# IPv6 per card through the real program on two cards: "自宅" gives the
# second card two fixed IPv6 addresses (one typed in full, one compressed,
# beside an entry that is no address). The recording netsh puts what the
# script's IPv6 section adds onto the card's interface in this private
# namespace, and the program's check after the commit reads it back from
# the adapter list (the section's exact text is the unit tests' concern).
# A second commit with a netsh that drops the IPv6 lines is reported. Then
# the way back: the card has a DNS server set by hand and no hand-set
# address; a commit with automatic return left unanswered puts the server
# back, set by hand again, and the check after it agrees.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/enter.sh" 2 "$@"

kip_on_fail() {
  echo "card: $(card_addresses)" >&2
  { iconv -f CP932 -t UTF-8 "$stage/kIpCnfg.log" | grep -a 一致; } 2>/dev/null >&2
  kip_commands_log | grep -av '^stub' | head -n 60 >&2
}

# commit_home EXPECTED-STATUS: one commit of 自宅 in a fresh window.
commit_home() {
  kip_open_window
  kip_select_setting 自宅
  kip_drive click "$title" "$(kip_control_id IDB_ButtonCommit)" >/dev/null 2>&1
  kip_until 30 "[ \"\$(kip_status_text)\" = '$1' ]" || fail "the status bar says '$(kip_status_text)', expected '$1'"
  kip_close_window
}

# The IPv6 addresses of the second card's interface (global ones).
card_addresses() { ip -6 -o addr show dev kipcard1 scope global | awk '{print $4}' | LC_ALL=C sort | tr '\n' ' '; }

kip_stage
export KIP_STUB_APPLY_SCRIPT=1 KIP_STUB_APPLY_IPV6=1
card="$(kip_card_ids | sed -n 2p)"
[ -n "$card" ] || fail "no second card"
key="$store\\自宅\\$card"
wine reg add "$key" /v IPv6Mode /t REG_DWORD /d 2 /f >/dev/null 2>&1 &&
  wine reg add "$key" /v IPv6Address /t REG_MULTI_SZ /d '2001:0DB8:0000:0000:0000:0000:0000:0010/64\0192.168.1.9/24\02001:db8:1::5/48' /f >/dev/null 2>&1 ||
  fail "cannot store the IPv6 part"

commit_home "反映しました"
[ "$(card_addresses)" = "2001:db8:1::5/48 2001:db8::10/64 " ] || fail "the card holds $(card_addresses)"

# Another address, with a netsh that leaves IPv6 alone: the check says so.
wine reg add "$key" /v IPv6Address /t REG_MULTI_SZ /d '2001:db8::20/64' /f >/dev/null 2>&1 || fail "cannot store"
export KIP_STUB_APPLY_IPV6=0
commit_home "ローカル エリア接続 2: IPv6 アドレスが一致しません"

# The DNS servers a card has set by hand, as netsh keeps them.
tcpip6="HKLM\\SYSTEM\\CurrentControlSet\\Services\\Tcpip6\\Parameters\\Interfaces\\$card"
dns6() { kip_drive reg-get "$tcpip6" NameServer 2>/dev/null | tail -n 1; }
export KIP_STUB_APPLY_IPV6=1
wine reg add "$tcpip6" /v NameServer /t REG_SZ /d '2001:db8::53' /f >/dev/null 2>&1 &&
  wine reg add "$key" /v IPv6NameServer /t REG_SZ /d '2001:db8::99' /f >/dev/null 2>&1 &&
  kip_set_option AutoReturn_Seconds 5 ||
  fail "cannot seed the DNS server set by hand"
kip_open_window
kip_select_setting 自宅
kip_drive menu "$title" 2101 >/dev/null || fail "cannot start the commit with automatic return"
kip_drive wait-window "確認付きで反映" 60000 >/dev/null || fail "no question after the commit"
[ "$(dns6)" = "2001:db8::99" ] || fail "the commit set the DNS server '$(dns6)'"
kip_until 30 '[ "$(kip_status_text)" = "元に戻しました" ]' || fail "the way back says '$(kip_status_text)'"
[ "$(dns6)" = "2001:db8::53" ] || fail "the way back left the DNS server '$(dns6)'"
kip_commands_log | grep -aq '^set dnsservers name="ローカル エリア接続 2" source=static address=2001:db8::53$' ||
  fail "the way back's script does not set the DNS server by hand"
kip_close_window
kip_checks_done "fixed addresses committed and read back; a lost IPv6 line is reported; the way back puts a DNS server set by hand back"
