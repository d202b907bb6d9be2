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

# The programs of Windows that code under test starts (netsh, net, arp,
# nbtstat, ipconfig, notepad) are the recording stand-ins.
kip_use_stand_ins "$KIP_BUILD/tests/bin"

# Starts Wine's desktop process here, before any test, and keeps it alive
# between GUI tests. Started by a test instead, it would inherit ctest's
# output pipes, and ctest would wait for them until its time-out.
KIP_KEEPALIVE_PID=""
wine "$KIP_BUILD/tests/bin/keepalive.exe" </dev/null >/dev/null 2>&1 &
KIP_KEEPALIVE_PID=$!
wine "$KIP_BUILD/tests/bin/kip_driver.exe" wait-window "kip keepalive" 60000 </dev/null >/dev/null 2>&1 ||
  kip_log "the keep-alive window did not appear; GUI tests may stall"

cd "$KIP_BUILD"
# "--exec PROGRAM ARGS..." runs one Windows program in this environment
# instead of ctest (the full soak run, outside ctest's time limit).
if [ "${1:-}" = "--exec" ]; then
  shift
  wine "$@"
else
  ctest --output-on-failure -j "${KIP_TEST_JOBS:-2}" "$@"
fi
