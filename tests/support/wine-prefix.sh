#!/usr/bin/env bash
# Prepares the private Wine prefix of a test run (made once, headless) and keeps its
# server up while the tests run; "stop" ends that server.
set -euo pipefail
prefix=$1
export WINEPREFIX=$prefix WINEARCH=win32 WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

if [ "${2:-start}" = stop ]; then
  wineserver -k 2>/dev/null || true
  exit 0
fi

if [ ! -f "$prefix/.ready" ]; then
  rm -rf "$prefix"
  wineboot -i >/dev/null 2>&1
  # The null driver: dialogs and message boxes work, nothing is drawn, no X server needed.
  wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
  wineserver -w
  touch "$prefix/.ready"
fi
# Debian's Wine reads the fonts of fonts-wine only from the prefix, old prefixes included.
cp -u /usr/share/wine/fonts/* "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
# A persistent server makes each test program start in tens of milliseconds.
# Already up (a run by hand, an earlier fixture) is just as good.
wineserver -p </dev/null >/dev/null 2>&1 || true
