#include "base/OutOfMemory.h"

#include <unistd.h>

#include <cstdio>

void OutOfMemory() {
    std::fputs("Out of memory!", stdout);
    std::fflush(stdout);
    // Not exit: other threads (the window's among them) still run, and the
    // destructors exit would start under them could crash on the way out.
    _exit(-1);
}
