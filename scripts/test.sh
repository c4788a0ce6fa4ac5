#!/usr/bin/env bash
# Sets up, builds and runs every test: once in a normal build and once under
# AddressSanitizer and UndefinedBehaviorSanitizer. Fails when any test fails.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

"$root/scripts/setup.sh" "$root/build"
ctest --test-dir "$root/build" --output-on-failure -j"$(nproc)"

"$root/scripts/setup.sh" "$root/build-sanitize" -DVEXA_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
ctest --test-dir "$root/build-sanitize" --output-on-failure -j"$(nproc)"
