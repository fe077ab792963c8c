#include "match_fixture.h"

#include <cstdlib>
#include <cstring>

#include "assets/texture.h"
#include "engine/engine.h"
#include "game/aircraft.h"
#include "game/match.h"
#include "game/weapons.h"
#include "game/world.h"
#include "platform/display.h"
#include "platform/headless.h"
#include "platform/sound.h"
#include "shell/keyboard.h"
#include "game/match.h"
#include "game/weapons.h"
#include "game/world.h"
#include "shell/credits.h"
#include "shell/pictures.h"
#include "shell/screens.h"
#include "shell/settings.h"
#include "shell/startup.h"
#include "shell/window_proc.h"
#include "wave_builder.h"

void MemoryMesh::bind()
{
    faces.clear();
    for (const auto& t : triangles) {
        faces.push_back(Face{-1, {&vertices[t[0]], &vertices[t[1]], &vertices[t[2]]}});
    }
    mesh = Mesh{};
    mesh.name = name.empty() ? nullptr : name.data();
    mesh.vertex_count = static_cast<int32_t>(vertices.size());
    mesh.face_count = static_cast<int32_t>(faces.size());
    mesh.vertices = vertices.data();
    mesh.faces = faces.data();
    matrix_identity(mesh.local_matrix);
}

MemoryMesh make_square(const char* name, float half)
{
    MemoryMesh m;
    m.name = name;
    m.vertices = {{-half, -half, 0, 0, 0}, {half, -half, 0, 1, 0}, {half, half, 0, 1, 1},
                  {-half, half, 0, 0, 1}};
    m.triangles = {{0, 1, 2}, {0, 2, 3}};
    m.bind();
    return m;
}

void MemoryScene::bind()
{
    meshes.clear();
    for (MemoryMesh& p : parts) {
        p.bind();
        meshes.push_back(p.mesh);
    }
    scene = Scene{};
    scene.mesh_count = static_cast<int32_t>(meshes.size());
    scene.meshes = meshes.data();
}

Matrix4 placed_at(float x, float y, float z)
{
    Matrix4 m;
    matrix_identity(m);
    m.m[12] = x;
    m.m[13] = y;
    m.m[14] = z;
    return m;
}

void MatchFixture::SetUp()
{
    headless_reset();
    HeadlessDriver driver{};
    driver.user = this;
    driver.sound_played = [](int32_t slot, void* user) {
        static_cast<MatchFixture*>(user)->sounds.push_back(slot);
    };
    driver.frame_presented = [](const uint32_t* pixels, int32_t width, int32_t height,
                                void* user) {
        auto* self = static_cast<MatchFixture*>(user);
        self->last_frame.assign(pixels, pixels + static_cast<size_t>(width) * height);
        self->frames_presented += 1;
    };
    headless_set_driver(&driver);
    sound_init(nullptr);
    ASSERT_TRUE(load_tiny_sounds());
    ASSERT_EQ(display_init(nullptr, 400, 300), 0);

    res_x = 400;
    res_y = 300;
    ASSERT_NE(engine_init(200, 300), 0);
    release_texture(engine.font_texture);
    engine.font_texture = static_cast<Texture*>(std::malloc(sizeof(Texture)));
    for (uint32_t& p : engine.font_texture->pixels) p = 0xFFFFFFFF;
    view_buffer = static_cast<uint32_t*>(std::calloc(200 * 300, sizeof(uint32_t)));
    engine.frame_buffer = nullptr;

    explosion_store.resize(static_cast<size_t>(explosion_count) * explosion_pixels);
    for (int32_t p = 0; p < explosion_count; ++p) {
        for (int32_t i = 0; i < explosion_pixels; ++i) {
            explosion_store[static_cast<size_t>(p) * explosion_pixels + i] = explosion_texel(p, i);
        }
    }
    explosion_frames = explosion_store.data();
    target_store.assign(static_cast<size_t>(target_width) * target_height, 0);
    target_picture = target_store.data();

    fire_scene = nullptr;
    fire_texture = nullptr;
    plane_scene[0] = plane_scene[1] = nullptr;
    plane_texture[0] = plane_texture[1] = nullptr;
    matrix_identity(base_matrix);
    for (Vec3& s : star_field) s = Vec3{0, 0, 0};
    std::strcpy(player_name[0], "Player 1");
    std::strcpy(player_name[1], "Player 2");
    frag_limit = 10;

    // Player 1 at the origin, player 2 a long way ahead of him, both facing
    // +Z: far enough apart that nothing meets.
    for (int32_t i = 0; i < 2; ++i) {
        aircraft[i] = Aircraft{};
        aircraft[i].energy = 100;
    }
    aircraft[0].matrix = placed_at(0, 0, 0);
    aircraft[1].matrix = placed_at(0, 0, 5000);

    allocate_shot_list();
    clear_controls();
    frag_timer = 0;
    frag_message[0] = '\0';
    match_active = 1;
    menu_active = intro_active = winner_active = help_active = credits_active = 0;
    screen_timer = name_edit = match_winner = 0;
}

void MatchFixture::TearDown()
{
    release_match_models();
    free_shot_list();
    std::free(view_buffer);
    view_buffer = nullptr;
    engine.frame_buffer = nullptr;
    engine_release();
    explosion_frames = nullptr;
    target_picture = nullptr;
    fire_scene = nullptr;
    display_shutdown();
    sound_shutdown();
    headless_set_driver(nullptr);
}

void MatchFixture::run_frame()
{
    uint32_t* pixels = nullptr;
    ASSERT_EQ(display_lock_frame(&pixels), 1);
    engine.frame_buffer = pixels;
    match_frame();
}

uint32_t MatchFixture::shown(int32_t x, int32_t y) const
{
    return last_frame.at(static_cast<size_t>(y) * 400 + static_cast<size_t>(x));
}

uint32_t MatchFixture::view(int32_t x, int32_t y) const
{
    return view_buffer[static_cast<size_t>(y) * 200 + static_cast<size_t>(x)];
}
