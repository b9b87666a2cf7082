#!/usr/bin/env bash
# Installs the cross compilers (i386 for the shipped program, x86-64 for the test build), the
# 32-bit and the 64-bit Wine with Wine's own fonts (the pages are laid out for them) and the
# tools the build, the tests, the disk images and the screenshots use. The 32-bit Wine installs
# even where the host cannot run it; the scripts then call the 64-bit loader by its path.
# A Japanese locale lets one test run Wine with a double-byte ANSI code page (932).
# Safe to run again: it skips apt, and says nothing, when everything is already there.
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
log=$(mktemp /tmp/zl73-apt.XXXXXX)
trap 'rm -f "$log"' EXIT

# apt-get install, but only a plan that removes nothing: to satisfy one package the resolver
# may give up others, the 64-bit Wine among them. The plan, or what apt said, is left in $log.
install() {
  $SUDO apt-get install -s --no-install-recommends "$@" >"$log" 2>&1 || return 1
  ! grep -q '^Remv' "$log" || return 1
  $SUDO apt-get install -y -qq --no-install-recommends "$@" >"$log" 2>&1
}

# The 32-bit Wine needs each multi-arch library at the very version of its 64-bit twin. While a
# mirror lags, the security suite can have a newer 64-bit version and no i386 one yet; the
# release's own suite has both. So both architectures take the release's versions: -t for what
# is still to be installed, and for each installed 64-bit twin that the resolver names, its
# release version by name (the only way apt moves a package back). Fills pins.
pins=()
install_wine32_from_release() {
  local release native name have want
  release=$(. /etc/os-release && echo "$VERSION_CODENAME")
  native=$(dpkg --print-architecture)
  while ! install -t "$release" --allow-downgrades wine wine64 wine32:i386 "${pins[@]}"; do
    grep -q '^E:' "$log" || return 1
    local before=${#pins[@]}
    for name in $(grep -o '[a-z0-9][a-z0-9.+-]*:i386' "$log" | sort -u); do
      name=${name%:i386}
      have=$(dpkg-query -W -f='${db:Status-Abbrev}${Version}' "$name:$native" 2>/dev/null || :)
      want=$(apt-cache policy -t "$release" "$name:i386" | sed -n 's/^  Candidate: //p')
      [[ $have == "ii "* && $want != "" && $want != "(none)" && ${have#ii } != "$want" ]] ||
        continue
      [[ " ${pins[*]} " != *" $name:$native=$want "* ]] && pins+=("$name:$native=$want")
    done
    [ ${#pins[@]} -gt "$before" ] || return 1
  done
}

if [ ${#missing[@]} -ne 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  # A mirror caught mid-sync fails an index, and stays so for hours or days: one more try, then
  # on with the indexes apt has (the release's suite alone gives a 32-bit Wine).
  for try in 1 2; do
    $SUDO apt-get update -qq >"$log" 2>&1 || true
    grep -q '^E:' "$log" || break
    [ "$try" -eq 2 ] || { echo "apt-get update: $(grep -m1 '^E:' "$log"); once more"; sleep 5; }
  done
  if install "${missing[@]}"; then
    way="installed the missing packages (${#missing[@]}) at the mirror's newest versions"
  elif [[ " ${missing[*]} " == *" wine32:i386 "* ]]; then
    rest=()
    for p in "${missing[@]}"; do [ "$p" = wine32:i386 ] || rest+=("$p"); done
    if [ ${#rest[@]} -ne 0 ] && ! install "${rest[@]}"; then cat "$log" >&2; exit 1; fi
    if install_wine32_from_release; then
      # Named to move them back, the twins were marked as asked for: they are still only
      # dependencies, for apt to remove with what needs them.
      [ ${#pins[@]} -eq 0 ] || $SUDO apt-mark auto "${pins[@]%%=*}" >/dev/null
      way="the 32-bit Wine took the release's versions on both architectures"
      [ ${#pins[@]} -eq 0 ] || way+=", moving back ${pins[*]}"
    else
      removes=$(sed -n 's/^Remv \([^ ]*\).*/\1/p' "$log" | tr '\n' ' ')
      grep '^E:' "$log" >&2 || true
      way="the 32-bit Wine could not be installed${removes:+ (apt would remove ${removes% })}"
      way+=", not even at the release's versions; the x86-64 suite still runs"
    fi
  else
    cat "$log" >&2
    exit 1
  fi
  # Done only once both loaders start; the 32-bit one only where this host runs 32-bit
  # programs at all, which its i386 dynamic loader tells without starting Wine.
  starts() {
    "$1" --version >/dev/null 2>&1 || { echo "install-deps.sh: $1 does not start" >&2; exit 1; }
  }
  starts /usr/lib/wine/wine64
  if [ -e /usr/lib/wine/wine ] && /lib/ld-linux.so.2 --version >/dev/null 2>&1; then
    starts /usr/lib/wine/wine
  fi
  echo "install-deps.sh: $way"
fi

# Wine takes its code page from the locale, and names files through it, so it must exist.
locale -a | grep -qx ja_JP.utf8 || $SUDO localedef -i ja_JP -f UTF-8 ja_JP.UTF-8
