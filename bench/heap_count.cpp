#include "heap_count.h"

#include <atomic>
#include <cerrno>
#include <malloc.h>

// Every allocation of the process (Qt's and the C++ library's included)
// comes here first, as the executable's own symbols win over the C
// library's. The counters are atomic: the reading threads allocate too.

extern "C" {
void *__libc_malloc(size_t size);
void __libc_free(void *p);
void *__libc_realloc(void *p, size_t size);
void *__libc_calloc(size_t n, size_t size);
void *__libc_memalign(size_t alignment, size_t size);
}

namespace
{
std::atomic<long long> g_bytes{0};
std::atomic<long long> g_blocks{0};

inline void *added(void *p)
{
    if (p) {
        g_bytes.fetch_add((long long)malloc_usable_size(p), std::memory_order_relaxed);
        g_blocks.fetch_add(1, std::memory_order_relaxed);
    }
    return p;
}

inline void removed(void *p)
{
    if (p) {
        g_bytes.fetch_sub((long long)malloc_usable_size(p), std::memory_order_relaxed);
        g_blocks.fetch_sub(1, std::memory_order_relaxed);
    }
}
} // namespace

HeapCount liveHeap()
{
    return {g_bytes.load(), g_blocks.load()};
}

extern "C" {

void *malloc(size_t size)
{
    return added(__libc_malloc(size));
}

void free(void *p)
{
    removed(p);
    __libc_free(p);
}

void *calloc(size_t n, size_t size)
{
    return added(__libc_calloc(n, size));
}

void *realloc(void *p, size_t size)
{
    if (!p)
        return malloc(size);
    if (size == 0) {
        free(p);
        return nullptr;
    }
    const long long before = (long long)malloc_usable_size(p);
    void *q = __libc_realloc(p, size);
    if (q) {
        g_bytes.fetch_add((long long)malloc_usable_size(q) - before, std::memory_order_relaxed);
    }
    return q;
}

void *memalign(size_t alignment, size_t size)
{
    return added(__libc_memalign(alignment, size));
}

void *aligned_alloc(size_t alignment, size_t size)
{
    return added(__libc_memalign(alignment, size));
}

int posix_memalign(void **out, size_t alignment, size_t size)
{
    void *p = added(__libc_memalign(alignment, size));
    if (!p)
        return ENOMEM;
    *out = p;
    return 0;
}

void *valloc(size_t size)
{
    return added(__libc_memalign(4096, size));
}

void *pvalloc(size_t size)
{
    return added(__libc_memalign(4096, (size + 4095) & ~size_t(4095)));
}
}
