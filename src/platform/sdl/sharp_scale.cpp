#include "platform/sdl/sharp_scale.h"

#include <algorithm>
#include <cstring>

PictureRect picture_rect(int32_t frame_width, int32_t frame_height, int32_t out_width, int32_t out_height)
{
    if (int64_t(out_width) * frame_height <= int64_t(out_height) * frame_width) {
        const int32_t height = int32_t(int64_t(out_width) * frame_height / frame_width);
        return {0, (out_height - height) / 2, out_width, height};
    }
    const int32_t width = int32_t(int64_t(out_height) * frame_width / frame_height);
    return {(out_width - width) / 2, 0, width, out_height};
}

int32_t whole_scale(int32_t frame_width, int32_t frame_height, int32_t picture_width, int32_t picture_height)
{
    return std::max(1, std::min(picture_width / frame_width, picture_height / frame_height));
}

namespace {

// Output position o samples the enlarged picture (source x scale pixels)
// linearly at its centre; only where the two pixels sampled come from
// different source pixels is anything mixed.
void build_steps(std::vector<ScaleStep>& steps, int32_t source, int32_t length, int32_t scale)
{
    steps.resize(size_t(length));
    const int64_t enlarged = int64_t(source) * scale;
    for (int32_t o = 0; o < length; ++o) {
        const double at = std::max(0.0, (o + 0.5) * double(enlarged) / length - 0.5);
        int64_t pixel = int64_t(at);
        double fraction = at - double(pixel);
        if (pixel >= enlarged - 1) {
            pixel = enlarged - 1;
            fraction = 0;
        }
        int32_t first = int32_t(pixel / scale);
        uint32_t weight = (pixel + 1) / scale != first ? uint32_t(fraction * 256 + 0.5) : 0;
        if (weight >= 256) {
            ++first;
            weight = 0;
        }
        steps[size_t(o)] = {first, weight};
    }
}

inline uint32_t mix(uint32_t a, uint32_t b, uint32_t weight)
{
    const uint32_t keep = 256 - weight;
    return ((((a & 0xFF00FFu) * keep + (b & 0xFF00FFu) * weight) >> 8) & 0xFF00FFu) |
           ((((a & 0x00FF00u) * keep + (b & 0x00FF00u) * weight) >> 8) & 0x00FF00u);
}

const uint32_t* scaled_row(SharpScaler& scaler, const uint32_t* frame, int32_t row)
{
    const int32_t slot = row & 1;
    std::vector<uint32_t>& out = scaler.row_cache[slot];
    if (scaler.cached_row[slot] != row) {
        const uint32_t* source = frame + size_t(row) * size_t(scaler.frame_width);
        for (size_t x = 0; x < out.size(); ++x) {
            const ScaleStep step = scaler.columns[x];
            out[x] = step.weight ? mix(source[step.first], source[step.first + 1], step.weight) : source[step.first];
        }
        scaler.cached_row[slot] = row;
    }
    return out.data();
}

}  // namespace

void sharp_scale(SharpScaler& scaler, const uint32_t* frame, int32_t frame_width, int32_t frame_height,
                 uint32_t* out, size_t out_pitch, int32_t out_width, int32_t out_height)
{
    if (frame_width <= 0 || frame_height <= 0 || out_width <= 0 || out_height <= 0) return;
    if (scaler.frame_width != frame_width || scaler.frame_height != frame_height || scaler.out_width != out_width ||
        scaler.out_height != out_height) {
        const int32_t scale = whole_scale(frame_width, frame_height, out_width, out_height);
        build_steps(scaler.columns, frame_width, out_width, scale);
        build_steps(scaler.rows, frame_height, out_height, scale);
        for (std::vector<uint32_t>& row : scaler.row_cache) row.assign(size_t(out_width), 0);
        scaler.frame_width = frame_width;
        scaler.frame_height = frame_height;
        scaler.out_width = out_width;
        scaler.out_height = out_height;
    }
    scaler.cached_row[0] = scaler.cached_row[1] = -1;  // a new frame
    for (int32_t y = 0; y < out_height; ++y) {
        uint32_t* line = out + size_t(y) * out_pitch;
        const ScaleStep step = scaler.rows[size_t(y)];
        const uint32_t* upper = scaled_row(scaler, frame, step.first);
        if (!step.weight) {
            std::memcpy(line, upper, size_t(out_width) * sizeof(uint32_t));
            continue;
        }
        const uint32_t* lower = scaled_row(scaler, frame, step.first + 1);
        for (int32_t x = 0; x < out_width; ++x) line[x] = mix(upper[x], lower[x], step.weight);
    }
}
