// The match's globals set up for one test: a 400 x 300 screen (two views of
// 200 x 300), a font whose every glyph is a solid 8 x 9 block, explosion
// pictures whose texels tell picture and index apart, a transparent aiming
// mark, no stars, no models, the headless display and sound.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "assets/scene.h"
#include "engine/math3d.h"

// A mesh built in memory (not released through release_scene).
struct MemoryMesh {
    std::string name;
    std::vector<Vertex> vertices;
    std::vector<std::array<int32_t, 3>> triangles;  // vertex indices
    std::vector<Face> faces;
    Mesh mesh{};
    // Builds the faces and points the Mesh at the vectors; call again after
    // a copy or a change.
    void bind();
};

// A square of side 2 * half in the plane z = 0 of the mesh's frame,
// texture coordinates 0..1, as two faces.
MemoryMesh make_square(const char* name, float half);

// A scene of memory meshes (not released through release_scene).
struct MemoryScene {
    std::vector<MemoryMesh> parts;
    std::vector<Mesh> meshes;
    Scene scene{};
    void bind();
};

// The explosion texel of picture p at index i in the fixture's pictures.
inline uint32_t explosion_texel(int32_t picture, int32_t index)
{
    return (static_cast<uint32_t>(picture) << 16) | static_cast<uint32_t>(index);
}

Matrix4 placed_at(float x, float y, float z);

class MatchFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // One timer tick of a match: lock a frame surface, match_frame.
    void run_frame();
    // The last frame display_present showed (400 x 300).
    uint32_t shown(int32_t x, int32_t y) const;
    uint32_t view(int32_t x, int32_t y) const;  // view_buffer, 200 x 300

    std::vector<int32_t> sounds;
    std::vector<uint32_t> last_frame;
    int32_t frames_presented = 0;
    std::vector<uint32_t> explosion_store;
    std::vector<uint32_t> target_store;
};
