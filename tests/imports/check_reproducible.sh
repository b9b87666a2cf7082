#!/usr/bin/env bash
# Fails unless setup.exe and the disk images come out byte for byte the same when the sources
# sit in another folder and are built afresh there: nothing of the build's paths or time may
# get into them.
# Usage: check_reproducible.sh SOURCE_DIR BUILD_DIR FILE... (files in the mingw preset's build)
set -euo pipefail
src=$1
build=$2
shift 2

tmp=$(mktemp -d /tmp/setup-repro.XXXXXX)
trap 'rm -rf "$tmp"' EXIT
mkdir "$tmp/elsewhere"
tar -C "$src" --exclude=./.git --exclude='./build*' --exclude=./out -cf - . |
  tar -C "$tmp/elsewhere" -xf -
cd "$tmp/elsewhere"
cmake --preset mingw -DBUILD_TESTING=OFF >/dev/null
cmake --build --preset mingw --target setup images >/dev/null
for file in "$@"; do
  cmp "$file" "build/${file#"$build"/}"
  echo "${file#"$build"/} is the same from $tmp/elsewhere: $(stat -c %s "$file") bytes"
done
