#!/usr/bin/env bash
# Installs what is missing, builds with the sanitizers and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
source ./scripts-common.sh
quenvar_install_packages

build=build-test
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Debug -DQUENVAR_SANITIZE=ON >/dev/null
cmake --build "$build" -j"$(nproc)"

export ASAN_OPTIONS="detect_leaks=1:abort_on_error=0"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"

ctest_command=(ctest --test-dir "$build" --output-on-failure -j"$(nproc)")
if [ -z "${DISPLAY:-}" ]; then
    xvfb-run -a -s "-screen 0 1280x1024x24" "${ctest_command[@]}"
else
    "${ctest_command[@]}"
fi

# Fuzz targets: a second build with clang and libFuzzer (no display needed).
# Each target runs briefly on a copy of its committed seed corpus, so the
# corpus stays as it is; a crash, leak, hang or sanitizer report fails.
fuzz_build=build-fuzz
cmake -S . -B "$fuzz_build" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ \
    -DQUENVAR_FUZZ=ON -DQUENVAR_TESTS=OFF >/dev/null
cmake --build "$fuzz_build" -j"$(nproc)"
fuzz_failed=0
for corpus in tests/fuzz/corpus/*/; do
    target=$(basename "$corpus")
    work=$(mktemp -d)
    cp -r "$corpus" "$work/corpus"
    echo "Fuzzing $target for 20 s"
    if ! "$PWD/$fuzz_build/fuzz_$target" -max_total_time=20 -rss_limit_mb=2048 -timeout=30 \
        -artifact_prefix="$PWD/$fuzz_build/crash-$target-" "$work/corpus" >"$work/log" 2>&1; then
        tail -n 60 "$work/log"
        echo "fuzz_$target failed; the input is in $fuzz_build/crash-$target-*"
        fuzz_failed=1
    fi
    rm -rf "$work"
done
exit "$fuzz_failed"
