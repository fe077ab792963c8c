// The display's two frame buffers, used by turns, as both backends keep
// them in memory: the first frame draws into B, the next into A, and so on,
// so a buffer still holds what was drawn into it two frames earlier.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "platform/frame_memory.h"

struct FramePair {
    uint32_t* a;
    uint32_t* b;
    int32_t width;
    int32_t height;
    int32_t draw_to_a;  // 1 when the next frame draws into A; kept across a release
};

// Frees both buffers; the size becomes 0 x 0.
inline void frame_pair_release(FramePair* pair)
{
    std::free(pair->a);
    std::free(pair->b);
    *pair = {nullptr, nullptr, 0, 0, pair->draw_to_a};
}

// Frees what the pair held, then allocates both buffers of width x height
// pixels, all 0. False, with nothing held, when memory runs out.
inline bool frame_pair_allocate(FramePair* pair, int32_t width, int32_t height)
{
    frame_pair_release(pair);
    size_t count = size_t(width) * size_t(height);
    if (width < 0 || height < 0 || count > SIZE_MAX / sizeof(uint32_t)) {
        return false;
    }
    pair->a = static_cast<uint32_t*>(allocate_frame_memory(count * sizeof(uint32_t)));
    pair->b = static_cast<uint32_t*>(allocate_frame_memory(count * sizeof(uint32_t)));
    if (!pair->a || !pair->b) {
        frame_pair_release(pair);
        return false;
    }
    std::memset(pair->a, 0, count * sizeof(uint32_t));
    std::memset(pair->b, 0, count * sizeof(uint32_t));
    pair->width = width;
    pair->height = height;
    return true;
}

// The buffer this frame draws into.
inline uint32_t* frame_pair_current(const FramePair* pair)
{
    return pair->draw_to_a ? pair->a : pair->b;
}

// Ends the frame: returns the buffer just drawn, the one to show, and
// passes the turn to the other buffer.
inline const uint32_t* frame_pair_flip(FramePair* pair)
{
    const uint32_t* shown = frame_pair_current(pair);
    pair->draw_to_a = !pair->draw_to_a;
    return shown;
}
