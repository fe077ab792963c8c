// Shared pieces of the game data generator: colours, a seeded random
// generator, tileable noise, a float canvas with anti-aliased shape
// painting, the 3DS model description and the file writers.
//
// Everything here is deterministic: no clocks, no unordered containers, one
// seeded generator per asset.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <string>
#include <vector>

namespace datagen {

// ---------------------------------------------------------------- colours

struct Rgb {
    float r, g, b;  // 0..255
};

inline Rgb rgb(uint32_t hex)
{
    return {float((hex >> 16) & 0xFF), float((hex >> 8) & 0xFF), float(hex & 0xFF)};
}
inline Rgb operator+(Rgb a, Rgb b) { return {a.r + b.r, a.g + b.g, a.b + b.b}; }
inline Rgb operator*(Rgb a, float k) { return {a.r * k, a.g * k, a.b * k}; }
inline Rgb mix(Rgb a, Rgb b, float t) { return a * (1.0f - t) + b * t; }
// Multiplies each channel by another colour taken as 0..1 factors.
inline Rgb tint(Rgb a, Rgb b) { return {a.r * b.r / 255.0f, a.g * b.g / 255.0f, a.b * b.b / 255.0f}; }
float clamp01(float v);
float smoothstep(float e0, float e1, float x);
// Clamped and rounded to 0x00RRGGBB.
uint32_t pack(Rgb c);
// Colour ramp: keys sorted by position.
struct RampKey {
    float at;
    uint32_t colour;
};
Rgb ramp(const std::vector<RampKey>& keys, float t);

// ------------------------------------------------------------- randomness

// SplitMix64: small, fast and the same everywhere.
struct Rng {
    uint64_t state;
    explicit Rng(uint64_t seed) : state(seed) {}
    uint32_t next_u32();
    float next();                      // [0, 1)
    float range(float lo, float hi);   // [lo, hi)
    int below(int n);                  // [0, n)
    float gauss();                     // roughly normal, mean 0, deviation 1
};

// Value noise in [0, 1] that repeats every `period` cells in x and y.
float value_noise(float x, float y, int period, uint32_t seed);
// Sum of octaves of value_noise, normalised to [0, 1]; repeats every
// `period` cells of the first octave.
float fbm(float x, float y, int octaves, int period, uint32_t seed);

// ----------------------------------------------------------------- canvas

struct Canvas {
    int width = 0, height = 0;
    std::vector<Rgb> pixels;
    Canvas(int w, int h, Rgb fill);
    Rgb& at(int x, int y) { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
    const Rgb& at(int x, int y) const { return pixels[size_t(y) * size_t(width) + size_t(x)]; }
    void blend(int x, int y, Rgb c, float alpha);
    // Bilinear sample with clamped edges.
    Rgb sample(float x, float y) const;
    std::vector<uint32_t> packed() const;
};

// Signed distances (negative inside), all in pixels.
float sd_segment(float px, float py, float ax, float ay, float bx, float by);
float sd_circle(float px, float py, float cx, float cy, float r);
float sd_ellipse(float px, float py, float cx, float cy, float rx, float ry);
struct Pt {
    float x, y;
};
float sd_polygon(float px, float py, const std::vector<Pt>& poly);

// Paints a shape given by its signed distance: for every pixel of the box,
// shade(x, y, d) returns the colour and the shape's own opacity at
// distance d; the edge is anti-aliased over one pixel.
template <class Dist, class Shade>
void paint(Canvas& c, float x0, float y0, float x1, float y1, Dist dist, Shade shade)
{
    const int ix0 = std::max(0, int(std::floor(x0)) - 1);
    const int iy0 = std::max(0, int(std::floor(y0)) - 1);
    const int ix1 = std::min(c.width - 1, int(std::ceil(x1)) + 1);
    const int iy1 = std::min(c.height - 1, int(std::ceil(y1)) + 1);
    for (int y = iy0; y <= iy1; ++y) {
        for (int x = ix0; x <= ix1; ++x) {
            const float px = float(x) + 0.5f, py = float(y) + 0.5f;
            const float d = dist(px, py);
            const float cover = clamp01(0.5f - d);
            if (cover <= 0.0f) continue;
            float alpha = 1.0f;
            const Rgb col = shade(px, py, d, alpha);
            c.blend(x, y, col, cover * alpha);
        }
    }
}

// A filled polygon in one colour.
void fill_polygon(Canvas& c, const std::vector<Pt>& poly, Rgb colour, float alpha = 1.0f);
// A line with round ends, `width` pixels wide.
void stroke(Canvas& c, Pt a, Pt b, float width, Rgb colour, float alpha = 1.0f);
// Soft radial glow: alpha falls from `alpha` at the centre to 0 at radius.
void glow(Canvas& c, float cx, float cy, float radius, Rgb colour, float alpha);

// ------------------------------------------------------------------ font

// The game's bitmap font, 8 x 9 pixels per character. Returns the glyph's
// nine rows of eight characters ('#' set, '.' clear), or null when the
// font has no glyph for the character (it then draws blank).
const char* const* glyph_rows(char c);
// Every character the font draws (letters, digits and punctuation).
const std::string& font_characters();
// Prints text into a canvas with the bitmap font, each font pixel `scale`
// canvas pixels.
void print_text(Canvas& c, const std::string& text, int x, int y, int scale, Rgb colour);
std::vector<uint8_t> make_font_texture();

// ----------------------------------------------------------------- models

struct ModelVertex {
    float x, y, z;  // scene axes: +X right, +Y down, +Z forward (nose)
    float u, v;     // v counts down the texture (row / 256)
};

struct ModelMesh {
    std::string name;      // "T..." textured, "B..." canopy, others flat
    std::string material;  // material name written with the faces
    std::vector<ModelVertex> vertices;
    std::vector<uint32_t> faces;  // three indices per face, scene corner order
    float pivot[3] = {0, 0, 0};
};

struct ModelMaterial {
    std::string name;
    uint32_t colour;       // diffuse 0xRRGGBB
    std::string map_file;  // texture file name, empty for none
    bool two_sided = false;
};

struct ModelCamera {
    std::string name;
    float position[3];
    float target[3];
    float lens;
};

struct Model {
    std::vector<ModelMaterial> materials;
    std::vector<ModelMesh> meshes;
    std::vector<ModelCamera> cameras;
    uint32_t last_frame = 100;
    // Keys of the first mesh's node: a slow turn through the frame range.
    float spin_turns = 0.0f;
};

// The file image of a model (chunks of the Main block, little-endian).
std::vector<uint8_t> write_3ds(const Model& model);

// --------------------------------------------------------------- outputs

struct OutputFile {
    std::string path;  // relative to the game directory, '/' separated
    std::vector<uint8_t> bytes;
};

// 256 x 256 texture (records red, green, blue, 0).
std::vector<uint8_t> texture_bytes(const std::vector<uint32_t>& pixels);
// Records blue, green, red, 0: little-endian 0x00RRGGBB values.
std::vector<uint8_t> raw_bytes(const std::vector<uint32_t>& pixels);

void add_font(std::vector<OutputFile>& out);
void add_pictures(std::vector<OutputFile>& out);
void add_models(std::vector<OutputFile>& out);
void add_help_text(std::vector<OutputFile>& out);

struct WaveSound {
    const char* resource;  // "#103"
    const char* file;      // listening copy, e.g. "menu_move.wav"
    std::vector<uint8_t> image;
};
std::vector<WaveSound> make_sounds();
std::string help_text();

// Individual assets, also used by the tests of the generator's own logic.
std::vector<uint32_t> make_explosion_frame(int n);  // 1..17, 112 x 102
std::vector<uint32_t> make_target();                 // 103 x 72
std::vector<uint32_t> make_menu_picture();           // 400 x 300
std::vector<uint32_t> make_credits_picture();        // 320 x 200
std::vector<uint32_t> credits_to_texture(const std::vector<uint32_t>& picture);

constexpr uint32_t key_colour = 0x0000FCFF;

}  // namespace datagen
