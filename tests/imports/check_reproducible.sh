#!/usr/bin/env bash
# Fails unless setup.exe comes out byte for byte the same when the sources sit in another
# folder and are built afresh there: nothing of the build's paths or time may get into it.
# Usage: check_reproducible.sh SOURCE_DIR SETUP_EXE (the one built with the mingw preset)
set -euo pipefail
src=$1
exe=$2

tmp=$(mktemp -d /tmp/setup-repro.XXXXXX)
trap 'rm -rf "$tmp"' EXIT
mkdir "$tmp/elsewhere"
tar -C "$src" --exclude=./.git --exclude='./build*' --exclude=./out -cf - . |
  tar -C "$tmp/elsewhere" -xf -
cd "$tmp/elsewhere"
cmake --preset mingw -DBUILD_TESTING=OFF >/dev/null
cmake --build --preset mingw --target setup >/dev/null
cmp "$exe" build/setup.exe
echo "setup.exe is the same from $tmp/elsewhere: $(stat -c %s "$exe") bytes"
