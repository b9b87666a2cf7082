#!/usr/bin/env bash
# The numbers we quote: setup.exe's size, sections and imports, the disk images' sizes, the
# number of test cases and each suite's wall-clock time on this machine (the i386 one only
# where the host runs 32-bit programs). Builds first; run from anywhere.
# Start-up times come from scripts/bench.sh.
# `measure.sh tune` instead builds setup.exe once for each processor the i386 code may be tuned
# for, in build-tune/, and prints its size and its code's.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
if [ "${1:-}" = tune ]; then
  for tune in i486 pentium pentiumpro generic; do
    cmake --preset mingw -B build-tune -DBUILD_TESTING=OFF -DLEAN_TUNE=$tune >/dev/null
    cmake --build build-tune --target setup >/dev/null
    text=$(i686-w64-mingw32-objdump -h build-tune/setup.exe | awk '$2 == ".text" { print $3 }')
    printf -- '-mtune=%-10s setup.exe %6d bytes, .text %5d bytes\n' $tune \
      "$(stat -c %s build-tune/setup.exe)" $((16#$text))
  done
  exit
fi
. scripts/host.sh
for preset in mingw mingw-x64; do
  cmake --preset $preset >/dev/null
  cmake --build --preset $preset >/dev/null
done

exe=build/setup.exe
echo "setup.exe: $(stat -c %s "$exe") bytes"
i686-w64-mingw32-objdump -h "$exe" | grep -E '^ +[0-9]+ ' | while read -r _ name size _; do
  printf '  %-9s %6d bytes\n' "$name" $((16#$size))
done
python3 tests/imports/check_imports.py --list --objdump i686-w64-mingw32-objdump \
  --allowlist tests/imports/nt4_imports.txt "$exe"
i686-w64-mingw32-objdump -p "$exe" |
  grep -E "^(Characteristics|MajorSubsystemVersion|MinorSubsystemVersion|Subsystem)"

for image in $(sed -n 's/^\(FLOPPY\|CD\)_IMAGE:INTERNAL=//p' build/CMakeCache.txt); do
  echo "$image: $(stat -c %s "$image") bytes"
done

# suite <name> <ctest arguments>: its CTest entries and its wall-clock time.
suite() {
  local name=$1 start end
  shift
  echo "$name: $(ctest "$@" -N | grep -c 'Test *#') CTest entries"
  start=$(date +%s.%N)
  ctest "$@" >/tmp/measure-ctest.log 2>&1 || { tail -20 /tmp/measure-ctest.log; exit 1; }
  end=$(date +%s.%N)
  grep "tests passed" /tmp/measure-ctest.log
  awk -v s="$start" -v e="$end" 'BEGIN { printf "  wall-clock time: %.1f s\n", e - s }'
}
suite "i386, checks of the file" --preset mingw -L static
if host_runs_i386; then
  suite "i386 under 32-bit Wine" --preset mingw -L wine
else
  echo "i386 under 32-bit Wine: $i386_not_run"
fi
suite "x86-64 under 64-bit Wine" --preset mingw-x64
