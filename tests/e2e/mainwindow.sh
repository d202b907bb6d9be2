#!/usr/bin/env bash
# The real program as a field engineer's machine has it: three cards with
# long labels, ten stored settings with long names (more tabs than fit in
# rows), and the shown one with every list filled. The window opens, its
# card drop-down lists the three cards (dropped, in a screenshot), each of
# the nine pages is shown (a screenshot of each goes to
# build/screenshots/mainwindow-DPI-N-NAME.png),
# and closing the window ends the process. Look at the screenshots: a
# control that hides another, or a cut text, is a defect.
#
#   mainwindow.sh [DPI]     (default 96)
#     KIP_WINE_VERSION=winxp64  the machine says it is Windows XP, whose
#     firewall exceptions are in the registry: Wine has none of the firewall
#     rules Windows 7's page lists, so there that page shows none.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
dpi="${1:-96}"
# Room for the window at a higher DPI.
[ "$dpi" -gt 96 ] && export KIP_XVFB_SCREEN="${KIP_XVFB_SCREEN:-2048x1600x24}"
source "$here/enter.sh" 3 "$@"

shots="$KIP_E2E_ROOT/build/screenshots"
pages=(ip dns etc ie domain bat firewall ipv6 autoswitch)
mkdir -p "$shots"
# What the window held when it went wrong, for whoever reads the log.
kip_on_fail() {
  { kip_drive list-children "$title"; kip_drive tabs "$title"; } >"$shots/mainwindow-children.txt" 2>&1
  import -window root "$shots/mainwindow-failure.png" 2>/dev/null
  echo "e2e.mainwindow: controls in $shots/mainwindow-children.txt, screen in $shots/mainwindow-failure.png" >&2
}

settings=("本社 3F 第2会議室 (有線LAN・プロキシ経由)" "Tokyo-DataCenter-Maintenance-VLAN120"
          "大阪支社 検証ラボ 192.168.50.0／24" "自宅 (Wi-Fi テザリング)" "出張先ホテル 客室LAN"
          "お客様先 A社 サーバールーム 固定IP" "展示会ブース (モバイルルーター)" "Nagoya-Factory-Line3-PLC")
connections=("本社LAN (有線・VLAN120 保守用ポート)" "ローカル エリア接続 2 (USB-LAN アダプター 検証用)"
             "Wi-Fi 無線LAN (社内ゲスト用 SSID)")

# Every stored setting holds a full, long machine-wide part; the second
# card's part is fixed addresses with every list filled.
stored_setting() {
  local key="$store\\$1" i
  reg_key "$key"
  reg_sz "Hosts File" 'C:\Users\フィールドエンジニア\Documents\ネットワーク設定\hosts\本社3F_hosts.txt'
  reg_sz "Start Page" "http://intra.honsha.example.co.jp/portal/network/index.html"
  reg_dword ProxyEnable 1
  reg_sz ProxyServer "proxy-honsha-3f.corp.example.co.jp"
  reg_sz ProxyPort 18080
  reg_dword ProxyLoacl 1
  reg_sz ProxyOverride "*.corp.example.co.jp;*.example.local;192.168.*;10.*;intranet;printserver01"
  reg_sz ProxyAutoConfigURL "http://wpad.corp.example.co.jp/proxy/honsha-3f.pac"
  reg_dword ProxyMore 0
  reg_sz "default Printer" "Office Laser 2F"
  reg_dword ChangeDomainWorkGroup 1
  reg_sz Domain "CORP-HONSHA-EXAMPLE"
  reg_dword ChangeDomain 0
  reg_sz WorkGroup "EIGYOU-DAI2-KAIGISHITSU"
  reg_dword ChangeWorkGroup 1
  reg_sz "Machine Name" "FIELD-ENG-PC042"
  reg_dword IPEnableRouter 0
  reg_dword UseDomainNameDevolution 1
  reg_sz SearchList "corp.example.co.jp,honsha.corp.example.co.jp,lab.osaka.example.co.jp,example.local"
  reg_key "$key\\FireWall"
  reg_dword "Use FireWall Switch" 1
  reg_dword "FireWall Enabled" 1
  reg_dword "ファイルとプリンタの共有" 1
  reg_dword "リモート デスクトップ" 1
  reg_key "$key\\AutoSwitch"
  reg_sz Gateway 192.168.120.254
  reg_sz GatewayMAC 00:1a:2b:3c:4d:5e
  reg_sz DnsSuffix honsha.corp.example.co.jp
  reg_sz Subnet 192.168.120.0/24
  reg_sz LinkCard "${connections[0]}"
  reg_sz SSID "HONSHA-3F-GUEST-5GHz"
  reg_dword CommitWithoutAsking 1
  reg_sz WifiProfile "HONSHA-3F-GUEST-5GHz (WPA2)"
  reg_sz WifiCard "${connections[2]}"
  for i in "${!cards[@]}"; do
    reg_key "$key\\${cards[$i]}"
    if [ "$i" -ne 1 ]; then reg_dword EnableDHCP 1; continue; fi
    reg_dword EnableDHCP 0
    reg_multi IPAddress 192.168.120.20 192.168.120.21 10.120.0.20 172.16.120.20 192.168.121.20
    reg_multi SubnetMask 255.255.255.0 255.255.255.0 255.255.0.0 255.255.255.128 255.255.254.0
    reg_multi DefaultGateway 192.168.120.254 192.168.120.1 10.120.0.1
    reg_multi DefaultGatewayMetric 1 10 100
    reg_sz NameServer "192.168.120.53,192.168.120.54,10.120.0.53,8.8.8.8"
    reg_sz Domain "honsha.corp.example.co.jp"
    reg_dword RegistrationEnabled 1
    reg_dword RegisterAdapterName 1
    reg_multi NameServerList 192.168.120.5 192.168.120.6 10.120.0.5
    reg_dword IPv6Mode 2
    reg_multi IPv6Address 2001:db8:120::20/64 2001:db8:120::21/64 fd00:120::20/64
    reg_multi IPv6DefaultGateway fe80::1 2001:db8:120::1
    reg_sz IPv6NameServer "2001:db8:120::53,2001:db8:120::54"
  done
}

# Long card labels and more firewall exceptions, on this prefix's machine.
machine_names() {
  local class='HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Control\Network\{4D36E972-E325-11CE-BFC1-08002BE10318}'
  local list='HKEY_LOCAL_MACHINE\SYSTEM\CurrentControlSet\Services\SharedAccess\Parameters\FirewallPolicy\StandardProfile'
  local i
  for i in "${!cards[@]}"; do
    reg_key "$class\\${cards[$i]}\\Connection"
    reg_sz Name "${connections[$i]}"
  done
  reg_key "$list\\AuthorizedApplications\\List"
  reg_sz 'C:\Program Files\Example\保守ツール\RemoteMaintenanceAgent.exe' \
    'C:\Program Files\Example\保守ツール\RemoteMaintenanceAgent.exe:*:Enabled:リモート保守エージェント (工場ライン監視用)'
  reg_key "$list\\GloballyOpenPorts\\List"
  reg_sz '502:TCP' '502:TCP:LocalSubNet:Enabled:Modbus/TCP 生産ライン PLC 監視 (名古屋工場 Line3)'
}

if [ -n "${KIP_WINE_VERSION:-}" ]; then
  wine reg add 'HKCU\Software\Wine' /v Version /d "$KIP_WINE_VERSION" /f >/dev/null 2>&1 || fail "cannot set the Windows version"
fi
kip_set_dpi "$dpi"
kip_stage
mapfile -t cards < <(kip_drive adapters | awk -F'\t' '$1 ~ /^[0-9]+$/ {print $2}')
[ ${#cards[@]} -eq 3 ] || fail "the machine has ${#cards[@]} cards, expected 3"
{
  machine_names
  for name in "${settings[@]}"; do stored_setting "$name"; done
  reg_key "$store"
  reg_dword "Setting Index" 6
  reg_dword "Description Index" 1
} | kip_import_reg
for name in "${settings[@]}" 会社 自宅; do
  printf '%s\r\n' "net use Z: \\\\fileserver01\\共有フォルダ\\技術部\\ネットワーク設定 /persistent:no" \
    "route add 10.0.0.0 mask 255.0.0.0 192.168.120.254" "ipconfig /all" "pause" |
    iconv -f UTF-8 -t CP932 >"$stage/${name}_b.bat"
  printf '%s\r\n' "ping -n 3 192.168.120.254" "net time \\\\timeserver /set /yes" | iconv -f UTF-8 -t CP932 >"$stage/${name}_a.bat"
done

kip_open_window
kip_drive move-origin "$title" || fail "the window could not be moved to the screen origin"

combo="$(kip_control_id IDC_ComboDescription)"
combo="${combo:-ComboBox#0}"
# The cards are listed by the start-up load, which runs after the window is up.
kip_until 20 '[ "$(kip_drive combo-items "$title" "$combo" | grep -c .)" -ge 3 ]'
items="$(kip_drive combo-items "$title" "$combo")" ||
  fail "no card drop-down ($combo) in the window: the main window's controls are not there yet"
printf 'cards:\n%s\n' "$items"
count=$(printf '%s' "$items" | grep -c .)
[ "$count" -eq 3 ] || fail "the card drop-down lists $count cards, expected the 3 of this machine"
# Nine page tabs and the ten settings' tabs.
kip_until 10 '[ "$(kip_drive tabs "$title" | grep -c "^ ")" -eq 19 ]' ||
  fail "the window does not list the ten stored settings"

read -r x y width height < <(kip_drive rect "$title") || fail "the window's position is unknown"
suffix="$dpi${KIP_WINE_VERSION:+-$KIP_WINE_VERSION}"
# The card list dropped down (it has the focus at start): whole labels.
kip_drive press "$title" alt+down >/dev/null && sleep 0.5 &&
  import -window root -crop "$((width * 3 / 2))x$((height / 2))+${x}+${y}" +repage "$shots/mainwindow-$suffix-0-cards.png" ||
  fail "no screenshot of the card list"
kip_drive press "$title" escape >/dev/null
for i in "${!pages[@]}"; do
  kip_drive select-page "$title" "$i" >/dev/null || fail "page $((i + 1)) (${pages[$i]}) could not be selected"
  file="$shots/mainwindow-$suffix-$((i + 1))-${pages[$i]}.png"
  import -window root -crop "${width}x${height}+${x}+${y}" +repage "$file" ||
    fail "no screenshot of page $((i + 1))"
  echo "screenshot: $file"
done

kip_close_window
echo "e2e.mainwindow: 3 cards listed, ${#pages[@]} pages shown at $dpi DPI, window closed"
