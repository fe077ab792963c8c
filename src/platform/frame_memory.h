// Memory for the buffers the renderer sweeps every frame: the display's
// frame buffers, the depth buffer, the game's views.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#if defined(__linux__)
#include <sys/mman.h>
#endif

// A buffer of `bytes`, released with std::free; null when there is not
// enough memory. On Linux one of 1 MB or more lies on whole 2 MB pages,
// asked for as huge pages: at 1024 pixels a row fills a 4 KB page, so with
// small pages every row a face touches costs an address translation of its
// own.
inline void* allocate_frame_memory(size_t bytes)
{
#if defined(__linux__)
    constexpr size_t page = size_t{2} << 20;
    if (bytes >= page / 2 && bytes <= SIZE_MAX - page) {
        const size_t whole = (bytes + page - 1) / page * page;
        void* memory = std::aligned_alloc(page, whole);
        if (memory) {
            madvise(memory, whole, MADV_HUGEPAGE);  // a hint: without it the pages are small
        }
        return memory;
    }
#endif
    return std::malloc(bytes > 0 ? bytes : 1);
}
