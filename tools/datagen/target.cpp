// The aiming mark "Data/Target.tex": 103 x 72 pixels, little-endian
// 0x00RRGGBB records, on pure red, which the game turns transparent (a
// pixel whose red exceeds both green and blue by more than 10). The view's
// centre falls on pixel (52, 30) of the mark, so the reticle is centred
// there. It leaves room for what the view draws around it: the direction
// cross on the circle of radius 20, the speed bar on rows 0..2 and the
// energy text below row 66.
#include <cmath>

#include "datagen.h"

namespace datagen {

std::vector<uint32_t> make_target()
{
    constexpr int W = 103, H = 72;
    constexpr float cx = 52.5f, cy = 30.5f;
    // Coverage of the mark, then an outline ring around it.
    std::vector<float> cover(size_t(W * H), 0.0f);
    auto add = [&](auto dist) {
        for (int y = 0; y < H; ++y) {
            for (int x = 0; x < W; ++x) {
                const float d = dist(float(x) + 0.5f, float(y) + 0.5f);
                float& c = cover[size_t(y * W + x)];
                c = std::max(c, clamp01(0.5f - d));
            }
        }
    };
    auto seg = [&](float ax, float ay, float bx, float by, float w) {
        add([=](float x, float y) { return sd_segment(x, y, ax, ay, bx, by) - w * 0.5f; });
    };

    // Centre pip.
    add([&](float x, float y) { return std::max(std::fabs(x - cx), std::fabs(y - cy)) - 1.0f; });
    // Inner ring, broken at the four points of the compass.
    add([&](float x, float y) {
        const float d = std::fabs(std::hypot(x - cx, y - cy) - 10.0f) - 0.6f;
        const float a = std::atan2(y - cy, x - cx);
        const float gap = std::fabs(std::sin(2.0f * a));
        return gap < 0.38f ? 10.0f : d;
    });
    // Inner ticks pointing at the pip.
    seg(cx - 7.0f, cy, cx - 4.0f, cy, 1.2f);
    seg(cx + 4.0f, cy, cx + 7.0f, cy, 1.2f);
    seg(cx, cy - 7.0f, cx, cy - 4.0f, 1.2f);
    seg(cx, cy + 4.0f, cx, cy + 7.0f, 1.2f);
    // Wings: horizontal bars outside the marker circle, with range ticks.
    seg(cx - 47.0f, cy, cx - 26.0f, cy, 1.4f);
    seg(cx + 26.0f, cy, cx + 47.0f, cy, 1.4f);
    for (int k = 0; k < 3; ++k) {
        const float off = 30.0f + float(k) * 7.0f;
        const float len = k == 2 ? 3.5f : 2.2f;
        seg(cx - off, cy, cx - off, cy + len, 1.1f);
        seg(cx + off, cy, cx + off, cy + len, 1.1f);
    }
    // A vertical stub below the circle (above it the speed bar runs).
    seg(cx, cy + 24.6f, cx, cy + 32.0f, 1.4f);
    // Corner brackets.
    const float bx = 36.0f, by = 20.0f, arm = 6.0f;
    for (int sx = -1; sx <= 1; sx += 2) {
        for (int sy = -1; sy <= 1; sy += 2) {
            const float x0 = cx + float(sx) * bx, y0 = cy + float(sy) * by;
            seg(x0, y0, x0 - float(sx) * arm, y0, 1.3f);
            seg(x0, y0, x0, y0 - float(sy) * arm, 1.3f);
        }
    }

    const Rgb bright = rgb(0x8CFF9E);
    const Rgb deep = rgb(0x2EC85A);
    const Rgb edge = rgb(0x0C3A18);
    std::vector<uint32_t> out(size_t(W * H), 0x00FF0000);
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            const float c = cover[size_t(y * W + x)];
            if (c >= 0.35f) {
                out[size_t(y * W + x)] = pack(mix(deep, bright, clamp01((c - 0.35f) / 0.5f)));
                continue;
            }
            // One-pixel dark outline where the mark is near: keeps it
            // readable over bright aeroplanes and explosions.
            float near = 0.0f;
            for (int j = -1; j <= 1; ++j) {
                for (int i = -1; i <= 1; ++i) {
                    const int xx = x + i, yy = y + j;
                    if (xx < 0 || yy < 0 || xx >= W || yy >= H) continue;
                    near = std::max(near, cover[size_t(yy * W + xx)]);
                }
            }
            if (near >= 0.6f) out[size_t(y * W + x)] = pack(edge);
        }
    }
    return out;
}

}  // namespace datagen
