#!/usr/bin/env bash
# Installs what is missing, builds an optimised Quenvar, makes the demo plot
# when it is missing and opens the viewer on it (or runs quenvar with the
# arguments given).
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
# Without arguments the demo opens on a map: uptake blocks, stem diameters,
# labels and the scale.
if [ $# -eq 0 ]; then
    set -- --layers uptake-blocks,stems-dbh,stem-labels,scale demo-plot.db
fi
exec "$build/quenvar" "$@"
