// Triangle fills under the 1/z depth buffer: flat shaded and perspective
// textured (exact every 16 pixels, linear in between).
//
// The fills split a face into two edge chains from its top corner to its
// bottom corner, step each edge in 16.16 fixed point and fill every pixel
// row between the chains: column x of a row is covered when
// trunc(left) < x <= trunc(right), and the edges cover the rows r with
// top y <= r < bottom y. A pixel is written only when its 1/z is strictly
// greater than the depth entry. Every float-to-integer conversion truncates
// toward zero; a value beyond the 32-bit range gives INT32_MIN, as the x86
// conversion instruction does.
#pragma once

#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "assets/scene.h"

struct EdgeStep;

// The face's corners hold screen x, y, camera z (> 0.1) and texel u, v; the
// target and the depth buffer have the engine's width as row stride. A face
// with a corner outside x in (-1, width), y in (-1, height] (or not a
// number) would reach outside the target and is not drawn.
void fill_flat(const Face& face, uint32_t* target, uint32_t colour);
// Uses engine.current_texture. 1 after drawing, 0 when nothing was drawn.
int32_t fill_textured(const Face& face, uint32_t* target);

// Whether the fills draw sixteen pixels at a time (AVX-512); set at start-up
// from what the processor has. Both ways give the same pixels and depths;
// tests clear it to check the plain way.
extern bool raster_wide_spans;

// Fills engine.raster's two edge chains. 0 when the face covers no pixel row.
int32_t build_edge_chains(const Face& face);
// The edge from the upper corner `from` to the lower corner `to`. 0 when it
// covers no pixel row (out is then not written).
int32_t setup_edge(const Face& face, int32_t from, int32_t to, EdgeStep& out);
// 1/z gradient and the face angle. 0 for a face of zero screen area.
int32_t flat_gradients(const Face& face);
// 1/z, u/z and v/z gradients and their 16-column steps. 0 for zero area.
int32_t texture_gradients(const Face& face);
// Each channel multiplied by factor, truncated, low 8 bits kept.
uint32_t shade_colour(uint32_t colour, float factor);

// Float-to-integer truncation toward zero; INT32_MIN for NaN and for values
// beyond the 32-bit range: what the x86 conversion instructions give, and
// where they exist, what is used.
inline int32_t truncate_to_int(float value)
{
#if defined(__SSE2__)
    return _mm_cvttss_si32(_mm_set_ss(value));
#else
    return (value >= -2147483648.0f && value < 2147483648.0f) ? static_cast<int32_t>(value)
                                                               : INT32_MIN;
#endif
}
inline int32_t truncate_to_int(double value)
{
#if defined(__SSE2__)
    return _mm_cvttsd_si32(_mm_set_sd(value));
#else
    return (value > -2147483649.0 && value < 2147483648.0) ? static_cast<int32_t>(value)
                                                            : INT32_MIN;
#endif
}
