// Colours, random numbers, noise and the canvas of the data generator.
#include <algorithm>
#include <cmath>

#include "datagen.h"

namespace datagen {

float clamp01(float v) { return v < 0.0f ? 0.0f : (v > 1.0f ? 1.0f : v); }

float smoothstep(float e0, float e1, float x)
{
    const float t = clamp01((x - e0) / (e1 - e0));
    return t * t * (3.0f - 2.0f * t);
}

uint32_t pack(Rgb c)
{
    auto channel = [](float v) {
        const float k = std::round(v);
        return uint32_t(k < 0.0f ? 0.0f : (k > 255.0f ? 255.0f : k));
    };
    return (channel(c.r) << 16) | (channel(c.g) << 8) | channel(c.b);
}

Rgb ramp(const std::vector<RampKey>& keys, float t)
{
    if (t <= keys.front().at) return rgb(keys.front().colour);
    for (size_t i = 1; i < keys.size(); ++i) {
        if (t <= keys[i].at) {
            const float f = (t - keys[i - 1].at) / (keys[i].at - keys[i - 1].at);
            return mix(rgb(keys[i - 1].colour), rgb(keys[i].colour), f);
        }
    }
    return rgb(keys.back().colour);
}

uint32_t Rng::next_u32()
{
    state += 0x9E3779B97F4A7C15ull;
    uint64_t z = state;
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return uint32_t((z ^ (z >> 31)) >> 32);
}

float Rng::next() { return float(next_u32() >> 8) / 16777216.0f; }
float Rng::range(float lo, float hi) { return lo + (hi - lo) * next(); }
int Rng::below(int n) { return int(next_u32() % uint32_t(n)); }
float Rng::gauss()
{
    float s = 0.0f;
    for (int i = 0; i < 6; ++i) s += next();
    return (s - 3.0f) * 1.41421356f;
}

namespace {

float lattice(int x, int y, uint32_t seed)
{
    uint32_t h = uint32_t(x) * 0x8DA6B343u ^ uint32_t(y) * 0xD8163841u ^ seed * 0xCB1AB31Fu;
    h ^= h >> 13;
    h *= 0x5BD1E995u;
    h ^= h >> 15;
    return float(h & 0xFFFFFF) / 16777215.0f;
}

int wrap(int v, int period) { return ((v % period) + period) % period; }

}  // namespace

float value_noise(float x, float y, int period, uint32_t seed)
{
    const float fx = std::floor(x), fy = std::floor(y);
    const int ix = int(fx), iy = int(fy);
    float tx = x - fx, ty = y - fy;
    tx = tx * tx * (3.0f - 2.0f * tx);
    ty = ty * ty * (3.0f - 2.0f * ty);
    const int x0 = wrap(ix, period), x1 = wrap(ix + 1, period);
    const int y0 = wrap(iy, period), y1 = wrap(iy + 1, period);
    const float a = lattice(x0, y0, seed), b = lattice(x1, y0, seed);
    const float c = lattice(x0, y1, seed), d = lattice(x1, y1, seed);
    return (a + (b - a) * tx) + ((c + (d - c) * tx) - (a + (b - a) * tx)) * ty;
}

float fbm(float x, float y, int octaves, int period, uint32_t seed)
{
    float sum = 0.0f, amp = 1.0f, norm = 0.0f;
    for (int o = 0; o < octaves; ++o) {
        sum += amp * value_noise(x, y, period, seed + uint32_t(o) * 101u);
        norm += amp;
        amp *= 0.5f;
        x *= 2.0f;
        y *= 2.0f;
        period *= 2;
    }
    return sum / norm;
}

Canvas::Canvas(int w, int h, Rgb fill) : width(w), height(h), pixels(size_t(w) * size_t(h), fill) {}

void Canvas::blend(int x, int y, Rgb c, float alpha)
{
    if (x < 0 || y < 0 || x >= width || y >= height || alpha <= 0.0f) return;
    Rgb& p = at(x, y);
    p = mix(p, c, alpha > 1.0f ? 1.0f : alpha);
}

Rgb Canvas::sample(float x, float y) const
{
    x = std::clamp(x - 0.5f, 0.0f, float(width - 1));
    y = std::clamp(y - 0.5f, 0.0f, float(height - 1));
    const int x0 = int(x), y0 = int(y);
    const int x1 = std::min(x0 + 1, width - 1), y1 = std::min(y0 + 1, height - 1);
    const float tx = x - float(x0), ty = y - float(y0);
    return mix(mix(at(x0, y0), at(x1, y0), tx), mix(at(x0, y1), at(x1, y1), tx), ty);
}

std::vector<uint32_t> Canvas::packed() const
{
    std::vector<uint32_t> out(pixels.size());
    for (size_t i = 0; i < pixels.size(); ++i) out[i] = pack(pixels[i]);
    return out;
}

float sd_segment(float px, float py, float ax, float ay, float bx, float by)
{
    const float dx = bx - ax, dy = by - ay;
    const float len2 = dx * dx + dy * dy;
    float t = len2 > 0.0f ? ((px - ax) * dx + (py - ay) * dy) / len2 : 0.0f;
    t = clamp01(t);
    const float qx = ax + t * dx - px, qy = ay + t * dy - py;
    return std::sqrt(qx * qx + qy * qy);
}

float sd_circle(float px, float py, float cx, float cy, float r)
{
    return std::hypot(px - cx, py - cy) - r;
}

float sd_ellipse(float px, float py, float cx, float cy, float rx, float ry)
{
    // Scaled distance: exact on the axes, close enough elsewhere for painting.
    const float nx = (px - cx) / rx, ny = (py - cy) / ry;
    const float k = std::sqrt(nx * nx + ny * ny);
    if (k == 0.0f) return -std::min(rx, ry);
    const float gx = nx / rx, gy = ny / ry;
    const float grad = std::sqrt(gx * gx + gy * gy) / k;
    return (k - 1.0f) / grad;
}

float sd_polygon(float px, float py, const std::vector<Pt>& poly)
{
    float best = 1e30f;
    bool inside = false;
    const size_t n = poly.size();
    for (size_t i = 0, j = n - 1; i < n; j = i++) {
        const Pt& a = poly[i];
        const Pt& b = poly[j];
        best = std::min(best, sd_segment(px, py, a.x, a.y, b.x, b.y));
        if ((a.y > py) != (b.y > py) && px < (b.x - a.x) * (py - a.y) / (b.y - a.y) + a.x) {
            inside = !inside;
        }
    }
    return inside ? -best : best;
}

void fill_polygon(Canvas& c, const std::vector<Pt>& poly, Rgb colour, float alpha)
{
    float x0 = 1e9f, y0 = 1e9f, x1 = -1e9f, y1 = -1e9f;
    for (const Pt& p : poly) {
        x0 = std::min(x0, p.x);
        y0 = std::min(y0, p.y);
        x1 = std::max(x1, p.x);
        y1 = std::max(y1, p.y);
    }
    paint(c, x0, y0, x1, y1, [&](float x, float y) { return sd_polygon(x, y, poly); },
          [&](float, float, float, float& a) {
              a = alpha;
              return colour;
          });
}

void stroke(Canvas& c, Pt a, Pt b, float width, Rgb colour, float alpha)
{
    const float r = width * 0.5f;
    paint(c, std::min(a.x, b.x) - r, std::min(a.y, b.y) - r, std::max(a.x, b.x) + r,
          std::max(a.y, b.y) + r,
          [&](float x, float y) { return sd_segment(x, y, a.x, a.y, b.x, b.y) - r; },
          [&](float, float, float, float& al) {
              al = alpha;
              return colour;
          });
}

void glow(Canvas& c, float cx, float cy, float radius, Rgb colour, float alpha)
{
    const int x0 = std::max(0, int(cx - radius)), x1 = std::min(c.width - 1, int(cx + radius));
    const int y0 = std::max(0, int(cy - radius)), y1 = std::min(c.height - 1, int(cy + radius));
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            const float d = std::hypot(float(x) + 0.5f - cx, float(y) + 0.5f - cy) / radius;
            if (d >= 1.0f) continue;
            const float f = (1.0f - d) * (1.0f - d);
            c.blend(x, y, colour, alpha * f);
        }
    }
}

std::vector<uint8_t> texture_bytes(const std::vector<uint32_t>& pixels)
{
    std::vector<uint8_t> out;
    out.reserve(pixels.size() * 4);
    for (uint32_t p : pixels) {
        out.push_back(uint8_t(p >> 16));
        out.push_back(uint8_t(p >> 8));
        out.push_back(uint8_t(p));
        out.push_back(0);
    }
    return out;
}

std::vector<uint8_t> raw_bytes(const std::vector<uint32_t>& pixels)
{
    std::vector<uint8_t> out;
    out.reserve(pixels.size() * 4);
    for (uint32_t p : pixels) {
        out.push_back(uint8_t(p));
        out.push_back(uint8_t(p >> 8));
        out.push_back(uint8_t(p >> 16));
        out.push_back(0);
    }
    return out;
}

}  // namespace datagen
