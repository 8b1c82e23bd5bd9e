#!/usr/bin/env bash
# Builds the fuzz target of the Meal-Master reading with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs it seeded from the Meal-Master corpus:
# FUZZ_SECONDS seconds (60), no crash, no hang (10 s an input), memory bounded (1 GB).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${FUZZ_SECONDS:-60}
cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DKELVOR_FUZZ=ON \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build build-fuzz -j "$(nproc)" --target fuzz_mealmaster

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/seeds"
corpus=../shared/corpus/mealmaster
for f in "$corpus"/*/*; do
  [ -f "$f" ] && cp "$f" "$work/seeds/$(basename "$(dirname "$f")")-$(basename "$f")"
done
export ASAN_OPTIONS=abort_on_error=1:detect_leaks=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
build-fuzz/tests/exchange/fuzz/fuzz_mealmaster "$work/seeds" -max_total_time="$seconds" -timeout=10 \
  -rss_limit_mb=1024 -max_len=65536 -print_final_stats=1 -artifact_prefix="$work/"
