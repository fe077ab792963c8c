// Whether a frame scaled onto a screen shows every frame pixel at the same
// size: the screen against the frame scaled by area.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>
#include <vector>

// The largest difference of a colour channel between a screen (width x
// height, rows pitch pixels apart) and the frame scaled onto it by area:
// each screen pixel the mean of the frame pixels under it, weighted by the
// area they cover, in the largest area of the frame's shape, centred, black
// around it. Where every game pixel covers the same area this stays small;
// nearest-pixel scaling by a fraction makes some pixels a column wider than
// others and the difference at their edges is most of their contrast.
inline int32_t area_scaling_error(const std::vector<uint32_t>& frame, int32_t frame_width, int32_t frame_height,
                                  const uint32_t* screen, size_t pitch, int32_t width, int32_t height)
{
    const bool wide = int64_t(width) * frame_height > int64_t(height) * frame_width;
    const int32_t pw = wide ? int32_t(int64_t(height) * frame_width / frame_height) : width;
    const int32_t ph = wide ? height : int32_t(int64_t(width) * frame_height / frame_width);
    const int32_t left = (width - pw) / 2, top = (height - ph) / 2;
    // For each screen position along an axis: the frame pixels under it and
    // the share of each.
    auto shares = [](int32_t source, int32_t length) {
        std::vector<std::vector<std::pair<int32_t, double>>> out(static_cast<size_t>(length));
        for (int32_t o = 0; o < length; ++o) {
            const double from = double(o) * source / length, to = double(o + 1) * source / length;
            for (int32_t i = int32_t(from); i < source && i < to; ++i)
                out[size_t(o)].push_back({i, (std::min(to, i + 1.0) - std::max(from, double(i))) * length / source});
        }
        return out;
    };
    const auto columns = shares(frame_width, pw), rows = shares(frame_height, ph);
    int32_t worst = 0;
    for (int32_t y = 0; y < height; ++y)
        for (int32_t x = 0; x < width; ++x) {
            const uint32_t shown = screen[size_t(y) * pitch + size_t(x)];
            const bool inside = x >= left && x < left + pw && y >= top && y < top + ph;
            for (int32_t shift = 0; shift <= 16; shift += 8) {
                double expected = 0;
                if (inside)
                    for (const auto& [fy, wy] : rows[size_t(y - top)])
                        for (const auto& [fx, wx] : columns[size_t(x - left)])
                            expected += wx * wy * double((frame[size_t(fy) * frame_width + fx] >> shift) & 0xFF);
                worst = std::max(worst, int32_t(std::abs(double((shown >> shift) & 0xFF) - expected) + 0.5));
            }
        }
    return worst;
}
