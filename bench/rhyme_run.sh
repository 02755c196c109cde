#!/usr/bin/env bash
# Times the rhyme index and the rhyme search (bench/rhyme_bench.cpp) on the sample dictionary and
# on a generated dictionary of N words, each search beside the mask search in the same run.
#
#   bash bench/rhyme_run.sh [N]     N generated words, default 628000
#   BUILD=DIR                       build folder, default "build-bench" (Release, benchmarks on)
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
build=${BUILD:-build-bench}
words=${1:-628000}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DSLOVOSITO_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j 2 --target rhyme_bench make_bench_dict

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
echo "== the sample, data/Словари/opensub2018_ru_50k.txt"
"$build/bin/rhyme_bench" "data/Словари/opensub2018_ru_50k.txt" окно
echo
echo "== $words generated words"
"$build/bin/make_bench_dict" --words "$words" --seed 1 "$work/bench.txt" >/dev/null
"$build/bin/rhyme_bench" "$work/bench.txt" окно
