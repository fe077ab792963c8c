#include "engine/raster.h"

#include <cmath>
#include <cstddef>
#include <cstring>
#include <type_traits>

// The wide spans need GCC or Clang on x86. Not on Windows: there GCC keeps
// the stack 16-byte aligned and cannot spill 64-byte vectors safely.
#if (defined(__x86_64__) || defined(__i386__)) && (defined(__GNUC__) || defined(__clang__)) && !defined(_WIN32)
#include <immintrin.h>
#define VALKRON_WIDE_SPANS 1
#endif

#include "engine/engine.h"

// Precision: screen positions, depths, gradients and the per-pixel
// attributes are floats. ceil is the C library's double function, so the
// expressions that contain it (row counts, the first row, an edge's x on its
// first row) are evaluated in double. The face angle is atan of a double sum
// (the constants 0.3535 and 0.7853 are doubles), kept as a float; the shade
// factor is the double cos of that float, passed on as a float. "65536 / w"
// is a float division (an integer constant over a float).

namespace {

// Wrapping 32-bit addition and subtraction: the edge and texel steps add
// like the machine's integer registers do, without signed overflow.
inline int32_t wrap_add(int32_t a, int32_t b)
{
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
inline int32_t wrap_sub(int32_t a, int32_t b)
{
    return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}

// Every corner within x in (-1, width) and y in (-1, height] keeps every
// covered column in 0 .. width - 1 and every covered row in 0 .. height - 1.
// Projected faces are always well inside; this only refuses faces that
// would reach outside the buffers (and corners that are not numbers).
bool face_fits_target(const Face& face)
{
    const float right = static_cast<float>(engine.width);
    const float bottom = static_cast<float>(engine.height);
    for (int k = 0; k < 3; ++k) {
        const Vertex& v = *face.corner[k];
        if (!(v.x > -1.0f && v.x < right && v.y > -1.0f && v.y <= bottom)) {
            return false;
        }
    }
    return true;
}

struct GradientCorners {
    float x0, y0, x1, y1, x2, y2;
    float det;
};

// det = (y2 - y0)(x1 - x0) - (y0 - y1)(x0 - x2); 0 means no screen area.
GradientCorners gradient_corners(const Face& face)
{
    GradientCorners c;
    c.x0 = face.corner[0]->x;
    c.y0 = face.corner[0]->y;
    c.x1 = face.corner[1]->x;
    c.y1 = face.corner[1]->y;
    c.x2 = face.corner[2]->x;
    c.y2 = face.corner[2]->y;
    c.det = (c.y2 - c.y0) * (c.x1 - c.x0) - (c.y0 - c.y1) * (c.x0 - c.x2);
    return c;
}

Gradient gradient_of(const GradientCorners& c, float q0, float q1, float q2)
{
    Gradient g;
    g.per_column = ((q1 - q0) * (c.y2 - c.y0) + (q2 - q0) * (c.y0 - c.y1)) / c.det;
    g.per_row = ((q1 - q0) * (c.x0 - c.x2) + (q2 - q0) * (c.x1 - c.x0)) / c.det;
    g.origin = q0 - c.x0 * g.per_column - c.y0 * g.per_row;
    return g;
}

// A hint to bring the cache line `ahead` entries past p in, for reading or
// for writing. Only the address is formed, as an integer: a line past the
// end of a buffer is fetched harmlessly, never read.
template <int Write, class T>
inline void prefetch_entry(T* p, ptrdiff_t ahead)
{
#if defined(__GNUC__) || defined(__clang__)
    __builtin_prefetch(reinterpret_cast<const void*>(reinterpret_cast<uintptr_t>(p) + static_cast<uintptr_t>(ahead) * sizeof(T)),
                       Write);
#else
    (void)p;
    (void)ahead;
#endif
}

// The row loop shared by both fills. Rows start at chain B's first edge;
// each row covers the columns min(ia, ib) + 1 .. max(ia, ib) where ia, ib
// are the chains' x divided by 65536 toward zero. `row` is started (its
// gradients made, with their divisions) only at the first row that covers
// a column, given how many rows came before: many small faces cover none.
// Then it is called with each row's pixels and depth entries, the first
// covered column and the count, and steps its own per-row attributes.
template <class Row>
inline void row_loop(uint32_t* target, Row& row)
{
    RasterState& rs = engine.raster;
    const ptrdiff_t stride = engine.width;
    const ptrdiff_t target_stride = engine_target_stride();
    const EdgeStep* a = rs.chain_a;
    const EdgeStep* const a_end = rs.chain_a + rs.chain_a_count;
    const EdgeStep* b = rs.chain_b;
    const EdgeStep* const b_end = rs.chain_b + rs.chain_b_count;

    const int32_t y = b->y;
    uint32_t* pixels = target + y * target_stride;
    float* depth = engine.depth_buffer + y * stride;
    int32_t rows_before = 0;  // rows without a covered column, until the first

    int32_t xa = a->x, dxa = a->dx, rows_a = a->rows;
    int32_t xb = b->x, dxb = b->dx, rows_b = b->rows;
    for (;;) {
        const int32_t ia = xa / 65536;
        const int32_t ib = xb / 65536;
        if (ia != ib && rows_before >= 0) {
            row.start(y, rows_before);
            rows_before = -1;
        }
        {
            // The depth entries and pixels of this row's span three rows
            // down, fetched while the rows between are filled: faces are
            // seldom much wider at their next rows, and the lines come in
            // well before the fill reaches them.
            const ptrdiff_t first = (ia < ib ? ia : ib) + 1;
            const ptrdiff_t last = ia < ib ? ib : ia;
            prefetch_entry<0>(depth, 3 * stride + first);
            prefetch_entry<0>(depth, 3 * stride + last);
            prefetch_entry<1>(pixels, 3 * target_stride + first);
            prefetch_entry<1>(pixels, 3 * target_stride + last);
        }
        if (ia < ib) {
            row.fill(pixels, depth, ia + 1, ib - ia);
        } else if (ib < ia) {
            row.fill(pixels, depth, ib + 1, ia - ib);
        }
        pixels += target_stride;
        depth += stride;
        if (rows_before < 0) {
            row.next();
        } else {
            ++rows_before;
        }

        if (--rows_a == 0) {
            // Both chains span the same rows, so chain A runs out together
            // with chain B; the test only keeps the read inside the array.
            if (++a < a_end) {
                xa = a->x;
                dxa = a->dx;
                rows_a = a->rows;
            }
        } else {
            xa = wrap_add(xa, dxa);
        }
        if (--rows_b == 0) {
            if (++b == b_end) {
                return;
            }
            xb = b->x;
            dxb = b->dx;
            rows_b = b->rows;
        } else {
            xb = wrap_add(xb, dxb);
        }
    }
}

// Spans. Each pixel's 1/z is the previous pixel's plus the per-column step,
// rounded to float after every addition; U and V step in wrapping 16.16
// fixed point. Done one pixel at a time (the plain spans below), the chain
// of dependent float additions holds a span to one pixel per addition
// latency, however wide the processor.
//
// The chain can be broken without changing a bit. Floats in one binade
// [2^e, 2^(e+1)) are exactly the multiples of one ulp, so while the sums
// stay strictly inside it, every addition rounds the same exact step to the
// same multiple d of the ulp: pixel i of the run is exactly w + i * d, and
// any order of evaluation gives that value exactly. The exception is a step
// that lies halfway between two multiples: it rounds to even, so from an
// odd start the first increment differs from all later ones; requiring the
// first two increments to be equal rules that out. A run that leaves its
// binade (or ties from an odd start) is stepped one addition at a time.
// The wide spans use this to test and write sixteen pixels at once.

inline uint32_t float_bits(float value)
{
    uint32_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// d such that the n values w, w + s, (w + s) + s, ... (each sum rounded to
// float) are exactly w + i * d for i = 0 .. n - 1 (n >= 3); false when that
// is not certain.
inline bool linear_run(float w, float s, int32_t n, float& d)
{
    const uint32_t binade = float_bits(w) >> 23;  // sign and exponent
    const float w1 = w + s;
    const float w2 = w1 + s;
    d = w1 - w;
    const float last = w + static_cast<float>(n - 1) * d;
    // Strictly inside: the same exponent, and above the binade's lowest
    // value, below which the ulp halves. A product (n - 1) * d that is not
    // exact lands outside the binade, and so does a sum that leaves it.
    const auto inside = [binade](float value) {
        const uint32_t bits = float_bits(value);
        return (bits >> 23) == binade && (bits & 0x7FFFFFu) != 0;
    };
    return binade != 0 && binade < 255 && inside(w1) && inside(last) && w2 - w1 == d;
}

// Texel of the 16.16 coordinates U, V: ((V >> 16) & 255) * 256 + ((U >> 16) & 255).
inline uint32_t texel_index(uint32_t u, uint32_t v) { return ((v >> 8) & 0xFF00u) | ((u >> 16) & 0xFFu); }

// n flat pixels, one addition at a time; returns 1/z after the last pixel.
inline float flat_pixels(uint32_t* dest, float* depth, int32_t n, float w, float s, uint32_t colour)
{
    for (int32_t i = 0; i < n; ++i) {
        if (w > depth[i]) {
            dest[i] = colour;
            depth[i] = w;
        }
        w += s;
    }
    return w;
}

struct SpanConstants {
    const uint32_t* texels;
    float w_per_column, uw_per_column, vw_per_column;
    float w_step16, uw_step16, vw_step16;
};

// One block of a textured span, one pixel at a time: U, V stepped by dU, dV,
// 1/z from w stepped by the per-column gradient.
struct PlainBlock {
    static void draw(uint32_t u, uint32_t v, uint32_t du, uint32_t dv, uint32_t* dest, int32_t n,
                     float* depth, float w, const SpanConstants& k)
    {
        for (int32_t i = 0; i < n; ++i) {
            if (w > depth[i]) {
                dest[i] = k.texels[texel_index(u, v)];
                depth[i] = w;
            }
            w += k.w_per_column;
            u += du;
            v += dv;
        }
    }
};

// A textured span: texel coordinates exact (perspective) at the first
// pixel and after every 16 pixels, stepped linearly in between.
template <class Block>
inline void textured_span(int32_t n, uint32_t* dest, float uw, float vw, float w, float* depth,
                          const SpanConstants& k)
{
    int32_t u0 = truncate_to_int((65536.0f / w) * uw);
    int32_t v0 = truncate_to_int((65536.0f / w) * vw);
    float w_block = w;
    while (n >= 16) {
        uw += k.uw_step16;
        vw += k.vw_step16;
        w += k.w_step16;
        const float scale = 65536.0f / w;
        const int32_t u1 = truncate_to_int(scale * uw);
        const int32_t v1 = truncate_to_int(scale * vw);
        Block::draw(static_cast<uint32_t>(u0), static_cast<uint32_t>(v0),
                    static_cast<uint32_t>(wrap_sub(u1, u0) / 16), static_cast<uint32_t>(wrap_sub(v1, v0) / 16),
                    dest, 16, depth, w_block, k);
        n -= 16;
        if (n == 0) {
            return;
        }
        dest += 16;
        depth += 16;
        w_block += k.w_step16;
        u0 = u1;
        v0 = v1;
    }
    const float count = static_cast<float>(n);
    const float w_end = w + count * k.w_per_column;
    const float scale = 65536.0f / w_end;
    const int32_t u1 = truncate_to_int(scale * (uw + count * k.uw_per_column));
    const int32_t v1 = truncate_to_int(scale * (vw + count * k.vw_per_column));
    Block::draw(static_cast<uint32_t>(u0), static_cast<uint32_t>(v0), static_cast<uint32_t>(wrap_sub(u1, u0) / n),
                static_cast<uint32_t>(wrap_sub(v1, v0) / n), dest, n, depth, w_block, k);
}

#if defined(VALKRON_WIDE_SPANS)
// Sixteen pixels at a time with AVX-512, for runs whose 1/z is w + i * d
// exactly: no branch per pixel; the depth test gives a lane mask, and only
// the lanes inside the run are loaded and only those that pass are fetched
// and stored.
#define WIDE [[gnu::target("avx512f")]]

// Each 32-bit lane shifted right, in the compilers' own vector notation
// (GCC 12's shift intrinsics trip its uninitialised-value warning).
using Lanes = uint32_t __attribute__((vector_size(64)));
WIDE inline __m512i shift_lanes_right(__m512i x, int bits) { return (__m512i)((Lanes)x >> bits); }

WIDE inline __mmask16 lanes_below(int32_t n)
{
    return static_cast<__mmask16>(n >= 16 ? 0xFFFF : (1u << n) - 1);
}

// 1/z of pixels i .. i + 15 of a run of n, written to the depth entries
// where it is greater; the lanes written.
WIDE inline __mmask16 depth_test(float* depth, int32_t i, int32_t n, __m512 w, __m512 d)
{
    const __m512 lane = _mm512_setr_ps(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
    const __m512 wq = _mm512_add_ps(w, _mm512_mul_ps(_mm512_add_ps(_mm512_set1_ps(static_cast<float>(i)), lane), d));
    const __mmask16 inside = lanes_below(n - i);
    const __m512 old = _mm512_maskz_loadu_ps(inside, depth + i);
    const __mmask16 pass = _mm512_mask_cmp_ps_mask(inside, wq, old, _CMP_GT_OQ);
    _mm512_mask_storeu_ps(depth + i, pass, wq);
    return pass;
}

WIDE float flat_span_wide(uint32_t* dest, float* depth, int32_t n, float w, float s, uint32_t colour)
{
    const __m512i fill = _mm512_set1_epi32(static_cast<int32_t>(colour));
    while (n > 0) {
        const int32_t m = n < 32 ? n : 32;
        float d;
        if (m >= 3 && linear_run(w, s, m, d)) {
            const __m512 start = _mm512_set1_ps(w), step = _mm512_set1_ps(d);
            for (int32_t i = 0; i < m; i += 16) {
                _mm512_mask_storeu_epi32(dest + i, depth_test(depth, i, m, start, step), fill);
            }
            w = (w + static_cast<float>(m - 1) * d) + s;
        } else {
            w = flat_pixels(dest, depth, m, w, s, colour);
        }
        dest += m;
        depth += m;
        n -= m;
    }
    return w;
}

struct WideBlock {
    WIDE static void draw(uint32_t u, uint32_t v, uint32_t du, uint32_t dv, uint32_t* dest, int32_t n,
                          float* depth, float w, const SpanConstants& k)
    {
        float d;
        if (n < 3 || !linear_run(w, k.w_per_column, n, d)) {
            PlainBlock::draw(u, v, du, dv, dest, n, depth, w, k);
            return;
        }
        const __mmask16 pass = depth_test(depth, 0, n, _mm512_set1_ps(w), _mm512_set1_ps(d));
        if (pass == 0) {
            return;  // hidden: no texel to fetch
        }
        const __m512i lane = _mm512_setr_epi32(0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15);
        const __m512i uq = _mm512_add_epi32(_mm512_set1_epi32(static_cast<int32_t>(u)),
                                            _mm512_mullo_epi32(lane, _mm512_set1_epi32(static_cast<int32_t>(du))));
        const __m512i vq = _mm512_add_epi32(_mm512_set1_epi32(static_cast<int32_t>(v)),
                                            _mm512_mullo_epi32(lane, _mm512_set1_epi32(static_cast<int32_t>(dv))));
        const __m512i index = _mm512_or_si512(_mm512_and_si512(shift_lanes_right(vq, 8), _mm512_set1_epi32(0xFF00)),
                                              _mm512_and_si512(shift_lanes_right(uq, 16), _mm512_set1_epi32(0xFF)));
        const __m512i texels = _mm512_mask_i32gather_epi32(_mm512_setzero_si512(), pass, index, k.texels, 4);
        _mm512_mask_storeu_epi32(dest, pass, texels);
    }
};

#undef WIDE

bool processor_has_avx512()
{
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx512f") != 0;
}
#else
bool processor_has_avx512() { return false; }
float flat_span_wide(uint32_t* dest, float* depth, int32_t n, float w, float s, uint32_t colour)
{
    return flat_pixels(dest, depth, n, w, s, colour);
}
using WideBlock = PlainBlock;
#endif

// Row fillers, sixteen pixels at a time or one at a time.
template <bool Wide>
struct FlatRow {
    const Face* face;
    uint32_t colour;  // unshaded, then shaded by the face's slope
    float w_row;
    float w_per_column;
    float w_per_row;

    // The gradients and the shade, then 1/z on the first row, stepped by
    // one addition per row down to row y.
    void start(int32_t first_row, int32_t rows_before)
    {
        flat_gradients(*face);
        colour = shade_colour(colour, static_cast<float>(std::cos(static_cast<double>(engine.raster.face_angle))));
        w_per_column = engine.raster.w.per_column;
        w_per_row = engine.raster.w.per_row;
        w_row = engine.raster.w.origin + static_cast<float>(first_row) * w_per_row;
        for (int32_t k = 0; k < rows_before; ++k) {
            next();
        }
    }
    void next() { w_row += w_per_row; }
    void fill(uint32_t* pixels, float* depth, int32_t x, int32_t n)
    {
        const float w = w_row + static_cast<float>(x) * w_per_column;
        if constexpr (Wide) {
            flat_span_wide(pixels + x, depth + x, n, w, w_per_column, colour);
        } else {
            flat_pixels(pixels + x, depth + x, n, w, w_per_column, colour);
        }
    }
};

SpanConstants span_constants()
{
    const RasterState& rs = engine.raster;
    SpanConstants k;
    k.texels = engine.current_texture->pixels;
    k.w_per_column = rs.w.per_column;
    k.uw_per_column = rs.uw.per_column;
    k.vw_per_column = rs.vw.per_column;
    k.w_step16 = rs.w_step16;
    k.uw_step16 = rs.uw_step16;
    k.vw_step16 = rs.vw_step16;
    return k;
}

template <bool Wide>
struct TexturedRow {
    const Face* face;
    SpanConstants k;
    Gradient w, uw, vw;
    float w_row, uw_row, vw_row;

    void start(int32_t first_row, int32_t rows_before)
    {
        texture_gradients(*face);
        k = span_constants();
        w = engine.raster.w;
        uw = engine.raster.uw;
        vw = engine.raster.vw;
        const float fy = static_cast<float>(first_row);
        w_row = w.origin + fy * w.per_row;
        uw_row = uw.origin + fy * uw.per_row;
        vw_row = vw.origin + fy * vw.per_row;
        for (int32_t r = 0; r < rows_before; ++r) {
            next();
        }
    }
    void next()
    {
        w_row += w.per_row;
        uw_row += uw.per_row;
        vw_row += vw.per_row;
    }
    void fill(uint32_t* pixels, float* depth, int32_t x, int32_t n)
    {
        const float fx = static_cast<float>(x);
        const float uw_x = uw_row + fx * uw.per_column, vw_x = vw_row + fx * vw.per_column;
        const float w_x = w_row + fx * w.per_column;
        textured_span<std::conditional_t<Wide, WideBlock, PlainBlock>>(n, pixels + x, uw_x, vw_x, w_x,
                                                                       depth + x, k);
    }
};


}  // namespace

bool raster_wide_spans = processor_has_avx512();

namespace {

// setup_edge with ceil of both corners' y already taken (each corner is
// the end of two edges).
inline int32_t make_edge(const Face& face, int32_t from, int32_t to, double first_row, double end_row, EdgeStep& out)
{
    const int32_t rows = truncate_to_int(end_row - first_row);
    if (rows == 0) {
        return 0;
    }
    const float x0 = face.corner[from]->x, y0 = face.corner[from]->y;
    const float x1 = face.corner[to]->x, y1 = face.corner[to]->y;
    const float slope = (x1 - x0) / (y1 - y0);
    out.y = truncate_to_int(first_row);
    out.x = truncate_to_int(
        (static_cast<double>(x0) + (first_row - static_cast<double>(y0)) * static_cast<double>(slope)) *
        65536.0);
    out.dx = truncate_to_int(slope * 65536.0f);
    out.rows = rows;
    return 1;
}

}  // namespace

int32_t setup_edge(const Face& face, int32_t from, int32_t to, EdgeStep& out)
{
    return make_edge(face, from, to, std::ceil(static_cast<double>(face.corner[from]->y)),
                     std::ceil(static_cast<double>(face.corner[to]->y)), out);
}

int32_t build_edge_chains(const Face& face)
{
    RasterState& rs = engine.raster;
    float min = 65536.0f, max = -65536.0f;
    int32_t top = 0, bottom = 0;
    for (int32_t k = 0; k < 3; ++k) {
        const float y = face.corner[k]->y;
        if (y < min) {
            min = y;
            top = k;
        }
        if (y > max) {
            max = y;
            bottom = k;
        }
    }
    if (std::ceil(static_cast<double>(min)) > std::ceil(static_cast<double>(max)) - 1.0) {
        return 0;
    }

    double row[3];
    for (int32_t k = 0; k < 3; ++k) {
        row[k] = std::ceil(static_cast<double>(face.corner[k]->y));
    }
    rs.chain_b_count = 0;
    for (int32_t i = top; i != bottom;) {
        const int32_t next = (i + 1) % 3;
        if (make_edge(face, i, next, row[i], row[next], rs.chain_b[rs.chain_b_count])) {
            ++rs.chain_b_count;
        }
        i = next;
    }

    EdgeStep made[2];
    int32_t made_count = 0;
    for (int32_t i = bottom; i != top;) {
        const int32_t next = (i + 1) % 3;
        if (make_edge(face, next, i, row[next], row[i], made[made_count])) {
            ++made_count;
        }
        i = next;
    }
    // Chain A is read from the top down: the edge made last comes first.
    rs.chain_a_count = made_count;
    for (int32_t e = 0; e < made_count; ++e) {
        rs.chain_a[e] = made[made_count - 1 - e];
    }
    // Only corners beyond +-65536 in y (or not numbers) leave a chain empty.
    return (rs.chain_a_count > 0 && rs.chain_b_count > 0) ? 1 : 0;
}

int32_t flat_gradients(const Face& face)
{
    const GradientCorners c = gradient_corners(face);
    if (c.det == 0.0f) {
        return 0;
    }
    const float z0 = face.corner[0]->z, z1 = face.corner[1]->z, z2 = face.corner[2]->z;
    const Gradient depth = gradient_of(c, z0, z1, z2);
    const double gx = depth.per_column, gy = depth.per_row;
    engine.raster.face_angle =
        static_cast<float>(std::atan(std::fabs(gy + 0.3535) + std::fabs(gx + 0.7853)));
    engine.raster.w = gradient_of(c, 1 / z0, 1 / z1, 1 / z2);
    return 1;
}

int32_t texture_gradients(const Face& face)
{
    const GradientCorners c = gradient_corners(face);
    if (c.det == 0.0f) {
        return 0;
    }
    float w[3], uw[3], vw[3];
    for (int k = 0; k < 3; ++k) {
        const Vertex& v = *face.corner[k];
        w[k] = 1 / v.z;
        uw[k] = v.u * w[k];
        vw[k] = v.v * w[k];
    }
    RasterState& rs = engine.raster;
    rs.uw = gradient_of(c, uw[0], uw[1], uw[2]);
    rs.vw = gradient_of(c, vw[0], vw[1], vw[2]);
    rs.w = gradient_of(c, w[0], w[1], w[2]);
    rs.w_step16 = 16 * rs.w.per_column;
    rs.uw_step16 = 16 * rs.uw.per_column;
    rs.vw_step16 = 16 * rs.vw.per_column;
    return 1;
}

uint32_t shade_colour(uint32_t colour, float factor)
{
    const auto channel = [factor](uint32_t value) {
        return static_cast<uint32_t>(truncate_to_int(static_cast<float>(value) * factor)) & 0xFFu;
    };
    return channel((colour >> 16) & 0xFFu) * 65536u + channel((colour >> 8) & 0xFFu) * 256u +
           channel(colour & 0xFFu);
}

namespace {

inline bool face_has_rows(const Face& face)
{
    return face_fits_target(face) && build_edge_chains(face) && gradient_corners(face).det != 0.0f;
}

template <bool Wide>
inline void flat_face(const Face& face, uint32_t* target, uint32_t colour)
{
    if (face_has_rows(face)) {
        FlatRow<Wide> row{};
        row.face = &face;
        row.colour = colour;
        row_loop(target, row);
    }
}

template <bool Wide>
inline int32_t textured_face(const Face& face, uint32_t* target)
{
    if (!face_has_rows(face)) {
        return 0;
    }
    TexturedRow<Wide> row{};
    row.face = &face;
    row_loop(target, row);
    return 1;
}

// The wide fills are compiled for AVX-512 and flattened, from the face's
// tests to the last span: the spans are drawn inline, with their constants
// kept in registers from one row to the next rather than set up again for
// every span, and the edges' set-up uses the processor's own rounding.
#if defined(VALKRON_WIDE_SPANS)
#define WIDE_ROWS [[gnu::target("avx512f"), gnu::flatten]]
#else
#define WIDE_ROWS
#endif
WIDE_ROWS void flat_face_wide(const Face& face, uint32_t* target, uint32_t colour)
{
    flat_face<true>(face, target, colour);
}
WIDE_ROWS int32_t textured_face_wide(const Face& face, uint32_t* target) { return textured_face<true>(face, target); }
#undef WIDE_ROWS

}  // namespace

// Both fills test the face's screen area before the rows (det is cheap);
// the gradients wait for the first covered row.
void fill_flat(const Face& face, uint32_t* target, uint32_t colour)
{
    if (!target || !engine.depth_buffer) {
        return;
    }
    if (raster_wide_spans) {
        flat_face_wide(face, target, colour);
    } else {
        flat_face<false>(face, target, colour);
    }
}

int32_t fill_textured(const Face& face, uint32_t* target)
{
    if (!target || !engine.depth_buffer || !engine.current_texture) {
        return 0;
    }
    return raster_wide_spans ? textured_face_wide(face, target) : textured_face<false>(face, target);
}
