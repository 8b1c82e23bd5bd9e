#!/usr/bin/env bash
# Builds the fuzz target of the Meal-Master reading with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer, and runs it seeded from the project's Meal-Master files
# (tests/data/mealmaster, tests/data/handgemacht) and, where it lies beside the project, the Meal-Master corpus:
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
# seed FOLDER PREFIX DEPTH: the files at DEPTH or below, each named by its path, so files
# of one name do not collide. The corpus keeps its provenance at the top, not a seed.
seed() {
  local top=$1 prefix=$2 depth=$3
  [ -d "$top" ] || return 0
  while IFS= read -r -d '' f; do
    local rel=${f#"$top"/}
    cp "$f" "$work/seeds/$prefix-${rel//\//-}"
  done < <(find "$top" -mindepth "$depth" -type f ! -name '.*' -print0)
}
seed tests/data/mealmaster projekt 1
seed tests/data/handgemacht handgemacht 1
seed ../shared/corpus/mealmaster korpus 2
if [ -z "$(ls -A "$work/seeds")" ]; then
  echo "fuzz.sh: no seeds in tests/data/mealmaster" >&2
  exit 1
fi
echo "fuzz.sh: $(ls "$work/seeds" | wc -l) seeds"
export ASAN_OPTIONS=abort_on_error=1:detect_leaks=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
build-fuzz/tests/exchange/fuzz/fuzz_mealmaster "$work/seeds" -max_total_time="$seconds" -timeout=10 \
  -rss_limit_mb=1024 -max_len=65536 -print_final_stats=1 -artifact_prefix="$work/"
