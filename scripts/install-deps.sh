#!/usr/bin/env bash
# Installs the cross compilers (i386 for the shipped program, x86-64 for the test build), the
# 32-bit and the 64-bit Wine with Wine's own fonts (the pages are laid out for them) and the
# tools the build, the tests, the disk images and the screenshots use. The 32-bit Wine installs
# even where the host cannot run it; the scripts then call the 64-bit loader by its path.
# A Japanese locale lets one test run Wine with a double-byte ANSI code page (932).
# Safe to run again: it skips apt when everything is already there.
set -euo pipefail

packages=(cmake ninja-build googletest python3 locales
          g++-mingw-w64-i686 binutils-mingw-w64-i686
          g++-mingw-w64-x86-64-win32 binutils-mingw-w64-x86-64
          wine wine32:i386 wine64 fonts-wine xvfb imagemagick mtools xorriso)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
if [ ${#missing[@]} -ne 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  # A mirror caught mid-sync fails an index now and then: try again before giving up.
  for try in 1 2 3 4 5; do
    $SUDO apt-get update -qq 2>&1 | tee /tmp/zl73-apt-update.log || true
    grep -q '^E:' /tmp/zl73-apt-update.log || break
    [ "$try" -eq 5 ] || { echo "apt-get update failed, trying again in 30 s"; sleep 30; }
  done
  if ! $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null; then
    # The 32-bit Wine needs its libraries at the very versions of the 64-bit ones, which a
    # mirror in the middle of a sync may not have yet. Without it the x86-64 suite still runs,
    # and test.sh says that the i386 one did not.
    echo "apt could not install everything; trying again without wine32:i386"
    rest=()
    for p in "${missing[@]}"; do [ "$p" = wine32:i386 ] || rest+=("$p"); done
    $SUDO apt-get install -y -qq --no-install-recommends "${rest[@]}" >/dev/null
  fi
fi

# Wine takes its code page from the locale, and names files through it, so it must exist.
locale -a | grep -qx ja_JP.utf8 || $SUDO localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
