#include "livery.h"

#include <cmath>

namespace datagen {

void paint_region(Canvas& c, int c0, int r0, int c1, int r1, const std::function<Rgb(float col, float row)>& f)
{
    for (int r = r0; r < r1; ++r) {
        for (int k = c0; k < c1; ++k) c.at(k, r) = f(float(k) + 0.5f, float(r) + 0.5f);
    }
}

bool text_pixel(const std::string& text, float fx, float fy)
{
    if (fx < 0.0f || fy < 0.0f) return false;
    const int cell = int(fx) / 8, i = int(fx) % 8, j = int(fy);
    if (cell >= int(text.size()) || j > 8) return false;
    const char* const* rows = glyph_rows(text[size_t(cell)]);
    return rows && rows[j][i] == '#';
}

int outlined_text(const std::string& text, float fx, float fy)
{
    if (text_pixel(text, fx, fy)) return 2;
    for (int dy = -1; dy <= 1; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            if (text_pixel(text, fx + float(dx), fy + float(dy))) return 1;
        }
    }
    return 0;
}

int ring_index(float d, std::initializer_list<float> radii)
{
    int k = 0;
    for (float r : radii) {
        if (d < r) return k;
        ++k;
    }
    return -1;
}

float organic_camo(V3 p, float scale, uint32_t seed, float threshold)
{
    const float n = fbm(p.z * scale + p.x * scale * 0.37f + 11.0f, p.y * scale - p.x * scale * 0.61f + 5.0f, 3, 256,
                        seed);
    return n > threshold ? 1.0f : 0.0f;
}

int splinter_camo(V3 p, float scale, uint32_t seed)
{
    Rng rng(seed);
    int index = 0;
    for (int k = 0; k < 7; ++k) {
        const float a = rng.range(0.0f, 3.14159f);
        const float off = rng.range(-12.0f, 12.0f);
        const float d = (p.z + 0.4f * p.x) * std::cos(a) + (p.y + 0.8f * p.x) * std::sin(a);
        if (d * scale > off) index += k % 2 ? 1 : 2;
    }
    return index % 4;
}

float scale_pattern(float a, float b, float size)
{
    const float h = size * 0.8f;
    const float row = std::floor(b / h);
    const float shift = (int(row) % 2 == 0) ? 0.0f : size * 0.5f;
    const float col = std::floor((a + shift) / size);
    const float ca = col * size + size * 0.5f - shift, cb = row * h + h * 0.5f;
    const float d = std::hypot((a - ca) / size, (b - cb) / h);
    return clamp01(d * 1.5f);
}

float body_light(float s)
{
    const float up = std::cos(s * 6.2831853f);  // 1 on top, -1 underneath
    const float flank = std::exp(-std::pow((std::fabs(s - 0.5f) - 0.36f) / 0.05f, 2.0f));
    return 0.86f + 0.12f * up + 0.12f * flank;
}

}  // namespace datagen
