#!/usr/bin/env bash
# Installs what the build needs, builds the shipped i386 setup.exe and the x86-64 test build,
# and runs every test: the shipped file's own checks, the i386 suite under 32-bit Wine where
# this host runs 32-bit programs, and the x86-64 suite under 64-bit Wine on every host. Each
# suite has its own Wine prefix under its build folder. Arguments go to every ctest run.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
. scripts/host.sh
for preset in mingw mingw-x64; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
done

summary=()
failed=0
# suite <what the line calls it> <ctest arguments>...
suite() {
  local name=$1 log counts
  shift
  log=$(mktemp /tmp/ctest.XXXXXX)
  ctest "$@" 2>&1 | tee "$log" || true
  counts=$(sed -n 's/.* \([0-9]*\) tests failed out of \([0-9]*\)$/\1 \2/p' "$log")
  rm -f "$log"
  if [ -z "$counts" ]; then
    summary+=("$name: no result, see above")
    failed=1
    return
  fi
  set -- $counts
  summary+=("$name: $(($2 - $1)) passed, $1 failed")
  [ "$1" -eq 0 ] || failed=1
}

suite "i386 setup.exe, checks of the file" --preset mingw -L static "$@"
if host_runs_i386; then
  suite "i386 under 32-bit Wine" --preset mingw -L wine "$@"
else
  summary+=("i386 under 32-bit Wine: $i386_not_run")
fi
suite "x86-64 under 64-bit Wine" --preset mingw-x64 "$@"

echo
printf '%s\n' "${summary[@]}"
exit $failed
