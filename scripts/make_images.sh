#!/usr/bin/env bash
# Makes the installation disks from the media folder's files: a 1.44 MB floppy image (FAT12)
# and a CD image (ISO 9660 with Joliet, so names keep their letter case). The same files give
# the same bytes: fixed serial number, every date the given time, files in name order.
# Usage: make_images.sh MEDIA_DIR FLOPPY_IMAGE CD_IMAGE DISK_NAME EPOCH
# Fails, writing neither image, when a name is not one NT4 sees as it is (8.3, one letter case
# per part) or when the files do not fit the floppy.
set -euo pipefail
media=$1 floppy=$2 cd=$3 name=$4 epoch=$5

tmp=$(mktemp -d /tmp/zl73-images.XXXXXX)
trap 'rm -rf "$tmp"' EXIT
mkdir "$tmp/files"

# An 8.3 name in one case per part needs no long name entry: NT4 shows it as it is.
lower='[a-z0-9_-]' upper='[A-Z0-9_-]'
short="^($lower{1,8}|$upper{1,8})(\.($lower{1,3}|$upper{1,3}))?$"
clusters=0
files=()
while IFS= read -r file; do
  if ! [[ $file =~ $short ]]; then
    echo "make_images.sh: '$file' is not an 8.3 name in one letter case" >&2
    exit 1
  fi
  cp "$media/$file" "$tmp/files/"
  files+=("$tmp/files/$file")
  # A floppy's cluster is one 512-byte sector.
  clusters=$((clusters + ($(stat -c %s "$media/$file") + 511) / 512))
done < <(cd "$media" && find . -maxdepth 1 -type f -printf '%f\n' | LC_ALL=C sort)
# 2,847 clusters of data on a 1.44 MB floppy.
if [ $clusters -gt 2847 ]; then
  echo "make_images.sh: the media in $media needs $((clusters * 512)) bytes;" \
       "a 1.44 MB floppy holds 1,457,664" >&2
  exit 1
fi
touch -d "@$epoch" "$tmp/files" "$tmp/files"/*

export SOURCE_DATE_EPOCH=$epoch TZ=UTC
name=$(echo "$name" | tr '[:lower:]' '[:upper:]')
# FAT allows an 11-character label; the serial number is the ASCII of "ZL73". The files go on
# in name order.
mformat -i "$tmp/floppy" -C -f 1440 -v "$(echo "${name:0:11}" | sed 's/ *$//')" -N 5a4c3733 ::
mcopy -i "$tmp/floppy" -m "${files[@]}" ::

# ISO 9660 level 1 names (8.3, in capitals) for any reader, Joliet names beside them.
xorriso -as mkisofs -quiet -o "$tmp/cd" -V "$name" -iso-level 1 -J "$tmp/files" 2>&1 |
  grep -v -E "^xorriso [0-9.]+ :|SOURCE_DATE_EPOCH|^$" >&2 || true
[ -s "$tmp/cd" ] || { echo "make_images.sh: xorriso wrote no CD image" >&2; exit 1; }

mv "$tmp/floppy" "$floppy"
mv "$tmp/cd" "$cd"
