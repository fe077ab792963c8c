// The seventeen explosion frames "Data/Expl1.tex" .. "Data/Expl17.tex",
// 112 x 102 texels each (texture byte order), on the transparent key colour
// 0x0000FCFF. Frame 1 is the flash; the fireball then bursts with a shock
// ring and flying sparks, swells and flares, cools from white-yellow
// through orange and red, and breaks up into drifting smoke.
#include <cmath>

#include "datagen.h"

namespace datagen {

namespace {

constexpr int W = 112, H = 102;
constexpr float cx = 56.0f, cy = 51.0f;

const std::vector<RampKey> fire_ramp = {
    {0.00f, 0x2A2224}, {0.10f, 0x4A2A22}, {0.20f, 0x7A1E0C}, {0.34f, 0xC2400E},
    {0.50f, 0xF07A1C}, {0.66f, 0xFCB63A}, {0.80f, 0xFFE27A}, {0.92f, 0xFFF6C8},
    {1.00f, 0xFFFFF0},
};

}  // namespace

std::vector<uint32_t> make_explosion_frame(int n)
{
    const float tau = float(n - 1) / 16.0f;  // 0 .. 1 over the frames
    Canvas c(W, H, rgb(0));
    std::vector<float> opaque(size_t(W * H), 0.0f);

    // Fireball: a lumpy ball that swells fast and then slows down; its
    // noise pattern grows with it, so the lumps swell too.
    const float radius = 8.0f + 34.0f * (1.0f - std::exp(-tau * 5.0f));
    const float heat = 1.25f * std::exp(-tau * 2.1f);
    const float rise = 7.0f * tau * tau;  // the smoke drifts upwards
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            const float dx = (float(x) + 0.5f - cx), dy = (float(y) + 0.5f - cy + rise);
            const float r = std::sqrt(dx * dx + dy * dy) / radius;
            const float nx = dx / radius * 1.7f + 7.3f, ny = dy / radius * 1.7f + 3.1f;
            const float billow = fbm(nx + tau * 0.7f, ny - tau * 0.9f, 4, 64, 11);
            const float detail = fbm(nx * 2.3f - tau * 1.3f, ny * 2.3f + tau, 4, 64, 29);
            const float edge = 0.98f + 0.7f * (billow - 0.5f);
            if (r >= edge) continue;
            const float depth = 1.0f - r / edge;  // 0 at the rim, 1 at the heart
            // Late frames: the cloud tears apart from its rim inwards.
            const float tear = smoothstep(0.55f, 1.0f, tau) * 0.98f;
            if (detail + 0.35f * depth < tear) continue;
            float t = std::pow(depth, 0.5f) * (0.3f + 1.1f * detail) * heat;
            Rgb col = ramp(fire_ramp, clamp01(t));
            // Smoke: the cool parts turn to dark, lumpy smoke, lit warm
            // where fire is near.
            const float smoke = smoothstep(0.38f, 0.08f, t) * smoothstep(0.12f, 0.45f, tau);
            const Rgb soot = mix(rgb(0x201C1E), rgb(0x6E6864), smoothstep(0.35f, 0.75f, detail));
            col = mix(col, mix(soot, rgb(0x8A4A2A), clamp01(t * 2.5f) * 0.45f), smoke);
            c.at(x, y) = col;
            opaque[size_t(y * W + x)] = 1.0f;
        }
    }

    // Shock ring of the first frames.
    if (n >= 2 && n <= 6) {
        const float ring = 14.0f + float(n - 2) * 11.0f;
        const float fade = 1.0f - float(n - 2) / 5.0f;
        for (int y = 0; y < H; ++y) {
            for (int x = 0; x < W; ++x) {
                const float d = std::hypot(float(x) + 0.5f - cx, float(y) + 0.5f - cy);
                const float wob = 1.5f * (value_noise(float(x) * 0.3f, float(y) * 0.3f, 64, 5) - 0.5f);
                if (std::fabs(d - ring + wob) < 1.1f * fade + 0.3f &&
                    value_noise(std::atan2(float(y) - cy, float(x) - cx) * 6.0f, float(n), 64, 9) < 0.75f) {
                    const size_t k = size_t(y * W + x);
                    if (opaque[k] == 0.0f) {
                        c.at(x, y) = mix(rgb(0xFF9A40), rgb(0xFFF0C8), fade);
                        opaque[k] = 1.0f;
                    }
                }
            }
        }
    }

    // Flash: a star of light rays over the first frames.
    if (n <= 4) {
        const float len = 16.0f + 14.0f * float(n);
        const float fade = 1.0f - float(n - 1) / 4.0f;
        for (int k = 0; k < 8; ++k) {
            const float a = float(k) * 0.785398f + 0.3f;
            const float l = (k % 2 ? 0.55f : 1.0f) * len;
            for (float s = 0.0f; s < l; s += 0.5f) {
                const int x = int(cx + std::cos(a) * s), y = int(cy + std::sin(a) * s);
                if (x < 0 || y < 0 || x >= W || y >= H) continue;
                const float w = (1.0f - s / l);
                if (w * fade < 0.12f) continue;
                c.at(x, y) = mix(rgb(0xFFC860), rgb(0xFFFFF0), w * fade);
                opaque[size_t(y * W + x)] = 1.0f;
            }
        }
    }

    // Sparks: bright embers thrown out of the ball, cooling as they fly.
    if (n >= 2 && n <= 10) {
        Rng rng(0xE591);
        for (int s = 0; s < 18; ++s) {
            const float a = rng.range(0.0f, 6.2831853f);
            const float speed = rng.range(4.5f, 7.0f);
            const float life = rng.range(5.0f, 9.0f);
            const float age = float(n - 1);
            if (age > life) continue;
            const float dist = 8.0f + speed * age * (1.0f - age / (life * 2.5f));
            const float tail = 2.0f + speed * 0.5f;
            const float glow_t = 1.0f - age / life;
            for (float q = 0.0f; q < tail; q += 0.5f) {
                const float d = dist - q;
                const int x = int(cx + std::cos(a) * d), y = int(cy + std::sin(a) * d + 0.06f * age * age);
                if (x < 0 || y < 0 || x >= W || y >= H) continue;
                const float f = q / tail;
                c.at(x, y) = mix(mix(rgb(0xE0501A), rgb(0xFFF6C0), glow_t), rgb(0x7A2A10), f * 0.8f);
                opaque[size_t(y * W + x)] = 1.0f;
            }
        }
    }

    std::vector<uint32_t> out(size_t(W * H));
    for (size_t k = 0; k < out.size(); ++k) {
        if (opaque[k] == 0.0f) {
            out[k] = key_colour;
        } else {
            uint32_t p = pack(c.pixels[k]);
            if (p == key_colour) p ^= 1;  // never transparent by accident
            out[k] = p;
        }
    }
    return out;
}

}  // namespace datagen
