#!/usr/bin/env bash
# Installs the cross compiler, 32-bit Wine with its own fonts (the pages are laid out for them)
# and the tools the build, the tests and the screenshots use.
# Safe to run again: it skips apt when everything is already there.
set -euo pipefail

packages=(cmake ninja-build g++-mingw-w64-i686 binutils-mingw-w64-i686 googletest
          wine wine32:i386 fonts-wine xvfb imagemagick python3)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
fi
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
