// The generated game data, as far as the frames of whole-program runs cannot
// tell it: every file the game opens is there with its size, the models
// have the meshes the match draws, the sounds have their slots' formats and
// the help text fits the smallest screen in the font's characters.
#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "assets/files.h"
#include "assets/texture.h"
#include "platform/resources.h"
#include "platform/sound.h"
#include "scene_builders.h"

namespace {

const char* const planes[6] = {"Happy", "Goliash 215", "Titan Hs", "Lizard 372", "Lizard 486", "Needle"};

// The size of a file named the game's way, -1 when it cannot be opened.
long file_size(const std::string& name)
{
    FILE* f = open_game_file(name.c_str(), "rb");
    if (!f) return -1;
    std::fseek(f, 0, SEEK_END);
    const long size = std::ftell(f);
    std::fclose(f);
    return size;
}

TEST(GameData, EveryFileIsThereWithItsSize)
{
    ScopedWorkingDirectory cd(VALKRON_GAME_DIR);
    std::vector<std::pair<std::string, long>> files = {
        {"Data\\Menu.tex", 400 * 300 * 4}, {"Data\\Target.tex", 103 * 72 * 4}, {"Data\\Fire.tex", 262144},
        {"Data\\Quorba.tex", 262144},      {"Fonts.tex", 262144},              {"models\\intro.tex", 262144}};
    for (int n = 1; n <= 17; ++n) files.push_back({"Data\\Expl" + std::to_string(n) + ".tex", 112 * 102 * 4});
    for (const char* plane : planes) files.push_back({std::string("Models\\") + plane + ".tex", 262144});
    for (const auto& [name, size] : files) EXPECT_EQ(file_size(name), size) << name;
    for (const char* name : {"Data\\Fire.3ds", "models\\intro.3ds", "Data\\pak0.pak"}) {
        EXPECT_GT(file_size(name), 0) << name;
    }
}

TEST(GameData, ModelsHaveTheMeshesTheGameDraws)
{
    ScopedWorkingDirectory cd(VALKRON_GAME_DIR);
    // An aeroplane: "T" meshes in its livery (most of its faces), a "B"
    // canopy, other parts in the opponent's flat colour; 30 to 40 units
    // long along Z, the hit and collision radii's scale.
    for (const char* plane : planes) {
        SCOPED_TRACE(plane);
        ScenePtr scene(load_scene((std::string("Models\\") + plane + ".3ds").c_str()));
        ASSERT_NE(scene, nullptr);
        EXPECT_EQ(scene_fault(*scene), "");
        int faces[3] = {0, 0, 0};
        float lo = 1e9f, hi = -1e9f;
        for (int i = 0; i < scene->mesh_count; ++i) {
            const Mesh& m = scene->meshes[i];
            faces[m.name[0] == 'T' ? 0 : m.name[0] == 'B' ? 1 : 2] += m.face_count;
            for (int v = 0; v < m.vertex_count; ++v) {
                lo = std::min(lo, m.vertices[v].z), hi = std::max(hi, m.vertices[v].z);
            }
        }
        EXPECT_GT(faces[0], faces[1] + faces[2]);
        EXPECT_GT(faces[1], 0);
        EXPECT_GT(faces[2], 0);
        EXPECT_GE(hi - lo, 30.0f);
        EXPECT_LE(hi - lo, 40.0f);
    }
    // The shot and the intro model: a mesh each, the intro with its camera.
    ScenePtr shot(load_scene("Data\\Fire.3ds")), intro(load_scene("models\\intro.3ds"));
    ASSERT_NE(shot, nullptr);
    ASSERT_NE(intro, nullptr);
    EXPECT_GT(shot->mesh_count * intro->mesh_count * intro->camera_count, 0);
    EXPECT_GT(shot->meshes[0].face_count * intro->meshes[0].face_count, 0);
}

TEST(GameData, SoundsHaveTheirSlotsFormats)
{
    const struct {
        const char* name;
        uint16_t channels;
        uint32_t rate;
        uint16_t bits;
        uint32_t bytes;
    } slots[] = {{"#103", 2, 22050, 8, 18292}, {"#111", 1, 11025, 8, 16737}, {"#112", 1, 11025, 16, 6332},
                 {"#110", 1, 11025, 16, 2366}, {"#108", 1, 22050, 8, 49793}};
    EXPECT_EQ(resource_count, 5);
    for (const auto& s : slots) {
        SCOPED_TRACE(s.name);
        const uint8_t *image = nullptr, *format = nullptr, *data = nullptr;
        uint32_t size = 0, bytes = 0;
        ASSERT_EQ(find_resource(s.name, "WAVE", &image, &size), 1);
        ASSERT_EQ(parse_wave(image, size, &format, &data, &bytes), 1);
        const auto le = [](const uint8_t* p, int n) {
            return n == 2 ? uint32_t(p[0] | p[1] << 8) : uint32_t(p[0] | p[1] << 8 | p[2] << 16) | uint32_t(p[3]) << 24;
        };
        EXPECT_EQ((std::vector<uint32_t>{le(format, 2), le(format + 2, 2), le(format + 4, 4), le(format + 8, 4),
                                         le(format + 12, 2), le(format + 14, 2)}),
                  (std::vector<uint32_t>{1, s.channels, s.rate, s.rate * s.channels * s.bits / 8,
                                         s.channels * s.bits / 8u, s.bits}));
        EXPECT_EQ(bytes, s.bytes);
        EXPECT_EQ(le(image + 4, 4) + 8, size);  // the RIFF size covers the image, pad byte included
        // Loud but not clipped, and no click at either end.
        const uint32_t count = bytes / (s.bits / 8);
        const auto sample = [&](uint32_t k) {
            return s.bits == 8 ? (data[k] - 128) / 128.0f : int16_t(le(data + 2 * k, 2)) / 32768.0f;
        };
        float peak = 0;
        for (uint32_t k = 0; k < count; ++k) peak = std::max(peak, std::fabs(sample(k)));
        EXPECT_LT(peak, 0.97f);
        EXPECT_GT(peak, 0.5f);
        EXPECT_LT(std::fabs(sample(0)) + std::fabs(sample(count - 1)), 0.04f);
    }
}

TEST(GameData, HelpTextFitsTheSmallestScreenInTheFontsCharacters)
{
    const std::string font = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789.%,()=-'!/ ";
    const std::string text = read_text_file(std::string(VALKRON_GAME_DIR) + "/Data/pak0.pak");
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.back(), '\n');
    size_t lines = 0;
    for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1, ++lines) {
        const std::string line = text.substr(start, end - start);
        EXPECT_LE(line.size(), 45u) << line;  // 400 pixels, 8 per character, after the margin
        EXPECT_EQ(line.find_first_not_of(font), std::string::npos) << line;
    }
    EXPECT_GT(lines, 40u);
}

}  // namespace
