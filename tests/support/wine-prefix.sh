#!/usr/bin/env bash
# Makes a private Wine prefix (once) that reports Windows NT 4.0 SP6a, the platform the
# program is for, and checks that it does. WINE names Wine's loader and WINEARCH the prefix's
# kind (default: the 32-bit loader, win32).
#   wine-prefix.sh <prefix>            the tests' prefix: null graphics driver, server kept up
#   wine-prefix.sh <prefix> stop       ends that server
#   wine-prefix.sh <prefix> desktop    the wizard's prefix: Wine's X11 driver, no server kept
set -euo pipefail
prefix=$1
mode=${2:-start}
wine=${WINE:-/usr/lib/wine/wine}
export WINEPREFIX=$prefix WINEARCH=${WINEARCH:-win32} WINELOADER=$wine WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

[ "$mode" != stop ] || { wineserver -k 2>/dev/null || true; exit 0; }

# Says what failed and why, never nothing, with the last Wine call's output and messages.
fail() {
  echo "Wine prefix $prefix ($WINEARCH): $1" >&2
  cat "$prefix.out" "$prefix.log" | sed 's/^/    /' >&2
  grep -q "Exec format error" "$prefix.log" && echo "This host cannot run 32-bit programs." >&2
  exit 1
}
# Runs Wine with the arguments, its output in $prefix.out and its messages in $prefix.log: a
# loader that cannot start is the common failure.
run() { "$wine" "$@" >"$prefix.out" 2>"$prefix.log" || fail "wine $* failed"; }
run --version

# What the marker holds: a prefix marked otherwise (an older build's) is brought up to date.
stamp="nt40"
if [ ! -f "$prefix/.ready" ]; then
  rm -rf "$prefix"
  run wineboot -i
  if [ "$mode" = desktop ]; then
    # Xvfb has no window manager: Wine then draws the title bars itself.
    run reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
  else
    # The null driver: dialogs and message boxes work, nothing is drawn, no X server needed.
    run reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f
  fi
fi
if [ "$(cat "$prefix/.ready" 2>/dev/null)" != "$stamp" ]; then
  # What winecfg -v nt40 writes; winecfg refuses NT 4.0 in a 64-bit prefix.
  run reg add 'HKCU\Software\Wine' /v Version /d nt40 /f
  wineserver -w
  echo "$stamp" >"$prefix/.ready"
fi
# Debian's Wine reads the fonts of fonts-wine only from the prefix, old prefixes included.
cp -u /usr/share/wine/fonts/* "$prefix/drive_c/windows/Fonts/" 2>/dev/null || true

# Tests: a persistent server makes each test program start in tens of milliseconds. Already
# up (a run by hand, an earlier fixture) is just as good.
[ "$mode" = desktop ] || wineserver -p </dev/null >/dev/null 2>&1 || true

# GetVersionEx as every program in the prefix sees it: 4.0, build 1381.
run cmd /c ver
version=$(tr -d '\r' <"$prefix.out" | grep -o '[0-9][0-9.]*' | head -n 1)
[ "$version" = "4.0.1381" ] || fail "reports Windows $version, not NT 4.0 (4.0.1381)"
rm -f "$prefix.out" "$prefix.log"
