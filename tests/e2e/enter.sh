# Sourced first by an end-to-end script that needs a machine of its own:
#   source "$here/enter.sh" CARDS "$@"
# Outside, it runs the script again, with its arguments, inside netns-run.sh
# on a machine with exactly CARDS network cards (it does not return); inside,
# it brings in lib.sh.
kip_e2e_dir="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
if [ -z "${KIP_E2E_INSIDE:-}" ]; then
  export KIP_E2E_INSIDE=1
  # A display of its own: its windows never take the activation (and the
  # keyboard focus) from the window tests on the shared one.
  export KIP_FORCE_XVFB=1
  exec bash "$kip_e2e_dir/netns-run.sh" "$1" -- bash "$0" "${@:2}"
fi
source "$kip_e2e_dir/lib.sh"
