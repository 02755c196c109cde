#!/usr/bin/env bash
# Lists every word of a dictionary again and again in one window (offscreen) while the program is
# stopped for 50-600 ms at random moments, as a busy machine does to it, and checks that every run
# found as many words as the command-line program lists for the same dictionary.
#
#   bash bench/stop_stress.sh WORDLIST [RUNS]    WORDLIST with its .cnt beside it; RUNS default 100
#   BUILD=DIR                                   build folder, default "build"
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${BUILD:-build}
list=${1:?usage: stop_stress.sh WORDLIST [RUNS]}
runs=${2:-100}
cmake --build "$root/$build" -j "$(nproc)" --target window_bench slovosito-cli

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/dict"
# Row 0 is a small dictionary, left unticked; the list is row 1.
printf 'а\r\n' >"$work/dict/0.txt"
printf '\001\000\000\000' >"$work/dict/0.txt.cnt"  # one count, 32 bits little-endian
cp "$list" "$work/dict/1.txt"
cp "$list.cnt" "$work/dict/1.txt.cnt"
expected=$("$root/$build/bin/slovosito-cli" --dir "$work/dict" --dict 1 --mask '*' --min 0 | wc -l)
echo "expected: $expected words in each of $runs runs"

"$root/$build/bin/window_bench" "$work/dict" --repeat "$runs" >"$work/found" &
pid=$!
stops=0
while kill -0 "$pid" 2>/dev/null; do
    sleep "$(printf '0.%03d' $((RANDOM % 900 + 100)))"
    kill -STOP "$pid" 2>/dev/null || break
    sleep "$(printf '0.%03d' $((RANDOM % 551 + 50)))"
    kill -CONT "$pid" 2>/dev/null || break
    stops=$((stops + 1))
done
wait "$pid"
grep '^found ' "$work/found" >"$work/counts" || true
wrong=$(grep -cv "^found Найдено:$expected\$" "$work/counts" || true)
echo "runs: $(wc -l <"$work/counts"), stops: $stops, wrong counts: $wrong"
sort "$work/counts" | uniq -c
[ "$wrong" -eq 0 ]
