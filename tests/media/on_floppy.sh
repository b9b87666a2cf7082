#!/usr/bin/env bash
# Runs a command with ZL73_E2E_DISK naming a read-only folder that holds the files read back
# from the floppy image (SETUP_EXE, when not empty, in place of its setup.exe).
# Usage: on_floppy.sh IMAGE SETUP_EXE COMMAND...
set -uo pipefail
image=$1 exe=$2
shift 2
tmp=$(mktemp -d /tmp/zl73-floppy.XXXXXX)
trap 'chmod -R u+w "$tmp"; rm -rf "$tmp"' EXIT
"$(dirname "$0")/../support/read-floppy.sh" "$image" "$tmp/disk" "$exe" || exit 1
ZL73_E2E_DISK="Z:$(echo "$tmp/disk/" | tr / '\\')" "$@"
