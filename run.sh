#!/usr/bin/env bash
# Installs what is missing, builds an optimised Quenvar, makes the demo plot
# when it is missing and opens the viewer on it.
set -euo pipefail
cd "$(dirname "$0")"
source ./scripts-common.sh
quenvar_install_packages

build=build-release
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DQUENVAR_TESTS=OFF >/dev/null
cmake --build "$build" -j"$(nproc)" --target quenvar makeplot

if [ ! -f demo-plot.db ]; then
    "$build/makeplot" demo-plot.db
fi
exec "$build/quenvar" demo-plot.db "$@"
