#!/usr/bin/env bash
# netns-run.sh N -- CMD [ARGS...]
#
# Runs CMD on a machine with exactly N network cards: a fresh Wine prefix, a
# private network namespace holding N cards, a wineserver started inside it
# (Wine reports the cards of the namespace its server runs in), and Xvfb when
# no display is usable. CMD ending in ".exe" runs through Wine; anything else
# runs as is, with WINEPREFIX exported. Returns CMD's status; the wineserver,
# Xvfb, the namespace and the prefix go away in every case (set
# KIP_KEEP_PREFIX=1 to keep the prefix for a look afterwards).
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
source "$here/../../tools/wine-env.sh"
source "$here/../../tools/netns.sh"
source "$here/../../tools/demo/locale.sh"

usage() {
  echo "usage: $0 N -- CMD [ARGS...]" >&2
  exit 2
}

# Inside the namespace: own server for the prefix, then the command.
inside() {
  local prefix="$1"
  shift
  export WINEPREFIX="$prefix"
  trap 'kip_stop_wineserver "$WINEPREFIX"' EXIT
  kip_start_wineserver "$prefix"
  local status
  case "$1" in
    *.exe | *.EXE) wine "$@"; status=$? ;;
    *) "$@"; status=$? ;;
  esac
  return "$status"
}

if [ "${1:-}" = "--inside" ]; then
  shift
  inside "$@"
  exit $?
fi

[ $# -ge 3 ] && [ "$2" = "--" ] || usage
cards="$1"
shift 2

# Making a network namespace needs root; elsewhere the check is skipped
# (ctest counts status 77 as skipped), not failed.
if [ "$(id -u)" != 0 ] || ! command -v unshare >/dev/null 2>&1; then
  echo "skipped: a private network namespace needs root and unshare" >&2
  exit 77
fi

prefix="${KIP_E2E_PREFIX:-$KIP_WINE_DIR/e2e-$$}"
cleanup() {
  kip_stop_wineserver "$prefix"
  kip_stop_xvfb
  if [ -z "${KIP_KEEP_PREFIX:-}" ]; then rm -rf "$prefix"; fi
}
trap cleanup EXIT

kip_fresh_prefix "$prefix" || exit 1
kip_start_xvfb || exit 1
kip_netns_run "$cards" bash "$here/netns-run.sh" --inside "$prefix" "$@"
