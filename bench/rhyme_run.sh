#!/usr/bin/env bash
# Times the rhyme index and the rhyme search (bench/rhyme_bench.cpp) on the sample dictionary and
# on a generated dictionary of N words: the index's words per second on one core, on two threads
# of one process and with the helper process beside it, and the rhyme search beside the mask
# search, each with its ratio measured in the same run. On a machine busy with other work the
# seconds vary; "cores busy" says how many cores the index kept at work.
#
#   bash bench/rhyme_run.sh [N]     N generated words, default 628000
#   BUILD=DIR                       build folder, default "build-bench" (Release, benchmarks on)
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
build=${BUILD:-build-bench}
words=${1:-628000}
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DSLOVOSITO_BUILD_BENCH=ON >/dev/null
cmake --build "$build" -j 2 --target rhyme_bench make_bench_dict slovosito-rhyme-keys

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
echo "== the sample, data/Словари/opensub2018_ru_50k.txt"
"$build/bin/rhyme_bench" "data/Словари/opensub2018_ru_50k.txt" окно
echo
echo "== $words generated words"
"$build/bin/make_bench_dict" --words "$words" --seed 1 "$work/bench.txt" >/dev/null
"$build/bin/rhyme_bench" "$work/bench.txt" окно
