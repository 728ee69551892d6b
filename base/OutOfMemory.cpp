#include "base/OutOfMemory.h"

#include <cstdio>
#include <cstdlib>

void OutOfMemory() {
    std::fputs("Out of memory!", stdout);
    std::fflush(stdout);
    std::exit(-1);
}
