#!/usr/bin/env bash
# The main window at 96, 144 and 192 DPI on the demo machine: three cards,
# the second one with fixed addresses shown, stored settings with long
# names. Each DPI gets a fresh prefix and wineserver (Wine reads LogPixels
# when its server starts) in a private network namespace (root). The main
# window goes to docs/dpi-<N>.png, every page and the address dialog to
# build/screenshots/dpi-<N>-*.png. Look at them: a control that hides
# another, or a cut text, is a defect.
#
#   tools/dpi-shots.sh [DPI...]      (default: 96 144 192)
set -uo pipefail
tools="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$tools/.." && pwd)"

if [ "${1:-}" != "--inside" ]; then
  status=0
  dpis=("$@")
  [ ${#dpis[@]} -eq 0 ] && dpis=(96 144 192)
  for dpi in "${dpis[@]}"; do
    # A screen large enough for the window at 192 DPI.
    KIP_FORCE_XVFB=1 KIP_XVFB_SCREEN=2048x1600x24 \
      bash "$root/tests/e2e/netns-run.sh" 3 -- bash "$tools/dpi-shots.sh" --inside "$dpi" || status=1
  done
  exit "$status"
fi

dpi="$2"
source "$root/tests/e2e/lib.sh"
title="HarluneIPコンフィグ"
store='HKLM\SOFTWARE\harlune\Harlune Ip Config'
shots="$root/build/screenshots"
mkdir -p "$shots" "$root/docs"

for key in 'HKCU\Control Panel\Desktop' 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts'; do
  wine reg add "$key" /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
done
kip_stop_wineserver "$WINEPREFIX"
kip_start_wineserver "$WINEPREFIX"

bash "$root/tools/demo/seed.sh" || exit 1
for name in "本社 3F 第2会議室 (有線LAN・プロキシ経由)" "Tokyo-DataCenter-Maintenance-VLAN120" \
            "自宅 (Wi-Fi テザリング)" "出張先ホテル"; do
  wine reg copy "$store\\会社" "$store\\$name" /s /f >/dev/null 2>&1
done
wine reg add "$store" /v "Description Index" /t REG_DWORD /d 1 /f >/dev/null 2>&1
# The preview before every commit, for its screenshots.
wine reg add "$store\\TFormIpconfig" /v mPreviewFirst_Checked /t REG_DWORD /d 1 /f >/dev/null 2>&1

stage="$WINEPREFIX/drive_c/kip"
kip_stage_program "$stage"
export KIP_STUB_LOG="$(winepath -w "$stage/commands.log" 2>/dev/null)"
(cd "$stage" && exec wine "$stage/kIpCnfg.exe") &
program=$!
kip_drive wait-window "$title" 60000 >/dev/null || { echo "dpi-shots: no window at $dpi DPI" >&2; exit 1; }
for _ in $(seq 1 100); do
  [ -n "$(kip_drive combo-items "$title" 1001 2>/dev/null)" ] && break
  sleep 0.2
done
kip_drive move-origin "$title" >/dev/null
shot() { # shot WINDOW FILE
  local x y w h
  read -r x y w h < <(kip_drive rect "$1") && import -window root -crop "${w}x${h}+${x}+${y}" +repage "$2" &&
    echo "dpi-shots: $2"
}
shot "$title" "$root/docs/dpi-$dpi.png"
# As many pages as the window's page control lists.
pages=$(kip_drive tabs "$title" | awk -F'\t' '!/^ / {p = $3 == "pages"} /^ / && p {n++} END {print n + 0}')
[ "$pages" -gt 0 ] || echo "dpi-shots: the window lists no pages at $dpi DPI" >&2
for ((page = 0; page < pages; page++)); do
  kip_drive select-page "$title" "$page" >/dev/null
  shot "$title" "$shots/dpi-$dpi-page-$page.png"
done
kip_drive select-page "$title" 0 >/dev/null
kip_drive click "$title" 1104 >/dev/null
if kip_drive wait-window "IP アドレス入力" 10000 >/dev/null; then
  shot "IP アドレス入力" "$shots/dpi-$dpi-ipedit.png"
  kip_drive key "IP アドレス入力" 27
fi
# The safe commit: the preview's two pages (its third button, 103, turns
# them), then the question after the commit.
preview="反映内容の確認" keep="確認付きで反映"
kip_drive menu "$title" 2101 >/dev/null 2>&1 &
if kip_drive wait-window "$preview" 20000 >/dev/null; then
  shot "$preview" "$shots/dpi-$dpi-preview.png"
  kip_drive click "$preview" 103 >/dev/null
  shot "$preview" "$shots/dpi-$dpi-preview-script.png"
  kip_drive click "$preview" "反映" >/dev/null
  if kip_drive wait-window "$keep" 60000 >/dev/null; then
    shot "$keep" "$shots/dpi-$dpi-keep.png"
    kip_drive click "$keep" "維持する" >/dev/null
  fi
fi
kip_drive close "$title" 30000 >/dev/null || kill "$program" 2>/dev/null
