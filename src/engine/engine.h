// The renderer's single global context: render size, projection, frustum,
// working face, depth buffer (1/z per pixel), the texture being filled, the
// font texture and the frame buffer of the current frame.
#pragma once

#include <cstddef>
#include <cstdint>

#include "assets/scene.h"
#include "assets/texture.h"

struct Plane;

// One edge prepared for stepping: 16.16 fixed point x and dx.
struct EdgeStep {
    int32_t x;     // x on the edge's first row, value * 65536
    int32_t y;     // first pixel row
    int32_t rows;  // rows covered
    int32_t dx;    // change of x per row, value * 65536
};

// attribute(x, y) = origin + x * per_column + y * per_row
struct Gradient {
    float origin;
    float per_column;
    float per_row;
};

// The rasteriser's per-face scratch state.
struct RasterState {
    EdgeStep chain_a[2];
    EdgeStep chain_b[2];
    int32_t chain_a_count;
    int32_t chain_b_count;
    Gradient w;   // 1/z
    Gradient uw;  // u/z
    Gradient vw;  // v/z
    float w_step16;   // 16 * w.per_column
    float uw_step16;
    float vw_step16;
    float face_angle;
};

struct Engine {
    int32_t width;
    int32_t height;
    int32_t focal_x;  // trunc(width * 0.8)
    int32_t focal_y;  // same as focal_x
    Texture* font_texture;
    Plane* frustum[4];  // right, left, top, bottom
    Face work_face;     // its corners are always the work_vertices
    Vertex* work_vertices[3];
    // width * height entries of 1/z, 0 = nothing drawn; made last, so while
    // it is there the whole context is (nothing is drawn without it).
    float* depth_buffer;
    const Texture* current_texture;
    uint32_t* frame_buffer;  // the display's memory for this frame
    // Pixels from one row of a render target to the next; 0 when the target
    // is width pixels wide, as it is unless a view is drawn straight into
    // a wider frame. The depth buffer's rows are always width apart.
    int32_t target_stride;
    RasterState raster;
};

extern Engine engine;

inline ptrdiff_t engine_target_stride()
{
    return engine.target_stride > 0 ? engine.target_stride : engine.width;
}

// Builds the context for a render size; loads the font from "Fonts.tex".
// Non-zero on success, 0 when the working vertices or the depth buffer
// cannot be allocated.
int32_t engine_init(int32_t width, int32_t height);
// Releases everything engine_init allocated; safe to call twice.
void engine_release();
// Every depth entry to 0.0.
void engine_clear_depth();
// Every depth entry to value.
void engine_fill_depth(float value);
