#!/usr/bin/env bash
# Makes a private Wine prefix (once) that reports Windows NT 4.0 SP6a, the platform the
# program is for, and checks that it does.
#   wine-prefix.sh <prefix>            the tests' prefix: null graphics driver, server kept up
#   wine-prefix.sh <prefix> stop       ends that server
#   wine-prefix.sh <prefix> desktop    the wizard's prefix: Wine's X11 driver, no server kept
set -euo pipefail
prefix=$1
mode=${2:-start}
export WINEPREFIX=$prefix WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

if [ "$mode" = stop ]; then
  wineserver -k 2>/dev/null || true
  exit 0
fi

# What the marker holds: a prefix marked otherwise (an older build's) is brought up to date.
stamp="nt40"
if [ ! -f "$prefix/.ready" ]; then
  rm -rf "$prefix"
  wineboot -i >/dev/null 2>&1
  if [ "$mode" = desktop ]; then
    # Xvfb has no window manager: Wine then draws the title bars itself.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  else
    # The null driver: dialogs and message boxes work, nothing is drawn, no X server needed.
    wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
  fi
fi
if [ "$(cat "$prefix/.ready" 2>/dev/null)" != "$stamp" ]; then
  wine winecfg -v nt40 >/dev/null 2>&1
  wineserver -w
  echo "$stamp" >"$prefix/.ready"
fi
# Debian's Wine reads the fonts of fonts-wine only from the prefix, old prefixes included.
cp -u /usr/share/wine/fonts/* "$prefix/drive_c/windows/Fonts/" 2>/dev/null || true

if [ "$mode" != desktop ]; then
  # A persistent server makes each test program start in tens of milliseconds.
  # Already up (a run by hand, an earlier fixture) is just as good.
  wineserver -p </dev/null >/dev/null 2>&1 || true
fi

# GetVersionEx as every program in the prefix sees it: 4.0, build 1381.
version=$(wine cmd /c ver 2>/dev/null | tr -d '\r' | grep -o '[0-9][0-9.]*' | head -n 1)
if [ "$version" != "4.0.1381" ]; then
  echo "Wine prefix $prefix reports Windows $version, not NT 4.0 (4.0.1381)" >&2
  exit 1
fi
