#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, AddressSanitizer and UndefinedBehaviorSanitizer) in
# build-fuzz/ and runs each for SECONDS (default 20), one per core at a time, on top of its
# checked-in corpus in tests/fuzz/corpus/. New inputs go to build-fuzz/corpus/, so the
# checked-in corpus changes only by hand; a crash, a hang (no answer within 10 s) or a leak
# leaves its input in build-fuzz/artifacts/ and fails the script after every target has run.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
seconds="${1:-20}"
build_dir="$root/build-fuzz"

# Only the fuzzers are built here (the "fuzz" preset); scripts/setup.sh installs the packages
# they need.
(cd "$root" && cmake --preset fuzz -DVEXA_WERROR=ON "${@:2}" > /dev/null &&
  cmake --build --preset fuzz -j"$(nproc)" --target vexa_fuzzers)

# The config target writes every input to a file in the temporary folder; on a disk mounted
# with discard each rewrite waits for the trim of the blocks it frees, twenty times slower
# than in memory, so a tmpfs is used when the caller names no folder.
if [[ -z "${TMPDIR:-}" && -d /dev/shm && -w /dev/shm ]]; then
  export TMPDIR=/dev/shm
fi

# run_target NAME: fuzzes one target on top of its corpus; its output goes to its log file.
run_target() {
  local name="$1"
  local scratch="$build_dir/corpus/$name" artifacts="$build_dir/artifacts/$name"
  mkdir -p "$scratch" "$artifacts"
  "$build_dir/tests/fuzz/vexa_fuzz_$name" -max_total_time="$seconds" -timeout=10 \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$artifacts/" \
    "$scratch" "$root/tests/fuzz/corpus/$name" > "$logs/$name.txt" 2>&1
}

# Each fuzzer runs on one core, so as many run at once as there are cores; each one's output
# is printed whole once it ends.
logs="$build_dir/logs"
mkdir -p "$logs"
declare -A job_of=()
failed=()

# wait_one: waits for a running fuzzer to end, prints its output and notes its failure.
wait_one() {
  local ended code=0
  wait -n -p ended "${!job_of[@]}" || code=$?
  local name="${job_of[$ended]}"
  unset "job_of[$ended]"
  echo "== fuzz $name: ${seconds} s"
  cat "$logs/$name.txt"
  ((code == 0)) || failed+=("$name")
}

for corpus in "$root"/tests/fuzz/corpus/*/; do
  while ((${#job_of[@]} >= $(nproc))); do wait_one; done
  run_target "$(basename "$corpus")" &
  job_of[$!]="$(basename "$corpus")"
done
while ((${#job_of[@]} > 0)); do wait_one; done

if ((${#failed[@]})); then
  echo "fuzzing found faults in: ${failed[*]} (inputs in $build_dir/artifacts/)" >&2
  exit 1
fi
