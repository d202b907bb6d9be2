#!/usr/bin/env bash
# The real program on the demo machine with three cards: the window opens,
# its card drop-down lists the three cards, each of the seven pages can be
# shown (a screenshot of each goes to build/screenshots/page-N-*.png), and
# closing the window ends the process.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
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

kip_stage
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

read -r x y width height < <(kip_drive rect "$title") || fail "the window's position is unknown"
for i in "${!pages[@]}"; do
  kip_drive select-page "$title" "$i" >/dev/null || fail "page $((i + 1)) (${pages[$i]}) could not be selected"
  file="$shots/page-$((i + 1))-${pages[$i]}.png"
  import -window root -crop "${width}x${height}+${x}+${y}" +repage "$file" ||
    fail "no screenshot of page $((i + 1))"
  echo "screenshot: $file"
done

kip_close_window
echo "e2e.mainwindow: 3 cards listed, ${#pages[@]} pages shown, window closed"
