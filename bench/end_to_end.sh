#!/usr/bin/env bash
# slovosito-cli end to end against LC_ALL=C grep, and ripgrep when it is installed, on one word
# list: an ending, a regular expression and --version; and a rhyme search against the mask search
# a user would try for the same rhyme, with the rhyme index loaded from a warm cache. Each row is
# one hyperfine run that takes the programs in turn, so their ratios come from the same minutes of
# the machine; the peak memory is that of one more run of each.
#
#   bash bench/end_to_end.sh [FOLDER]   FOLDER holds the dictionary pair to search (the first
#                                       *.txt in it), e.g. a real frequency list; without it,
#                                       628 000 generated words
#   BUILD=DIR                           build folder, default "build"; slovosito-cli (and, without
#                                       a FOLDER, make_bench_dict) are built there
#   CLI=PROGRAM                         the slovosito-cli to time instead of the build's, e.g. an
#                                       older one for a before-and-after table
#   BEFORE=PROGRAM                      another slovosito-cli timed in the same runs, as "before"
#   GOAL=R                              the largest ratio to grep the searches may have, default 1.5
#   RHYME_GOAL=R                        the largest ratio to the mask search the rhyme search may
#                                       have, default 1.5
set -euo pipefail

folder=
if [ -n "${1:-}" ]; then folder=$(cd "$1" && pwd); fi
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
build=${BUILD:-build}
goal=${GOAL:-1.5}
rhyme_goal=${RHYME_GOAL:-1.5}
jobs=${JOBS:-$(nproc)}
ending='янка'
regexp='^по.*ать$'
rhyme='окно'
rhyme_mask='*кно'

if ! command -v hyperfine >/dev/null; then
    echo "end_to_end.sh: hyperfine is missing (apt-get install hyperfine)" >&2
    exit 2
fi
targets=(slovosito-cli)
if [ -z "$folder" ]; then
    # The generator is built with the benchmarks; a folder configured before keeps its settings.
    cmake -S . -B "$build" -DSLOVOSITO_BUILD_BENCH=ON >/dev/null
    targets+=(make_bench_dict)
fi
cmake --build "$build" -j "$jobs" --target "${targets[@]}" >/dev/null

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
if [ -n "$folder" ]; then
    list=$(find "$folder" -maxdepth 1 -name '*.txt' | sort | head -n 1)
    [ -n "$list" ] || { echo "end_to_end.sh: no *.txt in $folder" >&2; exit 2; }
    # The program loads every pair of its folder: it gets this one alone.
    mkdir "$work/dict"
    ln -s "$list" "$work/dict/list.txt"
    ln -s "$list.cnt" "$work/dict/list.txt.cnt"
    list="$work/dict/list.txt"
else
    mkdir "$work/dict"
    list="$work/dict/list.txt"
    "$build/bin/make_bench_dict" --words 628000 --seed "${SEED:-1}" "$list" >/dev/null
fi
words=$(LC_ALL=C grep -c '' "$list")

export LC_ALL=C
# grep and ripgrep get the pattern in the list's bytes: Windows-1251, with the CR of a CR LF list
# before "$". ripgrep takes it as escaped bytes, as its patterns are otherwise UTF-8.
cr=
if head -c 65536 "$list" | grep -q $'\r'; then cr=$'\r'; fi
to_list_bytes() { printf '%s' "$1" | iconv -f UTF-8 -t WINDOWS-1251; }
grep_pattern() { to_list_bytes "${1%\$}"; [ "${1: -1}" != '$' ] || printf '%s$' "$cr"; }
rg_pattern() {
    grep_pattern "$1" | perl -0777 -pe 's/([^\x20-\x7e])/sprintf("\\x%02x", ord $1)/ge; s/^/(?-u)/'
}
grep_pattern "$ending\$" >"$work/ending.pat"
grep_pattern "$regexp" >"$work/regexp.pat"
rg_pattern "$ending\$" >"$work/ending.rg"
rg_pattern "$regexp" >"$work/regexp.rg"

cli=${CLI:-$build/bin/slovosito-cli}
rg=$(command -v rg || true)
# One row: "label|command|..." for each program; the first is the reference.
declare -A rows=(
    [ending]="grep|grep -c -f $work/ending.pat $list|cli|$cli --dir $work/dict --ending $ending"
    [regexp]="grep|grep -c -f $work/regexp.pat $list|cli|$cli --dir $work/dict --regexp /$regexp/"
    [version]="grep|grep --version|cli|$cli --version"
    [rhyme]="mask|$cli --dir $work/dict --mask $rhyme_mask|cli|$cli --dir $work/dict --rhyme $rhyme"
)
if [ -n "${BEFORE:-}" ]; then
    rows[ending]+="|before|$BEFORE --dir $work/dict --ending $ending"
    rows[regexp]+="|before|$BEFORE --dir $work/dict --regexp /$regexp/"
    rows[version]+="|before|$BEFORE --version"
fi
if [ -n "$rg" ]; then
    rows[ending]+="|rg|$rg -c -f $work/ending.rg $list"
    rows[regexp]+="|rg|$rg -c -f $work/regexp.rg $list"
    rows[version]+="|rg|$rg --version"
fi

# The rhyme index is built before the timings, into a cache of the run's own, which every run then
# loads: a second run finds the pair's files settled and remembers their hashes too. An older
# program (BEFORE) is not timed on rhymes, as its cache files would take the same names.
export XDG_CACHE_HOME="$work/cache"
"$cli" --dir "$work/dict" --rhyme "$rhyme" >/dev/null || true
sleep 3
"$cli" --dir "$work/dict" --rhyme "$rhyme" >/dev/null || true

# The words a command finds: the count grep -c and rg -c print, the lines slovosito-cli prints.
# The commands hold no quoted arguments, so they split at their spaces, and no pattern is expanded.
hits() { # tool command
    local -
    set -f
    if [[ $2 == *--version ]]; then
        echo -
    elif [ "$1" = cli ] || [ "$1" = before ] || [ "$1" = mask ]; then
        { $2 || true; } | wc -l
    else
        $2
    fi
}
# Peak resident memory of one run, in MiB.
peak_mib() { # command
    # shellcheck disable=SC2086  # the command's words
    /usr/bin/time -f '%M' -o "$work/time.txt" $1 >/dev/null || true
    awk '{ printf "%.1f", $1 / 1024 }' "$work/time.txt"
}

echo "$words words of $(basename "$(readlink -f "$list")"), $(nproc) cores, load average" \
    "$(cut -d ' ' -f 1-3 /proc/loadavg); median wall time of hyperfine -N runs."
printf '%-9s %-6s %9s %9s %10s %9s %7s\n' query tool 'ms' '/first' 'peak MiB' hits verdict
for row in ending regexp version rhyme; do
    IFS='|' read -r -a parts <<<"${rows[$row]}"
    args=()
    for ((i = 1; i < ${#parts[@]}; i += 2)); do args+=("${parts[i]}"); done
    # Output to a pipe, never to /dev/null, where grep would stop at its first match.
    hyperfine -N --output=pipe --style=none --warmup 5 --min-runs 30 \
        --export-csv "$work/$row.csv" "${args[@]}" >/dev/null 2>"$work/$row.log" ||
        { cat "$work/$row.log" >&2; exit 1; }
    # command,mean,stddev,median,user,system,min,max: the median of each, in the order given
    mapfile -t medians < <(awk -F, 'NR > 1 { print $(NF - 4) * 1000 }' "$work/$row.csv")
    for ((i = 0; i < ${#parts[@]}; i += 2)); do
        tool=${parts[i]} command=${parts[i + 1]} ms=${medians[i / 2]}
        peak=-
        verdict=
        [ "$tool" != cli ] && [ "$tool" != before ] && [ "$tool" != mask ] || peak=$(peak_mib "$command")
        if [ "$tool" = cli ] && [ "$row" != version ]; then
            row_goal=$goal
            [ "$row" != rhyme ] || row_goal=$rhyme_goal
            verdict=$(awk -v a="$ms" -v b="${medians[0]}" -v g="$row_goal" \
                'BEGIN { print a / b <= g ? "ok" : "MISSED" }')
        fi
        awk -v q="$row" -v t="$tool" -v a="$ms" -v b="${medians[0]}" -v p="$peak" \
            -v h="$(hits "$tool" "$command")" -v v="$verdict" 'BEGIN {
                printf "%-9s %-6s %9.2f %9.2f %10s %9s %7s\n", q, t, a, a / b, p, h, v
            }'
    done
done
echo "Queries: --ending $ending, --regexp '/$regexp/'; grep -c -f and rg -c -f with the same" \
    "patterns in the list's bytes; --version against grep's and rg's own; --rhyme $rhyme against" \
    "--mask '$rhyme_mask'. /first: the ratio to the row's first program. Verdict: cli/grep <= $goal," \
    "rhyme/mask <= $rhyme_goal."
