#!/usr/bin/env bash
# Installs the cross compilers (i386 for the shipped program, x86-64 for the test build), the
# 32-bit and the 64-bit Wine with Wine's own fonts (the pages are laid out for them) and the
# tools the build, the tests, the disk images and the screenshots use. The 32-bit Wine installs
# even where the host cannot run it; the scripts then call the 64-bit loader by its path.
# Safe to run again: it skips apt when everything is already there.
set -euo pipefail

packages=(cmake ninja-build googletest python3
          g++-mingw-w64-i686 binutils-mingw-w64-i686
          g++-mingw-w64-x86-64-win32 binutils-mingw-w64-x86-64
          wine wine32:i386 wine64 fonts-wine xvfb imagemagick mtools xorriso)

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
