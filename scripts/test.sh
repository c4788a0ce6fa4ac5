#!/usr/bin/env bash
# Sets up, builds and runs every test: once in a normal build (GCC), once under
# AddressSanitizer and UndefinedBehaviorSanitizer, once built with clang; then cross-builds the
# tool for Windows. Warnings are errors in every build here. Prints how long each stage took;
# fails when any test or build fails.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
timings=()

# stage NAME COMMAND...: runs the command and notes its duration.
stage() {
  local name="$1"
  shift
  local start=$SECONDS
  echo "== $name"
  "$@"
  timings+=("$(printf '%-28s %5d s' "$name" $((SECONDS - start)))")
  echo "== $name: $((SECONDS - start)) s"
}

build() {
  "$root/scripts/setup.sh" "$@" -DVEXA_WERROR=ON
}

run_tests() {
  ctest --test-dir "$1" --output-on-failure -j"$(nproc)"
}

stage "build (GCC)" build "$root/build"
stage "tests (GCC)" run_tests "$root/build"
stage "benchmark" "$root/build/bench/vexa_sim_update_bench"

stage "build (ASan+UBSan)" build "$root/build-sanitize" -DVEXA_SANITIZE=ON -DCMAKE_BUILD_TYPE=Debug
stage "tests (ASan+UBSan)" run_tests "$root/build-sanitize"

# clang as well, so that a GCC-only construct cannot land.
stage "build (clang)" env CC=clang CXX=clang++ "$root/scripts/setup.sh" "$root/build-clang" \
  -DVEXA_WERROR=ON -DCMAKE_BUILD_TYPE=Debug
stage "tests (clang)" run_tests "$root/build-clang"

# The Windows build of the tool (vendor loaders included), so Windows-only code cannot rot.
stage "build (Windows cross)" build "$root/build-windows" \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DCMAKE_BUILD_TYPE=RelWithDebInfo

# The Windows tool under Wine against stand-in vendor drivers, installed as a user's would be.
stage "Wine (stand-in drivers)" "$root/tests/wine/run_standins.sh" "$root/build-windows"

echo "== Stage times"
printf '%s\n' "${timings[@]}"
