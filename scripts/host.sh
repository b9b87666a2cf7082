# Sourced by the scripts that run Windows programs: which Wine runs which build here.
# The i386 build (the shipped setup.exe) needs the 32-bit Wine, so a host that runs 32-bit
# programs; the x86-64 test build runs under the 64-bit Wine on any x86-64 host. Whether this
# host runs 32-bit programs is found out once, here, by starting the 32-bit loader.
# ZL73_X64_ONLY=1 answers no without trying, to check the x86-64-only way on any host.
wine32=/usr/lib/wine/wine
wine64=/usr/lib/wine/wine64
if [ "${ZL73_X64_ONLY:-}" = 1 ]; then
  i386_not_run="not run, ZL73_X64_ONLY=1 asks for the x86-64 build only"
elif [ ! -e "$wine32" ]; then
  i386_not_run="not run, the 32-bit Wine is not installed ($wine32 is missing)"
elif ! "$wine32" --version >/dev/null 2>&1; then
  i386_not_run="not run, this host cannot run 32-bit programs ($wine32 does not start)"
else
  i386_not_run=""
fi

host_runs_i386() { [ -z "$i386_not_run" ]; }
