#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in their own build folder, then runs each for a fixed
# time from its seed corpus in fuzz/corpus/. Any finding fails the run, after every target ran.
# Usage: fuzz/run.sh [SECONDS per target, default $FUZZ_SECONDS or 300]; FUZZ_BUILD names the
# build folder (build-fuzz).
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-${FUZZ_SECONDS:-300}}"
build="${FUZZ_BUILD:-build-fuzz}"
targets=(dictionary_search regexpr_jit mask_wildcard make_dict number_encoding rhyme_key options
         rhyme_cache)
# Longer inputs would only cost time: a pair of some hundred words, an expression and a few words,
# a word and its phonemes.
declare -A max_len=([dictionary_search]=2048 [regexpr_jit]=256 [mask_wildcard]=256
                    [make_dict]=2048 [number_encoding]=256 [rhyme_key]=256
                    [options]=512 [rhyme_cache]=1024)

# The core libraries and the targets only, all instrumented; the compiler matches the fuzzer's
# runtime package (libclang-rt-14-dev).
cmake -S . -B "$build" -DCMAKE_CXX_COMPILER=clang++-14 -DSLOVOSITO_BUILD_FUZZ=ON \
    -DSLOVOSITO_WERROR=ON -DSLOVOSITO_BUILD_GUI=OFF -DSLOVOSITO_BUILD_TESTS=OFF \
    -DSLOVOSITO_BUILD_BENCH=OFF
cmake --build "$build" -j "$(nproc)" --target fuzz_targets

# Two targets write dictionary pairs for every input: into memory where the machine allows.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then
    export TMPDIR=/dev/shm
fi

failed=()
for target in "${targets[@]}"; do
    corpus="$build/fuzz/corpus/$target"
    findings="$build/fuzz/findings/$target"
    mkdir -p "$corpus" "$findings"
    echo "== fuzz_$target for $seconds s"
    # New inputs go to the first folder, in the build folder, so the seeds in git stay as they
    # are; a crash file found goes to the findings folder.
    if ! "$build/bin/fuzz_$target" "$corpus" "fuzz/corpus/$target" \
        -max_total_time="$seconds" -max_len="${max_len[$target]}" -timeout=60 \
        -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$findings/"; then
        failed+=("$target")
    fi
done
if [ ${#failed[@]} -ne 0 ]; then
    echo "fuzzing found faults in: ${failed[*]} (inputs in $build/fuzz/findings/)" >&2
    exit 1
fi
