#!/usr/bin/env bash
# Runs every test through ctest under Wine, with one Xvfb and one persistent
# wineserver for the whole run. Both are stopped on exit, whatever happens.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"

# A prefix of this run's own: two runs at once must not share one.
prefix="$KIP_WINE_DIR/test-$$"
kip_fresh_prefix "$prefix"
export WINEPREFIX="$prefix"

cleanup() {
  [ -n "${KIP_KEEPALIVE_PID:-}" ] && kill "$KIP_KEEPALIVE_PID" 2>/dev/null || true
  kip_stop_wineserver "$prefix"
  kip_stop_xvfb
  rm -rf "$prefix"
}
trap cleanup EXIT

KIP_FORCE_XVFB=1 kip_start_xvfb
kip_start_wineserver "$prefix"

# Keeps Wine's desktop process alive between GUI tests.
KIP_KEEPALIVE_PID=""
if [ -f "$KIP_BUILD/tests/bin/keepalive.exe" ]; then
  wine "$KIP_BUILD/tests/bin/keepalive.exe" >/dev/null 2>&1 &
  KIP_KEEPALIVE_PID=$!
fi

cd "$KIP_BUILD"
ctest --output-on-failure -j "${KIP_TEST_JOBS:-2}" "$@"
