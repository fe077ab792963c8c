// The generated models load through the game's scene reader with sizes,
// mesh names and keyframer data the game relies on.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <string>

#include "assets/scene.h"
#include "assets/texture.h"
#include "data_util.h"
#include "engine/math3d.h"
#include "scene_builders.h"
#include "scene_checks.h"

namespace {

struct Box {
    float lo[3] = {1e9f, 1e9f, 1e9f};
    float hi[3] = {-1e9f, -1e9f, -1e9f};
    void add(const Vertex& v)
    {
        const float p[3] = {v.x, v.y, v.z};
        for (int k = 0; k < 3; ++k) {
            lo[k] = std::min(lo[k], p[k]);
            hi[k] = std::max(hi[k], p[k]);
        }
    }
    float size(int k) const { return hi[k] - lo[k]; }
};

Box scene_box(const Scene& s)
{
    Box b;
    for (int i = 0; i < s.mesh_count; ++i) {
        for (int v = 0; v < s.meshes[i].vertex_count; ++v) b.add(s.meshes[i].vertices[v]);
    }
    return b;
}

int total_faces(const Scene& s)
{
    int n = 0;
    for (int i = 0; i < s.mesh_count; ++i) n += s.meshes[i].face_count;
    return n;
}

// The aeroplane's model, loaded.
class Aeroplane : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override
    {
        scene.reset(load_scene((std::string("Models\\") + GetParam() + ".3ds").c_str()));
        ASSERT_NE(scene, nullptr);
    }
    InGameDir dir;
    ScenePtr scene;
};

TEST_P(Aeroplane, LoadsConsistentlyWithItsTexture)
{
    EXPECT_EQ(scene_fault(*scene), "");
    Texture* texture = load_texture((std::string("Models\\") + GetParam() + ".tex").c_str());
    ASSERT_NE(texture, nullptr);
    release_texture(texture);
}

TEST_P(Aeroplane, MeshNamesFollowTheMatchRule)
{
    int textured = 0, canopy = 0, flat = 0, textured_faces = 0;
    for (int i = 0; i < scene->mesh_count; ++i) {
        const Mesh& m = scene->meshes[i];
        ASSERT_NE(m.name, nullptr);
        EXPECT_GT(m.face_count, 0) << m.name;
        if (m.name[0] == 'T') {
            ++textured;
            textured_faces += m.face_count;
        } else if (m.name[0] == 'B') {
            ++canopy;
        } else {
            ++flat;
        }
    }
    EXPECT_GE(textured, 1);
    EXPECT_GE(canopy, 1);
    EXPECT_GE(flat, 1) << "no part drawn in the opponent's flat colour";
    EXPECT_GT(textured_faces, total_faces(*scene) / 2) << "most of the aeroplane should carry its livery";
}

TEST_P(Aeroplane, SizedForTheHitAndCollisionRadii)
{
    const Box b = scene_box(*scene);
    // Nose along +Z: the length is the largest extent, 30 to 40 units,
    // roughly centred on the origin, wings wider than the body is tall.
    EXPECT_GE(b.size(2), 30.0f);
    EXPECT_LE(b.size(2), 40.0f);
    EXPECT_GT(b.size(2), b.size(1));
    EXPECT_GT(b.size(0), b.size(1));
    EXPECT_LT(std::fabs(b.hi[2] + b.lo[2]) * 0.5f, 4.0f);
    EXPECT_LT(std::fabs(b.hi[0] + b.lo[0]) * 0.5f, 0.01f) << "left and right should be symmetric";
    const int faces = total_faces(*scene);
    EXPECT_GE(faces, 300);
    EXPECT_LE(faces, 4000);
}

TEST_P(Aeroplane, CanopySitsOnTopAndTexturesStayInsideTheAtlas)
{
    for (int i = 0; i < scene->mesh_count; ++i) {
        const Mesh& m = scene->meshes[i];
        if (m.name[0] == 'B') {
            // Y points down: the canopy's top is above (more negative than)
            // the middle of the aeroplane.
            float top = 1e9f;
            for (int v = 0; v < m.vertex_count; ++v) top = std::min(top, m.vertices[v].y);
            EXPECT_LT(top, -1.5f);
        }
        if (m.name[0] == 'T') {
            for (int v = 0; v < m.vertex_count; ++v) {
                ASSERT_GE(m.vertices[v].u, 0.0f);
                ASSERT_LE(m.vertices[v].u, 1.0f);
                ASSERT_GE(m.vertices[v].v, 0.0f);
                ASSERT_LE(m.vertices[v].v, 1.0f);
            }
        }
    }
}

TEST_P(Aeroplane, CarriesMaterialsMatricesAndKeyframerTracks)
{
    EXPECT_EQ(scene->material_count, 3);
    EXPECT_EQ(scene->first_frame, 0u);
    EXPECT_GT(scene->last_frame, 0u);
    for (int i = 0; i < scene->mesh_count; ++i) {
        const Mesh& m = scene->meshes[i];
        EXPECT_EQ(m.node_id, uint32_t(i)) << m.name;
        EXPECT_EQ(m.position_key_count, 1) << m.name;
        EXPECT_GE(m.rotation_key_count, 1) << m.name;
        EXPECT_EQ(m.local_matrix.m[15], 1.0f) << "local matrix of " << m.name;
        for (int f = 0; f < m.face_count; ++f) ASSERT_GE(m.faces[f].material, 0) << m.name;
    }
}

INSTANTIATE_TEST_SUITE_P(AllSix, Aeroplane, ::testing::ValuesIn(plane_names),
                         [](const ::testing::TestParamInfo<const char*>& info) {
                             std::string n = info.param;
                             n.erase(std::remove(n.begin(), n.end(), ' '), n.end());
                             return n;
                         });

class OtherModels : public ::testing::Test {
protected:
    InGameDir dir;
};

TEST_F(OtherModels, ShotIsASmallBoltAlongItsFlightAxis)
{
    Scene* scene = load_scene("Data\\Fire.3ds");
    ASSERT_NE(scene, nullptr);
    EXPECT_EQ(scene_fault(*scene), "");
    ASSERT_GE(scene->mesh_count, 1);
    ASSERT_GT(scene->meshes[0].face_count, 0);
    Box b;
    for (int v = 0; v < scene->meshes[0].vertex_count; ++v) b.add(scene->meshes[0].vertices[v]);
    EXPECT_GE(b.size(2), 4.0f);
    EXPECT_LE(b.size(2), 8.0f);
    EXPECT_LT(b.size(0), b.size(2));
    Texture* t = load_texture("Data\\Fire.tex");
    ASSERT_NE(t, nullptr);
    // A glowing bolt: no dark texel anywhere.
    for (uint32_t p : t->pixels) ASSERT_GT(red_of(p), 150);
    release_texture(t);
    release_scene(scene);
}

// Where the intro puts its first mesh: the game turns the mesh about its
// own Z axis by 0.09 a frame after rotate_y(pi/2), and looks at it from
// (0, 65, -10) pitched up by pi/10, with focal length 0.8 x width.
TEST_F(OtherModels, IntroModelIsInViewThroughoutTheIntro)
{
    Scene* scene = load_scene("models\\intro.3ds");
    ASSERT_NE(scene, nullptr);
    EXPECT_EQ(scene_fault(*scene), "");
    ASSERT_GE(scene->mesh_count, 1);
    EXPECT_GE(scene->camera_count, 1);
    const Mesh& mesh = scene->meshes[0];
    Matrix4 model;
    matrix_identity(model);
    matrix_rotate_y(model, 1.5707963f);
    Matrix4 camera, view;
    matrix_identity(camera);
    matrix_translate(camera, 0, 65, -10);
    matrix_rotate_x(camera, 0.31415927f);
    matrix_affine_inverse(camera, view);
    const struct {
        int w, h;
    } sizes[] = {{400, 300}, {640, 400}, {1024, 768}};
    for (const auto& size : sizes) {
        Matrix4 m = model;
        int frames_with_model = 0;
        float lowest = 0.0f;
        for (int frame = 0; frame < 200; ++frame) {
            matrix_rotate_z(m, -0.09f);
            Matrix4 combined;
            matrix_multiply(view, m, combined);
            const float focal = float(int(size.w * 0.8));
            int inside = 0;
            for (int v = 0; v < mesh.vertex_count; ++v) {
                const Vertex& p = mesh.vertices[v];
                const float* c = combined.m;
                const float x = p.x * c[0] + p.y * c[4] + p.z * c[8] + c[12];
                const float y = p.x * c[1] + p.y * c[5] + p.z * c[9] + c[13];
                const float z = p.x * c[2] + p.y * c[6] + p.z * c[10] + c[14];
                if (z <= 0.1f) continue;
                const float sx = focal * x / z + float(size.w / 2), sy = focal * y / z + float(size.h / 2);
                if (sx >= 0 && sx < float(size.w) && sy >= 0 && sy < float(size.h)) {
                    ++inside;
                    lowest = std::max(lowest, sy / float(size.h));
                }
            }
            if (inside >= 10) ++frames_with_model;
        }
        EXPECT_GE(frames_with_model, 150) << size.w << " x " << size.h;
        // It reaches well down into the picture at some point.
        EXPECT_GT(lowest, 0.3f) << size.w << " x " << size.h;
    }
    Texture* t = load_texture("models\\intro.tex");
    EXPECT_NE(t, nullptr);
    release_texture(t);
    release_scene(scene);
}

}  // namespace
