// Scaling the frame onto a larger (or smaller) output with every game pixel
// the same size ("sharp bilinear"): the frame is enlarged by the largest
// whole number that fits, nearest pixel, and that picture is then scaled
// to the output's size with linear filtering. Each game pixel covers the
// same area; only the one output pixel at its edge mixes it with its
// neighbour. At a whole-number scale every output pixel is exactly its
// game pixel.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// The largest rectangle of the frame's shape inside an output of
// out_width x out_height, centred (the rest is black bars).
struct PictureRect {
    int32_t x, y, width, height;
};
PictureRect picture_rect(int32_t frame_width, int32_t frame_height, int32_t out_width, int32_t out_height);

// The whole number the frame is enlarged by before the linear pass: the
// largest that fits the picture (at least 1).
int32_t whole_scale(int32_t frame_width, int32_t frame_height, int32_t picture_width, int32_t picture_height);

// One output position along an axis: the source pixel, and the weight
// (0..255 of 256) of the next source pixel mixed into it.
struct ScaleStep {
    int32_t first;
    uint32_t weight;
};

struct SharpScaler {
    int32_t frame_width = 0, frame_height = 0, out_width = 0, out_height = 0;
    std::vector<ScaleStep> columns, rows;
    std::vector<uint32_t> row_cache[2];  // scaled source rows, by the row's parity
    int32_t cached_row[2] = {-1, -1};
};

// Draws the frame (frame_width x frame_height, 0x00RRGGBB) into out_width
// x out_height pixels at out, whose rows are out_pitch pixels apart.
void sharp_scale(SharpScaler& scaler, const uint32_t* frame, int32_t frame_width, int32_t frame_height,
                 uint32_t* out, size_t out_pitch, int32_t out_width, int32_t out_height);
