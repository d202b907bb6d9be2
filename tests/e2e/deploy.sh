#!/usr/bin/env bash
# The command line of deployment tools: every exit code from a real run of
# the program (silent commit, setting not found, a command that could not
# be started, an import refused, another instance running, a usage error)
# and the step log.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/enter.sh" 2 "$@"

kip_on_fail() { cat "$stage/steps.log" >&2 2>/dev/null; }
# run EXPECTED ARGS...: runs the program and checks its exit code.
run() {
  local expected="$1"
  shift
  (cd "$stage" && wine "$stage/kIpCnfg.exe" "$@" </dev/null >/dev/null 2>&1)
  local code=$?
  [ "$code" -eq "$expected" ] || fail "kIpCnfg.exe $* ended with $code, expected $expected"
}

kip_stage
log='C:\kip\steps.log'

run 0 /q 会社 /log "$log"
kip_commands_log | grep -q '^netsh	netsh exec' || fail "the silent commit ran no script"
grep -q $'netsh を実行しています...\tOK' "$stage/steps.log" || fail "the step log has no netsh step"
grep -q $'反映しました\tOK' "$stage/steps.log" || fail "the step log does not end with the commit"

run 2 /q nosuch /log "$log"
grep -q '設定\[nosuch\]が見つかりません.' "$stage/steps.log" || fail "the step log does not name the missing setting"

run 4 /q /import 'C:\kip\missing.kip' 自宅
run 1 /q /log

mv "$stage/system32/nbtstat.exe" "$stage/system32/nbtstat.off" 2>/dev/null
run 3 -Q 自宅
mv "$stage/system32/nbtstat.off" "$stage/system32/nbtstat.exe" 2>/dev/null

(cd "$stage" && exec wine "$stage/kIpCnfg.exe") &
window=$!
kip_drive wait-window "$title" 60000 >/dev/null || fail "the window did not appear"
run 5 /q 会社
kip_drive close "$title" 20000 >/dev/null || kill "$window" 2>/dev/null
echo "e2e.deploy: exit codes 0, 1, 2, 3, 4 and 5 from real runs; the step log names each step"
