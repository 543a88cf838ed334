#!/usr/bin/env bash
# Builds the libFuzzer targets with clang (AddressSanitizer + UndefinedBehaviorSanitizer) and runs
# each for the given number of seconds (default 10) from its seed corpus in fuzz/corpus/, with
# fuzz/<target>.dict as its dictionary where there is one.
#   scripts/fuzz.sh [seconds] [target...]
set -euo pipefail
cd "$(dirname "$0")/.."

seconds=${1:-10}
shift || true

bash scripts/install-deps.sh
CC=clang-14 CXX=clang++-14 cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DXINGFAN_FUZZ=ON -DXINGFAN_BUILD_TESTS=OFF -DXINGFAN_BUILD_BENCH=OFF >/dev/null

if [ $# -gt 0 ]; then
  targets=("$@")
else
  mapfile -t targets < <(sed -n 's/^xingfan_add_fuzzer(\([a-z_]*\).*/\1/p' fuzz/CMakeLists.txt)
fi
cmake --build build-fuzz --target "${targets[@]}"

export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
mkdir -p build-fuzz/findings
for target in "${targets[@]}"; do
  work=$(mktemp -d)
  log=build-fuzz/$target.log
  echo "== $target: ${seconds}s"
  status=0
  dict=()
  [ -f "fuzz/$target.dict" ] && dict=(-dict="fuzz/$target.dict")
  "build-fuzz/fuzz/$target" "${dict[@]}" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=4096 -print_final_stats=1 \
    -artifact_prefix="build-fuzz/findings/$target-" "$work" "fuzz/corpus/$target" >"$log" 2>&1 || status=$?
  rm -rf "$work"
  grep -E '^stat::number_of_executed_units' "$log" || true
  if [ "$status" -ne 0 ]; then
    tail -40 "$log" >&2
    echo "fuzz: $target found a fault (exit $status); inputs in build-fuzz/findings/" >&2
    exit 1
  fi
done
echo "fuzz: ${#targets[@]} passed, 0 failed"
