#!/usr/bin/env bash
# The window closed while a commit runs: the before-batch of "会社" takes a
# few seconds and the user closes the main window meanwhile. The commit goes
# on with the stored setting (the script is the one an undisturbed commit of
# it writes, the connection suffix is the stored one), and the program ends
# once the commit has ended.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/enter.sh" 2 "$@"

kip_on_fail() { kip_commands_log | head -n 60 >&2; }
batch_started() { kip_commands_log | grep -q $'^notepad\t.*slow'; }
suffixes() {
  local id
  for id in $(kip_drive reg-keys "$interfaces"); do kip_drive reg-get "$interfaces\\$id" Domain | tail -n 1; done
}

kip_stage

# What an undisturbed commit of the setting writes.
kip_run_to_end "会社" "/c"
reference="$(kip_recorded_script)"
[ -n "$reference" ] || fail "the reference commit ran no script"
rm -f "$stage/commands.log"
suffixes_before="$(suffixes)"

# The slow before-batch: a stand-in that sleeps ten seconds, long enough for
# the close to be handled while it runs even on a loaded machine.
printf '@set KIP_STUB_SLEEP_MS=10000\r\n@"C:\\kip\\system32\\notepad.exe" slow\r\n' >"$stage/会社_b.bat"
kip_open_window
kip_select_setting 会社
kip_drive click "$title" "$(kip_control_id IDB_ButtonCommit)" >/dev/null 2>&1 &
kip_until 30 batch_started || fail "the before-batch did not start"
kip_drive close "$title" 100 >/dev/null 2>&1  # posted now; the process may not end yet
# The window handles the posted close between two waits of the commit, so
# the status bar may still name the step for a moment.
held="反映中です. 終了は反映の後に行います."
kip_until 5 '[ "$(kip_status_text)" = "$held" ]' || fail "the status bar says '$(kip_status_text)' during the commit"
kip_wait_gone "$program" 60 || fail "the program did not end after the commit"
program=""

[ "$(kip_recorded_script)" = "$reference" ] || {
  diff <(printf '%s\n' "$reference") <(kip_recorded_script) >&2
  fail "the script differs from the stored setting's own"
}
kip_commands_log | grep -q '^ipconfig' || fail "the commit did not run to its end"
suffixes_after="$(suffixes)"
printf '%s\n' "$suffixes_after" | grep -qx 'corp.example.co.jp' || fail "the stored connection suffix was not written"
[ "$suffixes_after" = "$suffixes_before" ] || fail "the suffixes differ from the undisturbed commit's: $suffixes_after"
echo "e2e.commitclose: closed during the before-batch; the script and the suffixes are the stored setting's, the program ended after the commit"
