#!/usr/bin/env bash
# How setup.exe compares with the floor, a one-dialog C program built the same way: both
# sizes, and the median time from launch until the first window is visible under headless
# Wine (the tests' prefix), the two taking turns. Usage: bench.sh [RUNS] (7 by default).
# A benchmark, not a test: the figures depend on the machine.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
runs=${1:-7}

./scripts/install-deps.sh
. scripts/host.sh
if ! host_runs_i386; then
  echo "bench.sh times the shipped i386 programs under 32-bit Wine: $i386_not_run" >&2
  exit 1
fi
cmake --preset mingw >/dev/null
cmake --build --preset mingw --target media floor launch >/dev/null

# setup.exe runs from the media folder, beside its INF, as on a real disk.
floor=build/bench/floor.exe
setup=build/media/setup.exe
winpath() { echo "Z:$root/$1" | tr / '\\'; }

prefix=$root/build/wineprefix
export WINE=$wine32 WINELOADER=$wine32 WINEPREFIX=$prefix WINEARCH=win32 WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
tests/support/wine-prefix.sh "$prefix"
trap 'tests/support/wine-prefix.sh "$prefix" stop' EXIT

times=$("$wine32" build/bench/launch.exe "$runs" "$(winpath $floor)" "$(winpath $setup)")

echo "$times" | python3 -c '
import statistics, sys
floor, setup, runs = sys.argv[1], sys.argv[2], {}
for line in sys.stdin:
    path, ms = line.rsplit(None, 1)
    runs.setdefault(path.rsplit("\\", 1)[-1].lower(), []).append(float(ms))
sizes = {"floor.exe": int(floor), "setup.exe": int(setup)}
for name in ("floor.exe", "setup.exe"):
    t = runs[name]
    print("%-10s %8d bytes  median %6.1f ms of %d runs (%s)" % (name, sizes[name],
          statistics.median(t), len(t), " ".join("%.0f" % x for x in t)))
print("setup.exe / floor.exe: size %.2fx, start-up %.2fx" % (
    sizes["setup.exe"] / sizes["floor.exe"],
    statistics.median(runs["setup.exe"]) / statistics.median(runs["floor.exe"])))
' "$(stat -c %s $floor)" "$(stat -c %s $setup)"
