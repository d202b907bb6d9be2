#!/usr/bin/env bash
# cards.sh N: on a machine with exactly N network cards, Wine must report N
# adapters (and, with many cards, more adapter data than fits a 5120-byte
# buffer), and the program's live adapter test must pass with
# KIP_EXPECT_CARDS=N.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
cards="${1:?usage: cards.sh N}"
source "$here/enter.sh" "$cards" "$@"
bin="$KIP_E2E_ROOT/build/tests/bin"

[ -f "$KIP_DRIVER" ] || fail "kip_driver.exe is not built"
report="$(kip_drive adapters)" || fail "the adapter list could not be read"
printf '%s\n' "$report"
reported=$(printf '%s\n' "$report" | grep -c '^[0-9]')
[ "$reported" -eq "$cards" ] || fail "Wine reports $reported adapters, expected $cards"
bytes=$(printf '%s\n' "$report" | awk -F'\t' '$1 == "bytes" {print $2}')
if [ "$cards" -ge 8 ] && [ "${bytes:-0}" -le 5120 ]; then
  fail "only $bytes bytes of adapter data for $cards cards; the large-buffer case is not exercised"
fi

[ -f "$bin/test_machine.exe" ] || fail "test_machine.exe is not built (it holds the LiveAdapters test)"
output="$(KIP_EXPECT_CARDS="$cards" wine "$bin/test_machine.exe" --gtest_filter='LiveAdapters.*' 2>&1)"
status=$?
printf '%s\n' "$output"
[ "$status" -eq 0 ] || fail "test_machine.exe ended with status $status"
grep -Eq '^\[  PASSED  \] [1-9][0-9]* tests?\.' <<<"$output" && ! grep -q '^\[  FAILED  \]' <<<"$output" ||
  fail "the LiveAdapters tests did not run and pass"
echo "e2e.cards: $cards cards, $bytes bytes of adapter data, LiveAdapters passed"
