// The menu picture "Data/Menu.tex": 400 x 300, little-endian 0x00RRGGBB
// records. A dusk over the sea: the sun sinking behind streaky clouds, the
// first stars, the title VALKRON in brushed metal, and two fighters in a
// dogfight with tracers between them. The places where the menu prints its
// green texts (item at (50,150), frag limit at (200,50), "Use arrows ..."
// at (60,255), names and aeroplanes from (220,240)) are kept dark and calm.
#include <cmath>

#include "datagen.h"

namespace datagen {

namespace {

constexpr int W = 400, H = 300;
constexpr float horizon = 214.0f;
constexpr float sun_x = 112.0f, sun_y = 210.0f, sun_r = 17.0f;

struct Box {
    float x0, y0, x1, y1;
};
// The menu's text areas (a little larger than the texts themselves).
const Box text_boxes[] = {
    {44, 146, 246, 164},   // selected item, up to 24 characters
    {194, 47, 326, 64},    // "Frag limit : 10"
    {54, 252, 178, 270},   // "Use arrows ..."
    {214, 237, 400, 284},  // names and aeroplanes
};

float box_distance(const Box& b, float x, float y)
{
    const float dx = std::max({b.x0 - x, 0.0f, x - b.x1});
    const float dy = std::max({b.y0 - y, 0.0f, y - b.y1});
    return std::sqrt(dx * dx + dy * dy);
}

// Distance to the nearest text area.
float text_distance(float x, float y)
{
    float d = 1e9f;
    for (const Box& b : text_boxes) d = std::min(d, box_distance(b, x, y));
    return d;
}

Rgb sky_colour(float y)
{
    static const std::vector<RampKey> sky = {
        {0.0f, 0x060818},   {60.0f, 0x0E1030}, {110.0f, 0x1E1745}, {150.0f, 0x35204E},
        {178.0f, 0x6A2C55}, {196.0f, 0xB24A4C}, {207.0f, 0xE47A3E}, {214.0f, 0xFFB45C},
    };
    return ramp(sky, y);
}

void draw_sky(Canvas& c)
{
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            const float fx = float(x) + 0.5f, fy = float(y) + 0.5f;
            Rgb col = sky_colour(fy);
            // Warmer towards the sun, cooler far from it.
            const float ds = std::hypot((fx - sun_x) * 0.6f, (fy - sun_y) * 1.6f);
            col = col + rgb(0x301408) * (std::exp(-ds / 90.0f) * smoothstep(60.0f, 214.0f, fy));
            c.at(x, y) = col;
        }
    }
    glow(c, sun_x, sun_y, 120.0f, rgb(0xFF8A3A), 0.35f);
    glow(c, sun_x, sun_y, 45.0f, rgb(0xFFD890), 0.45f);
}

void draw_stars(Canvas& c)
{
    Rng rng(0x57A25);
    for (int k = 0; k < 230; ++k) {
        const float x = rng.range(0.0f, float(W)), y = std::pow(rng.next(), 1.6f) * 150.0f;
        const float b = rng.range(0.25f, 1.0f) * (1.0f - y / 170.0f);
        if (text_distance(x, y) < 8.0f) continue;
        const Rgb col = mix(rgb(0xBFCBFF), rgb(0xFFF2D8), rng.next());
        c.blend(int(x), int(y), col, b);
        if (b > 0.85f && rng.next() < 0.35f) {
            // A few bright ones with a little cross.
            for (int d = 1; d <= 2; ++d) {
                const float a = b * (d == 1 ? 0.55f : 0.2f);
                c.blend(int(x) + d, int(y), col, a);
                c.blend(int(x) - d, int(y), col, a);
                c.blend(int(x), int(y) + d, col, a);
                c.blend(int(x), int(y) - d, col, a);
            }
        }
    }
}

void draw_sun_and_clouds(Canvas& c)
{
    // The sun, cut by the horizon.
    paint(c, sun_x - sun_r, sun_y - sun_r, sun_x + sun_r, horizon,
          [&](float x, float y) { return std::max(sd_circle(x, y, sun_x, sun_y, sun_r), y - horizon); },
          [&](float, float y, float, float& a) {
              a = 1.0f;
              return mix(rgb(0xFFF0C0), rgb(0xFFB048), clamp01((y - (sun_y - sun_r)) / (2.0f * sun_r)));
          });
    // Long streaky clouds, lit from below by the sun.
    for (int y = 150; y < int(horizon); ++y) {
        for (int x = 0; x < W; ++x) {
            const float fx = float(x) + 0.5f, fy = float(y) + 0.5f;
            const float n = fbm(fx * 0.011f, fy * 0.09f, 5, 64, 77);
            const float band = smoothstep(160.0f, 178.0f, fy) * (1.0f - smoothstep(204.0f, 213.0f, fy));
            float a = smoothstep(0.48f, 0.68f, n) * band;
            if (a <= 0.0f) continue;
            a *= smoothstep(2.0f, 14.0f, text_distance(fx, fy));
            const float lit = clamp01(1.0f - std::hypot(fx - sun_x, (fy - sun_y) * 2.0f) / 230.0f);
            const float under = smoothstep(0.55f, 0.75f, fbm(fx * 0.011f, (fy + 2.0f) * 0.09f, 5, 64, 77));
            Rgb col = mix(rgb(0x3A1E40), rgb(0x8A3A4A), clamp01(lit * 1.4f));
            col = mix(col, rgb(0xFFB060), clamp01(lit * lit * 1.2f) * (1.0f - under * 0.6f));
            c.blend(x, y, col, a * 0.9f);
        }
    }
    // Thin high streaks catching the last pink light.
    for (int y = 75; y < 140; ++y) {
        for (int x = 0; x < W; ++x) {
            const float fx = float(x) + 0.5f, fy = float(y) + 0.5f;
            const float n = fbm(fx * 0.006f + 3.0f, fy * 0.16f, 4, 64, 91);
            const float band = std::exp(-std::pow((fy - 108.0f) / 20.0f, 2.0f));
            float a = smoothstep(0.58f, 0.78f, n) * band * 0.45f;
            a *= smoothstep(4.0f, 16.0f, text_distance(fx, fy));
            c.blend(x, y, mix(rgb(0x4A2A5A), rgb(0xC05A6A), clamp01(1.0f - fx / 420.0f)), a);
        }
    }
}

void draw_sea_and_land(Canvas& c)
{
    // Sea: reflects the sky, darkens towards the viewer, with the sun's
    // glitter path and small waves.
    for (int y = int(horizon); y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            const float fx = float(x) + 0.5f, fy = float(y) + 0.5f;
            const float depth = (fy - horizon) / float(H - horizon);
            Rgb col = mix(sky_colour(horizon - (fy - horizon) * 2.5f), rgb(0x05060F), std::pow(depth, 0.45f));
            const float wave = fbm(fx * 0.05f, fy * 0.6f, 3, 64, 13);
            col = col * (0.85f + 0.3f * wave);
            // Glitter path below the sun, narrowing into the distance.
            const float spread = 6.0f + (fy - horizon) * 1.4f;
            const float path = std::exp(-std::pow((fx - sun_x) / spread, 2.0f)) * (1.0f - smoothstep(214.0f, 246.0f, fy));
            const float glint = smoothstep(0.55f, 0.8f, fbm(fx * 0.18f, fy * 1.1f, 2, 64, 17));
            col = mix(col, rgb(0xFFC070), clamp01(path * glint * 1.3f));
            c.at(x, y) = col;
        }
    }
    // Far hills on the horizon at the left, a dark headland on the right.
    for (int x = 0; x < W; ++x) {
        const float fx = float(x) + 0.5f;
        const float far = horizon - 3.0f - 7.0f * fbm(fx * 0.02f, 1.0f, 4, 64, 41) * smoothstep(400.0f, 150.0f, fx);
        for (int y = int(far); y < int(horizon) + 1; ++y) {
            c.blend(x, y, rgb(0x2A1830), clamp01(float(y) + 1.0f - far));
        }
        const float t = (fx - 205.0f) / 195.0f;
        if (t > 0.0f) {
            const float top = horizon + 22.0f - 40.0f * smoothstep(0.0f, 0.6f, t) +
                              8.0f * (fbm(fx * 0.03f, 2.0f, 4, 64, 43) - 0.5f) + 6.0f * t;
            for (int y = std::max(0, int(top)); y < H; ++y) {
                const float depth = clamp01((float(y) - top) / 60.0f);
                c.blend(x, y, mix(rgb(0x1A1222), rgb(0x07060C), depth), clamp01(float(y) + 1.0f - top));
            }
        }
    }
    // A lighthouse on the headland, its lamp just lit.
    const float lx = 372.0f, ly = 186.0f;
    fill_polygon(c, {{lx - 3, ly}, {lx + 3, ly}, {lx + 4.5f, ly + 26}, {lx - 4.5f, ly + 26}}, rgb(0x120C16));
    fill_polygon(c, {{lx - 3.3f, ly + 8}, {lx + 3.6f, ly + 8}, {lx + 3.9f, ly + 12}, {lx - 3.7f, ly + 12}}, rgb(0x3A1A1E));
    glow(c, lx, ly - 2.0f, 16.0f, rgb(0xFFE0A0), 0.55f);
    c.blend(int(lx), int(ly) - 2, rgb(0xFFF4D0), 1.0f);
    fill_polygon(c, {{lx, ly - 2}, {lx - 70, ly - 10}, {lx - 70, ly + 4}}, rgb(0xFFE6B0), 0.08f);
}

// A fighter seen from above: nose along -y of its own frame, span along x.
std::vector<Pt> fighter_outline()
{
    return {{0.0f, -1.00f}, {0.07f, -0.90f}, {0.10f, -0.60f}, {0.12f, -0.18f}, {0.98f, 0.00f},
            {1.00f, 0.12f}, {0.12f, 0.22f},  {0.09f, 0.62f},  {0.40f, 0.72f},  {0.40f, 0.82f},
            {0.05f, 0.86f}, {0.0f, 0.92f},   {-0.05f, 0.86f}, {-0.40f, 0.82f}, {-0.40f, 0.72f},
            {-0.09f, 0.62f}, {-0.12f, 0.22f}, {-1.00f, 0.12f}, {-0.98f, 0.00f}, {-0.12f, -0.18f},
            {-0.10f, -0.60f}, {-0.07f, -0.90f}};
}

// Places the outline: scale, heading angle (0 = nose up) and a bank that
// squeezes one wing.
std::vector<Pt> place(const std::vector<Pt>& shape, float x, float y, float size, float heading, float bank)
{
    std::vector<Pt> out;
    const float ca = std::cos(heading), sa = std::sin(heading);
    for (Pt p : shape) {
        float px = p.x * size, py = p.y * size;
        px *= (px > 0.0f ? 1.0f - bank : 1.0f + bank * 0.4f);
        out.push_back({x + px * ca - py * sa, y + px * sa + py * ca});
    }
    return out;
}

void draw_fighter(Canvas& c, float x, float y, float size, float heading, float bank)
{
    const auto body = place(fighter_outline(), x, y, size, heading, bank);
    // Rim light from the low sun at the lower left.
    const float lx = -0.8f, ly = 0.6f;
    paint(c, x - size * 1.2f, y - size * 1.2f, x + size * 1.2f, y + size * 1.2f,
          [&](float px, float py) { return sd_polygon(px, py, body); },
          [&](float px, float py, float d, float& a) {
              a = 1.0f;
              const float e = 1.2f;
              const float gx = sd_polygon(px + e, py, body) - sd_polygon(px - e, py, body);
              const float gy = sd_polygon(px, py + e, body) - sd_polygon(px, py - e, body);
              const float len = std::max(1e-4f, std::hypot(gx, gy));
              const float facing = clamp01((gx * lx + gy * ly) / len);
              const float rim = facing * clamp01(1.0f + d / 1.8f);
              return mix(rgb(0x140E1C), rgb(0xFF9E58), rim * 0.9f);
          });
    // Canopy glint.
    const float ca = std::cos(heading), sa = std::sin(heading);
    const float gx = x - (-0.45f * size) * sa, gy = y + (-0.45f * size) * ca;
    paint(c, gx - 3, gy - 3, gx + 3, gy + 3,
          [&](float px, float py) { return sd_ellipse(px, py, gx, gy, size * 0.05f + 0.6f, size * 0.05f + 0.6f); },
          [&](float, float, float, float& a) {
              a = 0.8f;
              return rgb(0x6A7AB0);
          });
}

void draw_dogfight(Canvas& c)
{
    // The hunted fighter breaking right, the hunter behind it.
    const float hx = 318.0f, hy = 112.0f, px = 212.0f, py = 126.0f;
    // Smoke from the hunted one's engine.
    Rng rng(0x5E0);
    for (int k = 0; k < 40; ++k) {
        const float t = float(k) / 40.0f;
        const float sx = hx - 20.0f - t * 70.0f + rng.gauss() * 2.0f;
        const float sy = hy + 10.0f + t * 18.0f + std::sin(t * 9.0f) * 3.0f;
        glow(c, sx, sy, 4.0f + 9.0f * t, mix(rgb(0x8A6A70), rgb(0x3A2A44), t), 0.22f * (1.0f - t));
    }
    draw_fighter(c, hx, hy, 30.0f, 1.25f, 0.35f);
    draw_fighter(c, px, py, 22.0f, 1.32f, -0.2f);
    // Tracers from the hunter's guns towards the hunted.
    const float dx = hx - px, dy = hy - py;
    const float len = std::hypot(dx, dy);
    const float ux = dx / len, uy = dy / len;
    for (int k = 0; k < 5; ++k) {
        const float s0 = 26.0f + float(k) * 15.0f, s1 = s0 + 7.0f;
        const float off = (k % 2 ? 3.0f : -3.0f);
        const Pt a{px + ux * s0 - uy * off, py + uy * s0 + ux * off};
        const Pt b{px + ux * s1 - uy * off, py + uy * s1 + ux * off};
        stroke(c, a, b, 3.0f, rgb(0xFF8A30), 0.35f);
        stroke(c, a, b, 1.4f, rgb(0xFFF0B0), 1.0f);
    }
}

// The title, in stroke letters on a 10 x 14 box, leaning forward.
struct Stroke {
    float ax, ay, bx, by;
};
std::vector<Stroke> letter_strokes(char ch)
{
    switch (ch) {
    case 'V': return {{0, 0, 5, 14}, {5, 14, 10, 0}};
    case 'A': return {{0, 14, 5, 0}, {5, 0, 10, 14}, {2.4f, 9, 7.6f, 9}};
    case 'L': return {{0, 0, 0, 14}, {0, 14, 9, 14}};
    case 'K': return {{0, 0, 0, 14}, {9.5f, 0, 0.5f, 8.5f}, {3.6f, 5.6f, 10, 14}};
    case 'R': return {{0, 14, 0, 0}, {0, 0, 6, 0}, {0, 7.4f, 6, 7.4f}, {5.2f, 7.4f, 10, 14}};
    case 'N': return {{0, 14, 0, 0}, {0, 0, 10, 14}, {10, 14, 10, 0}};
    default: return {};
    }
}

float letter_distance(char ch, float x, float y, float half)
{
    float d = 1e9f;
    for (const Stroke& s : letter_strokes(ch)) d = std::min(d, sd_segment(x, y, s.ax, s.ay, s.bx, s.by) - half);
    if (ch == 'O') d = std::fabs(sd_ellipse(x, y, 5.0f, 7.0f, 5.0f, 7.0f)) - half;
    if (ch == 'R') {
        // The bowl: a half ring from (6,0) to (6,7.4) on the right.
        const float ring = std::fabs(std::hypot(x - 6.0f, y - 3.7f) - 3.7f) - half;
        d = std::min(d, x >= 6.0f ? ring : 1e9f);
    }
    return d;
}

void draw_title(Canvas& c)
{
    const std::string title = "VALKRON";
    const float scale = 2.5f, left = 45.0f, top = 9.0f, pitch = 45.0f, lean = 0.22f;
    const float half = 1.25f;  // stroke half width in letter units
    auto dist = [&](float x, float y) {
        float d = 1e9f;
        for (size_t k = 0; k < title.size(); ++k) {
            float ly = (y - top) / scale;
            float lx = (x - left - float(k) * pitch) / scale + (ly - 14.0f) * lean;
            if (lx < -4.0f || lx > 14.0f) continue;
            d = std::min(d, letter_distance(title[k], lx, ly, half) * scale);
        }
        return d;
    };
    const float x0 = left - 10.0f, x1 = left + pitch * 6.0f + 40.0f, y0 = top - 8.0f, y1 = top + 14.0f * scale + 10.0f;
    // Soft dark halo, then a warm outer glow, then the outline and the metal.
    paint(c, x0, y0, x1, y1, [&](float x, float y) { return dist(x - 2.0f, y - 3.0f) - 3.0f; },
          [&](float, float, float d, float& a) {
              a = 0.55f * clamp01(-d / 3.0f + 0.3f);
              return rgb(0x020208);
          });
    for (int y = int(y0); y < int(y1); ++y) {
        for (int x = int(x0); x < int(x1); ++x) {
            const float d = dist(float(x) + 0.5f, float(y) + 0.5f);
            if (d > 0.0f && d < 10.0f) c.blend(x, y, rgb(0xFF7A3A), 0.18f * (1.0f - d / 10.0f) * (1.0f - d / 10.0f));
        }
    }
    paint(c, x0, y0, x1, y1, [&](float x, float y) { return dist(x, y) - 1.6f; },
          [&](float, float, float, float& a) {
              a = 1.0f;
              return rgb(0x0A0A18);
          });
    paint(c, x0, y0, x1, y1, [&](float x, float y) { return dist(x, y); },
          [&](float x, float y, float d, float& a) {
              a = 1.0f;
              const float v = (y - top) / (14.0f * scale);  // 0 top .. 1 bottom
              // Chrome: sky blue on top, a bright horizon line, warm below.
              Rgb col = v < 0.48f ? mix(rgb(0x5A78C8), rgb(0xE8F0FF), v / 0.48f)
                                  : mix(rgb(0x7A3A2A), rgb(0xFFB060), (v - 0.48f) / 0.52f);
              // Bevel: lighter on the stroke's upper-left side.
              const float e = 0.8f;
              const float gx = dist(x + e, y) - dist(x - e, y), gy = dist(x, y + e) - dist(x, y - e);
              const float l = std::max(1e-4f, std::hypot(gx, gy));
              const float shade = (-gx * 0.6f - gy * 0.8f) / l;
              col = col * (1.0f + 0.25f * shade * clamp01(1.0f + d / 2.0f));
              const float brushed = fbm(x * 0.5f, y * 0.04f, 2, 256, 3);
              return col * (0.92f + 0.12f * brushed);
          });
    // A glint on the first letter.
    glow(c, left + 6.0f, top + 4.0f, 10.0f, rgb(0xFFFFFF), 0.5f);
    stroke(c, {left + 1.0f, top + 4.0f}, {left + 11.0f, top + 4.0f}, 1.0f, rgb(0xFFFFFF), 0.6f);
    stroke(c, {left + 6.0f, top - 1.0f}, {left + 6.0f, top + 9.0f}, 1.0f, rgb(0xFFFFFF), 0.6f);
}

// Darkens the surroundings of the menu's texts a little more, with a soft
// edge, so that even the dim phases of the pulsing item stay readable.
void calm_text_areas(Canvas& c)
{
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            const float d = text_distance(float(x) + 0.5f, float(y) + 0.5f);
            const float a = 0.38f * (1.0f - smoothstep(-6.0f, 22.0f, d));
            if (a > 0.0f) c.blend(x, y, rgb(0x04040C), a);
        }
    }
}

}  // namespace

std::vector<uint32_t> make_menu_picture()
{
    Canvas c(W, H, rgb(0));
    draw_sky(c);
    draw_stars(c);
    draw_sun_and_clouds(c);
    draw_sea_and_land(c);
    draw_dogfight(c);
    calm_text_areas(c);
    draw_title(c);
    // Vignette.
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            const float dx = (float(x) - 200.0f) / 200.0f, dy = (float(y) - 150.0f) / 150.0f;
            const float v = clamp01((dx * dx + dy * dy - 0.55f) * 0.5f);
            c.at(x, y) = c.at(x, y) * (1.0f - 0.55f * v);
        }
    }
    return c.packed();
}

}  // namespace datagen
