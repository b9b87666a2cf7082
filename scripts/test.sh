#!/usr/bin/env bash
# Installs what the build needs, builds setup.exe and the tests, and runs every test under
# Wine in a private prefix (build/wineprefix), headless.
set -euo pipefail
cd "$(dirname "$0")/.."

./scripts/install-deps.sh
cmake --preset mingw >/dev/null
cmake --build --preset mingw
ctest --preset mingw "$@"
