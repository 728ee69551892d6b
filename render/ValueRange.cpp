#include "render/ValueRange.h"

int FixedPaletteIndex(double value, const ValueRange& range, int paletteSize) {
    if (paletteSize <= 0) {
        return -1;
    }
    const double index = ((value - range.min) * paletteSize) / (range.max - range.min);
    // Below MIN (and a value that is not a number) takes the first colour.
    if (!(index >= 0.0)) {
        return 0;
    }
    return index >= paletteSize ? paletteSize - 1 : static_cast<int>(index);
}
