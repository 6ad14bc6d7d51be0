#!/usr/bin/env bash
# The second CI tree: everything built with clang under AddressSanitizer and UndefinedBehaviorSanitizer,
# the unit and end-to-end suites run in it, then each libFuzzer target for a while over its seed corpus.
#   OSTREVAN_SANITIZE_BUILD_DIR  tree (default build-sanitize)
#   OSTREVAN_SANITIZE_JOBS       parallel jobs (default all cores; 1 on a shared machine)
#   OSTREVAN_FUZZ_SECONDS        seconds per fuzz target (default 60; 0 skips fuzzing)
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${OSTREVAN_SANITIZE_BUILD_DIR:-$here/build-sanitize}"
jobs="${OSTREVAN_SANITIZE_JOBS:-$(nproc)}"
seconds="${OSTREVAN_FUZZ_SECONDS:-60}"
started=$SECONDS
bash "$here/scripts/install-packages.sh" clang libclang-rt-14-dev libfuzzer-14-dev llvm

if [ ! -f "$build/build.ninja" ]; then
    launcher=()
    command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
    CXX=clang++ cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DOSTREVAN_SANITIZE=ON -DOSTREVAN_FUZZ=ON -DOSTREVAN_BENCH=OFF -DOSTREVAN_WEBENGINE=OFF "${launcher[@]}"
fi
nice cmake --build "$build" -j"$jobs"
echo "sanitizer build: $((SECONDS - started)) s"

export ASAN_OPTIONS="detect_leaks=0:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export QT_QPA_PLATFORM=offscreen
ctest --test-dir "$build" --output-on-failure -L 'unit|e2e' -j"$jobs"
echo "sanitizer suites done: $((SECONDS - started)) s"

if [ "$seconds" -gt 0 ]; then
    # Each target writes what it learns to a scratch corpus; the seeds in the tree stay as they are.
    # A crash leaves its input in $build/fuzz-crashes: add it to tests/fuzz/<target>/ as a regression case.
    mkdir -p "$build/fuzz-crashes"
    while read -r target; do
        [ -n "$target" ] || continue
        name="${target#fuzz_}"
        work="$build/fuzz-corpus/$name"
        mkdir -p "$work"
        # Field files and web pages: the test fixtures are the seeds; regression inputs go to tests/fuzz/<name>/.
        seeds=()
        [ -d "$here/tests/fuzz/$name" ] && seeds+=("$here/tests/fuzz/$name")
        [ "$name" = fieldfile ] && seeds+=("$here/tests/fixtures/fields")
        [ "$name" = webpages ] && seeds+=("$here/tests/fixtures/webfields")
        echo "fuzzing $target for $seconds s"
        log="$build/fuzz-$name.log"
        if ! nice "$build/fuzz/$target" -max_total_time="$seconds" -max_len=65536 -timeout=10 -rss_limit_mb=2048 \
                -artifact_prefix="$build/fuzz-crashes/$name-" "$work" "${seeds[@]}" >"$log" 2>&1; then
            tail -n 60 "$log"
            echo "$target found a crash; its input is in $build/fuzz-crashes/" >&2
            exit 1
        fi
        tail -n 1 "$log"
    done < "$build/fuzzers.txt"
fi
echo "sanitizer tree and fuzzing: $((SECONDS - started)) s"
