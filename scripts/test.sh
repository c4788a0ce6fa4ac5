#!/usr/bin/env bash
# Sets up, builds and runs every test: once in a normal build and once under
# AddressSanitizer and UndefinedBehaviorSanitizer; then cross-builds the tool for Windows.
# Fails when any test or build fails.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

"$root/scripts/setup.sh" "$root/build"
ctest --test-dir "$root/build" --output-on-failure -j"$(nproc)"
"$root/build/bench/vexa_sim_update_bench"

"$root/scripts/setup.sh" "$root/build-sanitize" -DVEXA_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
ctest --test-dir "$root/build-sanitize" --output-on-failure -j"$(nproc)"

# The Windows build of the tool (vendor loaders included), so Windows-only code cannot rot.
"$root/scripts/setup.sh" "$root/build-windows" \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DCMAKE_BUILD_TYPE=RelWithDebInfo
