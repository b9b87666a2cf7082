#!/usr/bin/env bash
# Builds setup.exe and the installation disks, reads the floppy image back and runs the wizard
# from it as drive A: under Wine. With a display, the wizard opens in a window for you to use.
# Without one (a server, CI), it runs under Xvfb and the end-to-end robot takes it through an
# installation and an uninstallation, printing what each page and box showed and what the
# system then held. The shipped i386 setup.exe runs where the host runs 32-bit programs; else
# the x86-64 test build of the same sources takes its place on the disk, and this says so.
# With ZL73_E2E_DRIVE=A:, drive A: is a blank folder instead, on which the robot lays out each
# road's media from the floppy's files (scripts/screenshots.sh, for its error roads).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

./scripts/install-deps.sh
. scripts/host.sh
cmake --preset mingw >/dev/null
cmake --build --preset mingw
if host_runs_i386; then
  build=build wine=$wine32 arch=win32 program=""
  shown="the i386 setup.exe, as shipped"
else
  cmake --preset mingw-x64 >/dev/null
  cmake --build --preset mingw-x64
  build=build-x64 wine=$wine64 arch=win64 program=$root/build-x64/setup.exe
  shown="the x86-64 test build of setup.exe in place of the i386 one (i386: $i386_not_run)"
fi
floppy=$(sed -n 's/^FLOPPY_IMAGE:INTERNAL=//p' build/CMakeCache.txt)

# A prefix of its own, with Wine's normal (X11) graphics driver, reporting NT 4.0 SP6a.
prefix=$root/$build/wineprefix-desktop
WINE=$wine WINEARCH=$arch tests/support/wine-prefix.sh "$prefix" desktop
export WINE=$wine WINELOADER=$wine WINEPREFIX=$prefix WINEARCH=$arch
export WINEDLLOVERRIDES="mscoree,mshtml=" WINEDEBUG=${WINEDEBUG:--all}

disk=$root/$build/floppy
tests/support/read-floppy.sh "$floppy" "$disk" "$program"
if [ -n "${ZL73_E2E_DRIVE:-}" ]; then
  rm -rf "$root/$build/drive-a" && mkdir "$root/$build/drive-a"
  ln -sfn "$root/$build/drive-a" "$prefix/dosdevices/a:"
  export ZL73_E2E_DISK="Z:$(echo "$disk/" | tr / '\\')"
  echo "Drive A: is blank; the robot lays out media from the files of $floppy."
else
  ln -sfn "$disk" "$prefix/dosdevices/a:"
  export ZL73_E2E_DISK='A:\'
  echo "Drive A: holds the files of $floppy."
fi
echo "The wizard is $shown."

if [ -n "${DISPLAY:-}" ] && [ -z "${CI:-}" ]; then
  echo 'Running A:\setup.exe'
  exec "$wine" 'A:\setup.exe'
fi

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'wineserver -k 2>/dev/null || true; kill $xvfb 2>/dev/null || true' EXIT
export DISPLAY=$display
sleep 1

echo "No display: the robot runs the wizard under Xvfb ($display)."
export ZL73_E2E_NARRATE=1 WINEDEBUG=-all,fixme+setupapi,warn+debugstr
tests/support/wine-run.sh "$build/tests/e2e/e2e_tests.exe" \
  --gtest_filter="${ZL73_E2E_FILTER:-Wizard.InstallsThenUninstalls}"
