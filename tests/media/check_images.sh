#!/usr/bin/env bash
# Fails unless each disk image, read back with the tools that made it, gives exactly the media
# folder's files, byte for byte, under 8.3 names and nothing else; and unless media that no
# longer fit a floppy stop the build instead of making a bad disk.
# Usage: check_images.sh MEDIA_DIR FLOPPY_IMAGE CD_IMAGE MAKE_IMAGES_SH
set -euo pipefail
media=$1 floppy=$2 cd=$3 make=$4
tmp=$(mktemp -d /tmp/zl73-images.XXXXXX)
trap 'chmod -R u+w "$tmp"; rm -rf "$tmp"' EXIT
status=0
fail() { echo "FAIL: $*" >&2; status=1; }

size=$(stat -c %s "$floppy")
[ "$size" -eq 1474560 ] || fail "the floppy image has $size bytes, not 1,474,560"
"$(dirname "$0")/../support/read-floppy.sh" "$floppy" "$tmp/floppy"
diff -r "$media" "$tmp/floppy" || fail "the floppy's files differ from $media"

# The CD as NT4 reads it: the Joliet names, and the plain ISO 9660 names in capitals beside.
xorriso -osirrox on -indev "$cd" -extract / "$tmp/cd" 2>/dev/null
diff -r "$media" "$tmp/cd" || fail "the CD's Joliet files differ from $media"
iso_names=$(xorriso -read_fs ecma119 -indev "$cd" -find / -type f 2>/dev/null | tr -d "'/")
expected=$(cd "$media" && ls | tr '[:lower:]' '[:upper:]' | LC_ALL=C sort)
[ "$(echo "$iso_names" | LC_ALL=C sort)" = "$expected" ] ||
  fail "the CD's ISO 9660 names are $(echo $iso_names), not $(echo $expected)"

for name in $(ls "$tmp/floppy") $(echo "$iso_names"); do
  [[ $name =~ ^[^.]{1,8}(\.[^.]{1,3})?$ ]] || fail "'$name' is longer than 8.3"
done

mkdir "$tmp/big"
cp "$media"/* "$tmp/big/"
head -c 1450000 /dev/zero >"$tmp/big/filler.bin"
if "$make" "$tmp/big" "$tmp/big.img" "$tmp/big.iso" "ZL73 Driver Disk" 0 2>"$tmp/big.err"; then
  fail "media of $(du -b -s "$tmp/big" | cut -f1) bytes made a floppy image"
fi
grep -q "a 1.44 MB floppy holds" "$tmp/big.err" || fail "no reason given: $(cat "$tmp/big.err")"
[ ! -e "$tmp/big.img" ] || fail "a floppy image was left behind"

[ $status -eq 0 ] && echo "Both images hold exactly the $(ls "$media" | wc -l) files of $media"
exit $status
