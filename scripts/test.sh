#!/usr/bin/env bash
# Installs, builds and runs every test: once in a normal build, once with AddressSanitizer and
# UndefinedBehaviorSanitizer, and the tests that start HTTP workers once more under
# ThreadSanitizer, then each libFuzzer target for a few seconds. Fails on any failing test,
# sanitizer finding or fuzzing finding.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

export QT_QPA_PLATFORM=offscreen
export QTWEBENGINE_DISABLE_SANDBOX=1
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1
export LSAN_OPTIONS=suppressions=$root/tests/sanitizers/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
export TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1:suppressions=$root/tests/sanitizers/tsan.supp

# run_suite <flavour> [build target] [ctest arguments...]
run_suite() {
  local flavour=$1 target=$2; shift 2
  echo "== $flavour build"
  bash scripts/build.sh "$flavour" $target
  local dir
  case "$flavour" in release) dir=build ;; *) dir=build-$flavour ;; esac
  echo "== $flavour tests"
  ctest --test-dir "$dir" --output-on-failure --timeout 600 "$@"
}

run_suite release ""
run_suite asan ""
run_suite tsan threads_tests -L threads
echo "== fuzzing, 5 s per target"
bash scripts/fuzz.sh 5
echo "== all test runs passed"
