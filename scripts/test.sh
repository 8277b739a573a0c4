#!/usr/bin/env bash
# Builds and runs every test: the core natively with g++ (ASan, UBSan) and with clang, then
# the Windows build and its tests under Wine on a private Xvfb display and Wine prefix.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
. scripts/wine-env.sh
jobs=$(nproc)

# The shipped product is the 32-bit build; keep it building where the tests ran another one.
if [ "$QUELLIX_PRESET" != windows ]; then
  echo "=== windows (i686: built, not run: this kernel cannot run 32-bit code)"
  cmake --preset windows >/dev/null
  cmake --build --preset windows -j "$jobs"
fi

for preset in native native-clang "$QUELLIX_PRESET"; do
  echo "=== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
  ctest --preset "$preset" -j "$jobs"
done
