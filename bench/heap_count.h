#pragma once

#include <cstddef>

// Live heap of the whole process, counted by this program's own malloc,
// free and realloc, which stand in front of the C library's (the benchmark
// only: the program itself keeps the library's). Bytes are what each block
// can hold (malloc_usable_size), so rounding up counts too.
struct HeapCount {
    long long bytes = 0;
    long long blocks = 0;
};
HeapCount liveHeap();
