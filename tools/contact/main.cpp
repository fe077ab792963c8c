// valkron-contact: contact sheets of the game data, drawn with the game's
// own loaders, engine, font and match view, for people to look at:
//
//   valkron-contact --game DIR --out DIR
//
// Sheets (each with a 4x enlarged copy *_4x.png where it is small enough to
// look at closely):
//   aeroplanes.png   the six aeroplanes from four sides, each tile a view of
//                    the match (draw_player_view) with the aeroplane as the
//                    opponent, its instruments' text left out
//   aeroplanes_close.png, plane_<name>.png
//                    the same larger, to judge the liveries
//   credits.png      the credits picture as start-up builds it
//   explosion.png    the seventeen explosion frames as start-up reads them
//   font.png         every glyph of the font, and sample lines
//   target.png       the aiming mark as stored and as start-up keys it
//   shot.png         the shot close up and at match distances
//   textures.png     the aeroplane, intro and shot textures as stored
// The game's screens themselves are frames of valkron-sim (docs/*.png).
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "assets/font.h"
#include "assets/scene.h"
#include "assets/texture.h"
#include "common/png_writer.h"
#include "engine/engine.h"
#include "engine/math3d.h"
#include "engine/render.h"
#include "game/aircraft.h"
#include "game/match.h"
#include "game/world.h"
#include "platform/headless.h"
#include "shell/credits.h"
#include "shell/pictures.h"
#include "shell/settings.h"

namespace {

namespace fs = std::filesystem;

const char* const plane_names[6] = {"Happy", "Goliash 215", "Titan Hs", "Lizard 372", "Lizard 486", "Needle"};

struct Picture {
    int w = 0, h = 0;
    std::vector<uint32_t> px;
    Picture() = default;
    Picture(int width, int height, uint32_t fill = 0) : w(width), h(height), px(size_t(width * height), fill) {}
    uint32_t& at(int x, int y) { return px[size_t(y * w + x)]; }
    void blit(const Picture& src, int x0, int y0, int scale = 1)
    {
        for (int y = 0; y < src.h * scale; ++y) {
            for (int x = 0; x < src.w * scale; ++x) {
                const int tx = x0 + x, ty = y0 + y;
                if (tx < 0 || ty < 0 || tx >= w || ty >= h) continue;
                at(tx, ty) = src.px[size_t((y / scale) * src.w + x / scale)];
            }
        }
    }
    void text(const std::string& s, int x, int y, uint32_t colour)
    {
        draw_text(s.c_str(), x, y, w, h, colour, px.data());
    }
};

std::string out_dir;

void save(const std::string& name, const Picture& p, bool enlarged)
{
    const std::string path = out_dir + "/" + name + ".png";
    if (!write_png(path.c_str(), p.px.data(), p.w, p.h)) std::fprintf(stderr, "cannot write %s\n", path.c_str());
    if (enlarged) {
        Picture big(p.w * 4, p.h * 4);
        big.blit(p, 0, 0, 4);
        const std::string p4 = out_dir + "/" + name + "_4x.png";
        if (!write_png(p4.c_str(), big.px.data(), big.w, big.h)) std::fprintf(stderr, "cannot write %s\n", p4.c_str());
    }
}

// A camera matrix at eye looking at target, X right, Y down, Z forward.
Matrix4 look_at(Vec3 eye, Vec3 target)
{
    auto norm = [](Vec3 v) {
        const float l = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z);
        return Vec3{v.x / l, v.y / l, v.z / l};
    };
    const Vec3 z = norm({target.x - eye.x, target.y - eye.y, target.z - eye.z});
    const float d = z.y;
    const Vec3 y = norm({-d * z.x, 1.0f - d * z.y, -d * z.z});
    const Vec3 x{y.y * z.z - y.z * z.y, y.z * z.x - y.x * z.z, y.x * z.y - y.y * z.x};
    Matrix4 m;
    matrix_identity(m);
    const float rows[4][3] = {{x.x, x.y, x.z}, {y.x, y.y, y.z}, {z.x, z.y, z.z}, {eye.x, eye.y, eye.z}};
    for (int r = 0; r < 4; ++r) {
        for (int c = 0; c < 3; ++c) m.m[4 * r + c] = rows[r][c];
    }
    return m;
}

struct Plane {
    Scene* scene = nullptr;
    Texture* texture = nullptr;
};

Plane load_plane(const std::string& name)
{
    Plane p;
    p.scene = load_scene(("Models\\" + name + ".3ds").c_str());
    p.texture = load_texture(("Models\\" + name + ".tex").c_str());
    if (!p.scene || !p.texture) std::fprintf(stderr, "cannot load %s\n", name.c_str());
    return p;
}

// The match's view of the aeroplane as the opponent at model, seen from
// camera, into tile (the engine sized to it): stars, meshes coloured as the
// match colours them, the speed bar and direction marker; the instruments'
// text left out.
void match_view(const Plane& p, const Matrix4& model, const Matrix4& camera, Picture& tile)
{
    Texture* font = engine.font_texture;
    engine.font_texture = nullptr;
    view_buffer = tile.px.data();
    res_x = tile.w * 2;
    res_y = tile.h;
    plane_scene[1] = p.scene;
    plane_texture[1] = p.texture;
    aircraft[1].matrix = model;
    aircraft[0].matrix = camera;
    draw_player_view(0);
    plane_scene[1] = nullptr;
    plane_texture[1] = nullptr;
    view_buffer = nullptr;
    engine.font_texture = font;
}

void aeroplanes_sheet()
{
    const int tw = 240, th = 180;
    const Vec3 eyes[4] = {{-30, -17, 32}, {46, -4, 0.5f}, {3, -50, -9}, {22, 9, -42}};
    const char* labels[4] = {"front", "side", "top", "chase"};
    Picture sheet(tw * 4, (th + 12) * 6 + 12, 0x101018);
    engine_init(tw, th);
    for (int k = 0; k < 4; ++k) sheet.text(labels[k], k * tw + 4, 0, 0x96FF64);
    for (int n = 0; n < 6; ++n) {
        const Plane p = load_plane(plane_names[n]);
        Matrix4 model;
        matrix_identity(model);
        for (int k = 0; k < 4; ++k) {
            Picture tile(tw, th);
            match_view(p, model, look_at(eyes[k], {0, 0, 0}), tile);
            sheet.blit(tile, k * tw, 12 + n * (th + 12));
        }
        sheet.text(plane_names[n], 4, 12 + n * (th + 12) + th, 0x96FF64);
        release_scene(p.scene);
        release_texture(p.texture);
    }
    engine_release();
    save("aeroplanes", sheet, false);

    // One large close-up per aeroplane, from the front quarter, enlarged.
    engine_init(320, 240);
    Picture close(320 * 3, 240 * 2, 0);
    for (int n = 0; n < 6; ++n) {
        const Plane p = load_plane(plane_names[n]);
        Matrix4 model;
        matrix_identity(model);
        Picture tile(320, 240);
        match_view(p, model, look_at({-24, -13, 25}, {0, 0, 2}), tile);
        tile.text(plane_names[n], 4, 228, 0x96FF64);
        close.blit(tile, (n % 3) * 320, (n / 3) * 240);
        release_scene(p.scene);
        release_texture(p.texture);
    }
    engine_release();
    save("aeroplanes_close", close, false);
}

// Each aeroplane large, from above-front and below-behind, to judge the
// livery up close.
void aeroplane_portraits()
{
    const int tw = 480, th = 300;
    engine_init(tw, th);
    for (int n = 0; n < 6; ++n) {
        const Plane p = load_plane(plane_names[n]);
        Picture sheet(tw * 2, th);
        const Vec3 eyes[2] = {{-20, -12, 22}, {17, 9, -21}};
        for (int k = 0; k < 2; ++k) {
            Picture tile(tw, th);
            Matrix4 model;
            matrix_identity(model);
            match_view(p, model, look_at(eyes[k], {0, 0, 0}), tile);
            sheet.blit(tile, k * tw, 0);
        }
        sheet.text(plane_names[n], 4, th - 12, 0x96FF64);
        std::string file = std::string("plane_") + plane_names[n];
        for (char& c : file) c = (c == ' ') ? '_' : char(std::tolower(static_cast<unsigned char>(c)));
        save(file, sheet, false);
        release_scene(p.scene);
        release_texture(p.texture);
    }
    engine_release();
}

void textures_sheet()
{
    Picture sheet(256 * 4 + 12, 256 * 2 + 4, 0x101018);
    const char* names[8] = {"Models\\Happy.tex",      "Models\\Goliash 215.tex", "Models\\Titan Hs.tex",
                            "Models\\Lizard 372.tex", "Models\\Lizard 486.tex",  "Models\\Needle.tex",
                            "Models\\intro.tex",      "Data\\Fire.tex"};
    for (int k = 0; k < 8; ++k) {
        Texture* t = load_texture(names[k]);
        if (!t) continue;
        Picture p(256, 256);
        std::memcpy(p.px.data(), t->pixels, sizeof t->pixels);
        sheet.blit(p, (k % 4) * 260, (k / 4) * 260);
        release_texture(t);
    }
    save("textures", sheet, false);
}

// The shot close up and at distances; the aiming mark as stored and as
// start-up keys it (transparent shown black).
void shot_and_target_sheets()
{
    Scene* fire = load_scene("Data\\Fire.3ds");
    Texture* fire_tex = load_texture("Data\\Fire.tex");
    engine_init(200, 150);
    Picture shots(200 * 4, 150);
    const float dist[4] = {12.0f, 40.0f, 200.0f, 800.0f};
    for (int k = 0; k < 4; ++k) {
        Picture tile(200, 150);
        engine_clear_depth();
        Matrix4 m;
        matrix_identity(m);
        matrix_rotate_y(m, k == 0 ? 1.1f : 0.5f);
        Matrix4 cam = look_at({0, -2.0f, -dist[k]}, {0, 0, 0});
        if (fire && fire->mesh_count > 0) render_mesh(m, cam, fire->meshes[0], tile.px.data(), 0, fire_tex);
        char label[32];
        std::snprintf(label, sizeof label, "%d units", int(dist[k]));
        tile.text(label, 4, 138, 0x96FF64);
        shots.blit(tile, k * 200, 0);
    }
    engine_release();
    save("shot", shots, true);
    release_scene(fire);
    release_texture(fire_tex);

    Picture t(103 * 2 + 4, 72);
    Picture raw(103, 72);
    load_picture("Data\\Target.tex", raw.px.data(), 7416, PictureOrder::unchanged);
    t.blit(raw, 0, 0);
    target_picture = allocate_pixels(int64_t{target_width} * target_height);
    if (target_picture && load_target_picture()) {
        Picture keyed(103, 72);
        std::copy(target_picture, target_picture + 7416, keyed.px.begin());
        t.blit(keyed, 107, 0);
    }
    release_pictures();
    save("target", t, true);
}

void explosion_sheet()
{
    Picture strip(9 * 114, 2 * 104 + 12, 0x202028);
    if (!load_explosion_frames()) {
        for (int n = 0; n < explosion_count; ++n) {
            Picture f(112, 102);
            for (int i = 0; i < explosion_pixels; ++i) {
                const uint32_t v = explosion_frames[n * explosion_pixels + i];
                f.px[size_t(i)] = v == key_colour ? 0 : v;
            }
            strip.blit(f, (n % 9) * 114, (n / 9) * 104);
        }
    }
    release_pictures();
    engine_init(400, 300);
    strip.text("Expl1 .. Expl17 (key colour shown black)", 4, 2 * 104 + 2, 0x96FF64);
    engine_release();
    save("explosion", strip, true);
}

// The credits picture as start-up builds it (white, the empty part, shown
// dark).
void credits_sheet()
{
    quorba_texture = load_texture("Data\\Quorba.tex");
    credits_picture = allocate_pixels(credits_width * credits_height);
    if (quorba_texture && credits_picture) {
        build_credits_picture();
        Picture alone(credits_width, credits_height, 0x202028);
        for (int i = 0; i < credits_width * credits_height; ++i) {
            if ((credits_picture[i] & 0xFFFFFF) != 0xFFFFFF) alone.px[size_t(i)] = credits_picture[i];
        }
        save("credits", alone, true);
    }
    release_credits();
}

void font_sheet()
{
    engine_init(320, 120);
    Picture s(320, 120, 0x181820);
    const char* lines[] = {"ABCDEFGHIJKLMNOPQRSTUVWXYZ", "abcdefghijklmnopqrstuvwxyz", "0123456789 .%,()=-'!/\"",
                           "Player 1 got a frag ...", "Frag limit : 10   100 %", "Goliash 215 - Lizard 486",
                           "jumpy quirky glyphs, (yes)!", "This computer is executting ...",
                           "VALKRON 3D  Programink Mr. Brenn"};
    const uint32_t colours[] = {0x96FF64, 0x96FF64, 0x96FF64, 0x00FF00, 0x00FF00, 0xFFFF00, 0xFFFFFF, 0x00C000, 0xFFFF00};
    for (int k = 0; k < 9; ++k) s.text(lines[k], 4, 2 + 13 * k, colours[k]);
    engine_release();
    save("font", s, true);
}

}  // namespace

int main(int argc, char** argv)
{
    std::string game;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--game") == 0) game = argv[i + 1];
        if (std::strcmp(argv[i], "--out") == 0) out_dir = argv[i + 1];
    }
    if (game.empty() || out_dir.empty()) {
        std::fprintf(stderr, "usage: valkron-contact --game DIR --out DIR\n");
        return 2;
    }
    out_dir = fs::absolute(out_dir).string();
    fs::create_directories(out_dir);
    fs::current_path(game);
    headless_set_clock(1);  // the same stars every time
    generate_star_field();
    matrix_identity(base_matrix);
    aircraft[0].energy = aircraft[1].energy = 100;
    font_sheet();
    aeroplanes_sheet();
    aeroplane_portraits();
    textures_sheet();
    shot_and_target_sheets();
    explosion_sheet();
    credits_sheet();
    return 0;
}
