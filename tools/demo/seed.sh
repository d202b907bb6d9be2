#!/usr/bin/env bash
# Seeds a Wine prefix with what a Japanese Windows 7 machine holds for its
# network cards and the machine-wide settings the program reads, plus two
# stored settings ("会社" and "自宅") so that the program opens on something
# to show. Only the prefix's registry is written.
#
# The cards are the adapters Wine reports at seed time (kip_driver adapters),
# so run this where the program will run: in the same network namespace, with
# the prefix's wineserver already started there.
#
#   tools/demo/seed.sh [--no-store] [--reg-only FILE]
#     WINEPREFIX   the prefix to seed (required)
#     --no-store   leave the program's own store empty (first-run behaviour)
#     --reg-only   write the registry file to FILE and import nothing
#
# The registry file is "Windows Registry Editor Version 5.00", UTF-16LE with a
# byte-order mark and CRLF line ends: the form regedit reads with Japanese
# names intact. Multi-strings and expandable strings are hex(7) and hex(2).
set -euo pipefail
demo_dir="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$demo_dir/../.." && pwd)"
driver="${KIP_DRIVER:-$root/build/tests/bin/kip_driver.exe}"

with_store=1
reg_only=""
while [ $# -gt 0 ]; do
  case "$1" in
    --no-store) with_store=0 ;;
    --reg-only) reg_only="$2"; shift ;;
    *) echo "usage: $0 [--no-store] [--reg-only FILE]" >&2; exit 2 ;;
  esac
  shift
done
: "${WINEPREFIX:?WINEPREFIX must name the prefix to seed}"

NET_CLASS='{4D36E972-E325-11CE-BFC1-08002BE10318}'
HKLM='HKEY_LOCAL_MACHINE'
HKCU='HKEY_CURRENT_USER'
TCPIP="$HKLM\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters"
NETBT="$HKLM\\SYSTEM\\CurrentControlSet\\Services\\NetBT\\Parameters\\Interfaces"
FIREWALL="$HKLM\\SYSTEM\\CurrentControlSet\\Services\\SharedAccess\\Parameters\\FirewallPolicy\\StandardProfile"
STORE="$HKLM\\SOFTWARE\\harlune\\Harlune Ip Config"
PRINTER='デモ プリンタ'
PRINTER2='Office Laser 2F'

source "$root/tools/reglib.sh"

# ------------------------------------------------------------ the cards

card_ids=()
card_descs=()
read_cards() {
  local report line
  report="$(wine "$driver" adapters | tr -d '\r')"
  while IFS=$'\t' read -r index id _; do
    case "$index" in '' | *[!0-9]*) continue ;; esac
    card_ids+=("$id")
  done <<<"$report"
  local names=("Intel(R) PRO/1000 MT Network Connection" "Realtek RTL8139 Family PCI Fast Ethernet NIC"
               "Broadcom NetXtreme Gigabit Ethernet")
  local i
  for i in "${!card_ids[@]}"; do
    if [ "$i" -lt ${#names[@]} ]; then card_descs+=("${names[$i]}"); else card_descs+=("Demo Network Adapter #$((i + 1))"); fi
  done
}

connection_name() {
  if [ "$1" -eq 0 ]; then printf 'ローカル エリア接続'; else printf 'ローカル エリア接続 %d' "$(($1 + 1))"; fi
}

# The second card has fixed addresses; every other card uses DHCP.
card_tcpip_values() {
  local i="$1" office="${2:-1}"
  if [ "$i" -eq 1 ] && [ "$office" = 1 ]; then
    reg_dword EnableDHCP 0
    reg_multi IPAddress 192.168.10.20 192.168.10.21
    reg_multi SubnetMask 255.255.255.0 255.255.255.0
    reg_multi DefaultGateway 192.168.10.1 192.168.10.254
    reg_multi DefaultGatewayMetric 1 10
    reg_sz NameServer "192.168.10.1,192.168.10.2"
    reg_sz Domain "corp.example.co.jp"
    reg_dword RegistrationEnabled 1
    reg_dword RegisterAdapterName 1
  else
    reg_dword EnableDHCP 1
    reg_multi IPAddress 0.0.0.0
    reg_multi SubnetMask 0.0.0.0
    reg_multi DefaultGateway
    reg_multi DefaultGatewayMetric
    reg_sz NameServer ""
    reg_sz Domain ""
    reg_dword RegistrationEnabled 1
    reg_dword RegisterAdapterName 0
  fi
}

card_wins() {
  if [ "$1" -eq 1 ] && [ "${2:-1}" = 1 ]; then reg_multi NameServerList 192.168.10.5 192.168.10.6; else reg_multi NameServerList; fi
}

machine_cards() {
  local i id
  for i in "${!card_ids[@]}"; do
    id="${card_ids[$i]}"
    reg_key "$TCPIP\\Interfaces\\$id"
    card_tcpip_values "$i"
    reg_key "$NETBT\\Tcpip_$id"
    card_wins "$i"
  done

  # Connection names. Windows keeps the other network classes beside it.
  reg_key "$HKLM\\SYSTEM\\CurrentControlSet\\Control\\Network\\$NET_CLASS"
  reg_sz Class Net
  reg_default "ネットワーク アダプタ"
  reg_key "$HKLM\\SYSTEM\\CurrentControlSet\\Control\\Network\\$NET_CLASS\\Descriptions"
  for i in "${!card_ids[@]}"; do
    id="${card_ids[$i]}"
    reg_key "$HKLM\\SYSTEM\\CurrentControlSet\\Control\\Network\\$NET_CLASS\\$id\\Connection"
    reg_sz Name "$(connection_name "$i")"
    reg_sz PnpInstanceID "PCI\\VEN_8086&DEV_100F&SUBSYS_075015AD&REV_01\\4&3AD87E0A&0&$((i + 10))88"
  done
  reg_key "$HKLM\\SYSTEM\\CurrentControlSet\\Control\\Network\\{4D36E973-E325-11CE-BFC1-08002BE10318}"
  reg_sz Class NetClient
  reg_key "$HKLM\\SYSTEM\\CurrentControlSet\\Control\\Network\\{4D36E975-E325-11CE-BFC1-08002BE10318}"
  reg_sz Class NetTrans

  # Device classes: two others listed before the network class, one after.
  local class="$HKLM\\SYSTEM\\CurrentControlSet\\Control\\Class"
  reg_key "$class\\{4D36E968-E325-11CE-BFC1-08002BE10318}"
  reg_sz Class Display
  reg_key "$class\\{4D36E96F-E325-11CE-BFC1-08002BE10318}"
  reg_sz Class Mouse
  reg_key "$class\\{4D36E97D-E325-11CE-BFC1-08002BE10318}"
  reg_sz Class System
  reg_key "$class\\$NET_CLASS"
  reg_sz Class Net
  for i in "${!card_ids[@]}"; do
    local instance
    instance="$(printf '%04d' "$i")"
    reg_key "$class\\$NET_CLASS\\$instance"
    reg_sz DriverDesc "${card_descs[$i]}"
    reg_sz NetCfgInstanceId "${card_ids[$i]}"
    reg_key "$class\\$NET_CLASS\\$instance\\Linkage"
    reg_multi UpperBind NetBT Tcpip
    reg_multi Export "\\Device\\${card_ids[$i]}"
  done
  # A miniport without TCP/IP: never a card of the program.
  reg_key "$class\\$NET_CLASS\\0099"
  reg_sz DriverDesc "WAN Miniport (PPPOE)"
  reg_sz NetCfgInstanceId "{8E301A52-AFFA-4F49-B9CA-C79096A1A056}"
  reg_key "$class\\$NET_CLASS\\0099\\Linkage"
  reg_multi UpperBind NdisWan

  for i in "${!card_ids[@]}"; do
    reg_key "$HKLM\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\NetWorkCards\\$((i + 2))"
    reg_sz ServiceName "${card_ids[$i]}"
    reg_sz Description "${card_descs[$i]}"
  done
}

machine_wide() {
  reg_key "$TCPIP"
  reg_expand DataBasePath '%SystemRoot%\System32\drivers\etc'
  reg_sz SearchList "example.co.jp,corp.example.co.jp"
  reg_dword UseDomainNameDevolution 1
  reg_dword IPEnableRouter 0
  reg_sz "NV Hostname" "DEMO-PC"
  reg_sz Hostname "DEMO-PC"
  reg_sz Domain ""

  reg_key "$FIREWALL"
  reg_dword EnableFirewall 1
  reg_dword DoNotAllowExceptions 0
  reg_key "$FIREWALL\\AuthorizedApplications\\List"
  reg_sz 'C:\Program Files\Example\app.exe' 'C:\Program Files\Example\app.exe:*:Enabled:Example App'
  reg_sz 'C:\WINDOWS\system32\sessmgr.exe' 'C:\WINDOWS\system32\sessmgr.exe:*:Disabled:@xpsp2res.dll,-22019'
  reg_key "$FIREWALL\\GloballyOpenPorts\\List"
  reg_sz '8080:TCP' '8080:TCP:*:Enabled:Web テスト'
  reg_sz '5900:TCP' '5900:TCP:LocalSubNet:Disabled:リモート保守'
  local port
  for port in '137:UDP:-22001' '138:UDP:-22002' '139:TCP:-22004' '445:TCP:-22005' '1900:UDP:-22007'; do
    reg_sz "${port%:*}" "${port%:*}:LocalSubNet:Enabled:@xpsp2res.dll,${port##*:}"
  done
  reg_sz '2869:TCP' '2869:TCP:LocalSubNet:Disabled:@xpsp2res.dll,-22008'
  reg_sz '3389:TCP' '3389:TCP:*:Disabled:@xpsp2res.dll,-22009'

  reg_key "$HKCU\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings"
  reg_dword ProxyEnable 1
  reg_sz ProxyServer "proxy.example.co.jp:8080"
  reg_sz ProxyOverride "<local>;*.example.co.jp"
  reg_sz AutoConfigURL ""
  reg_key "$HKCU\\Software\\Microsoft\\Internet Explorer\\Main"
  reg_sz "Start Page" "http://www.example.co.jp/"

  local printer
  for printer in "$PRINTER" "$PRINTER2"; do
    reg_key "$HKLM\\SYSTEM\\CurrentControlSet\\Control\\Print\\Printers\\$printer"
    reg_sz Name "$printer"
  done
  reg_key "$HKCU\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Devices"
  reg_sz "$PRINTER" "winspool,Ne00:"
  reg_sz "$PRINTER2" "winspool,Ne01:"
  reg_key "$HKCU\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Windows"
  reg_sz Device "$PRINTER,winspool,Ne00:"
}

# One stored setting: machine-wide part, firewall part, one key per card.
# office=1 gives the office network (proxy, fixed second card), 0 home.
stored_setting() {
  local name="$1" office="$2" key="$STORE\\$1" i
  reg_key "$key"
  reg_sz "Hosts File" ""
  reg_sz "Start Page" "$([ "$office" = 1 ] && echo 'http://intra.example.co.jp/' || echo 'http://www.example.co.jp/')"
  reg_dword ProxyEnable "$office"
  reg_sz ProxyServer "$([ "$office" = 1 ] && echo proxy.example.co.jp)"
  reg_sz ProxyPort "$([ "$office" = 1 ] && echo 8080)"
  reg_dword ProxyLoacl "$office"
  reg_sz ProxyOverride "$([ "$office" = 1 ] && echo '*.example.co.jp')"
  reg_sz ProxyAutoConfigURL ""
  reg_dword ProxyMore 0
  reg_sz "default Printer" "$([ "$office" = 1 ] && echo "$PRINTER2" || echo "$PRINTER")"
  reg_dword ChangeDomainWorkGroup 0
  reg_sz Domain ""
  reg_dword ChangeDomain 0
  reg_sz WorkGroup "$([ "$office" = 1 ] && echo EIGYOU || echo WORKGROUP)"
  reg_dword ChangeWorkGroup 1
  reg_sz "Machine Name" "DEMO-PC"
  reg_dword IPEnableRouter 0
  reg_dword UseDomainNameDevolution 1
  reg_sz SearchList "$([ "$office" = 1 ] && echo 'corp.example.co.jp,example.co.jp')"
  reg_key "$key\\FireWall"
  reg_dword "Use FireWall Switch" 1
  reg_dword "FireWall Enabled" 1
  reg_dword DoNotAllowExceptions "$((1 - office))"
  reg_dword "ファイルとプリンタの共有" "$office"
  reg_dword "UPnP フレームワーク" 0
  reg_dword "リモート デスクトップ" "$office"
  reg_dword "リモート アシスタンス" 0
  reg_key "$key\\FireWall\\AA"
  reg_dword 'C:\Program Files\Example\app.exe' "$office"
  reg_key "$key\\FireWall\\GP"
  reg_dword '8080:TCP' "$office"
  reg_dword '5900:TCP' 0
  for i in "${!card_ids[@]}"; do
    reg_key "$key\\${card_ids[$i]}"
    card_tcpip_values "$i" "$office"
    card_wins "$i" "$office"
    reg_sz Description "$(connection_name "$i") [${card_descs[$i]}]"
  done
}

program_store() {
  reg_key "$STORE"
  reg_dword "Setting Index" 0
  reg_dword "Shutdown Index" 3
  reg_dword "Description Index" 0
  stored_setting "会社" 1
  stored_setting "自宅" 0
}

# ------------------------------------------------------------ main

read_cards
if [ ${#card_ids[@]} -eq 0 ]; then
  echo "seed: Wine reports no network cards here; seeding the machine-wide part only" >&2
fi

reg_file="${reg_only:-$WINEPREFIX/drive_c/kip-demo-seed.reg}"
{
  machine_cards
  machine_wide
  if [ "$with_store" = 1 ]; then program_store; fi
} | reg_encode >"$reg_file"

if [ -z "$reg_only" ]; then
  wine regedit /s "$(winepath -w "$reg_file" 2>/dev/null)"
  rm -f "$reg_file"
  echo "seed: ${#card_ids[@]} card(s) seeded into $WINEPREFIX" >&2
fi
