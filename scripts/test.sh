#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors and runs every test
# headless; then builds again with AddressSanitizer and UndefinedBehaviorSanitizer
# and runs the tests a second time, and fuzzes the Meal-Master reading for a minute
# (scripts/fuzz.sh). KELVOR_QUICK=1 skips the sanitizer pass and the fuzzing.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
export QT_QPA_PLATFORM=offscreen
jobs=$(nproc)

scripts/build.sh build -DKELVOR_WERROR=ON
(cd build && ctest --output-on-failure -j "$jobs")

if [ "${KELVOR_QUICK:-0}" != 1 ]; then
  # Only the test executables: the program and the benchmarks add nothing the tests run.
  # Without precompiled headers, so a file that forgets an include fails here.
  cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DKELVOR_WERROR=ON -DKELVOR_SANITIZE=ON \
    -DKELVOR_BENCH=OFF -DKELVOR_PCH=OFF >/dev/null
  cmake --build build-asan -j "$jobs" --target kelvor_tests
  # Qt and fontconfig keep caches until exit; leak reports from them are noise.
  export ASAN_OPTIONS=detect_leaks=0:abort_on_error=1
  export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
  (cd build-asan && ctest --output-on-failure -j "$jobs")
  FUZZ_SECONDS=60 scripts/fuzz.sh
fi
