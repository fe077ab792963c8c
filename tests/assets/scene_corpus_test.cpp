// Real .3ds files from other projects (tests/corpus/3ds, see SOURCES.md
// there): every file loads consistently and agrees with raw-counts.tsv, an
// independent walk of the files' chunk trees; a few keyframer numbers of
// the animated files. (The fuzz target starts from these files for
// truncated and corrupted versions.)
#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>

#include "scene_builders.h"

namespace {

const std::string corpus = VALKRON_CORPUS_DIR;

std::vector<std::string> split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::istringstream in(text + separator);
    for (std::string part; std::getline(in, part, separator);) parts.push_back(part);
    return parts;
}

ScenePtr load_corpus(const std::string& name) { return ScenePtr(load_scene((corpus + "/" + name).c_str())); }

TEST(SceneCorpus, EveryFileAgreesWithTheIndependentCounts)
{
    std::ifstream in(corpus + "/raw-counts.tsv");
    std::string line;
    std::getline(in, line);
    const std::vector<std::string> columns = split(line, '\t');
    int files = 0;
    while (std::getline(in, line)) {
        const std::vector<std::string> values = split(line, '\t');
        ASSERT_EQ(values.size(), columns.size()) << line;
        std::map<std::string, std::string> row;
        for (size_t i = 0; i < columns.size(); ++i) row[columns[i]] = values[i];
        SCOPED_TRACE(row["file"]);
        ++files;
        // wrong.3ds is a line of text: its first "chunk" is unknown and ends
        // far beyond the file, so the scene is empty.
        ScenePtr scene = load_corpus(row["file"]);
        ASSERT_NE(scene, nullptr);
        EXPECT_EQ(scene_fault(*scene), "");
        int vertices = 0, faces = 0;
        std::string names;
        for (int i = 0; i < scene->mesh_count; ++i) {
            vertices += scene->meshes[i].vertex_count;
            faces += scene->meshes[i].face_count;
            names += (i ? "," : "") + std::string(scene->meshes[i].name);
        }
        EXPECT_EQ(std::to_string(scene->mesh_count), row["trimesh_4100"]);
        EXPECT_EQ(std::to_string(scene->camera_count), row["cameras_4700"]);
        EXPECT_EQ(std::to_string(scene->material_count), row["matnames_A000"]);
        EXPECT_EQ(std::to_string(vertices), row["verts_4110"]);
        EXPECT_EQ(std::to_string(faces), row["faces_4120"]);
        EXPECT_EQ(names.empty() ? "-" : names, row["mesh_names"]);
    }
    EXPECT_EQ(files, 24);
}

TEST(SceneCorpus, KeyframerNumbersOfAnimatedFiles)
{
    // file, mesh or camera, node id, parent id, position and rotation keys
    // (for a camera: position and target keys), last frame. Nodes that name
    // one mesh several times leave the last node's values.
    const struct {
        const char* file;
        int mesh, camera;
        uint32_t node, parent;
        int first_keys, second_keys;
        uint32_t last_frame;
    } cases[] = {
        {"CameraRollAnimWithChildObject.3ds", 0, -1, 0, 0xFFFF, 1, 1, 300},
        {"CameraRollAnimWithChildObject.3ds", 1, -1, 2, 1, 119, 2, 300},
        {"CameraRollAnimWithChildObject.3ds", -1, 0, 0, 0, 1, 2, 300},
        {"RotatingCube.3DS", 0, -1, 0, 0xFFFF, 1, 182, 300},
        {"TargetCameraAnim.3ds", -1, 0, 0, 0, 4, 3, 300},
        {"cube_hierarchy.3ds", 0, -1, 9, 5, 1, 1, 100},
        {"cube_two_instances.3ds", 0, -1, 1, 0xFFFF, 1, 1, 100},
        {"jeep1.3ds", 0, -1, 0, 0, 0, 0, 0},
        {"icosphere.3ds", 0, -1, 0, 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        ScenePtr s = load_corpus(c.file);
        ASSERT_NE(s, nullptr);
        if (c.mesh >= 0) {
            const Mesh& m = s->meshes[c.mesh];
            EXPECT_EQ((std::vector<uint32_t>{m.node_id, m.parent_id}), (std::vector<uint32_t>{c.node, c.parent}));
            EXPECT_EQ((std::vector<int>{m.position_key_count, m.rotation_key_count}),
                      (std::vector<int>{c.first_keys, c.second_keys}));
            for (int k = 1; k < m.position_key_count; ++k) EXPECT_LT(m.position_frame[k - 1], m.position_frame[k]);
        } else {
            const SceneCamera& cam = s->cameras[c.camera];
            EXPECT_EQ((std::vector<int>{cam.position_key_count, cam.target_key_count}),
                      (std::vector<int>{c.first_keys, c.second_keys}));
        }
        EXPECT_EQ(s->last_frame, c.last_frame);
    }
}

}  // namespace
