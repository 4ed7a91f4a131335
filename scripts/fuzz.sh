#!/usr/bin/env bash
# Runs the libFuzzer targets (the update checker's parsers, the online video page rules) for
# SECONDS each (default 60):
#   scripts/fuzz.sh [--no-build] [SECONDS] [TARGET...]      targets: version version_list online_video
# The targets are built by clang into build/fuzz (the test suite runs each for 10 s). Inputs
# that find new paths go to build/fuzz/corpus/TARGET, crashes to build/fuzz/crash-TARGET-*;
# the seeds in tests/fuzz/corpus stay as they are.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
fuzz="${VISTREL_FUZZ_BUILD_DIR:-$root/build/fuzz}"
if [[ "${1:-}" == --no-build ]]; then
  shift
else
  [[ -f "$root/build/build.ninja" ]] || cmake -S "$root" -B "$root/build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
  cmake --build "$root/build" --target vistrel_fuzz
fi
seconds="${1:-60}"
[[ $# -gt 0 ]] && shift
targets=("$@")
[[ ${#targets[@]} -gt 0 ]] || targets=(version version_list online_video)
for target in "${targets[@]}"; do
  mkdir -p "$fuzz/corpus/$target"
  "$fuzz/fuzz_$target" -max_total_time="$seconds" -print_final_stats=1 -artifact_prefix="$fuzz/crash-$target-" \
    "$fuzz/corpus/$target" "$root/tests/fuzz/corpus/$target"
done
