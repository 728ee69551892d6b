#!/usr/bin/env bash
# Regenerates the pictures of docs/gallery: the demo plot drawn by
# `quenvar --export`, one picture per layer and a few combinations. No
# display is needed.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=build-release
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)" --target quenvar makeplot

# The plot and the log files of the exports stay in a folder of their own.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"
"$root/$build/makeplot" demo-plot.db >/dev/null

gallery=$root/docs/gallery
mkdir -p "$gallery"
picture() {
    local name=$1
    shift
    "$root/$build/quenvar" --export "$gallery/$name.png" --size 600x400 "$@" \
        demo-plot.db
    echo "docs/gallery/$name.png"
}

# One picture per layer key (the tree layers for tree T05).
for key in uptake-blocks count-blocks uptake-clouds count-clouds uptake-isolines count-isolines \
    stems-plain stems-crown stems-dbh stem-labels scale; do
    picture "$key" --layers "$key"
done
for key in tree-blocks tree-isolines tree-clouds; do
    picture "$key" --layers "$key" --stems T05
done

# Combinations, as one would look at the plot in the window.
picture overview --layers uptake-blocks,stems-dbh,stem-labels,scale
picture two-trees --layers count-isolines,tree-clouds,stems-plain,stem-labels --stems T05,T12
picture zoomed --layers uptake-blocks,uptake-isolines,stems-dbh,stem-labels,scale \
    --stems T05 --view 5,5,30,22
picture legend --layers uptake-blocks,count-isolines,stems-plain --legend
picture viridis --layers uptake-blocks,tree-isolines,stems-dbh,stem-labels --stems T05 \
    --palette viridis --legend
# Two trees on one fixed range, so that equal colours mean equal uptake.
picture fixed-range --layers tree-blocks,stems-plain,stem-labels --stems T05,T12 \
    --range tree=0,500 --legend
# A map as a paper prints it: one scale on both axes, north at the top.
picture north-up --layers uptake-blocks,stems-dbh,stem-labels,scale --aspect equal --north-up \
    --legend
# The same plot in equal and in quantile classes: skewed uptake shows its
# structure when each colour holds as many cells.
picture classes-equal --layers uptake-blocks,stems-plain --legend
picture classes-quantile --layers uptake-blocks,stems-plain --classes uptake=quantile --legend
picture smooth --layers uptake-blocks,stems-plain --classes uptake=log --smooth --legend
# Two scenarios of one plot: a copy where T05 takes up less and T12 more,
# and the change from the demo plot to it.
cp demo-plot.db thinned.db
sqlite3 thinned.db "UPDATE grid SET T05 = T05 * 0.4, T12 = T12 * 1.6"
picture compare --layers uptake-diff-blocks,stems-plain,stem-labels --compare thinned.db --legend
