#!/usr/bin/env bash
# The command line of deployment tools: every exit code from a real run of
# the program (silent commit, setting not found, a command that could not
# be started, an import refused, another instance running, a usage error),
# the step log, the command line's errors, which must end the run before it
# does anything, and the README's roll-out line, as is, on a PC where the
# program never ran, from a folder nothing can be written to (a share, a
# CD): the setting's batch file comes along, the working files go to the
# administrators' folder, and netsh's answers to a file there.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/enter.sh" 2 "$@"

rollout="$WINEPREFIX/drive_c/rollout"
kip_on_fail() {
  cat "$stage/steps.log" >&2 2>/dev/null
  chattr -i "$rollout" 2>/dev/null
}
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
# The proxy also went through WinINet, whose Wine version stores part of it
# in the classic values: they hold what the classic writer wrote.
internet='HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings'
check "ProxyEnable" $'REG_DWORD\n1' "$(kip_drive reg-get "$internet" ProxyEnable)"
check "ProxyServer" $'REG_SZ\nproxy.example.co.jp:8080' "$(kip_drive reg-get "$internet" ProxyServer)"
check "ProxyOverride" $'REG_SZ\n<local> *.example.co.jp' "$(kip_drive reg-get "$internet" ProxyOverride)"
# Wine has INetFwPolicy2 but implements none of it: the firewall step fails
# and says why, never taken as done.
grep -q $'ファイアウォールを設定しています...\t失敗' "$stage/steps.log" || fail "the firewall step did not fail"
grep -q '0x80004001' "$stage/steps.log" || fail "the step log does not say why the firewall was not switched"
[ "$failures" -eq 0 ] || fail "$failures checks failed"

run 2 /q nosuch /log "$log"
grep -q '設定\[nosuch\]が見つかりません.' "$stage/steps.log" || fail "the step log does not name the missing setting"

run 4 /q /import 'C:\kip\missing.kip' 自宅
run 1 /q /log

# The command line's errors: exit code 1 and nothing run.
children() { wc -l <"$stage/commands.log"; }
mkdir -p "$stage/folder"
refused() {
  local what="$1" before
  shift
  before="$(children)"
  run 1 "$@"
  [ "$(children)" = "$before" ] || fail "$what: a command ran"
}
refused "a switch in the log file's place" /log /q 会社
refused "a folder as the log" /q 会社 /log 'C:\kip\folder'
refused "a quiet preview that cannot be written" /q 会社 '/preview:C:\kip\folder'
refused "a preview that cannot be written" 会社 '/preview:C:\kip\folder'
# A preview wins over "/q": written, nothing committed.
before="$(children)"
run 0 /q 会社 '/preview:C:\kip\preview.txt'
[ -s "$stage/preview.txt" ] && [ "$(children)" = "$before" ] || fail "the quiet preview committed or wrote nothing"

mv "$stage/system32/nbtstat.exe" "$stage/system32/nbtstat.off" 2>/dev/null
run 3 -Q 自宅
mv "$stage/system32/nbtstat.off" "$stage/system32/nbtstat.exe" 2>/dev/null

kip_open_window
run 5 /q 会社
kip_close_window

# The roll-out: the README's line in a .cmd beside the program and an export,
# on a PC without the program's store key.
mkdir -p "$rollout"
cp "$stage/kIpCnfg.exe" "$rollout/"
line="$(grep -m1 -F '/q /import "%~dp0kIpBackup"' "$KIP_E2E_ROOT/README.md")"
[ -n "$line" ] || fail "the README has no roll-out line"
printf '%s\r\n' "$line" | iconv -f UTF-8 -t CP932 >"$rollout/deploy.cmd" || fail "the line is not Shift_JIS"
# An export holding the setting "会社" (the snapshot text, its checksum made here).
python3 - "$rollout/kIpBackup" <<'PY'
import sys, zlib
body = "kIpConfig store snapshot 1\r\nkey\r\nkey \"会社\"\r\nvalue \"Use DHCP\" 00000004:01000000\r\n".encode()
open(sys.argv[1], "wb").write(body + b"end 2 1 %08X\r\n" % (zlib.crc32(body) & 0xFFFFFFFF))
PY
printf '@echo ran> C:\\kip\\batch-ran.txt\r\n' >"$rollout/会社_b.bat"
wine reg delete 'HKLM\Software\harlune' /f >/dev/null 2>&1
[ -z "$(kip_drive reg-keys 'HKLM\Software\harlune\Harlune Ip Config' 2>/dev/null)" ] || fail "the store key is still there"
before="$(children)"
before_files="$(ls -A "$rollout")"
chattr +i "$rollout" || fail "cannot make the roll-out folder read-only"
(cd "$WINEPREFIX/drive_c" && wine cmd /c 'C:\rollout\deploy.cmd' </dev/null >/dev/null 2>&1)
code=$?
chattr -i "$rollout"
[ "$code" -eq 0 ] || fail "the roll-out line ended with $code"
kip_drive reg-keys 'HKLM\Software\harlune\Harlune Ip Config' | grep -qx '会社' || fail "the import made no store"
tail -n +"$((before + 1))" "$stage/commands.log" | tr -d '\r' | grep -q '^netsh	netsh exec' || fail "the roll-out committed nothing"
deploy_log="$WINEPREFIX/drive_c/windows/logs/kIpCnfg-deploy.log"
grep -q $'反映しました\tOK' "$deploy_log" || fail "the roll-out's log has no commit"
[ "$(ls -A "$rollout")" = "$before_files" ] || fail "something was written beside the program"
[ -f "$stage/batch-ran.txt" ] || fail "the setting's batch file did not run"
tail -n +"$((before + 1))" "$stage/commands.log" | tr -d '\r' | grep -q $'^netsh\tnetsh exec "C:\\\\ProgramData\\\\kIpCnfg\\\\kipconfig' ||
  fail "the script was not in the working folder"
grep -q 'を開けないため' "$deploy_log" || fail "the log does not say where netsh's answers went"
ls "$WINEPREFIX"/drive_c/ProgramData/kIpCnfg/kIpCnfg.*.log >/dev/null 2>&1 || fail "netsh's answers are nowhere"
echo "e2e.deploy: exit codes 0 to 5 and the command line's errors from real runs; the README's roll-out line on a PC without a store, from a read-only folder"
