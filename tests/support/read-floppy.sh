#!/usr/bin/env bash
# Reads the files of a floppy image into DIR, as a machine reading the disk sees them, and
# leaves DIR unwritable, as a write-protected disk is. The files keep the attributes they have
# on the disk (none read-only): write protection does not mark files read-only, and Wine's
# setup API would carry such a mark over into the drivers folder. With SETUP_EXE, that program
# takes the place of the disk's setup.exe (the x86-64 test build, where the i386 one cannot run).
# Usage: read-floppy.sh IMAGE DIR [SETUP_EXE]
set -euo pipefail
image=$1 dir=$2 exe=${3:-}
[ -f "$image" ] || { echo "read-floppy.sh: no floppy image $image (i386 build's)" >&2; exit 1; }
[ ! -d "$dir" ] || { chmod -R u+w "$dir"; rm -rf "$dir"; }
mkdir -p "$dir"
mcopy -i "$image" -m '::*' "$dir/"
[ -z "$exe" ] || cp "$exe" "$dir/setup.exe"
chmod a-w "$dir"
