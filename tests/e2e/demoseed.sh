#!/usr/bin/env bash
# The demo machine seed, on a machine with three cards: every card Wine
# reports gets its TCP/IP, NetBT, connection, class and NetWorkCards keys with
# the exact types and texts (Japanese names, multi-strings, unexpanded
# paths), and the printers and machine-wide keys the program reads exist.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/enter.sh" 3 "$@"

bash "$KIP_E2E_ROOT/tools/demo/seed.sh" || fail "the demo machine could not be seeded"

mapfile -t ids < <(kip_card_ids)
[ "${#ids[@]}" -eq 3 ] || fail "${#ids[@]} cards reported, expected 3"

tcpip='HKLM\SYSTEM\CurrentControlSet\Services\Tcpip\Parameters'
network='HKLM\SYSTEM\CurrentControlSet\Control\Network\{4D36E972-E325-11CE-BFC1-08002BE10318}'
class='HKLM\SYSTEM\CurrentControlSet\Control\Class\{4D36E972-E325-11CE-BFC1-08002BE10318}'

# The first card uses DHCP, with empty (but well-formed) gateway lists.
check "card 1 DHCP" $'REG_DWORD\n1' "$(kip_drive reg-get "$tcpip\\Interfaces\\${ids[0]}" EnableDHCP)"
check "card 1 empty gateways" "REG_MULTI_SZ" "$(kip_drive reg-get "$tcpip\\Interfaces\\${ids[0]}" DefaultGateway)"
# The second card has two fixed addresses, gateways with metrics, DNS, WINS.
check "card 2 fixed" $'REG_DWORD\n0' "$(kip_drive reg-get "$tcpip\\Interfaces\\${ids[1]}" EnableDHCP)"
check "card 2 addresses" $'REG_MULTI_SZ\n192.168.10.20\n192.168.10.21' \
  "$(kip_drive reg-get "$tcpip\\Interfaces\\${ids[1]}" IPAddress)"
check "card 2 metrics" $'REG_MULTI_SZ\n1\n10' "$(kip_drive reg-get "$tcpip\\Interfaces\\${ids[1]}" DefaultGatewayMetric)"
check "card 2 DNS" $'REG_SZ\n192.168.10.1,192.168.10.2' "$(kip_drive reg-get "$tcpip\\Interfaces\\${ids[1]}" NameServer)"
check "card 2 WINS" $'REG_MULTI_SZ\n192.168.10.5\n192.168.10.6' \
  "$(kip_drive reg-get "HKLM\\SYSTEM\\CurrentControlSet\\Services\\NetBT\\Parameters\\Interfaces\\Tcpip_${ids[1]}" NameServerList)"

# Connection names, class instances and NetWorkCards entries name the cards.
check "connection 1" $'REG_SZ\nローカル エリア接続' "$(kip_drive reg-get "$network\\${ids[0]}\\Connection" Name)"
check "connection 3" $'REG_SZ\nローカル エリア接続 3' "$(kip_drive reg-get "$network\\${ids[2]}\\Connection" Name)"
check "class instance 2" $'REG_SZ\n'"${ids[1]}" "$(kip_drive reg-get "$class\\0001" NetCfgInstanceId)"
check "class binding" $'REG_MULTI_SZ\nNetBT\nTcpip' "$(kip_drive reg-get "$class\\0001\\Linkage" UpperBind)"
check "network card 3" $'REG_SZ\n'"${ids[2]}" \
  "$(kip_drive reg-get 'HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion\NetWorkCards\4' ServiceName)"

# Machine-wide values keep their types.
check "hosts directory" $'REG_EXPAND_SZ\n%SystemRoot%\\System32\\drivers\\etc' "$(kip_drive reg-get "$tcpip" DataBasePath)"
check "firewall port" $'REG_SZ\n8080:TCP:*:Enabled:Web テスト' \
  "$(kip_drive reg-get 'HKLM\SYSTEM\CurrentControlSet\Services\SharedAccess\Parameters\FirewallPolicy\StandardProfile\GloballyOpenPorts\List' 8080:TCP)"
check "proxy" $'REG_SZ\nproxy.example.co.jp:8080' \
  "$(kip_drive reg-get 'HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings' ProxyServer)"
check "printers" $'Office Laser 2F\nデモ プリンタ' "$(kip_drive printers | sort)"
check "default printer" $'REG_SZ\nデモ プリンタ,winspool,Ne00:' \
  "$(kip_drive reg-get 'HKCU\Software\Microsoft\Windows NT\CurrentVersion\Windows' Device)"
check "stored settings" $'会社\n自宅' "$(kip_drive reg-keys 'HKLM\SOFTWARE\harlune\Harlune Ip Config' | sort)"
check "stored card" $'REG_SZ\nローカル エリア接続 2 [Realtek RTL8139 Family PCI Fast Ethernet NIC]' \
  "$(kip_drive reg-get "HKLM\\SOFTWARE\\harlune\\Harlune Ip Config\\会社\\${ids[1]}" Description)"

kip_checks_done "all checks passed"
