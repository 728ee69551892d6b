// Fewer page faults, which on a virtual machine cost as much as filling the
// pages: large arrays of a big plot (a few bytes for each of millions of
// cells) backed by the kernel's huge pages, one fault for every 2 MiB
// instead of one for every 4 KiB, and freed memory kept for its next use.
// Only hints: what the arrays hold is the same either way.
#pragma once

#include <cstddef>
#include <vector>

// Keeps memory that is freed in the process for its next use, up to a few
// hundred MiB: a map's layers take a few MiB each and come again at every
// redraw, and memory handed back to the kernel and asked for again costs a
// page fault for every 4 KiB. Blocks of more than 32 MiB (the big arrays)
// still go back to the kernel when freed. Call once, at start.
void KeepFreedMemoryForReuse();

// Asks for huge pages under the whole 2 MiB pages that the block covers;
// does nothing for a small block, or where the kernel declines.
void AdviseHugePages(const void* start, size_t bytes);

// Reserves room for count elements, backed by huge pages, before anything
// is written there.
template <class T>
void ReserveHuge(std::vector<T>& array, size_t count) {
    if (count > array.capacity()) {
        array.reserve(count);
        AdviseHugePages(array.data() + array.size(), (array.capacity() - array.size()) * sizeof(T));
    }
}

// Appends as push_back does, growing the array by doubling into huge pages.
template <class T>
void PushHuge(std::vector<T>& array, const T& value) {
    if (array.size() == array.capacity()) {
        ReserveHuge(array, array.empty() ? 1024 : array.size() * 2);
    }
    array.push_back(value);
}
