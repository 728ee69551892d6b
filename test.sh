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
