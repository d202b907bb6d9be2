#!/usr/bin/env bash
# A desktop shortcut's run: the program started with a setting's name and
# "/c" on a machine with two cards commits that setting (recording stand-ins
# for every child) and ends by itself. The recorded children, the script and
# the registry are checked afterwards.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/enter.sh" 2 "$@"

kip_on_fail() { kip_commands_log >&2; }

kip_stage
# Started as a shortcut starts it: in the program's folder, name and switch
# in the other order than usual.
kip_run_to_end "/c" "自宅"

log="$(kip_commands_log)"
[ -n "$log" ] || fail "no child was started"
children="$(printf '%s\n' "$log" | awk -F'\t' 'NF == 2 && $1 ~ /^(netsh|net|arp|nbtstat|ipconfig)$/ {print $2}')"
expected_order='net start RemoteRegistry$
net start Dhcp$
netsh exec
arp -d \*
nbtstat -R
nbtstat -RR
netsh interface set interface name=.* admin=DISABLED
netsh interface set interface name=.* admin=DISABLED
netsh interface set interface name=.* admin=ENABLED
netsh interface set interface name=.* admin=ENABLED
ipconfig /flushdns'
i=0
while IFS= read -r pattern; do
  i=$((i + 1))
  line="$(printf '%s\n' "$children" | sed -n "${i}p")"
  printf '%s' "$line" | grep -q -- "^$pattern" || fail "child $i is '$line', expected '$pattern'"
done <<<"$expected_order"
blocks="$(printf '%s\n' "$log" | grep -c '^delete dns name=')"
[ "$blocks" -eq 2 ] || fail "the script holds $blocks card blocks, expected 2"
printf '%s\n' "$log" | grep -q '^pushd interface ipv4' || fail "the script has no version-6 header"
if printf '%s\n' "$log" | grep -qi '^reset'; then fail "the script resets a whole netsh context"; fi
index="$(kip_drive reg-get "$store" "Setting Index" | tail -n 1)"
tabs="$(kip_drive reg-keys "$store" | grep -vx TFormIpconfig)"
expected_index="$(printf '%s\n' "$tabs" | grep -n -x '自宅' | cut -d: -f1)"
[ "$index" = "$((expected_index - 1))" ] || fail "\"Setting Index\" is $index, expected $((expected_index - 1))"
echo "e2e.commandline: 自宅 committed over two cards from the command line; $(printf '%s\n' "$children" | grep -c .) children in order"
