# Sourced by the run and test scripts: Wine settings, prefixes, Xvfb and the
# persistent wineserver. Everything lives under build/, never in ~/.wine, and
# every process started here is stopped by its pid or by its prefix.

KIP_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
KIP_BUILD="${KIP_BUILD:-$KIP_ROOT/build}"
KIP_WINE_DIR="$KIP_BUILD/wine"

export WINEARCH=win64
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d;winedbg.exe=d"

kip_log() { printf '[kip] %s\n' "$*" >&2; }

# Code page 932 and LCID 0x0411 for Wine. The Unix side needs the real
# ja_JP.UTF-8 locale too (built under build/locale when the system lacks
# it): without it Wine cannot create files with Japanese names and garbles
# Japanese command-line arguments.
source "$KIP_ROOT/tools/demo/locale.sh"
{ export LC_ALL=ja_JP.UTF-8; } 2>/dev/null

# Sets values a test or demo prefix needs: no window manager stalls, Japanese
# UI font, real (not symlinked) user folders.
kip_tune_prefix() {
  local prefix="$1"
  WINEPREFIX="$prefix" wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  WINEPREFIX="$prefix" wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d Y /f >/dev/null 2>&1
  local face
  for face in "MS UI Gothic" "MS Gothic" "MS PGothic" "Meiryo UI" "Yu Gothic UI"; do
    WINEPREFIX="$prefix" wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v "$face" /d IPAGothic /f >/dev/null 2>&1
  done
  local user_dir
  for user_dir in "$prefix"/drive_c/users/*/; do
    local folder
    for folder in Desktop Documents Downloads Music Pictures Videos Templates; do
      if [ -L "$user_dir$folder" ]; then rm -f "$user_dir$folder"; mkdir -p "$user_dir$folder"; fi
    done
  done
}

# Builds the template prefix once (about 10 s); later prefixes are copies.
kip_template_prefix() {
  local template="$KIP_WINE_DIR/template"
  if [ ! -f "$template/.kip-ready" ]; then
    kip_log "creating Wine template prefix"
    rm -rf "$template"
    mkdir -p "$KIP_WINE_DIR"
    WINEPREFIX="$template" wineboot -i >/dev/null 2>&1 || true
    kip_tune_prefix "$template"
    WINEPREFIX="$template" wineserver -w
    touch "$template/.kip-ready"
  fi
  printf '%s\n' "$template"
}

# kip_fresh_prefix DEST: a new prefix at DEST, copied from the template.
kip_fresh_prefix() {
  local dest="$1" template
  template="$(kip_template_prefix)"
  rm -rf "$dest"
  mkdir -p "$(dirname "$dest")"
  cp -a "$template" "$dest"
  rm -f "$dest/.kip-ready"
}

# Starts Xvfb on a free display unless a display is already usable
# (KIP_XVFB_SCREEN, e.g. 1920x1600x24, for a larger screen than 1280x1024).
# Sets DISPLAY and KIP_XVFB_PID (empty when no Xvfb was started).
kip_start_xvfb() {
  KIP_XVFB_PID=""
  if [ -n "${DISPLAY:-}" ] && [ -z "${KIP_FORCE_XVFB:-}" ] && xdpyinfo >/dev/null 2>&1; then
    return 0
  fi
  local fifo
  fifo="$(mktemp -u)"
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 "${KIP_XVFB_SCREEN:-1280x1024x24}" -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  KIP_XVFB_PID=$!
  local number
  read -r -t 20 number <"$fifo" || true
  rm -f "$fifo"
  if [ -z "$number" ]; then
    kip_log "Xvfb did not start"
    return 1
  fi
  export DISPLAY=":$number"
}

kip_stop_xvfb() {
  if [ -n "${KIP_XVFB_PID:-}" ]; then
    kill "$KIP_XVFB_PID" 2>/dev/null || true
    wait "$KIP_XVFB_PID" 2>/dev/null || true
    KIP_XVFB_PID=""
  fi
}

# One persistent wineserver for a whole run, so that each Wine program does
# not pay a cold start.
kip_start_wineserver() {
  local prefix="$1"
  WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
  WINEPREFIX="$prefix" wineserver -w 2>/dev/null || true
  WINEPREFIX="$prefix" wineserver -p
  WINEPREFIX="$prefix" wine wineboot >/dev/null 2>&1 || true
}

kip_stop_wineserver() {
  local prefix="$1"
  WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
}

# kip_use_stand_ins DIR: the program and the tests start the programs of
# Windows (netsh, net, arp, nbtstat, ipconfig, notepad) from DIR instead of
# the system folder. Needs WINEPREFIX (for the path as Windows sees it).
kip_use_stand_ins() {
  KIP_SYSTEM_DIR="$(winepath -w "$1" 2>/dev/null)"
  export KIP_SYSTEM_DIR
}
