#!/usr/bin/env bash
# Sets up, builds and runs every test: once in a normal build (GCC), whose Debian package is
# then built and checked; once under AddressSanitizer and UndefinedBehaviorSanitizer; once under
# ThreadSanitizer; once built with clang; then each fuzz target runs briefly; then cross-builds
# the tool for Windows, checks its ZIP, and runs its dialog and the tool against stand-in vendor
# drivers under Wine. Each build is a preset of CMakePresets.json. Warnings are errors in every
# build here.
# Prints how long each stage took; fails when any test or build fails.
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

# build PRESET [CMAKE ARGS]
build() {
  "$root/scripts/setup.sh" "$@" -DVEXA_WERROR=ON
}

# run_tests PRESET
run_tests() {
  (cd "$root" && ctest --preset "$1" -j"$(nproc)")
}

stage "build (GCC)" build default
stage "tests (GCC)" run_tests default
stage "benchmark" "$root/build/bench/vexa_sim_update_bench"
stage "package (.deb)" "$root/scripts/check_packages.sh" deb "$root/build"

stage "build (ASan+UBSan)" build sanitize
stage "tests (ASan+UBSan)" run_tests sanitize

# The worker thread against the front ends' polling; Qt itself is not instrumented.
stage "build (ThreadSanitizer)" build tsan
stage "tests (ThreadSanitizer)" run_tests tsan

# clang as well, so that a GCC-only construct cannot land.
stage "build (clang)" build clang
stage "tests (clang)" run_tests clang

# Each fuzz target for a short, fixed time on top of its corpus (the corpora also run as
# tests in every build above).
stage "fuzz (20 s per target)" "$root/scripts/fuzz.sh" 20

# The Windows build of the tool (vendor loaders included), so Windows-only code cannot rot.
stage "build (Windows cross)" build windows
stage "package (Windows ZIP)" "$root/scripts/check_packages.sh" zip "$root/build-windows"
# The Windows dialog under Wine, compared with the dialog model.
stage "Windows dialog (Wine)" "$root/scripts/test_win32_dialog.sh" "$root/build" "$root/build-windows"

# The Windows tool under Wine against stand-in vendor drivers, installed as a user's would be.
stage "Wine (stand-in drivers)" "$root/tests/wine/run_standins.sh" "$root/build-windows"

echo "== Stage times"
printf '%s\n' "${timings[@]}"
