#!/usr/bin/env bash
# The full soak run: 1,000 cycles of load, edit, save and tab switch and 100
# commits through the real window, outside ctest's time limit (the test
# suite runs a short variant). Prints the handle and window counts.
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
KIP_SOAK_CYCLES="${KIP_SOAK_CYCLES:-1000}" exec bash "$here/run-tests.sh" --exec \
  "$here/../build/tests/bin/test_app.exe" --gtest_filter='SoakTest.*'
