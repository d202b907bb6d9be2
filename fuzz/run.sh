#!/usr/bin/env bash
# Builds the fuzz targets (fuzz/Makefile) and runs each for a bounded time,
# starting from its kept corpus fuzz/corpus/<target>/; then prints, per
# target, the seconds it ran and the inputs it executed. A broken property
# or a crash stops that target; its input is saved under <build>/crashes/
# and the script ends with status 1 after the other targets have run.
#
#   --seconds N   time per target (default 60)
#   --keep        merge the inputs that found new coverage into fuzz/corpus
#   --build DIR   where to build and keep the working corpora (build/fuzz)
#   TARGET...     only these targets
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
seconds=60 keep="" build="$root/build/fuzz" targets=()
while [ $# -gt 0 ]; do
  case "$1" in
    --seconds) seconds="$2"; shift 2 ;;
    --keep) keep=1; shift ;;
    --build) build="$2"; shift 2 ;;
    *) targets+=("$1"); shift ;;
  esac
done
[ ${#targets[@]} -gt 0 ] || targets=(comma_text multi_string firewall_data command_line snapshot_text address_boxes netsh_script)

make -s -C "$root/fuzz" -j "${JOBS:-2}" BUILD="$build" >/dev/null

failed=0
printf '%-15s %8s %12s\n' target seconds inputs
for target in "${targets[@]}"; do
  work="$build/work/$target" kept="$root/fuzz/corpus/$target" log="$build/logs/$target.log"
  mkdir -p "$work" "$kept" "$build/crashes" "$build/logs"
  status=0
  "$build/$target" -max_total_time="$seconds" -timeout=10 -print_final_stats=1 \
    -artifact_prefix="$build/crashes/$target-" "$work" "$kept" >"$log" 2>&1 || status=$?
  runs="$(sed -n 's/^Done \([0-9]*\) runs in \([0-9]*\) second.*/\1 \2/p' "$log" | tail -n 1)"
  if [ "$status" -ne 0 ] || [ -z "$runs" ]; then
    failed=1
    printf '%-15s FAILED (status %s), log %s\n' "$target" "$status" "$log"
    grep -E 'property broken|ERROR:|SUMMARY:|Test unit written' "$log" | head -n 5 | sed 's/^/    /'
    continue
  fi
  printf '%-15s %8s %12s\n' "$target" "${runs#* }" "${runs% *}"
  if [ -n "$keep" ]; then
    "$build/$target" -merge=1 "$kept" "$work" >>"$log" 2>&1 || true
  fi
done
exit "$failed"
