#!/usr/bin/env bash
# Runs build/tests/bin/kip_bench.exe under Wine in a fresh prefix, with its own
# Xvfb and persistent wineserver; both are stopped on exit. Arguments are
# passed to the benchmark program (--runs=N, parts of benchmark names).
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"

prefix="$KIP_WINE_DIR/bench"
kip_fresh_prefix "$prefix"
export WINEPREFIX="$prefix"

cleanup() {
  kip_stop_wineserver "$prefix"
  kip_stop_xvfb
}
trap cleanup EXIT

KIP_FORCE_XVFB=1 kip_start_xvfb
kip_start_wineserver "$prefix"
# The children the benchmarks start are the recording stand-ins.
kip_use_stand_ins "$KIP_BUILD/tests/bin"

wine "$KIP_BUILD/tests/bin/kip_bench.exe" "$@"

# The resident program's figures need a private network namespace of their
# own (and a prefix and display of their own): after the benchmarks above.
if [ $# -eq 0 ] || printf '%s\n' "$@" | grep -qi autoswitch; then
  bash "$(dirname "$0")/../bench/autoswitch.sh"
fi
