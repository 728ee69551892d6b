// The text of --help: every command and option, and the layer keys read from
// the layer table and the value layer table.
#include <algorithm>

#include "cli/CommandLine.h"
#include "data/ValueLayers.h"

namespace {

const char* const kUsageHead =
    "Usage: quenvar [--layers KEY,...] [--stems LABEL,...] [--view XMIN,YMIN,XMAX,YMAX]\n"
    "               [--group-by COLUMN] [--groups NAME,...]\n"
    "               [--palette NAME] [--range FAMILY=MIN,MAX]...\n"
    "               [--classes FAMILY=RULE]... [--smooth] [--aspect equal]\n"
    "               [--north-up] [FILE.db]\n"
    "       quenvar --export OUT.png|OUT.svg|OUT.pdf [--size WxH] [--scale N]\n"
    "               [--layers KEY,...] [--stems LABEL,...]\n"
    "               [--group-by COLUMN] [--groups NAME,...]\n"
    "               [--view XMIN,YMIN,XMAX,YMAX] [--palette NAME]\n"
    "               [--range FAMILY=MIN,MAX]... [--classes FAMILY=RULE]...\n"
    "               [--smooth] [--aspect equal] [--north-up] [--legend]\n"
    "               [--log-dir DIR] FILE.db\n"
    "       quenvar --at X,Y [--stems LABEL,...] [--group-by COLUMN]\n"
    "               [--groups NAME,...] [--log-dir DIR] FILE.db\n"
    "       quenvar import GRID STEMS OUT.db [--force] [--log-dir DIR]\n"
    "       quenvar stats FILE.db [--trees LABEL,... | --by COLUMN] [--output OUT.csv]\n"
    "               [--overlap] [--log-dir DIR]\n"
    "       quenvar grid FILE.db --layer KEY [--tree LABEL] [--crs EPSG:N]\n"
    "               --output OUT.tif|OUT.asc|OUT.csv [--log-dir DIR]\n"
    "       quenvar --help | --version\n"
    "\n"
    "Without --export, --at, import, stats or grid, opens the viewer window, on\n"
    "FILE.db when one is given, with the layers ticked, the stems selected, the\n"
    "view, the colour scale and the value ranges that --layers, --stems, --view,\n"
    "--palette and --range choose (Edit > Copy View as Command gives the window's\n"
    "view in this form). Only the window needs a display.\n"
    "\n"
    "  --export OUT.png   draw the plot of FILE.db as the window would show it and\n"
    "                     write the picture to OUT.png, or as a vector figure to a\n"
    "                     name ending in .svg or .pdf; no window is opened and no\n"
    "                     display is needed\n"
    "  --size WxH         picture size in pixels (default 750x550, at most 4096x4096)\n"
    "  --scale N          draw N pixels for each pixel of --size (1 to 8, default 1),\n"
    "                     text, lines, dots and ticks N times larger: the picture a\n"
    "                     screen with that scale factor shows, sharper for print\n"
    "  --layers KEY,...   the layers to draw (default: none), keys below\n"
    "  --stems LABEL,...  the stems to select, in this order: the tree layers are\n"
    "                     drawn for each, and they are highlighted on top; write a\n"
    "                     comma inside a label as \\, and a backslash as \\\\\n"
    "  --view XMIN,YMIN,XMAX,YMAX\n"
    "                     the part of the plot to show, in plot coordinates\n"
    "                     (default: the whole plot)\n"
    "  --group-by COLUMN  group the trees by a column of the stem table (at most\n"
    "                     50 values; trees without one make the group \"(none)\")\n"
    "                     for the group layers; also for the window and --at\n"
    "  --groups NAME,...  the groups to draw the group layers of, in this order\n"
    "                     (written as for --stems); also for the window and --at\n"
    "  --palette NAME     the colour scale of the value layers: builtin (default),\n"
    "                     viridis or cividis; also for the window\n"
    "  --range FAMILY=MIN,MAX\n"
    "                     colour the value layers of a family on the fixed range\n"
    "                     MIN to MAX instead of the data's own: uptake (total\n"
    "                     uptake), count (tree count), tree (every single tree,\n"
    "                     one range for all) or group (every group of trees);\n"
    "                     values beyond it take the end\n"
    "                     colours; may be repeated, one per family; also for the\n"
    "                     window\n"
    "  --classes FAMILY=RULE\n"
    "                     how the values of a family fall into the colours: equal\n"
    "                     (steps of the range, the default), quantile (as many\n"
    "                     cells in each colour) or log (steps of the logarithm);\n"
    "                     may be repeated, one per family; also for the window\n"
    "  --smooth           colour blocks along a smooth gradient instead of in\n"
    "                     classes; also for the window\n"
    "  --aspect equal     true proportions: one plot unit as long across as down,\n"
    "                     the view centred between black margins; fill (the\n"
    "                     default) stretches it to the picture; also for the window\n"
    "  --north-up         the plot's largest y on the top row, as on a map; also\n"
    "                     for the window\n"
    "  --legend           draw the colour legend at the right of the picture\n"
    "  --at X,Y           print what the plot holds at the point (X, Y): the grid\n"
    "                     cell there with its total uptake and tree count, the\n"
    "                     uptake of each tree of --stems in it, the tree (and with\n"
    "                     --group-by the group) taking up most there with its\n"
    "                     share, the uptake of each group of --groups, and the\n"
    "                     nearest stem with its distance; no display is needed\n"
    "  import GRID STEMS OUT.db\n"
    "                     make the plot file OUT.db from two delimited text files\n"
    "                     (comma, semicolon or tab, plain or .gz): GRID, wide\n"
    "                     (x_coord, y_coord, optionally gridcell_id, one column per\n"
    "                     tree) or long (x_coord, y_coord, Tree, uptake), and STEMS\n"
    "                     (Tree, Xrot0, Yrot0, any further columns); R's and pandas'\n"
    "                     row numbers are left out, and an uptake of NA, NaN or\n"
    "                     nothing counts as none; no display is needed\n"
    "  --force            let import replace an existing OUT.db\n"
    "  stats FILE.db      write, as CSV, one row per tree of FILE.db: its stem, its\n"
    "                     uptake, cells, area and share, the uptake-weighted centre\n"
    "                     of its cells, its offset and reach from the stem, and the\n"
    "                     area and uptake it shares with other trees; no display is\n"
    "                     needed\n"
    "  --trees LABEL,...  stats: only these trees, in this order (commas and\n"
    "                     backslashes in labels as for --stems)\n"
    "  --output OUT.csv   stats: write to OUT.csv instead of standard output\n"
    "  --by COLUMN        stats: one row per group of trees, grouped by a column of\n"
    "                     the stem table: its trees, uptake, cells, area, share\n"
    "                     and the area and uptake it shares with other groups\n"
    "  --overlap          stats: write the area of the cells each two trees (or\n"
    "                     groups) share instead, as a matrix with a row and a\n"
    "                     column per tree (or group)\n"
    "  grid FILE.db       write the values of a value layer (keys below) over the\n"
    "                     whole plot as a grid for GIS programs, R or Python, one\n"
    "                     pixel per grid cell, north row first, float32: a GeoTIFF\n"
    "                     (.tif), an ESRI ASCII grid (.asc) or a CSV of cell centres\n"
    "                     (x,y,value); squares without a grid cell hold nodata (the\n"
    "                     CSV leaves them out); an unevenly spaced grid is refused;\n"
    "                     no display is needed\n"
    "  --layer KEY        grid: the value layer to write\n"
    "  --tree LABEL       grid: the tree of --layer tree\n"
    "  --crs EPSG:N       grid: the projected coordinate system the plot's\n"
    "                     coordinates are in, stored in the GeoTIFF or in a .prj\n"
    "                     file beside the ASCII grid (default: none)\n"
    "  --output OUT       grid: the file to write, its format told by its ending\n"
    "  --log-dir DIR      --export, --at, import, stats and grid: append the logs\n"
    "                     (error.log, run.log, console.log) to files in the\n"
    "                     folder DIR, which must exist; without it these commands\n"
    "                     write no log file, and say what went wrong on standard\n"
    "                     error only (the window always writes its logs in the\n"
    "                     working folder)\n"
    "  --help             show this help and exit\n"
    "  --version          show the version and exit\n"
    "\n"
    "Layer keys:\n";

const char* const kUsageTail =
    "\n"
    "Exit status: 0 when the picture, plot file, table or grid was written or the\n"
    "point read; 3 when the picture was written, but a requested layer is missing\n"
    "because the index tables it needs could not be built (the file is read-only,\n"
    "locked by another program, on a full disk or damaged; the message says which);\n"
    "2 on any other error, and then nothing is written.\n";

}  // namespace

std::string UsageText() {
    std::string text = kUsageHead;
    for (const LayerDef& layer : LayerCatalogue()) {
        std::string key = layer.key;
        key.resize(std::max<size_t>(key.size() + 2, 17), ' ');
        text += "  " + key + layer.label +
                (layer.group == LayerGroup::Tree        ? ", for each stem"
                 : layer.group == LayerGroup::TreeGroup ? ", for each group of --groups"
                                                        : "") +
                "\n";
    }
    text += "\nValue layer keys (grid --layer):\n";
    for (const ValueLayerDef& layer : ValueLayerKeys()) {
        std::string key = layer.key;
        key.resize(std::max<size_t>(key.size() + 2, 17), ' ');
        text += "  " + key + layer.description + "\n";
    }
    return text + kUsageTail;
}
