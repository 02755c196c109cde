#!/usr/bin/env bash
# Times the core on a generated dictionary of N words, and LC_ALL=C grep on the same word list for
# the same queries in the same run, then prints both side by side with the targets.
#
#   bash bench/run.sh [N]     N words, default 2000000 (or N=... in the environment)
#   BUILD=DIR                 build folder, default "build" as in the Makefile; configured (with
#                             CMAKE_FLAGS and the benchmarks on), then core_bench and
#                             make_bench_dict built
#   SEED=S                    seed of the generated dictionary, default 1
#   REPETITIONS=R             repetitions of each benchmark, default 5; the median is shown
#   CLI_DICT=FOLDER           time slovosito-cli end to end on the dictionary in FOLDER (e.g. a
#                             real frequency list) rather than on 628 000 generated words
#   BIG=1                     also list every word of a 10 000 000-word dictionary with
#                             slovosito-cli, beside sort on the same file, and with the window
#                             (needs about 1 GB)
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
build=${BUILD:-build}
words=${1:-${N:-2000000}}
seed=${SEED:-1}
repetitions=${REPETITIONS:-5}
jobs=${JOBS:-$(nproc)}
# The queries of core_bench.cpp, and the hits it orders and lists.
ending='янка'
mask='*янка'
regexp='^п.*(ость|ание)$'
listed_hits=200000
# The targets for 2 000 000 words, in milliseconds.
declare -A target=([load]=15 [ending]=12 [mask]=60 [regexp]=60 [by_value]=60 [by_value_first]=60
    [by_word]=60 [by_word_first]=60)

case $words in
    '' | *[!0-9]*) echo "run.sh: N must be a number of words, not '$words'" >&2; exit 2 ;;
esac

# The benchmarks are off in a plain build; a folder configured before keeps its other settings.
# shellcheck disable=SC2086  # CMAKE_FLAGS holds several flags
cmake -S . -B "$build" ${CMAKE_FLAGS:-} -DSLOVOSITO_BUILD_BENCH=ON
# The window's benchmark is there when the window is built.
window=
if grep -q '^SLOVOSITO_BUILD_GUI:BOOL=ON' "$build/CMakeCache.txt"; then
    window=window_bench
fi
cmake --build "$build" -j "$jobs" --target core_bench make_bench_dict slovosito-cli $window
build_type=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build/CMakeCache.txt")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/dict"
list="$work/dict/bench.txt"
echo "Generating $words words (seed $seed)..."
"$build/bin/make_bench_dict" --words "$words" --seed "$seed" "$list"

# ---- The core, through Google Benchmark ---------------------------------------------------------
# The first runs must each be the only benchmark of their process; the others run together.
"$build/bin/core_bench" --dir="$work/dict" --benchmark_filter=-FirstRun \
    --benchmark_repetitions="$repetitions" --benchmark_report_aggregates_only=true \
    --benchmark_out="$work/core.json" --benchmark_out_format=json
for first in BM_ListWithIpmFirstRun BM_ListAlphabeticalFirstRun; do
    echo "Running $first in $repetitions fresh processes..."
    for i in $(seq "$repetitions"); do
        "$build/bin/core_bench" --dir="$work/dict" --benchmark_filter="^$first/" \
            --benchmark_format=json >"$work/first-$first-$i.json" 2>/dev/null
    done
done

# One "benchmark key value" line for each figure, e.g. "BM_Load real_time 97.5": the median of
# the repetitions, or of the processes for a first run.
awk -F'[:,]' '
    /"name":/ { name = $2; gsub(/[" ]/, "", name) }
    /"(real_time|cpu_time|time_unit|hits|store_rss|store_peak|budget|words)":/ {
        key = $1; value = $2; gsub(/[" ]/, "", key); gsub(/[" ]/, "", value)
        bench = name; sub(/\/.*/, "", bench)
        if (name ~ /_median$/) { median[bench " " key] = value }
        else if (name !~ /_(mean|stddev|cv)$/) { k = bench " " key; runs[k] = runs[k] " " value }
    }
    END {
        for (k in runs) {
            if (k in median) { continue }
            n = split(runs[k], v, " ")
            for (i = 2; i <= n; i++) {  # insertion sort: a handful of values
                x = v[i]; for (j = i - 1; j >= 1 && v[j] + 0 > x + 0; j--) { v[j + 1] = v[j] }
                v[j + 1] = x
            }
            median[k] = v[int((n + 1) / 2)]
        }
        for (k in median) { print k, median[k] }
    }' "$work/core.json" "$work"/first-*.json >"$work/core.txt"

figure() { # benchmark key
    awk -v name="$1" -v key="$2" '$1 == name && $2 == key { print $3; exit }' "$work/core.txt"
}

ours_ms() { # benchmark [real_time|cpu_time]
    local unit value
    unit=$(figure "$1" time_unit)
    value=$(figure "$1" "${2:-real_time}")
    case $unit in
        ns) awk -v v="$value" 'BEGIN { print v / 1e6 }' ;;
        us) awk -v v="$value" 'BEGIN { print v / 1e3 }' ;;
        s) awk -v v="$value" 'BEGIN { print v * 1e3 }' ;;
        *) echo "$value" ;;
    esac
}

# ---- The same work by grep and sort over the same files ----------------------------------------
export LC_ALL=C
# The word list is Windows-1251 with CR LF line ends: each line ends in a CR before "$".
grep_pattern() { printf '%s\r$' "$1" | iconv -f UTF-8 -t WINDOWS-1251; }
grep_pattern "$ending" >"$work/ending.pat"
mask_regexp=${mask//\?/.}
grep_pattern "^${mask_regexp//\*/.*}" >"$work/mask.pat"
grep_pattern "${regexp%\$}" >"$work/regexp.pat"

# The words the list benchmarks take (every stride-th, as core_bench does) with their counts.
listed=$((words < listed_hits ? words : listed_hits))
stride=$((words / listed_hits))
[ "$stride" -ge 1 ] || stride=1
od -An -v -td4 -w4 "$list.cnt" | tr -d ' ' >"$work/counts.txt"
tr -d '\r' <"$list" | paste -d ' ' - "$work/counts.txt" |
    awk -v s="$stride" -v n="$listed_hits" '(NR - 1) % s == 0 && ++taken <= n' >"$work/hits.txt"

reference_command() { # row
    case $1 in
        by_value*) echo "sort -s -t ' ' -k2,2nr '$work/hits.txt'" ;;
        by_word*) echo "sort -u -t ' ' -k1,1 '$work/hits.txt'" ;;
        load) echo "grep -c '' '$list'" ;;
        *) echo "grep -E -c -f '$work/$1.pat' '$list'" ;;
    esac
}

# Median wall time of a shell command in milliseconds. Output goes to a pipe, never to /dev/null,
# where grep would stop at its first match.
time_command() { # row command
    if command -v hyperfine >/dev/null; then
        # No shell between hyperfine and the command: grep takes a few milliseconds only.
        hyperfine --shell=none --output=pipe --style=none --warmup 3 --min-runs 10 \
            --export-csv "$work/$1.csv" "$2" >/dev/null 2>"$work/$1.log" ||
            { cat "$work/$1.log" >&2; exit 1; }
        # command,mean,stddev,median,user,system,min,max; the command may hold commas
        awk -F, 'NR == 2 { print $(NF - 4) * 1000 }' "$work/$1.csv"
    else
        local runs=() start end
        for i in $(seq 13); do
            start=$(date +%s%N)
            bash -c "$2" | cat >/dev/null
            end=$(date +%s%N)
            [ "$i" -le 3 ] || runs+=($(((end - start) / 1000)))
        done
        printf '%s\n' "${runs[@]}" | sort -n |
            awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] / 1000 }'
    fi
}

rows=(load ending mask regexp by_value by_value_first by_word by_word_first)
declare -A bench=([load]=BM_Load [ending]=BM_EndingSearch [mask]=BM_MaskSearch
    [regexp]=BM_RegexpSearch [by_value]=BM_ListWithIpm [by_value_first]=BM_ListWithIpmFirstRun
    [by_word]=BM_ListAlphabetical [by_word_first]=BM_ListAlphabeticalFirstRun)
declare -A label=([load]="load" [ending]="ending search" [mask]="mask search"
    [regexp]="regexp search" [by_value]="list by value" [by_value_first]="list by value, 1st"
    [by_word]="list by word" [by_word_first]="list by word, 1st")
declare -A theirs ours ours_cpu hits their_hits
timer=$(command -v hyperfine >/dev/null && echo hyperfine || echo 'a loop over date')
echo "Timing grep and sort on the same files with $timer..."
for row in "${rows[@]}"; do
    command=$(reference_command "$row")
    theirs[$row]=$(time_command "$row" "$command")
    ours[$row]=$(ours_ms "${bench[$row]}")
    ours_cpu[$row]=$(ours_ms "${bench[$row]}" cpu_time)
    case $row in
        load) hits[$row]=$(figure BM_Load words) ;;
        *) hits[$row]=$(figure "${bench[$row]}" hits) ;;
    esac
    case $row in
        by_*) their_hits[$row]=$(bash -c "$command" | wc -l) ;;
        *) their_hits[$row]=$(bash -c "$command") ;;
    esac
done

# ---- The table -----------------------------------------------------------------------------------
echo
echo "$words words, build type ${build_type:-unknown}, $(nproc) cores, load average" \
    "$(cut -d ' ' -f 1-3 /proc/loadavg)."
echo "Median of $repetitions repetitions; wall time (and CPU time) per run."
printf '%-20s %17s %12s %9s %7s %7s %16s\n' benchmark 'ours ms (cpu)' 'grep/sort ms' ours/ref \
    target verdict 'hits ours/ref'
for row in "${rows[@]}"; do
    goal='-'
    [ "$words" -ne 2000000 ] || goal="<=${target[$row]}"
    awk -v l="${label[$row]}" -v a="${ours[$row]}" -v c="${ours_cpu[$row]}" -v b="${theirs[$row]}" \
        -v g="$goal" -v t="${target[$row]}" -v h="${hits[$row]}" -v r="${their_hits[$row]}" 'BEGIN {
            verdict = g == "-" ? "-" : (a <= t ? "ok" : "MISSED")
            printf "%-20s %8.2f (%6.2f) %12.2f %9.2f %7s %7s %16s\n", l, a, c, b, a / b, g, \
                verdict, sprintf("%d/%d", h, r)
        }'
done
cat <<EOF

Queries: ending '$ending', mask '$mask', regexp '/$regexp/'. The list rows insert $listed
words of the list with their ipm and list them with their ipm, again and again as a window that
searches again does; "1st" is the first listing of a process, on memory it has never touched, as
the command-line program's one search is (median over $repetitions processes). References:
grep -c for load (every line), grep -E -c for the searches, sort -s -k2,2nr (by value) and
sort -u -k1,1 (by word) of the same words for the list rows.
EOF

# ---- Memory ------------------------------------------------------------------------------------
file_bytes=$(($(stat -c %s "$list") + $(stat -c %s "$list.cnt")))
awk -v rss="$(figure BM_Load store_rss)" -v peak="$(figure BM_Load store_peak)" \
    -v budget="$(figure BM_Load budget)" -v files="$file_bytes" -v n="$words" 'BEGIN {
        mib = 1024 * 1024
        printf "Memory of the loaded store: %.1f MiB resident (peak while loading %.1f MiB)\n", \
            rss / mib, peak / mib
        printf "  budget %.1f MiB = files %.1f MiB + 8 B x %d words: %s\n", budget / mib, \
            files / mib, n, rss <= budget ? "ok" : "MISSED"
    }'
awk -v bytes="$(stat -c %s "$list")" -v ms="${ours[load]}" -v n="$words" 'BEGIN {
    speed = bytes / (ms / 1000) / 1e9
    printf "Loading speed: %.2f GB/s of word-list bytes, target >=2: %s\n", speed, \
        n != 2000000 ? "-" : (speed >= 2 ? "ok" : "MISSED")
}'

# ---- Two threads against one -------------------------------------------------------------------
# Wall time gains only while the second core is free: the calling thread's CPU time tells whether
# the split itself halves the work, whatever the machine's load.
declare -A thread_target=([regexp]=20 [mask]=5)
for pair in regexp:BM_RegexpSearch mask:BM_MaskSearch; do
    name=${pair%%:*} two=${pair#*:}
    awk -v n="$name" -v a="$(ours_ms "$two")" -v b="$(ours_ms "${two}OneThread")" \
        -v ac="$(ours_ms "$two" cpu_time)" -v bc="$(ours_ms "${two}OneThread" cpu_time)" \
        -v t="${thread_target[$name]}" -v w="$words" 'BEGIN {
            verdict = w != 2000000 ? "" : (a <= t ? "  <=" t " ms ok" : "  <=" t " ms MISSED")
            printf "%-8s search on two threads %8.2f ms, on one %8.2f ms: %.2fx%s\n", n, a, b, a / b, verdict
            printf "         calling thread CPU   %8.2f ms, on one %8.2f ms: %.2fx\n", ac, bc, ac / bc
        }'
done

# ---- Listing everything of a big dictionary, end to end -----------------------------------------
if [ "${BIG:-0}" = 1 ]; then
    cmake --build "$build" -j "$jobs" --target slovosito-cli
    mkdir "$work/big"
    "$build/bin/make_bench_dict" --words 10000000 --seed "$seed" "$work/big/big.txt"
    # Wall seconds, CPU seconds (user and system) and peak KiB of a command whose output goes to
    # a file.
    timed() {
        /usr/bin/time -f '%e %U %S %M' -o "$work/time.txt" "$@" >"$work/out.txt"
        awk '{ print $1, $2 + $3, $4 }' "$work/time.txt"
    }
    # The run of median wall time among three: one run may meet a page cache the generator
    # left dirty.
    timed_median() {
        for i in 1 2 3; do timed "$@"; done | sort -n | sed -n 2p
    }
    echo
    echo "Every word of 10 000 000 with ipm, slovosito-cli against sort of the word list," \
        "the median of 3 runs (load average $(cut -d ' ' -f 1-3 /proc/loadavg)):"
    declare -A big_target=([value]=1.5 [word]=2)
    for order in value word; do
        flag=; [ "$order" = value ] || flag=--alpha
        read -r ours cpu peak < <(timed_median "$build/bin/slovosito-cli" --dir "$work/big" \
            --ending '' --ipm $flag)
        read -r theirs _ _ < <(timed_median sort "$work/big/big.txt")
        awk -v o="$order" -v a="$ours" -v c="$cpu" -v p="$peak" -v b="$theirs" \
            -v t="${big_target[$order]}" 'BEGIN {
            verdict = c <= t && p <= 400 * 1024 ? "ok" : "MISSED"
            printf "  by %-5s %6.2f s (cpu %5.2f s), peak %5.0f MiB; sort %6.2f s: %.2fx;" \
                " target cpu <=%s s, <=400 MiB: %s\n", o, a, c, p / 1024, b, a / b, t, verdict
        }'
    done
fi

# ---- The whole command-line program against grep ------------------------------------------------
# A one-shot run pays for starting, loading, searching and printing; grep and ripgrep read the same
# file. CLI_DICT=FOLDER times a dictionary of FOLDER instead of 628 000 generated words.
cli_ending='янка'
echo
echo "slovosito-cli end to end against LC_ALL=C grep and ripgrep:"
if command -v hyperfine >/dev/null; then
    BUILD="$build" SEED="$seed" bash bench/end_to_end.sh ${CLI_DICT:+"$CLI_DICT"}
else
    echo "  skipped: hyperfine is missing (apt-get install hyperfine)"
fi

# ---- The window against the command-line program on the same work ------------------------------
# The window runs offscreen. Start to rows is timed from the start of the program; what the
# window shares with the command-line program is the time from the window shown to the rows
# listed (loading every dictionary, as the command-line program loads every one it searches).
# Its background rhyme index builds as it would for a user, into a cache of the run's own.
[ -n "$window" ] || exit 0
# The median of each figure that window_bench prints over the repetitions, as "name value" lines.
window_figures() { # folder [--list [--alpha]]
    for i in $(seq "$repetitions"); do
        XDG_CACHE_HOME="$work/cache" XDG_RUNTIME_DIR="$work/runtime" \
            "$build/bin/window_bench" "$@" 2>>"$work/window.log" ||
            { cat "$work/window.log" >&2; exit 1; }
    done | awk '$1 ~ /_ms$|_mib$/ { v[$1] = v[$1] " " $2 }
        END {
            for (k in v) {
                n = split(v[k], a, " ")
                for (i = 2; i <= n; i++) {
                    x = a[i]; for (j = i - 1; j >= 1 && a[j] + 0 > x + 0; j--) { a[j + 1] = a[j] }
                    a[j + 1] = x
                }
                print k, a[int((n + 1) / 2)]
            }
        }'
}
fig() { awk -v k="$2" '$1 == k { print $2 }' "$1"; } # file name
window_row() { # label window_ms same_work_ms cli_ms
    awk -v l="$1" -v w="$2" -v p="$3" -v c="$4" 'BEGIN {
        printf "%-32s %10.1f %10.1f %10.1f %9.2f %7s %7s\n", l, w, p, c, p / c, "<=1.30", \
            (p / c <= 1.3 ? "ok" : "MISSED")
    }'
}
mkdir -p "$work/runtime" && chmod 700 "$work/runtime"
# Seven dictionaries of about a million words in all, the largest first.
mkdir "$work/seven"
seven_words=0
for i in 1 2 3 4 5 6 7; do
    n=$(((8 - i) * 36000))
    seven_words=$((seven_words + n))
    "$build/bin/make_bench_dict" --words "$n" --seed "$((seed + i))" "$work/seven/d$i.txt" >/dev/null
done
echo
echo "The window (offscreen) against slovosito-cli on the same work, median of $repetitions runs:"
printf '%-32s %10s %10s %10s %9s %7s %7s\n' work 'window ms' 'same work' 'cli ms' window/cli \
    target verdict
window_figures "$work/seven" >"$work/seven.fig"
window_row "start to rows, 7 dictionaries" "$(fig "$work/seven.fig" rows_ms)" \
    "$(awk -v r="$(fig "$work/seven.fig" rows_ms)" -v s="$(fig "$work/seven.fig" shown_ms)" \
        'BEGIN { print r - s }')" \
    "$(time_command seven "$build/bin/slovosito-cli --dir $work/seven --all --ending '' --min 1000")"
if [ "${BIG:-0}" = 1 ]; then
    window_figures "$work/big" >"$work/big-start.fig"
    window_row "start to rows, 10 000 000 words" "$(fig "$work/big-start.fig" rows_ms)" \
        "$(awk -v r="$(fig "$work/big-start.fig" rows_ms)" \
            -v s="$(fig "$work/big-start.fig" shown_ms)" 'BEGIN { print r - s }')" \
        "$(time_command big-start "$build/bin/slovosito-cli --dir $work/big --ending $cli_ending")"
    window_figures "$work/big" --list >"$work/big-list.fig"
    window_row "button to everything with ipm" "$(fig "$work/big-list.fig" list_ms)" \
        "$(fig "$work/big-list.fig" list_ms)" \
        "$(time_command big-list "$build/bin/slovosito-cli --dir $work/big --ending '' --ipm")"
    echo "  (peak memory of the window with that listing: $(fig "$work/big-list.fig" peak_mib) MiB)"
fi
# The panel's searches on CLI_DICT's dictionary, else on 628 000 generated words: from the button
# to the listing, once the rhyme index is made and cached, against whole command-line runs with
# that cache.
panel_word='колос'
panel_dict=${CLI_DICT:-$work/panel}
if [ -z "${CLI_DICT:-}" ]; then
    mkdir "$work/panel"
    "$build/bin/make_bench_dict" --words 628000 --seed "$seed" "$work/panel/list.txt" >/dev/null
fi
window_figures "$panel_dict" --panel "$panel_word" >"$work/panel.fig"
for search in rhyme:--rhyme anagram:--anagram letters:--from-letters; do
    name=${search%%:*}
    ms=$(fig "$work/panel.fig" "panel_${name}_ms")
    window_row "panel: $name $panel_word" "$ms" "$ms" "$(XDG_CACHE_HOME="$work/cache" \
        time_command "panel-$name" "$build/bin/slovosito-cli --dir $panel_dict ${search#*:} $panel_word")"
done
cat <<END
"same work" is what the window does that slovosito-cli does too: from the window shown to the rows
listed (start-up), or from the button to the listing shown. The command-line runs are whole runs
over the same folder ($seven_words words in 7 files for the first row): --all --ending ''
--min 1000 for start-up (every word loaded, as the window loads them; a search for an ending
loads only the words it can find), --ending '' --ipm for the listing. The panel's rows search the
first dictionary of ${CLI_DICT:-628 000 generated words} for "$panel_word", the rhyme index cached.
END
