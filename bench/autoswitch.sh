#!/usr/bin/env bash
# The setting follows the network, measured on the real resident program in
# a private namespace (root only; skipped elsewhere): the seconds from a
# change of the network to the offer in the step log (target: 3), and the
# processor time the program takes while the network stays as it is
# (target: 0.5 % of one core). Runs tests/e2e/autoswitch.sh RUNS times
# (default 3) in its measuring mode and prints each figure and the median.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
runs="${1:-3}"
offers=() idles=()
for ((i = 0; i < runs; i++)); do
  out="$(KIP_AUTOSWITCH_BENCH=1 bash "$here/../tests/e2e/autoswitch.sh" 2>&1)"
  status=$?
  if [ "$status" -eq 77 ]; then
    echo "autoswitch: skipped (a private network namespace needs root)"
    exit 0
  fi
  [ "$status" -eq 0 ] || { printf '%s\n' "$out" | tail -n 20 >&2; echo "autoswitch: run $((i + 1)) failed" >&2; exit 1; }
  offers+=("$(printf '%s\n' "$out" | sed -n 's/^offer-seconds //p')")
  idles+=("$(printf '%s\n' "$out" | sed -n 's/^idle-cpu-percent //p')")
done
median() { printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
echo "autoswitch: change to offer ${offers[*]} s, median $(median "${offers[@]}") s (target 3 s)"
echo "autoswitch: idle processor ${idles[*]} % of one core, median $(median "${idles[@]}") % (target 0.5 %)"
