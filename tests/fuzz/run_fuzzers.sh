#!/usr/bin/env bash
# Builds every fuzz target (tests/fuzz/*_fuzz.cpp) with clang and the sanitizers in a build
# folder of its own, then runs each for a bounded time on a copy of its seed corpus
# (tests/fuzz/corpus/<target>/). Fails on any crash, hang, leak or sanitizer report.
#
#   run_fuzzers.sh [BUILD_DIR (build/fuzz) [SECONDS per target ($CORVANE_FUZZ_SECONDS or 20)]]
#
# A failing input is kept as BUILD_DIR/work/<target>/artifacts/crash-... (or timeout-,
# leak-); rerun it with: BUILD_DIR/tests/fuzz/<target> <that file>.
set -euo pipefail

src="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
fuzz_src="$src/tests/fuzz"
build="${1:-$src/build/fuzz}"
seconds="${2:-${CORVANE_FUZZ_SECONDS:-20}}"

targets=()
for source in "$fuzz_src"/*_fuzz.cpp; do targets+=("$(basename "$source" .cpp)"); done

# The libraries get coverage instrumentation and the sanitizers too, or the fuzzer would be
# blind inside them; only the fuzz targets link libFuzzer's main.
flags="-g -O1 -fno-omit-frame-pointer -fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all"
CC=clang CXX=clang++ cmake -S "$src" -B "$build" -G Ninja -Wno-dev \
  -DCORVANE_FUZZ=ON -DCORVANE_GUI=OFF -DCORVANE_TESTS=OFF -DCORVANE_BENCH=OFF \
  -DCMAKE_BUILD_TYPE=Debug "-DCMAKE_C_FLAGS=$flags" "-DCMAKE_CXX_FLAGS=$flags" >"$build.configure.log" 2>&1 ||
  { cat "$build.configure.log"; exit 1; }
cmake --build "$build" -j 2 --target "${targets[@]}"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:symbolize=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
failed=()
for target in "${targets[@]}"; do
  work="$build/work/$target"
  rm -rf "$work"
  mkdir -p "$work/corpus" "$work/artifacts"
  if [ -d "$fuzz_src/corpus/$target" ]; then
    cp -a "$fuzz_src/corpus/$target/." "$work/corpus/"
  fi
  echo "== $target: $seconds s on $(find "$work/corpus" -type f | wc -l) seed files"
  # -timeout: one input running longer than 10 s is a hang; -rss_limit_mb: runaway memory.
  if "$build/tests/fuzz/$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -max_len=65536 -print_final_stats=1 -artifact_prefix="$work/artifacts/" \
      "$work/corpus" >"$work/log.txt" 2>&1; then
    grep -E '^(stat::number_of_executed_units|stat::peak_rss_mb|Done )' "$work/log.txt" || true
  else
    echo "FAILED: $target (log: $work/log.txt)"
    tail -n 60 "$work/log.txt"
    failed+=("$target")
  fi
done

if [ ${#failed[@]} -ne 0 ]; then
  echo "fuzz targets that failed: ${failed[*]}"
  exit 1
fi
echo "all fuzz targets ran clean: ${targets[*]}"
