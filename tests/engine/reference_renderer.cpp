#include "reference_renderer.h"

#include <climits>
#include <cmath>

namespace reference {

namespace {

// Truncation toward zero; the engine's rule for values beyond 32 bits.
int32_t to_int(double value)
{
    return (std::isnan(value) || value >= 2147483648.0 || value <= -2147483649.0) ? INT32_MIN
                                                                                  : static_cast<int32_t>(value);
}

// Two's complement 32-bit result of a wider integer computation.
int32_t wrap32(int64_t value) { return static_cast<int32_t>(static_cast<uint32_t>(static_cast<uint64_t>(value))); }

RefPlane plane_through(float x1, float y1, float z1, float x2, float y2, float z2, float x3,
                       float y3, float z3)
{
    // normal = (p2 - p1) x (p3 - p1)
    const float ax = x2 - x1, ay = y2 - y1, az = z2 - z1;
    const float bx = x3 - x1, by = y3 - y1, bz = z3 - z1;
    const float nx = -(az * by - ay * bz);
    const float ny = -(bz * ax - az * bx);
    const float nz = -(ay * bx - ax * by);
    const double len = std::sqrt(static_cast<double>(nx * nx + ny * ny + nz * nz));
    RefPlane p;
    p.a = static_cast<float>(nx / len);
    p.b = static_cast<float>(ny / len);
    p.c = static_cast<float>(nz / len);
    p.d = -(p.a * x1 + p.b * y1 + p.c * z1);
    return p;
}

float side(const RefPlane& p, const Corner& c) { return p.a * c.x + p.b * c.y + p.c * c.z + p.d; }

Corner crossing(const Corner& from, const Corner& to, const RefPlane& p)
{
    const float sf = side(p, from), st = side(p, to);
    const float t = sf / (sf - st);
    return {from.x + (to.x - from.x) * t, from.y + (to.y - from.y) * t, from.z + (to.z - from.z) * t,
            from.u + (to.u - from.u) * t, from.v + (to.v - from.v) * t};
}

// The pieces of one triangle cut at one plane.
std::vector<Triangle> cut(const Triangle& t, const RefPlane& p)
{
    int inside = 0, last_in = -1, last_out = -1;
    for (int i = 0; i < 3; ++i) {
        if (side(p, t[i]) >= 0) {
            ++inside;
            last_in = i;
        } else {
            last_out = i;
        }
    }
    if (inside == 0) return {};
    if (inside == 3) return {t};
    if (inside == 2) {
        const int o = last_out, j = (o + 1) % 3, k = (o + 2) % 3;
        const Corner a = crossing(t[j], t[o], p), b = crossing(t[k], t[o], p);
        return {Triangle{t[k], a, t[j]}, Triangle{b, a, t[k]}};
    }
    const int i = last_in, pp = (i + 2) % 3, q = (i + 1) % 3;
    const Corner a = crossing(t[pp], t[i], p), b = crossing(t[q], t[i], p);
    return {Triangle{a, t[i], b}};
}

// Edge from the upper corner (x0, y0) to the lower (x1, y1) in 16.16.
struct Edge {
    bool used;
    int32_t first_row, rows, x, dx;
};

Edge make_edge(const Corner& upper, const Corner& lower)
{
    Edge e{};
    const double first = std::ceil(static_cast<double>(upper.y));
    e.rows = to_int(std::ceil(static_cast<double>(lower.y)) - first);
    if (e.rows == 0) return e;
    e.used = true;
    const float slope = (lower.x - upper.x) / (lower.y - upper.y);
    e.first_row = to_int(first);
    e.x = to_int((static_cast<double>(upper.x) + (first - static_cast<double>(upper.y)) * static_cast<double>(slope)) *
                 65536.0);
    e.dx = to_int(static_cast<double>(slope * 65536.0f));
    return e;
}

// x of a chain on a row: the chain's edge that covers the row, stepped
// (row - first row) times.
int32_t chain_x(const std::vector<Edge>& chain, int32_t row)
{
    for (const Edge& e : chain) {
        if (row >= e.first_row && row < e.first_row + e.rows) {
            return wrap32(static_cast<int64_t>(e.x) + static_cast<int64_t>(row - e.first_row) * e.dx);
        }
    }
    return INT32_MIN;  // not reached for rows inside the triangle
}

struct Coverage {
    int32_t first_row = 0, last_row = -1;
    std::vector<Edge> a, b;
};

bool coverage(const Triangle& t, Coverage& c)
{
    float min = 65536.0f, max = -65536.0f;
    int top = 0, bottom = 0;
    for (int k = 0; k < 3; ++k) {
        if (t[k].y < min) { min = t[k].y; top = k; }
        if (t[k].y > max) { max = t[k].y; bottom = k; }
    }
    if (std::ceil(static_cast<double>(min)) > std::ceil(static_cast<double>(max)) - 1) return false;
    for (int i = top; i != bottom; i = (i + 1) % 3) {
        const Edge e = make_edge(t[i], t[(i + 1) % 3]);
        if (e.used) c.b.push_back(e);
    }
    for (int i = bottom; i != top; i = (i + 1) % 3) {
        const Edge e = make_edge(t[(i + 1) % 3], t[i]);
        if (e.used) c.a.push_back(e);
    }
    c.first_row = to_int(std::ceil(static_cast<double>(min)));
    c.last_row = to_int(std::ceil(static_cast<double>(max))) - 1;
    return true;
}

struct Grad {
    float origin, col, row;
};

bool gradient(const Triangle& t, float q0, float q1, float q2, Grad& g)
{
    const float x0 = t[0].x, y0 = t[0].y, x1 = t[1].x, y1 = t[1].y, x2 = t[2].x, y2 = t[2].y;
    const float det = (y2 - y0) * (x1 - x0) - (y0 - y1) * (x0 - x2);
    if (det == 0.0f) return false;
    g.col = ((q1 - q0) * (y2 - y0) + (q2 - q0) * (y0 - y1)) / det;
    g.row = ((q1 - q0) * (x0 - x2) + (q2 - q0) * (x1 - x0)) / det;
    g.origin = q0 - x0 * g.col - y0 * g.row;
    return true;
}

uint32_t texel(const Texture& tex, int32_t u, int32_t v)
{
    return tex.pixels[((v >> 16) & 255) * 256 + ((u >> 16) & 255)];
}

int32_t texel_coordinate(float w, float qw) { return to_int(static_cast<double>((65536 / w) * qw)); }

}  // namespace

View make_view(int32_t width, int32_t height)
{
    View v;
    v.width = width;
    v.height = height;
    v.focal = static_cast<int32_t>(width * 0.8);
    v.pixels.assign(static_cast<size_t>(width) * height, 0);
    v.depth.assign(static_cast<size_t>(width) * height, 0.0f);
    const float fx = static_cast<float>(v.focal);
    const float hx = (width - 2.0f) / (fx + fx), hy = (height - 4.0f) / (fx + fx);
    v.frustum[0] = plane_through(0, 0, 0, hx, 0, 1, hx, 1, 1);
    v.frustum[1] = plane_through(0, 0, 0, -hx, 1, 1, -hx, 0, 1);
    v.frustum[2] = plane_through(0, 0, 0, 0, -hy, 1, 1, -hy, 1);
    v.frustum[3] = plane_through(0, 0, 0, 1, hy, 1, 0, hy, 1);
    return v;
}

int clip(const Triangle& tri, const RefPlane frustum[4], std::vector<Triangle>& pieces)
{
    int code[4];
    for (int k = 0; k < 4; ++k) {
        int in = 0, out = 0;
        for (const Corner& c : tri) {
            in += side(frustum[k], c) >= 0;
            out += side(frustum[k], c) <= 0;
        }
        code[k] = in == 3 ? 1 : out == 3 ? 2 : 4;
    }
    pieces.assign(1, tri);
    if (code[0] == 1 && code[1] == 1 && code[2] == 1 && code[3] == 1) return 1;
    if (code[0] == 2 || code[1] == 2 || code[2] == 2 || code[3] == 2) return 0;
    for (int k = 0; k < 4; ++k) {
        if (code[k] != 4) continue;
        std::vector<Triangle> next;
        for (const Triangle& t : pieces) {
            const std::vector<Triangle> part = cut(t, frustum[k]);
            if (part.empty()) {
                pieces.clear();
                return 0;
            }
            next.insert(next.end(), part.begin(), part.end());
        }
        pieces = next;
    }
    return 2;
}

void fill_flat(View& view, const Triangle& t, uint32_t colour)
{
    Coverage c;
    if (!coverage(t, c)) return;
    Grad gz, gw;
    if (!gradient(t, t[0].z, t[1].z, t[2].z, gz)) return;
    gradient(t, 1 / t[0].z, 1 / t[1].z, 1 / t[2].z, gw);
    const float angle = static_cast<float>(
        std::atan(std::fabs(static_cast<double>(gz.row) + 0.3535) + std::fabs(static_cast<double>(gz.col) + 0.7853)));
    const float factor = static_cast<float>(std::cos(static_cast<double>(angle)));
    uint32_t shaded = 0;
    for (int shift : {16, 8, 0}) {
        const uint32_t channel = (colour >> shift) & 255;
        shaded |= (static_cast<uint32_t>(to_int(static_cast<double>(channel * factor))) & 255) << shift;
    }
    float w_row = gw.origin + static_cast<float>(c.first_row) * gw.row;
    for (int32_t y = c.first_row; y <= c.last_row; ++y, w_row += gw.row) {
        const int32_t ia = chain_x(c.a, y) / 65536, ib = chain_x(c.b, y) / 65536;
        const int32_t left = std::min(ia, ib), right = std::max(ia, ib);
        float w = w_row + static_cast<float>(left + 1) * gw.col;
        for (int32_t x = left + 1; x <= right; ++x, w += gw.col) {
            const size_t at = static_cast<size_t>(y) * view.width + x;
            if (w > view.depth[at]) {
                view.pixels[at] = shaded;
                view.depth[at] = w;
            }
        }
    }
}

void fill_textured(View& view, const Triangle& t, const Texture& tex)
{
    Coverage c;
    if (!coverage(t, c)) return;
    float w[3], uw[3], vw[3];
    for (int k = 0; k < 3; ++k) {
        w[k] = 1 / t[k].z;
        uw[k] = t[k].u * w[k];
        vw[k] = t[k].v * w[k];
    }
    Grad gw, gu, gv;
    if (!gradient(t, w[0], w[1], w[2], gw)) return;
    gradient(t, uw[0], uw[1], uw[2], gu);
    gradient(t, vw[0], vw[1], vw[2], gv);
    const float w16 = 16 * gw.col, u16 = 16 * gu.col, v16 = 16 * gv.col;

    const float fy = static_cast<float>(c.first_row);
    float w_row = gw.origin + fy * gw.row, u_row = gu.origin + fy * gu.row, v_row = gv.origin + fy * gv.row;
    for (int32_t y = c.first_row; y <= c.last_row; ++y, w_row += gw.row, u_row += gu.row, v_row += gv.row) {
        const int32_t ia = chain_x(c.a, y) / 65536, ib = chain_x(c.b, y) / 65536;
        const int32_t start = std::min(ia, ib) + 1, n = std::max(ia, ib) - std::min(ia, ib);
        if (n <= 0) continue;
        const float fx = static_cast<float>(start);
        const float w0 = w_row + fx * gw.col, u0 = u_row + fx * gu.col, v0 = v_row + fx * gv.col;
        const int32_t full_blocks = n / 16;
        for (int32_t k = 0; k < n; ++k) {
            // The block of this pixel and the block's starting values,
            // advanced from the span's first pixel block by block.
            const int32_t block = k / 16, r = k % 16;
            float bw = w0, bu = u0, bv = v0;
            for (int32_t i = 0; i < block; ++i) {
                bw += w16;
                bu += u16;
                bv += v16;
            }
            const int32_t us = texel_coordinate(bw, bu), vs = texel_coordinate(bw, bv);
            int32_t ue, ve, len;
            if (block < full_blocks) {
                len = 16;
                ue = texel_coordinate(bw + w16, bu + u16);
                ve = texel_coordinate(bw + w16, bv + v16);
            } else {
                len = n - 16 * block;
                const float fl = static_cast<float>(len);
                const float we = bw + fl * gw.col;
                ue = texel_coordinate(we, bu + fl * gu.col);
                ve = texel_coordinate(we, bv + fl * gv.col);
            }
            const int32_t du = wrap32(static_cast<int64_t>(ue) - us) / len;
            const int32_t dv = wrap32(static_cast<int64_t>(ve) - vs) / len;
            float pw = bw;
            for (int32_t i = 0; i < r; ++i) pw += gw.col;
            const int32_t pu = wrap32(us + static_cast<int64_t>(r) * du);
            const int32_t pv = wrap32(vs + static_cast<int64_t>(r) * dv);
            const size_t at = static_cast<size_t>(y) * view.width + start + k;
            if (pw > view.depth[at]) {
                view.pixels[at] = texel(tex, pu, pv);
                view.depth[at] = pw;
            }
        }
    }
}

void render_mesh(View& view, const Matrix4& model, const Matrix4& camera, const Mesh& mesh,
                 uint32_t colour, const Texture* texture, float mapping_scale, bool scaled_border)
{
    Matrix4 view_matrix, combined;
    matrix_identity(view_matrix);
    matrix_affine_inverse(camera, view_matrix);
    matrix_multiply(view_matrix, model, combined);
    const float* m = combined.m;
    auto draw = [&](Triangle t) {
        for (Corner& c : t) {
            if (!(static_cast<double>(c.z) > 0.1)) return;  // too near the eye
        }
        for (Corner& c : t) {
            c.x = static_cast<float>(view.focal) * c.x / c.z + static_cast<float>(view.width / 2);
            c.y = static_cast<float>(view.focal) * c.y / c.z + static_cast<float>(view.height / 2);
        }
        if (texture) {
            fill_textured(view, t, *texture);
        } else {
            fill_flat(view, t, colour);
        }
    };
    for (int32_t f = 0; f < mesh.face_count; ++f) {
        Triangle t;
        for (int k = 0; k < 3; ++k) {
            const Vertex& s = *mesh.faces[f].corner[k];
            t[k] = {s.x * m[0] + s.y * m[4] + s.z * m[8] + m[12], s.x * m[1] + s.y * m[5] + s.z * m[9] + m[13],
                    s.x * m[2] + s.y * m[6] + s.z * m[10] + m[14], s.u * mapping_scale, s.v * mapping_scale};
        }
        std::vector<Triangle> pieces;
        if (clip(t, view.frustum, pieces) == 0) continue;
        for (const Triangle& p : pieces) draw(p);
    }
    for (int32_t y = 0; y < view.height; ++y) {
        const bool border_row = y == 0 || (scaled_border && (y <= 2 || y >= view.height - 2));
        for (int32_t x = 0; x < view.width; ++x) {
            if (border_row || (scaled_border && x <= 1)) view.pixels[static_cast<size_t>(y) * view.width + x] = 0;
        }
    }
}

}  // namespace reference
