#!/bin/sh
# Runs a Windows test program under Wine. Its output goes through a file, not straight to
# CTest: Wine's helper processes inherit the program's output handles and outlive it, and
# CTest would wait for them. The program can read the file (Wine's debug lines included)
# through WINE_RUN_LOG, a Windows path. WINE names Wine's loader (default: Debian's wrapper).
log=$(mktemp /tmp/wine-run.XXXXXX)
export WINE_RUN_LOG="Z:$(echo "$log" | tr / '\\')"
for try in 1 2; do
  "${WINE:-wine}" "$@" >"$log" 2>&1
  rc=$?
  # GoogleTest always prints its banner: a failure with no output never started the program.
  [ $rc -ne 0 ] && [ ! -s "$log" ] || break
  echo "Wine could not start the test program (status $rc)$([ $try = 2 ] || echo ', once more')"
done
cat "$log"
rm -f "$log"
exit $rc
