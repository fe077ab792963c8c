// The credits picture, stored in "Data/Quorba.tex". The credits screen
// shows a 320 x 200 picture built from two transposed halves of the 256 x
// 256 texture; only columns 8..135 and 184..311 of rows 0..171 receive
// texels, the rest stays white (empty). The picture is drawn first as those
// two 128 x 172 panels - portraits of the game's two pilot-authors, Mr.
// Brenn and Tav, in leather flying helmets - and then laid into the texture
// by inverting the builder's mapping. White is the empty value, so no
// painted pixel is allowed to be pure white.
#include <cmath>

#include "datagen.h"

namespace datagen {

namespace {

constexpr int PW = 128, PH = 172;

struct Pilot {
    const char* name;
    uint32_t sky_top, sky_bottom;
    uint32_t helmet, helmet_light;
    uint32_t scarf, scarf_dark;
    uint32_t skin;
    uint32_t iris;
    bool moustache;
    bool grin;
};

float rounded_box(float x, float y, float x0, float y0, float x1, float y1, float r)
{
    const float cx = (x0 + x1) * 0.5f, cy = (y0 + y1) * 0.5f;
    const float hx = (x1 - x0) * 0.5f - r, hy = (y1 - y0) * 0.5f - r;
    const float qx = std::fabs(x - cx) - hx, qy = std::fabs(y - cy) - hy;
    return std::hypot(std::max(qx, 0.0f), std::max(qy, 0.0f)) + std::min(std::max(qx, qy), 0.0f) - r;
}

// A flat shape filled with one colour shaded towards its edge.
template <class Dist>
void shape(Canvas& c, Dist dist, Rgb colour, float edge_dark, float edge_width, float alpha = 1.0f)
{
    paint(c, 0, 0, float(c.width), float(c.height), dist, [&](float, float, float d, float& a) {
        a = alpha;
        return colour * (1.0f - edge_dark * smoothstep(-edge_width, 0.0f, d));
    });
}

void portrait(Canvas& c, const Pilot& p, uint32_t seed)
{
    // Background: sky with a sunburst behind the head, in a gold frame.
    paint(c, 0, 0, PW, PH, [&](float x, float y) { return rounded_box(x, y, 1, 1, PW - 1, PH - 1, 11); },
          [&](float x, float y, float, float& a) {
              a = 1.0f;
              Rgb col = mix(rgb(p.sky_top), rgb(p.sky_bottom), y / float(PH));
              const float ang = std::atan2(y - 80.0f, x - 64.0f);
              const float ray = smoothstep(-0.2f, 0.2f, std::sin(ang * 9.0f));
              return col * (0.92f + 0.1f * ray);
          });
    Rng rng(seed);
    // Little clouds low in the sky.
    for (int k = 0; k < 7; ++k) {
        const float x = rng.range(0.0f, float(PW)), y = rng.range(115.0f, 150.0f);
        for (int j = 0; j < 4; ++j) {
            glow(c, x + float(j) * 6.0f - 9.0f, y + rng.range(-2.0f, 2.0f), rng.range(7.0f, 11.0f),
                 rgb(0xF4EEE8), 0.5f);
        }
    }

    // Jacket, fleece collar, scarf and neck.
    shape(c, [&](float x, float y) { return sd_ellipse(x, y, 64, 190, 66, 62); }, rgb(0x6E4226), 0.45f, 14.0f);
    for (int k = 0; k < 4; ++k) {  // seams and a zip
        const float x = 64.0f + float(k - 1) * 0.5f;
        stroke(c, {x, 140}, {x, 172}, 1.0f, rgb(0x3A2012), 0.8f);
    }
    shape(c, [&](float x, float y) { return rounded_box(x, y, 52, 100, 76, 134, 6); }, rgb(p.skin) * 0.82f, 0.25f, 5.0f);
    for (int side = -1; side <= 1; side += 2) {
        const float cx = 64.0f + float(side) * 26.0f;
        paint(c, cx - 30, 110, cx + 30, 160,
              [&](float x, float y) {
                  const float wob = 1.8f * (fbm(x * 0.25f, y * 0.25f, 2, 64, seed) - 0.5f);
                  return sd_ellipse(x, y, cx, 136, 24, 14) + wob;
              },
              [&](float x, float y, float d, float& a) {
                  a = 1.0f;
                  const float curl = fbm(x * 0.4f, y * 0.4f, 3, 64, seed + 1);
                  return mix(rgb(0xC8B48E), rgb(0xF2E6CC), curl) * (1.0f - 0.3f * smoothstep(-6.0f, 0.0f, d));
              });
    }
    // Scarf knot and the loose end blowing to the side.
    shape(c, [&](float x, float y) { return sd_ellipse(x, y, 64, 126, 21, 8); }, rgb(p.scarf), 0.35f, 5.0f);
    paint(c, 60, 118, PW, 170,
          [&](float x, float y) {
              const float t = (x - 64.0f) / 60.0f;
              const float mid = 130.0f + 18.0f * t + 5.0f * std::sin(t * 7.0f);
              const float half = 7.0f - 3.0f * t;
              return std::max(std::fabs(y - mid) - half, std::max(64.0f - x, x - 122.0f));
          },
          [&](float x, float y, float d, float& a) {
              a = 1.0f;
              const float fold = 0.5f + 0.5f * std::sin(x * 0.35f + y * 0.1f);
              return mix(rgb(p.scarf_dark), rgb(p.scarf), fold) * (1.0f - 0.25f * smoothstep(-3.0f, 0.0f, d));
          });
    for (int k = 0; k < 5; ++k) {  // fringe
        const float x = 118.0f + float(k) * 1.2f, y = 144.0f + float(k) * 2.2f;
        stroke(c, {x, y}, {x + 5.0f, y + 1.0f}, 1.0f, rgb(p.scarf_dark), 0.9f);
    }

    // Head.
    const float hx = 64.0f, hy = 84.0f;
    paint(c, 0, 0, PW, PH, [&](float x, float y) { return sd_ellipse(x, y, hx, hy, 24, 30); },
          [&](float x, float y, float d, float& a) {
              a = 1.0f;
              Rgb col = rgb(p.skin) * (1.0f - 0.22f * smoothstep(-10.0f, 0.0f, d));
              // Light from the upper left; rosy cheeks.
              col = col * (1.0f + 0.08f * clamp01((hx - x) / 24.0f) - 0.06f * clamp01((x - hx) / 24.0f));
              const float cheek = std::min(std::hypot(x - 50.0f, y - 94.0f), std::hypot(x - 78.0f, y - 94.0f));
              return mix(col, rgb(0xE07A6A), 0.35f * (1.0f - smoothstep(0.0f, 7.0f, cheek)));
          });

    // Face.
    for (int side = -1; side <= 1; side += 2) {
        const float ex = hx + float(side) * 11.0f, ey = 83.0f;
        shape(c, [&](float x, float y) { return sd_ellipse(x, y, ex, ey, 4.6f, 3.2f); }, rgb(0xF6F2EC), 0.15f, 2.0f);
        shape(c, [&](float x, float y) { return sd_circle(x, y, ex + 0.6f, ey + 0.2f, 2.4f); }, rgb(p.iris), 0.3f, 1.5f);
        shape(c, [&](float x, float y) { return sd_circle(x, y, ex + 0.6f, ey + 0.2f, 1.1f); }, rgb(0x120C0A), 0.0f, 1.0f);
        c.blend(int(ex), int(ey) - 1, rgb(0xFAFAFA), 0.9f);
        stroke(c, {ex - 5.0f, ey - 6.5f + (side > 0 ? 0.5f : 0.0f)}, {ex + 4.5f, ey - 7.5f}, 1.8f, rgb(0x4A2A18), 0.95f);
    }
    // Nose and mouth.
    stroke(c, {hx + 1.0f, 86.0f}, {hx - 2.0f, 96.0f}, 1.4f, rgb(p.skin) * 0.72f, 0.9f);
    stroke(c, {hx - 2.0f, 96.0f}, {hx + 3.0f, 97.0f}, 1.4f, rgb(p.skin) * 0.72f, 0.9f);
    if (p.grin) {
        paint(c, hx - 12, 100, hx + 12, 112,
              [&](float x, float y) {
                  return std::max(sd_ellipse(x, y, hx, 102.0f, 9.0f, 6.5f), 102.0f - y);
              },
              [&](float, float y, float, float& a) {
                  a = 1.0f;
                  return y < 105.0f ? rgb(0xF4F0E8) : rgb(0x7A2A28);
              });
        stroke(c, {hx - 10.0f, 101.5f}, {hx + 10.0f, 101.5f}, 1.2f, rgb(0x7A3A30), 0.8f);
        // Freckles.
        for (int k = 0; k < 10; ++k) {
            const float fx = hx + rng.range(-16.0f, 16.0f), fy = 90.0f + rng.range(-3.0f, 3.0f);
            if (std::fabs(fx - hx) < 5.0f) continue;
            c.blend(int(fx), int(fy), rgb(p.skin) * 0.7f, 0.6f);
        }
    } else {
        paint(c, hx - 10, 100, hx + 10, 110,
              [&](float x, float y) { return std::fabs(sd_ellipse(x, y, hx, 100.0f, 7.0f, 4.5f)) - 0.8f + (y < 102.0f ? 10.0f : 0.0f); },
              [&](float, float, float, float& a) {
                  a = 1.0f;
                  return rgb(0x8A3A30);
              });
    }
    if (p.moustache) {
        // A grand handlebar moustache.
        for (int side = -1; side <= 1; side += 2) {
            paint(c, hx - 30, 88, hx + 30, 106,
                  [&](float x, float y) {
                      const float t = (x - hx) * float(side);  // 0 at the middle, outwards
                      if (t < -1.0f) return 10.0f;
                      const float mid = 98.0f + 0.12f * t - 0.013f * t * t * (t > 12.0f ? 1.6f : 1.0f);
                      const float half = std::max(0.4f, 3.2f - 0.12f * t);
                      return std::max(std::fabs(y - mid) - half, t - 19.0f);
                  },
                  [&](float x, float, float d, float& a) {
                      a = 1.0f;
                      const float hair = 0.5f + 0.5f * std::sin(x * 2.1f);
                      return mix(rgb(0x6A3414), rgb(0xA85A28), hair * clamp01(-d));
                  });
        }
    }

    // Leather helmet with ear flaps and a chin strap.
    paint(c, 0, 0, PW, PH,
          [&](float x, float y) {
              const float cap = std::max(sd_ellipse(x, y, hx, 80.0f, 28.5f, 33.0f), y - 72.0f);
              float flaps = 1e9f;
              for (int side = -1; side <= 1; side += 2) {
                  flaps = std::min(flaps, rounded_box(x, y, hx + float(side) * 24.0f - 6.5f, 62.0f,
                                                      hx + float(side) * 24.0f + 6.5f, 108.0f, 6.0f));
              }
              return std::min(cap, flaps);
          },
          [&](float x, float y, float d, float& a) {
              a = 1.0f;
              Rgb col = mix(rgb(p.helmet_light), rgb(p.helmet), clamp01((x - 40.0f) / 60.0f + (y - 50.0f) / 80.0f));
              col = col * (1.0f - 0.3f * smoothstep(-5.0f, 0.0f, d));
              const float grain = fbm(x * 0.3f, y * 0.3f, 3, 64, seed + 7);
              return col * (0.9f + 0.2f * grain);
          });
    // Seams with stitches.
    for (float y = 50.0f; y < 62.0f; y += 2.5f) c.blend(int(hx), int(y), rgb(p.helmet_light) * 1.3f, 0.8f);
    stroke(c, {hx, 48.0f}, {hx, 62.0f}, 0.8f, rgb(p.helmet) * 0.5f, 0.8f);
    for (int side = -1; side <= 1; side += 2) {
        const float fx = hx + float(side) * 24.0f;
        stroke(c, {fx, 104.0f}, {hx + float(side) * 8.0f, 117.0f}, 2.0f, rgb(p.helmet) * 0.8f, 1.0f);
        shape(c, [&](float x, float y) { return sd_circle(x, y, fx, 100.0f, 2.2f); }, rgb(0xC8A050), 0.3f, 1.0f);
    }

    // Goggles pushed up on the forehead.
    stroke(c, {hx - 27.0f, 64.0f}, {hx + 27.0f, 64.0f}, 6.0f, rgb(0x2A2220), 1.0f);
    for (int side = -1; side <= 1; side += 2) {
        const float gx = hx + float(side) * 13.0f, gy = 62.0f;
        shape(c, [&](float x, float y) { return sd_circle(x, y, gx, gy, 10.5f); }, rgb(0xA8A8B0), 0.45f, 3.0f);
        paint(c, gx - 9, gy - 9, gx + 9, gy + 9, [&](float x, float y) { return sd_circle(x, y, gx, gy, 7.5f); },
              [&](float x, float y, float, float& a) {
                  a = 1.0f;
                  const float t = clamp01((y - gy + 7.5f) / 15.0f);
                  Rgb col = mix(rgb(0x9AD8F0), rgb(0x2A5A88), t);
                  const float streak = std::fabs((x - gx) + (y - gy) * 0.8f + 2.0f);
                  return mix(col, rgb(0xF4FAFA), 0.7f * (1.0f - smoothstep(0.0f, 2.0f, streak)));
              });
    }
    stroke(c, {hx - 3.0f, 62.0f}, {hx + 3.0f, 62.0f}, 3.0f, rgb(0x8A8A92), 1.0f);

    // Name plate.
    const int len = int(std::string(p.name).size());
    const float pw = float(len * 16 + 16), px = 64.0f - pw * 0.5f;
    paint(c, px - 3, 146, px + pw + 3, 170,
          [&](float x, float y) { return rounded_box(x, y, px, 148.0f, px + pw, 168.0f, 4.0f); },
          [&](float, float y, float d, float& a) {
              a = 1.0f;
              const Rgb plate = mix(rgb(0x2A2030), rgb(0x140E18), (y - 148.0f) / 20.0f);
              return d > -2.0f ? rgb(0xD8B058) : plate;
          });
    print_text(c, p.name, int(px) + 9, 150, 2, rgb(0xF2CC66));
    // Gold frame.
    paint(c, 0, 0, PW, PH,
          [&](float x, float y) { return std::fabs(rounded_box(x, y, 1.5f, 1.5f, PW - 1.5f, PH - 1.5f, 11)) - 1.6f; },
          [&](float x, float y, float, float& a) {
              a = 1.0f;
              return mix(rgb(0xF0D080), rgb(0x8A6420), clamp01((x + y) / 300.0f));
          });
}

}  // namespace

std::vector<uint32_t> make_credits_picture()
{
    const Pilot brenn{"BRENN",  0x3A78C0, 0xF0B070, 0x5A3820, 0x9A6A40, 0xC82828, 0x7A1010,
                      0xF0C8A0, 0x3A6A9A, true, false};
    const Pilot tav{"TAV",     0x2A4A8A, 0xE88A70, 0x2A2622, 0x6A5A50, 0x2A8AC8, 0x144A78,
                    0xE8B890, 0x6A4A2A, false, true};
    std::vector<uint32_t> picture(320 * 200, 0xFFFFFF);
    const Pilot* pilots[2] = {&brenn, &tav};
    const int left[2] = {8, 184};
    for (int k = 0; k < 2; ++k) {
        // Panels start out white, so whatever stays white remains empty.
        Canvas panel(PW, PH, rgb(0xFFFFFF));
        portrait(panel, *pilots[k], 0xC4ED17u + uint32_t(k));
        for (int y = 0; y < PH; ++y) {
            for (int x = 0; x < PW; ++x) {
                const Rgb px = panel.at(x, y);
                // Outside the framed panel is empty; inside, nothing may be
                // pure white.
                const bool empty =
                    rounded_box(float(x) + 0.5f, float(y) + 0.5f, 1, 1, PW - 1, PH - 1, 11) > -0.5f;
                uint32_t v = 0xFFFFFF;
                if (!empty) {
                    v = pack({std::min(px.r, 250.0f), std::min(px.g, 250.0f), std::min(px.b, 250.0f)});
                    if (v == key_colour) v ^= 1;
                }
                picture[size_t(y * 320 + left[k] + x)] = v;
            }
        }
    }
    return picture;
}

std::vector<uint32_t> credits_to_texture(const std::vector<uint32_t>& picture)
{
    // The builder copies texel (row 128 + c, column 28 + k) to pixel
    // (row k, column 184 + c) and texel (row c, column 28 + k) to pixel
    // (row k, column 8 + c), for c < 128 and k < 172. Texels it never reads
    // stay white.
    std::vector<uint32_t> tex(256 * 256, 0xFFFFFF);
    for (int c = 0; c < 128; ++c) {
        for (int k = 0; k < 172; ++k) {
            tex[size_t((128 + c) * 256 + 28 + k)] = picture[size_t(k * 320 + 184 + c)];
            tex[size_t(c * 256 + 28 + k)] = picture[size_t(k * 320 + 8 + c)];
        }
    }
    return tex;
}

}  // namespace datagen
