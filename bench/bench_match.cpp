// Speed of the split-screen match frame.
//
//   bench_match [--size WxH] [--shots N] [--no-sim] [GAME_DIR]
//
// GAME_DIR is the generated game directory (default: ../game beside this
// program, that is build*/game). Prints, for 400 x 300, 640 x 480 and
// 1024 x 768 (or only the --size given), the median milliseconds of this thread's CPU time (the
// machine may be shared) in one match_frame with both
// aeroplanes filling much of each other's view and 100 shots in flight,
// next to the floor: clearing the depth buffer and one half of the frame,
// for each view (the views are drawn straight into the frame). Then the whole headless game's ticks
// per second in a match, through valkron-sim, when it is there (not with
// --no-sim). --shots N measures only with N shots in flight (up to 100)
// instead of with 100 and with none.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <string>
#include <utility>
#include <vector>

#include "assets/scene.h"
#include "assets/texture.h"
#include "engine/engine.h"
#include "game/aircraft.h"
#include "game/match.h"
#include "game/weapons.h"
#include "game/world.h"
#include "platform/display.h"
#include "platform/headless.h"
#include "shell/keyboard.h"
#include "shell/pictures.h"
#include "shell/settings.h"
#include "shell/startup.h"
#include "shell/window_proc.h"

namespace {

using Clock = std::chrono::steady_clock;

// Milliseconds of this thread's CPU time.
double cpu_ms()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) * 1e-6;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

std::filesystem::path program_dir()
{
    char path[4096];
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) {
        return std::filesystem::current_path();
    }
    path[n] = '\0';
    return std::filesystem::path(path).parent_path();
}

// The largest distance of a vertex from the scene's origin.
float scene_radius(const Scene& scene)
{
    float r = 1.0f;
    for (int32_t m = 0; m < scene.mesh_count; ++m) {
        const Mesh& mesh = scene.meshes[m];
        for (int32_t v = 0; v < mesh.vertex_count; ++v) {
            const Vertex& p = mesh.vertices[v];
            r = std::max(r, std::sqrt(p.x * p.x + p.y * p.y + p.z * p.z));
        }
    }
    return r;
}

struct Setup {
    std::vector<Matrix4> shots;
};

bool load_match_data()
{
    target_picture = allocate_pixels(int64_t{target_width} * target_height);
    if (load_explosion_frames() || !load_target_picture() || load_shot_model()) {
        return false;
    }
    plane_texture[0] = load_texture("Models\\Happy.tex");
    plane_scene[0] = load_scene("Models\\Happy.3ds");
    plane_texture[1] = load_texture("Models\\Needle.tex");
    plane_scene[1] = load_scene("Models\\Needle.3ds");
    return plane_scene[0] && plane_scene[1] && plane_texture[0] &&
           plane_texture[1];
}

// Both aeroplanes nose to nose at 1.6 times the larger model's radius (but
// never within the collision distance), 100 shots flying past them.
void place(Setup& setup)
{
    const float radius = std::max(scene_radius(*plane_scene[0]), scene_radius(*plane_scene[1]));
    const float gap = std::max(1.6f * radius, 45.0f);
    matrix_identity(aircraft[0].matrix);
    matrix_identity(aircraft[1].matrix);
    matrix_translate(aircraft[1].matrix, 0.0f, 0.0f, gap);
    matrix_rotate_y(aircraft[1].matrix, 3.1415927f);
    for (Aircraft& a : aircraft) {
        a.speed = a.thrust = a.yaw_rate = a.pitch_rate = 0.0f;
        a.energy = 100;
        a.explosion_frame = 0;
    }
    setup.shots.clear();
    for (int32_t k = 0; k < 100; ++k) {
        // Along the line between them, 40 to 70 units off it so that no
        // shot comes near either aeroplane, flying both ways; where each
        // stands after player 2's pass moved it 100 units.
        const float angle = 2.4f * static_cast<float>(k);
        const float lateral = 40.0f + 10.0f * static_cast<float>(k % 4);
        const float z = 60.0f + 9.0f * static_cast<float>(k);
        const bool forward = k % 2 == 0;
        Matrix4 m;
        matrix_identity(m);
        matrix_translate(m, lateral * std::cos(angle), lateral * std::sin(angle),
                         forward ? z - 100.0f : z + 100.0f);
        if (!forward) {
            matrix_rotate_y(m, 3.1415927f);
        }
        setup.shots.push_back(m);
    }
}

void reset_shots(const Setup& setup)
{
    shot_count = static_cast<int32_t>(setup.shots.size());
    for (int32_t k = 0; k < shot_count; ++k) {
        shot_matrix[k] = setup.shots[static_cast<size_t>(k)];
        shot_age[k] = 0;
    }
}

void bench_size(int32_t width, int32_t height, Setup& setup, int32_t shots)
{
    res_x = width;
    res_y = height;
    display_init(nullptr, width, height);
    engine_init(width / 2, height);
    // As the game allocates it (on Linux in huge pages).
    view_buffer = allocate_pixels(view_buffer_pixels(width, height));
    if (view_buffer) {
        std::memset(view_buffer, 0, static_cast<size_t>(view_buffer_pixels(width, height)) * 4);
    }
    place(setup);
    setup.shots.resize(static_cast<size_t>(shots));
    frag_timer = 0;
    match_active = 1;
    clear_controls();

    const int32_t frames = 300;
    std::vector<double> frame_ms, floor_ms;
    int32_t shots_seen = 0;
    for (int32_t f = 0; f < frames + 20; ++f) {
        reset_shots(setup);
        uint32_t* pixels = nullptr;
        display_lock_frame(&pixels);
        engine.frame_buffer = pixels;
        const double t0 = cpu_ms();
        match_frame();
        const double t1 = cpu_ms();
        shots_seen = shot_count;
        if (f >= 20) {
            frame_ms.push_back(t1 - t0);
        }
    }
    const int32_t view_width = width / 2;
    for (int32_t f = 0; f < frames + 20; ++f) {
        uint32_t* pixels = nullptr;
        display_lock_frame(&pixels);
        const double t0 = cpu_ms();
        for (int32_t v = 0; v < 2; ++v) {
            engine_clear_depth();
            for (int32_t y = 0; y < height; ++y) {
                std::memset(pixels + static_cast<size_t>(y) * width + (v ? view_width : 0), 0,
                            static_cast<size_t>(view_width) * 4);
            }
        }
        const double t1 = cpu_ms();
        display_present();
        if (f >= 20) {
            floor_ms.push_back(t1 - t0);
        }
    }
    const double frame = median(frame_ms), floor = median(floor_ms);
    std::printf("%4d x %3d  match_frame %7.3f ms   floor %6.3f ms   ratio %5.1f   shots %3d\n",
                width, height, frame, floor, frame / floor, shots_seen);
    std::free(view_buffer);
    view_buffer = nullptr;
    engine_release();
    display_shutdown();
}

// The whole program in a match, through valkron-sim: both players turn,
// climb, accelerate and fire all the time.
void bench_sim(const std::filesystem::path& game)
{
    const std::filesystem::path sim = program_dir().parent_path() / "valkron-sim";
    if (!std::filesystem::exists(sim)) {
        std::printf("valkron-sim not found at %s: no whole-game figure\n", sim.c_str());
        return;
    }
    char pattern[] = "/tmp/valkron-bench-XXXXXX";
    const char* scratch = mkdtemp(pattern);
    if (!scratch) {
        return;
    }
    const std::filesystem::path dir = scratch;
    std::filesystem::copy(game, dir, std::filesystem::copy_options::recursive);
    const int32_t ticks = 3000;
    {
        std::ofstream keys(dir / "keys.txt");
        keys << "2 down Escape\n3 up Escape\n5 down Enter\n6 up Enter\n";
        // A slow turning dance: each player alternates his turn keys every
        // 40 ticks and always fires and accelerates (each tick a repeat,
        // since a new round clears the keys).
        for (int32_t t = 7; t <= ticks; ++t) {
            for (const char* k : {"Insert", "Home", "1", "3"}) keys << t << " down " << k << "\n";
            const bool phase = (t / 40) % 2 == 0;
            keys << t << (phase ? " down Left\n" : " up Left\n");
            keys << t << (phase ? " up Right\n" : " down Right\n");
            keys << t << (phase ? " down W\n" : " up W\n");
            keys << t << (phase ? " up D\n" : " down D\n");
        }
    }
    for (const auto& [width, height] : {std::pair{400, 300}, std::pair{1024, 768}}) {
        std::ofstream settings(dir / "settings.ini");
        settings << "ResX=" << width << "\nResY=" << height
                 << "\nLimit=1000\nPlane.0=0\nPlane.1=5\nName.0=A\nName.1=B\n";
        settings.close();
        const std::string command = "cd '" + dir.string() + "' && '" + sim.string() +
                                    "' --seed 7 --ticks " + std::to_string(ticks) +
                                    " --keys keys.txt > /dev/null";
        const auto t0 = Clock::now();
        const int status = std::system(command.c_str());
        const double seconds = std::chrono::duration<double>(Clock::now() - t0).count();
        std::printf("valkron-sim %4d x %3d: %d ticks (intro, menu, then a match) in %.2f s: "
                    "%.0f ticks per second%s\n",
                    width, height, ticks, seconds, ticks / seconds,
                    status == 0 ? "" : " (the run failed)");
    }
    std::filesystem::remove_all(dir);
}

}  // namespace

int main(int argc, char** argv)
{
    std::filesystem::path game_arg = program_dir().parent_path() / "game";
    std::vector<std::pair<int32_t, int32_t>> sizes = {{400, 300}, {640, 480}, {1024, 768}};
    std::vector<int32_t> shot_counts = {100, 0};
    bool sim = true;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        int width = 0, height = 0;
        if (arg == "--size" && i + 1 < argc && std::sscanf(argv[i + 1], "%dx%d", &width, &height) == 2 &&
            width >= 2 && height >= 1 && width <= 4096 && height <= 4096) {
            sizes = {{width, height}};
            ++i;
        } else if (arg == "--shots" && i + 1 < argc) {
            shot_counts = {std::clamp(std::atoi(argv[++i]), 0, 100)};
        } else if (arg == "--no-sim") {
            sim = false;
        } else if (arg.rfind("--", 0) == 0) {
            std::fprintf(stderr, "usage: bench_match [--size WxH] [--shots N] [--no-sim] [GAME_DIR]\n");
            return 2;
        } else {
            game_arg = arg;
        }
    }
    const std::filesystem::path game = std::filesystem::absolute(game_arg);
    if (chdir(game.c_str()) != 0) {
        std::fprintf(stderr, "bench_match: no game directory at %s\n", game.c_str());
        return 1;
    }
    headless_reset();
    if (!load_match_data()) {
        std::fprintf(stderr, "bench_match: the game data in %s is incomplete\n", game.c_str());
        return 1;
    }
    allocate_shot_list();
    matrix_identity(base_matrix);
    headless_set_clock(1234);
    generate_star_field();
    std::strcpy(player_name[0], "Player 1");
    std::strcpy(player_name[1], "Player 2");

    Setup setup;
    for (int32_t shots : shot_counts) {
        for (const auto& [width, height] : sizes) {
            bench_size(width, height, setup, shots);
        }
    }
    if (sim) {
        bench_sim(game);
    }

    release_match_models();
    free_shot_list();
    return 0;
}
