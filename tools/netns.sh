#!/usr/bin/env bash
# Private network namespaces with a chosen number of network cards, so that
# Wine's adapter list (which is the list of Linux interfaces of the namespace
# its wineserver runs in) holds exactly the cards a test wants.
#
# Measured under Wine 8: every interface but loopback is reported, whatever
# its state and whether or not it has an IPv4 address; both ends of a veth
# pair count. The card id is {0000000N-0000-0000-0000-4E6574446576}, N the
# interface index in hexadecimal. So each card here is one bridge without
# ports: one interface, up, with an address of its own.
#
# The namespace is made with `unshare --net`: it lives exactly as long as the
# processes inside it, so nothing is left behind when the command ends, and
# the machine's own interfaces are never seen, let alone changed.
#
# Use as a command:
#   tools/netns.sh run N -- CMD [ARGS...]   run CMD in a namespace with N cards
# or source it and call kip_netns_run.

KIP_NETNS_SCRIPT="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)/$(basename "${BASH_SOURCE[0]}")"

kip_netns_log() { printf '[kip netns] %s\n' "$*" >&2; }

# kip_netns_is_private OUTER: true when this shell runs in a network
# namespace other than OUTER (the namespace id the caller started from) that
# holds nothing but loopback, i.e. one that was just made for us. Fails
# closed: any doubt counts as the machine's own namespace.
kip_netns_is_private() {
  local outer="$1" here links
  here="$(readlink /proc/self/ns/net 2>/dev/null)" || return 1
  [ -n "$outer" ] && [ -n "$here" ] && [ "$here" != "$outer" ] || return 1
  links="$(ip -o link show 2>/dev/null | awk -F': ' '{print $2}' | sed 's/@.*//' | grep -vx lo)"
  [ -z "$links" ]
}

# kip_netns_add_cards OUTER N: adds N cards (kipcard0 .. kipcardN-1,
# addresses 10.77.<i>.1/24) and brings loopback up, in the current namespace
# only if kip_netns_is_private OUTER holds.
kip_netns_add_cards() {
  local outer="$1" count="$2" i
  case "$count" in '' | *[!0-9]*) kip_netns_log "card count must be a number: '$count'"; return 2 ;; esac
  if ! kip_netns_is_private "$outer"; then
    kip_netns_log "refusing to add cards: this is not a fresh private network namespace"
    return 1
  fi
  ip link set lo up || return 1
  for ((i = 0; i < count; i++)); do
    ip link add "kipcard$i" type bridge || return 1
    ip addr add "10.77.$i.1/24" dev "kipcard$i" || return 1
    ip link set "kipcard$i" up || return 1
  done
}

# kip_netns_run N CMD [ARGS...]: runs CMD in a new private namespace holding
# N cards; returns CMD's status. The namespace ends with CMD's processes.
kip_netns_run() {
  local count="$1"
  shift
  if [ "$(id -u)" != 0 ]; then
    kip_netns_log "a private network namespace needs root"
    return 1
  fi
  local outer
  outer="$(readlink /proc/self/ns/net)" || return 1
  unshare --net -- bash -c '
    source "$1" || exit 1
    outer="$2"; count="$3"; shift 3
    kip_netns_add_cards "$outer" "$count" || exit 1
    exec "$@"' kip-netns "$KIP_NETNS_SCRIPT" "$outer" "$count" "$@"
}

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
  case "${1:-}" in
    run)
      if [ $# -lt 4 ] || [ "$3" != "--" ]; then
        echo "usage: $0 run N -- CMD [ARGS...]" >&2
        exit 2
      fi
      count="$2"
      shift 3
      kip_netns_run "$count" "$@"
      ;;
    *)
      echo "usage: $0 run N -- CMD [ARGS...]" >&2
      exit 2
      ;;
  esac
fi
