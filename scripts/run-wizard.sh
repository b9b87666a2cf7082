#!/usr/bin/env bash
# Builds setup.exe, lays out the sample installation media in build/media and runs the wizard
# on it under Wine. With a display, the wizard opens in a window for you to use. Without one
# (a server, CI), it runs under Xvfb and the end-to-end robot takes it through an installation
# and an uninstallation, printing what each page and box showed and what the system then held.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

./scripts/install-deps.sh
cmake --preset mingw >/dev/null
cmake --build --preset mingw

# A prefix of its own, with Wine's normal (X11) graphics driver, reporting NT 4.0 SP6a.
tests/support/wine-prefix.sh "$root/build/wineprefix-desktop" desktop
export WINEPREFIX=$root/build/wineprefix-desktop WINEARCH=win32 WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG=${WINEDEBUG:--all}

if [ -n "${DISPLAY:-}" ] && [ -z "${CI:-}" ]; then
  echo "Running build/media/setup.exe"
  cd build/media
  exec wine setup.exe
fi

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'wineserver -k 2>/dev/null || true; kill $xvfb 2>/dev/null || true' EXIT
export DISPLAY=$display
sleep 1

echo "No display: the robot runs the wizard on the sample media under Xvfb ($display)."
export ZL73_E2E_NARRATE=1 WINEDEBUG=-all,fixme+setupapi,warn+debugstr
tests/support/wine-run.sh build/tests/e2e/e2e_tests.exe \
  --gtest_filter="${ZL73_E2E_FILTER:-Wizard.InstallsThenUninstalls}"
