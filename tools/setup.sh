#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the demo need.
# Runs apt-get update only when something is actually missing.
set -euo pipefail

PACKAGES=(
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 cmake make googletest
  wine64 wine xvfb xauth x11-utils fonts-ipafont-gothic imagemagick iproute2 locales
  clang-14 libclang-rt-14-dev
)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
echo "setup: installing ${missing[*]}"
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
