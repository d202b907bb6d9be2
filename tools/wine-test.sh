#!/usr/bin/env bash
# Runs one test program under Wine for ctest. When Wine fails before the
# program has printed its first line (a non-zero end within two seconds and
# no output at all), no test has run: that is a start-up failure of Wine on
# a loaded machine, so it is reported and the program is started once more.
# Any failure of the program itself is passed on unchanged.
output="$(mktemp)"
trap 'rm -f "$output"' EXIT
started=$(date +%s%N)
wine "$@" >"$output" 2>&1
status=$?
elapsed_ms=$((($(date +%s%N) - started) / 1000000))
if [ "$status" -ne 0 ] && [ ! -s "$output" ] && [ "$elapsed_ms" -lt 2000 ]; then
  printf '[kip] wine ended with %d after %d ms without any output; started once more\n' "$status" "$elapsed_ms" >&2
  wine "$@"
  exit $?
fi
cat "$output"
exit "$status"
