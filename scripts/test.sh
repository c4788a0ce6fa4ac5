#!/usr/bin/env bash
# Sets up, builds and runs every test: once in a normal build (GCC), whose Debian package is
# then built and checked; the Windows cross-build of the tool and its ZIP, whose dialog and
# whose tool against stand-in vendor drivers then run under Wine alongside the builds that
# follow (they mostly wait on Wine and the real-time board); once with clang under
# AddressSanitizer and UndefinedBehaviorSanitizer; once under ThreadSanitizer; then each fuzz
# target runs briefly. Each build is a preset of CMakePresets.json. Warnings are errors in
# every build here.
# Prints how long each stage took; fails when any test or build fails.
#
# Usage: scripts/test.sh [--quick]
#   --quick: the normal build and its tests alone, for the inner loop.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
quick=false
case "${1:-}" in
  "") ;;
  --quick) quick=true ;;
  *)
    echo "usage: scripts/test.sh [--quick]" >&2
    exit 2
    ;;
esac
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

# background_stage NAME COMMAND...: starts the command beside the stages that follow, its
# output kept in a log until finish_background_stages prints it.
background_dir="$root/build/test-background"
background_names=()
background_pids=()
background_stage() {
  local name="$1" index=${#background_names[@]}
  shift
  mkdir -p "$background_dir"
  echo "== $name: started, alongside the next stages"
  (
    start=$(date +%s)
    code=0
    "$@" || code=$?
    echo $(($(date +%s) - start)) > "$background_dir/$index.seconds"
    exit "$code"
  ) > "$background_dir/$index.log" 2>&1 &
  background_names+=("$name")
  background_pids+=($!)
}

# Waits for every background stage, prints its output and duration; fails if any failed.
finish_background_stages() {
  local index code failed=0
  for index in "${!background_pids[@]}"; do
    code=0
    wait "${background_pids[$index]}" || code=$?
    local name="${background_names[$index]}"
    local seconds
    seconds="$(cat "$background_dir/$index.seconds")"
    echo "== $name (alongside)"
    cat "$background_dir/$index.log"
    echo "== $name: $seconds s, exit code $code"
    timings+=("$(printf '%-28s %5d s (alongside)' "$name" "$seconds")")
    ((code == 0)) || failed=1
  done
  background_pids=()
  return "$failed"
}

# A stage that fails ends the run; the background stages and their processes end with it.
stop_background_stages() {
  local pid
  for pid in "${background_pids[@]}"; do
    pkill -TERM -P "$pid" 2> /dev/null || true
    kill "$pid" 2> /dev/null || true
  done
}
trap stop_background_stages EXIT

# build PRESET [CMAKE ARGS]
build() {
  "$root/scripts/setup.sh" "$@" -DVEXA_WERROR=ON
}

# run_tests PRESET
run_tests() {
  (cd "$root" && ctest --preset "$1" -j"$(nproc)")
}

print_timings() {
  echo "== Stage times"
  printf '%s\n' "${timings[@]}"
  echo "== Total: $SECONDS s"
  if command -v ccache > /dev/null; then
    echo "== Compiler cache (ccache), this run:"
    ccache --show-stats | grep -E '^ *(Hits|Misses):'
  fi
}

# Counts the compiler cache's hits and misses of this run alone.
if command -v ccache > /dev/null; then ccache --zero-stats > /dev/null; fi

stage "build (GCC)" build default
stage "tests (GCC)" run_tests default
if $quick; then
  print_timings
  exit 0
fi
stage "benchmark" "$root/build/bench/vexa_sim_update_bench"
stage "package (.deb)" "$root/scripts/check_packages.sh" deb "$root/build"

# The Windows build of the tool (vendor loaders included), so Windows-only code cannot rot.
stage "build (Windows cross)" build windows
stage "package (Windows ZIP)" "$root/scripts/check_packages.sh" zip "$root/build-windows"
# The Windows dialog under Wine, compared with the dialog model.
background_stage "Windows dialog (Wine)" \
  "$root/scripts/test_win32_dialog.sh" "$root/build" "$root/build-windows"
# The Windows tool under Wine against stand-in vendor drivers, installed as a user's would be.
background_stage "Wine (stand-in drivers)" "$root/tests/wine/run_standins.sh" "$root/build-windows"

# clang, so that a GCC-only construct cannot land, with AddressSanitizer and
# UndefinedBehaviorSanitizer; its sources compile one by one, so that a source lacking an
# include fails here.
stage "build (clang, ASan+UBSan)" build sanitize
stage "tests (clang, ASan+UBSan)" run_tests sanitize

# The worker thread against the front ends' polling; Qt itself is not instrumented.
stage "build (ThreadSanitizer)" build tsan
stage "tests (ThreadSanitizer)" run_tests tsan

# Each fuzz target for a short, fixed time on top of its corpus (the corpora also run as
# tests in every build above).
stage "fuzz (20 s per target)" "$root/scripts/fuzz.sh" 20

finish_background_stages
print_timings
