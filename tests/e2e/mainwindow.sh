#!/usr/bin/env bash
# The real program on the demo machine with three cards: the window opens,
# its card drop-down lists the three cards, each of the seven pages can be
# shown (a screenshot of each goes to build/screenshots/page-N-*.png), and
# closing the window ends the process.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"

# A display of its own: on a shared one, windows of tests running beside
# this one would end up in its screenshots.
export KIP_FORCE_XVFB=1
source "$here/enter.sh" 3 "$@"

title="HarluneIPコンフィグ"
shots="$KIP_E2E_ROOT/build/screenshots"
pages=(ip dns etc ie domain bat firewall)
program_pid=""

mkdir -p "$shots"
fail() {
  echo "e2e.mainwindow: $*" >&2
  # What the window held when it went wrong, for whoever reads the log.
  kip_drive list-children "$title" >"$shots/mainwindow-children.txt" 2>&1 || true
  kip_drive tabs "$title" >>"$shots/mainwindow-children.txt" 2>&1 || true
  import -window root "$shots/mainwindow-failure.png" 2>/dev/null || true
  echo "e2e.mainwindow: controls in $shots/mainwindow-children.txt, screen in $shots/mainwindow-failure.png" >&2
  [ -n "$program_pid" ] && kill "$program_pid" 2>/dev/null
  exit 1
}

bash "$KIP_E2E_ROOT/tools/demo/seed.sh" || fail "the demo machine could not be seeded"
[ -f "$KIP_E2E_ROOT/build/bin/kIpCnfg.exe" ] || fail "build/bin/kIpCnfg.exe is not built"
stage="$WINEPREFIX/drive_c/kip"
kip_stage_program "$stage"
export KIP_STUB_LOG="$(winepath -w "$stage/commands.log" 2>/dev/null)"

(cd "$stage" && exec wine "$stage/kIpCnfg.exe") &
program_pid=$!

kip_drive wait-window "$title" 60000 >/dev/null || fail "the window \"$title\" did not appear within 60 s"
kip_drive move-origin "$title" || fail "the window could not be moved to the screen origin"

combo="$(kip_control_id IDC_ComboDescription)"
combo="${combo:-ComboBox#0}"
# The cards are listed by the start-up load, which runs after the window is up.
for _ in $(seq 1 100); do
  items="$(kip_drive combo-items "$title" "$combo" 2>/dev/null)" && [ "$(printf '%s' "$items" | grep -c .)" -ge 3 ] && break
  sleep 0.2
done
items="$(kip_drive combo-items "$title" "$combo")" ||
  fail "no card drop-down ($combo) in the window: the main window's controls are not there yet"
printf 'cards:\n%s\n' "$items"
count=$(printf '%s' "$items" | grep -c .)
[ "$count" -eq 3 ] || fail "the card drop-down lists $count cards, expected the 3 of this machine"

read -r x y width height < <(kip_drive rect "$title") || fail "the window's position is unknown"
for i in "${!pages[@]}"; do
  kip_drive select-page "$title" "$i" >/dev/null || fail "page $((i + 1)) (${pages[$i]}) could not be selected"
  file="$shots/page-$((i + 1))-${pages[$i]}.png"
  import -window root -crop "${width}x${height}+${x}+${y}" +repage "$file" ||
    fail "no screenshot of page $((i + 1))"
  echo "screenshot: $file"
done

kip_drive close "$title" 30000 || fail "the program did not end after its window was closed"
kip_wait_gone "$program_pid" 30 || fail "the program's process is still running after the close"
program_pid=""
echo "e2e.mainwindow: 3 cards listed, 7 pages shown, window closed"
