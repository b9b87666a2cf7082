#!/usr/bin/env bash
# The numbers we quote: setup.exe's size, sections and imports, the number of test cases, and
# the test suite's wall-clock time on this machine. Builds first; run from anywhere.
# Start-up times come from scripts/bench.sh.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
cmake --preset mingw >/dev/null
cmake --build --preset mingw >/dev/null

exe=build/setup.exe
echo "setup.exe: $(stat -c %s "$exe") bytes"
i686-w64-mingw32-objdump -h "$exe" | grep -E '^ +[0-9]+ ' | while read -r _ name size _; do
  printf '  %-9s %6d bytes\n' "$name" $((16#$size))
done
python3 tests/imports/check_imports.py --list --objdump i686-w64-mingw32-objdump \
  --allowlist tests/imports/nt4_imports.txt "$exe"
i686-w64-mingw32-objdump -p "$exe" | grep -E "^(MajorSubsystemVersion|MinorSubsystemVersion|Subsystem)"

# Every CTest entry but the two that make and stop the Wine prefix: one per GoogleTest case,
# plus the checks on setup.exe itself.
cases=$(ctest --test-dir build -N | awk '/Test +#/ { print $3 }' | grep -c -v -E '^wine\.(prefix|stop)$')
echo "test cases: $cases"
start=$(date +%s.%N)
ctest --preset mingw >/tmp/measure-ctest.log 2>&1 || { tail -20 /tmp/measure-ctest.log; exit 1; }
end=$(date +%s.%N)
tail -3 /tmp/measure-ctest.log | head -1
awk -v s="$start" -v e="$end" 'BEGIN { printf "suite wall-clock time: %.1f s\n", e - s }'
