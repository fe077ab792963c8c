// valkron-contact: contact sheets of the game data, drawn with the game's
// own loaders, engine and font, the way the game shows each asset.
//
//   valkron-contact --game DIR --out DIR
//
// Sheets (each with a 4x enlarged copy *_4x.png where it is small enough to
// look at closely):
//   aeroplanes.png   the six aeroplanes from four sides, textured meshes
//                    with their texture, canopies blue, other parts in the
//                    opponent's red, as the match draws them
//   aeroplanes_close.png, plane_<name>.png
//                    the same larger, to judge the liveries
//   credits.png      the credits picture as start-up builds it
//   winner.png       the winner screen at two moments
//   match.png        a 400 x 300 match screen: both views with stars, the
//                    opponent, shots, an explosion and the instruments
//   intro.png        the intro at six moments, accumulated over its frames
//                    on two alternating surfaces as the display shows it
//   menu.png         the menu picture with the menu's texts, the help and
//                    the credits screens
//   explosion.png    the seventeen explosion frames and the winner screen
//   font.png         every glyph of the font, and sample lines
//   target.png       the aiming mark over space and over an aeroplane
//   shot.png         the shot close up and at match distances
//   textures.png     the aeroplane, intro and shot textures as stored
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

namespace {

namespace fs = std::filesystem;

constexpr uint32_t key_colour = 0x0000FCFF;
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

// Space as the match shows it: black with white stars.
void space(Picture& p, unsigned seed)
{
    std::fill(p.px.begin(), p.px.end(), 0u);
    unsigned s = seed;
    for (int k = 0; k < p.w * p.h / 260; ++k) {
        s = s * 1103515245u + 12345u;
        const int x = int((s >> 8) % unsigned(p.w));
        s = s * 1103515245u + 12345u;
        const int y = int((s >> 8) % unsigned(p.h));
        p.at(x, y) = 0xFFFFFF;
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

// Draws every mesh as the match does: "T" textured, "B" canopy blue, the
// rest in the given flat colour.
void draw_plane(const Plane& p, const Matrix4& model, const Matrix4& camera, Picture& target, uint32_t flat)
{
    if (!p.scene) return;
    for (int i = 0; i < p.scene->mesh_count; ++i) {
        const Mesh& m = p.scene->meshes[i];
        const char first = m.name ? m.name[0] : 0;
        if (first == 'T') render_mesh(model, camera, m, target.px.data(), 0, p.texture);
        else if (first == 'B') render_mesh(model, camera, m, target.px.data(), 0x321EFA, nullptr);
        else render_mesh(model, camera, m, target.px.data(), flat, nullptr);
    }
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
            space(tile, unsigned(n * 4 + k + 1));
            engine_clear_depth();
            draw_plane(p, model, look_at(eyes[k], {0, 0, 0}), tile, n % 2 ? 0xFF0000 : 0xFA3232);
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
        space(tile, unsigned(90 + n));
        engine_clear_depth();
        draw_plane(p, model, look_at({-24, -13, 25}, {0, 0, 2}), tile, 0xFA3232);
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
            space(tile, unsigned(200 + n * 2 + k));
            engine_clear_depth();
            Matrix4 model;
            matrix_identity(model);
            draw_plane(p, model, look_at(eyes[k], {0, 0, 0}), tile, 0xFA3232);
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

// The explosion sprite of the match view, from the opponent's offsets.
void explosion_sprite(Picture& view, const uint32_t* frame, float x, float y, float z)
{
    if (z > -0.1f && z < 0.1f) z = 0.1f;
    if (z < 0.1f) return;
    const float a = 57344.0f / z, b = 52224.0f / z;
    const int left = int(float(view.w / 2) + x - float(int(a / 2))), top = int(float(view.h / 2) + y - float(int(b / 2)));
    const int right = left + int(a), bottom = top + int(b);
    for (int c = std::max(left, 0) - left; c < std::min(right, view.w) - left; ++c) {
        const int u = int(112.0f * float(c) / a);
        for (int r = std::max(top, 0) - top; r < std::min(bottom, view.h) - top; ++r) {
            const int t = int(102.0f * float(r) / b);
            const int index = u + 112 * t;
            if (index < 0 || index >= 11424) continue;
            const uint32_t v = frame[index];
            if (v == key_colour) continue;
            const int px = left + c, py = top + r;
            if (px > 0 && px < view.w && py > 0 && py < view.h) view.at(px, py) = v;
        }
    }
}

void instruments(Picture& view, const std::vector<uint32_t>& target, const char* name, int frags, int energy,
                 float speed, int v)
{
    const int W = view.w * 2, H = view.h;
    char text[64];
    std::snprintf(text, sizeof text, "%s %d frags", name, frags);
    view.text(text, v == 0 ? 10 : 0, 0, 0x96FF64);
    std::snprintf(text, sizeof text, "%3d %%", energy);
    view.text(text, W / 4 - 22, H / 2 + 36, 0x96FF64);
    for (int i = 0; i < 50 && float(i) < speed + 1.0f; ++i) {
        for (int r = 0; r < 3; ++r) view.at(W / 4 - 25 + i, H / 2 - 30 + r) = 0xDBAB64;
    }
    const int mx = W / 4 + 14, my = H / 2 - 14;
    const int off[8][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}, {2, 0}, {-2, 0}, {0, 2}, {0, -2}};
    for (auto& o : off) view.at(mx + o[0], my + o[1]) = 0x6F6437;
    for (int j = 0; j < 72; ++j) {
        for (int i = 0; i < 103; ++i) {
            const uint32_t t = target[size_t(j * 103 + i)];
            if (t) view.at(W / 4 - 52 + i, H / 2 - 30 + j) = t;
        }
    }
}

std::vector<uint32_t> load_target()
{
    std::vector<uint32_t> t(7416);
    load_picture("Data\\Target.tex", t.data(), t.size(), PictureOrder::unchanged);
    for (uint32_t& v : t) {
        if ((v >> 16) > (v & 0xFF) + 10 && (v >> 16) > ((v >> 8) & 0xFF) + 10) v = 0;
    }
    return t;
}

std::vector<uint32_t> load_explosions()
{
    std::vector<uint32_t> e(17 * 11424);
    for (int n = 1; n <= 17; ++n) {
        load_picture(("Data\\Expl" + std::to_string(n) + ".tex").c_str(), e.data() + (n - 1) * 11424, 11424,
                     PictureOrder::texture);
    }
    return e;
}

void match_sheet()
{
    const int W = 400, H = 300;
    Picture screen(W, H);
    const auto target = load_target();
    const auto expl = load_explosions();
    Scene* fire = load_scene("Data\\Fire.3ds");
    Texture* fire_tex = load_texture("Data\\Fire.tex");
    engine_init(W / 2, H);
    // Left view: player 1 chasing player 2's Needle with shots on the way.
    {
        Picture view(W / 2, H);
        space(view, 7);
        engine_clear_depth();
        const Plane p = load_plane("Needle");
        Matrix4 cam;
        matrix_identity(cam);
        Matrix4 model;
        matrix_identity(model);
        matrix_translate(model, 22.0f, -30.0f, 120.0f);
        matrix_rotate_y(model, 2.3f);
        matrix_rotate_z(model, 0.5f);
        draw_plane(p, model, cam, view, 0xFF0000);
        for (int k = 0; k < 5; ++k) {
            Matrix4 shot;
            matrix_identity(shot);
            matrix_rotate_y(shot, 0.16f);
            matrix_rotate_x(shot, 0.2f);
            matrix_translate(shot, 1.5f, 2.0f, 31.0f + 60.0f * float(k));
            if (fire) render_mesh(shot, cam, fire->meshes[0], view.px.data(), 0, fire_tex);
        }
        instruments(view, target, "Player 1", 2, 85, 33.0f, 0);
        screen.blit(view, 0, 0);
        release_scene(p.scene);
        release_texture(p.texture);
    }
    // Right view: player 2 sees player 1's Goliash explode.
    {
        Picture view(W / 2, H);
        space(view, 8);
        engine_clear_depth();
        explosion_sprite(view, expl.data() + 6 * 11424, -12.0f, 8.0f, 260.0f);
        instruments(view, target, "Player 2", 3, 40, 12.0f, 1);
        screen.blit(view, W / 2, 0);
    }
    screen.text("Player 2 got a frag ...", W / 2 - 4 * 23, H / 2, 0x00C800);
    engine_release();
    save("match", screen, false);

    // The shot, close up and at distances.
    engine_init(200, 150);
    Picture shots(200 * 4, 150);
    const float dist[4] = {12.0f, 40.0f, 200.0f, 800.0f};
    for (int k = 0; k < 4; ++k) {
        Picture tile(200, 150);
        space(tile, unsigned(20 + k));
        engine_clear_depth();
        Matrix4 m;
        matrix_identity(m);
        matrix_rotate_y(m, k == 0 ? 1.1f : 0.5f);
        matrix_translate(m, 0, 0, 0);
        Matrix4 cam = look_at({0, -2.0f, -dist[k]}, {0, 0, 0});
        if (fire) render_mesh(m, cam, fire->meshes[0], tile.px.data(), 0, fire_tex);
        char label[32];
        std::snprintf(label, sizeof label, "%d units", int(dist[k]));
        tile.text(label, 4, 138, 0x96FF64);
        shots.blit(tile, k * 200, 0);
    }
    engine_release();
    save("shot", shots, true);
    release_scene(fire);
    release_texture(fire_tex);

    // Aiming mark: over space and over a close aeroplane.
    Picture t(103 * 3 + 8, 72);
    Picture over(103, 72);
    space(over, 3);
    for (int i = 0; i < 7416; ++i) {
        if (target[size_t(i)]) over.px[size_t(i)] = target[size_t(i)];
    }
    t.blit(over, 0, 0);
    Picture raw(103, 72);
    load_picture("Data\\Target.tex", raw.px.data(), 7416, PictureOrder::unchanged);
    t.blit(raw, 107, 0);
    engine_init(103, 72);
    Picture plane_bg(103, 72);
    space(plane_bg, 4);
    engine_clear_depth();
    const Plane p = load_plane("Titan Hs");
    Matrix4 model;
    matrix_identity(model);
    draw_plane(p, model, look_at({10, -6, -40}, {0, 0, 0}), plane_bg, 0xFA3232);
    for (int i = 0; i < 7416; ++i) {
        if (target[size_t(i)]) plane_bg.px[size_t(i)] = target[size_t(i)];
    }
    t.blit(plane_bg, 214, 0);
    engine_release();
    release_scene(p.scene);
    release_texture(p.texture);
    save("target", t, true);
}

void explosion_sheet()
{
    const auto expl = load_explosions();
    Picture strip(9 * 114, 2 * 104 + 12, 0x202028);
    for (int n = 0; n < 17; ++n) {
        Picture f(112, 102);
        for (int i = 0; i < 11424; ++i) {
            const uint32_t v = expl[size_t(n * 11424 + i)];
            f.px[size_t(i)] = v == key_colour ? 0 : v;
        }
        strip.blit(f, (n % 9) * 114, (n / 9) * 104);
    }
    engine_init(400, 300);
    strip.text("Expl1 .. Expl17 (key colour shown black)", 4, 2 * 104 + 2, 0x96FF64);
    save("explosion", strip, true);

    // Winner screen at t = 48 (explosion frame 6) and t = 96 (frame 12).
    Picture winner(800, 300);
    for (int k = 0; k < 2; ++k) {
        const int t = k == 0 ? 48 : 96;
        Picture screen(400, 300);
        const int f = t / 8;
        const int x0 = 200 - 112, y0 = 150 - 102;
        for (int i = 0; i < 224; ++i) {
            for (int j = 0; j < 204; ++j) {
                const uint32_t v = expl[size_t(f * 11424 + (j / 2) * 112 + i / 2)];
                if (v != key_colour) screen.at(x0 + i, y0 + j) = v;
            }
        }
        const int v = int(float(t) * 1.7f);
        const int g = (t <= 150) ? (v & 0xFF) : 255 - (v & 0xFF);
        const std::string text = "Player 1 wins the match";
        screen.text(text, 200 - 4 * int(text.size()), 146, uint32_t(g) << 8);
        winner.blit(screen, k * 400, 0);
    }
    engine_release();
    save("winner", winner, false);
}

void intro_sheet()
{
    const int W = 400, H = 300;
    Scene* scene = load_scene("models\\intro.3ds");
    Texture* tex = load_texture("models\\intro.tex");
    if (!scene || !tex) {
        std::fprintf(stderr, "cannot load the intro\n");
        return;
    }
    engine_init(W, H);
    Matrix4& local = scene->meshes[0].local_matrix;
    matrix_identity(local);
    matrix_rotate_y(local, 1.5707963f);
    Matrix4 cam;
    matrix_identity(cam);
    matrix_translate(cam, 0, 65, -10);
    matrix_rotate_x(cam, 0.31415927f);
    Picture surface[2] = {Picture(W, H), Picture(W, H)};
    Picture sheet(W * 3, H * 2);
    const int shots[6] = {40, 150, 300, 450, 700, 1000};
    int next = 0;
    for (int t = 5; t <= 1000; t += 5) {
        Picture& s = surface[(t / 5) % 2];
        if (t == 5 || t == 10) {
            for (int i = 0; i < W * H; ++i) s.px[size_t(i)] = tex->pixels[i % 65536];
        }
        engine_clear_depth();
        matrix_rotate_z(local, -0.09f);
        render_mesh_scaled(local, cam, scene->meshes[0], s.px.data(), 0, tex, 1100.0f);
        const char* text = nullptr;
        int x = 0, g = 0;
        if (t > 0 && t < 300) {
            const int v = int(float(t) * 1.7f);
            g = t <= 150 ? (v & 0xFF) : 255 - (v & 0xFF);
            text = "This computer is executting ...";
            x = W / 2 - 124;
        } else if (t > 300 && t < 600) {
            const int v = int(float(t - 300) * 1.7f);
            g = t <= 450 ? (v & 0xFF) : 255 - (v & 0xFF);
            text = "... a game by Mr.Brenn and Tav ...";
            x = W / 2 - 136;
        } else if (t > 600 && t < 1000) {
            const int v = int(float(t - 600) * 1.275f);
            g = t <= 800 ? (v & 0xFF) : 255 - (v & 0xFF);
            text = "VALKRON 3D";
            x = W / 2 - 40;
        }
        if (text) s.text(text, x, H / 2 - 4, uint32_t(g) << 8);
        if (next < 6 && t == shots[next]) {
            Picture snap = s;
            char label[16];
            std::snprintf(label, sizeof label, "t=%d", t);
            snap.text(label, 4, 4, 0xFFFFFF);
            sheet.blit(snap, (next % 3) * W, (next / 3) * H);
            ++next;
        }
    }
    engine_release();
    save("intro", sheet, false);
    release_scene(scene);
    release_texture(tex);
}

void menu_sheet()
{
    const int W = 400, H = 300;
    std::vector<uint32_t> menu(120000);
    load_picture("Data\\Menu.tex", menu.data(), menu.size(), PictureOrder::unchanged);
    engine_init(W, H);
    Picture sheet(W * 2, H * 2);
    // Plain menu with every text, the selected item at full and at a dim
    // phase of its pulse.
    for (int k = 0; k < 2; ++k) {
        Picture s(W, H);
        s.px = menu;
        const uint32_t pulse = k == 0 ? 0xFF00 : (uint32_t(int(std::sin(0.57f) * 255.0f) & 0xFF) << 8);
        s.text(k == 0 ? "Change player's 1 plane" : "Change screen resolution", 50, 150, pulse);
        s.text("Frag limit : 10", 200, 50, 0x00FF00);
        s.text("Player 1", 220, 240, 0x00FF00);
        s.text("Player 2", 220, 260, 0x00FF00);
        s.text("Goliash 215", 250, 250, 0x00FF00);
        s.text("Lizard 486", 250, 270, 0x00FF00);
        if (k == 0) s.text("Use arrows ...", 60, 255, 0x00FF00);
        if (k == 1) s.text(".", 220 + 8 * 8, 240, 0x00B400);
        sheet.blit(s, k * W, 0);
    }
    auto darkened = [&] {
        Picture s(W, H);
        for (int i = 0; i < W * H; ++i) {
            const uint32_t p = menu[size_t(i)];
            s.px[size_t(i)] = (((p >> 18) & 0xFF) << 16) | (((p >> 10) & 0x3F) << 8) | ((p >> 2) & 0x3F);
        }
        return s;
    };
    // Help screen.
    {
        Picture s = darkened();
        FILE* f = std::fopen("Data/pak0.pak", "r");
        char line[47];
        int k = 0;
        while (f && std::fgets(line, sizeof line, f) && k < 35) {
            s.text(line, 10, 10 + 9 * k, 0x96FF64);
            ++k;
        }
        if (f) std::fclose(f);
        sheet.blit(s, 0, H);
    }
    // Credits screen: the picture as start-up builds it, one warp frame and
    // the waving lines.
    {
        Picture s = darkened();
        Texture* q = load_texture("Data\\Quorba.tex");
        std::vector<uint32_t> credits(64000, 0xFFFFFFFF);
        if (q) {
            for (int c = 0; c < 128; ++c) {
                for (int k = 0; k < 172; ++k) {
                    const uint32_t a = q->pixels[(128 + c) * 256 + 28 + k];
                    if (a != key_colour) credits[size_t(k * 320 + 184 + c)] = a;
                }
            }
            for (int c = 0; c < 128; ++c) {
                for (int k = 0; k < 172; ++k) {
                    const uint32_t a = q->pixels[c * 256 + 28 + k];
                    if (a != key_colour) credits[size_t(k * 320 + 8 + c)] = a;
                }
            }
            release_texture(q);
        }
        int sine[256];
        for (int i = 0; i < 256; ++i) sine[i] = int(5.0 * std::sin(double(i) * 0.0245436921875));
        const int phase_x = 40, phase_y = 200;
        int a = phase_y;
        for (int y = 0; y < 200; ++y) {
            int b = (y + phase_x) & 255;
            const int sy = sine[a] + y;
            for (int x = 0; x < 320; ++x) {
                if (sy >= 0 && sy < 200) {
                    const int sx = x + sine[b];
                    if (sx >= 0 && sx < 320) {
                        const uint32_t v = credits[size_t(sy * 320 + sx)];
                        if ((v & 0xFFFFFF) != 0xFFFFFF) s.at(W / 2 - 160 + x, H / 2 - 100 + y) = v;
                    }
                }
                b = (b - 4) & 255;
            }
            a = (a + 4) & 255;
        }
        auto wave = [&](const char* text, int x, int y, double phase, int n) {
            for (int i = 0; text[i]; ++i) {
                const int dy = int(5.0 - 8.0 * std::sin(phase + double(i) * 3.1415926 / double(n)));
                draw_glyph(x + 8 * i, y - dy, W, H, text[i], 0xFFFF00, s.px.data());
            }
        };
        {
            Picture alone(320, 200, 0x202028);
            for (int i = 0; i < 64000; ++i) {
                if ((credits[size_t(i)] & 0xFFFFFF) != 0xFFFFFF) alone.px[size_t(i)] = credits[size_t(i)];
            }
            save("credits", alone, true);
        }
        wave("C   R   E   D   I   T   S", W / 2 - 100, 20, 3.0, 5);
        wave(" Programink Mr. Brenn    Engines kreatet by Tav", W / 2 - 184, 230, 2.5, 22);
        wave("Visit our adress www.valkron.example", W / 2 - 136, 270, 1.0, 18);
        sheet.blit(s, W, H);
    }
    engine_release();
    save("menu", sheet, false);
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
    font_sheet();
    aeroplanes_sheet();
    aeroplane_portraits();
    textures_sheet();
    match_sheet();
    explosion_sheet();
    intro_sheet();
    menu_sheet();
    return 0;
}
