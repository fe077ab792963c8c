// Real .3ds files from other projects (tests/corpus/3ds, see SOURCES.md
// there): every file loads and its counts agree with raw-counts.tsv, an
// independent walk of the files' chunk trees; then every file is cut short
// and corrupted in many places, and each load must end in a consistent
// scene or null.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstring>
#include <fstream>
#include <map>
#include <random>
#include <set>
#include <sstream>

#include "assets/scene_reader.h"
#include "scene_builders.h"

namespace {

const std::string corpus = VALKRON_CORPUS_DIR;

struct CountRow {
    std::map<std::string, std::string> field;
    int number(const std::string& column) const { return std::stoi(field.at(column)); }
};

std::vector<std::string> split(const std::string& text, char separator)
{
    std::vector<std::string> parts;
    std::string part;
    std::istringstream in(text);
    while (std::getline(in, part, separator)) parts.push_back(part);
    if (!text.empty() && text.back() == separator) parts.emplace_back();
    return parts;
}

std::vector<CountRow> read_counts()
{
    std::ifstream in(corpus + "/raw-counts.tsv");
    std::string line;
    std::getline(in, line);
    const std::vector<std::string> columns = split(line, '\t');
    std::vector<CountRow> rows;
    while (std::getline(in, line)) {
        if (line.empty()) continue;
        const std::vector<std::string> values = split(line, '\t');
        EXPECT_EQ(values.size(), columns.size()) << line;
        CountRow row;
        for (size_t i = 0; i < columns.size() && i < values.size(); ++i) row.field[columns[i]] = values[i];
        rows.push_back(row);
    }
    return rows;
}

ScenePtr load_corpus(const std::string& name) { return ScenePtr(load_scene((corpus + "/" + name).c_str())); }

TEST(SceneCorpus, EveryFileAgreesWithTheIndependentCounts)
{
    // The independent walk follows its own nesting rules, the reader its
    // chunk table; on these files both count the same meshes, vertices,
    // faces, cameras and material names, so no row needs an exception.
    const std::vector<CountRow> rows = read_counts();
    ASSERT_EQ(rows.size(), 24u);
    for (const CountRow& row : rows) {
        const std::string file = row.field.at("file");
        SCOPED_TRACE(file);
        ScenePtr scene = load_corpus(file);
        // wrong.3ds is a line of text: its first "chunk" is unknown and ends
        // far beyond the file, so the walk skips it and the scene is empty.
        ASSERT_NE(scene, nullptr);
        EXPECT_EQ(scene_fault(*scene), "");
        EXPECT_EQ(scene->mesh_count, row.number("trimesh_4100"));
        EXPECT_EQ(scene->camera_count, row.number("cameras_4700"));
        EXPECT_EQ(scene->material_count, row.number("matnames_A000"));
        int vertices = 0, faces = 0;
        std::vector<std::string> names;
        for (int i = 0; i < scene->mesh_count; ++i) {
            vertices += scene->meshes[i].vertex_count;
            faces += scene->meshes[i].face_count;
            names.emplace_back(scene->meshes[i].name);
        }
        EXPECT_EQ(vertices, row.number("verts_4110"));
        EXPECT_EQ(faces, row.number("faces_4120"));
        const std::string listed = row.field.at("mesh_names");
        EXPECT_EQ(names, listed == "-" ? std::vector<std::string>{} : split(listed, ','));
        if (row.field.at("keyframer_B000") == "no") {
            EXPECT_EQ(scene->last_frame, 0u);
            for (int i = 0; i < scene->mesh_count; ++i) EXPECT_EQ(scene->meshes[i].position_key_count, 0);
        }
    }
}

TEST(SceneCorpus, EmptyAndWrongFilesLoadEmpty)
{
    for (const char* file : {"empty.3ds", "wrong.3ds"}) {
        ScenePtr scene = load_corpus(file);
        ASSERT_NE(scene, nullptr) << file;
        EXPECT_EQ(scene->mesh_count, 0);
        EXPECT_EQ(scene->camera_count, 0);
        EXPECT_EQ(scene->material_count, 0);
        EXPECT_EQ(scene->meshes, nullptr);
    }
}

TEST(SceneCorpus, Icosphere)
{
    ScenePtr scene = load_corpus("icosphere.3ds");
    ASSERT_NE(scene, nullptr);
    ASSERT_EQ(scene->mesh_count, 1);
    const Mesh& m = scene->meshes[0];
    EXPECT_STREQ(m.name, "Icosphere");
    EXPECT_EQ(m.face_count, 80);
    EXPECT_EQ(m.vertex_count, 63);
    ASSERT_EQ(scene->material_count, 1);
    // One material, named by the mesh's "Face material" for all its faces.
    for (int i = 0; i < m.face_count; ++i) EXPECT_EQ(m.faces[i].material, 0);
    // An icosphere: every vertex at the same distance from the centre, and
    // the mapping inside [0, 1].
    const float r2 = m.vertices[0].x * m.vertices[0].x + m.vertices[0].y * m.vertices[0].y +
                     m.vertices[0].z * m.vertices[0].z;
    EXPECT_GT(r2, 0.0f);
    for (int i = 0; i < m.vertex_count; ++i) {
        const Vertex& v = m.vertices[i];
        EXPECT_NEAR(v.x * v.x + v.y * v.y + v.z * v.z, r2, r2 * 1e-4f) << i;
        EXPECT_GE(v.u, 0.0f);
        EXPECT_LE(v.u, 1.0f);
        EXPECT_GE(v.v, 0.0f);
        EXPECT_LE(v.v, 1.0f);
    }
    EXPECT_EQ(scene->last_frame, 0u);
}

TEST(SceneCorpus, FilesWithoutMappingOrMatrixKeepTheDefaults)
{
    ScenePtr scene = load_corpus("fels.3ds");
    ASSERT_NE(scene, nullptr);
    const Mesh& m = scene->meshes[0];
    for (int i = 0; i < m.vertex_count; ++i) {
        EXPECT_EQ(m.vertices[i].u, 0.0f);
        EXPECT_EQ(m.vertices[i].v, 0.0f);
    }
    for (float e : m.local_matrix.m) EXPECT_EQ(e, 0.0f);
    EXPECT_EQ(m.node_id, 0u);
}

TEST(SceneCorpus, FaceMaterialGroupsCoverEveryFace)
{
    // Five "Face material" groups, one per material, over the cube's twelve
    // faces; each material is used.
    ScenePtr scene = load_corpus("cube_with_materials.3ds");
    ASSERT_NE(scene, nullptr);
    ASSERT_EQ(scene->material_count, 5);
    const Mesh& m = scene->meshes[0];
    std::set<int> used;
    for (int i = 0; i < m.face_count; ++i) {
        EXPECT_GE(m.faces[i].material, 0);
        used.insert(m.faces[i].material);
    }
    EXPECT_EQ(used.size(), 5u);
    // The local matrix has 1 in its last element whatever the file holds.
    EXPECT_EQ(m.local_matrix.m[15], 1.0f);
}

TEST(SceneCorpus, KeyframerNodesOfACameraSceneWithAChildObject)
{
    ScenePtr scene = load_corpus("CameraRollAnimWithChildObject.3ds");
    ASSERT_NE(scene, nullptr);
    EXPECT_EQ(scene->first_frame, 0u);
    EXPECT_EQ(scene->last_frame, 300u);
    ASSERT_EQ(scene->mesh_count, 2);
    const Mesh& box1 = scene->meshes[0];
    const Mesh& box2 = scene->meshes[1];
    EXPECT_EQ(box1.node_id, 0u);
    EXPECT_EQ(box1.parent_id, 0xFFFFu);
    EXPECT_EQ(box1.position_key_count, 1);
    EXPECT_EQ(box1.rotation_key_count, 1);
    EXPECT_EQ(box2.node_id, 2u);
    EXPECT_EQ(box2.parent_id, 1u);
    EXPECT_EQ(box2.position_key_count, 119);
    EXPECT_EQ(box2.rotation_key_count, 2);
    ASSERT_EQ(scene->camera_count, 1);
    EXPECT_STREQ(scene->cameras[0].name, "Camera01");
    EXPECT_EQ(scene->cameras[0].position_key_count, 1);
    EXPECT_EQ(scene->cameras[0].target_key_count, 2);
    // Key frames rise through the track.
    for (int k = 1; k < box2.position_key_count; ++k) {
        EXPECT_LT(box2.position_frame[k - 1], box2.position_frame[k]);
    }
    EXPECT_LE(box2.position_frame[box2.position_key_count - 1], 300.0f);
}

TEST(SceneCorpus, KeyframerTracksOfAnimatedFiles)
{
    ScenePtr rotating = load_corpus("RotatingCube.3DS");
    ASSERT_NE(rotating, nullptr);
    EXPECT_EQ(rotating->meshes[0].rotation_key_count, 182);
    EXPECT_EQ(rotating->meshes[0].position_key_count, 1);

    ScenePtr target = load_corpus("TargetCameraAnim.3ds");
    ASSERT_NE(target, nullptr);
    ASSERT_EQ(target->camera_count, 1);
    EXPECT_EQ(target->cameras[0].position_key_count, 4);
    EXPECT_EQ(target->cameras[0].target_key_count, 3);

    // Ten nodes, eight of them instances of the one mesh "Cube": the last
    // node's id, parent and tracks stay.
    ScenePtr hierarchy = load_corpus("cube_hierarchy.3ds");
    ASSERT_NE(hierarchy, nullptr);
    EXPECT_EQ(hierarchy->last_frame, 100u);
    EXPECT_EQ(hierarchy->meshes[0].node_id, 9u);
    EXPECT_EQ(hierarchy->meshes[0].parent_id, 5u);
    EXPECT_EQ(hierarchy->meshes[0].position_key_count, 1);

    ScenePtr instances = load_corpus("cube_two_instances.3ds");
    ASSERT_NE(instances, nullptr);
    EXPECT_EQ(instances->meshes[0].node_id, 1u);

    // A keyframer section that holds only a header names no mesh.
    ScenePtr jeep = load_corpus("jeep1.3ds");
    ASSERT_NE(jeep, nullptr);
    for (int i = 0; i < jeep->mesh_count; ++i) {
        EXPECT_EQ(jeep->meshes[i].node_id, 0u);
        EXPECT_EQ(jeep->meshes[i].position_key_count, 0);
    }
}

TEST(SceneCorpus, LoadingTwiceGivesTheSameScene)
{
    // The carried-over keyframer state does not change a file whose nodes
    // all sit in node containers.
    for (const char* file : {"CameraRollAnimWithChildObject.3ds", "test1.3ds"}) {
        ScenePtr a = load_corpus(file);
        ScenePtr b = load_corpus(file);
        ASSERT_NE(a, nullptr);
        ASSERT_NE(b, nullptr);
        ASSERT_EQ(a->mesh_count, b->mesh_count);
        for (int i = 0; i < a->mesh_count; ++i) {
            const Mesh& ma = a->meshes[i];
            const Mesh& mb = b->meshes[i];
            EXPECT_EQ(ma.node_id, mb.node_id);
            ASSERT_EQ(ma.vertex_count, mb.vertex_count);
            EXPECT_EQ(std::memcmp(ma.vertices, mb.vertices, sizeof(Vertex) * ma.vertex_count), 0);
            ASSERT_EQ(ma.position_key_count, mb.position_key_count);
            EXPECT_EQ(std::memcmp(ma.local_matrix.m, mb.local_matrix.m, sizeof ma.local_matrix.m), 0);
        }
    }
}

std::vector<std::string> corpus_files()
{
    std::vector<std::string> files;
    for (const CountRow& row : read_counts()) files.push_back(row.field.at("file"));
    return files;
}

// Loads name (relative to the working directory) and checks the outcome.
void expect_clean_load(const char* name, const std::string& what)
{
    ScenePtr scene(load_scene(name));
    if (scene) {
        const std::string fault = scene_fault(*scene);
        EXPECT_EQ(fault, "") << what;
    }
}

TEST(SceneCorpus, EveryFileCutShortLoadsCleanlyOrFails)
{
    ScratchDir dir;
    ScopedWorkingDirectory cd(dir.path());
    for (const std::string& file : corpus_files()) {
        const std::vector<uint8_t> bytes = read_file(corpus + "/" + file);
        const ScenePtr whole = load_corpus(file);
        ASSERT_NE(whole, nullptr);
        // Every offset of the small files, about 600 offsets of the big ones.
        const size_t stride = bytes.size() <= 4096 ? 1 : bytes.size() / 600 + 1;
        ASSERT_TRUE(write_file("cut.3ds", bytes));
        for (size_t size = bytes.size(); size-- > 0;) {
            if (size % stride != 0 && size > 64) continue;
            ASSERT_EQ(truncate("cut.3ds", static_cast<off_t>(size)), 0);
            ScenePtr scene(load_scene("cut.3ds"));
            if (size == 0) {
                ASSERT_NE(scene, nullptr);  // an empty file is an empty scene
                EXPECT_EQ(scene->mesh_count, 0);
            } else if (size < 6) {
                EXPECT_EQ(scene, nullptr) << file << " cut to " << size;
            } else if (scene) {
                EXPECT_EQ(scene_fault(*scene), "") << file << " cut to " << size;
                // A prefix holds no more than the whole file.
                EXPECT_LE(scene->mesh_count, whole->mesh_count);
                EXPECT_LE(scene->material_count, whole->material_count);
            }
        }
    }
}

TEST(SceneCorpus, EveryFileCorruptedLoadsCleanlyOrFails)
{
    ScratchDir dir;
    ScopedWorkingDirectory cd(dir.path());
    std::mt19937 random(20240611u);  // fixed seed: the same positions every run
    for (const std::string& file : corpus_files()) {
        const std::vector<uint8_t> bytes = read_file(corpus + "/" + file);
        if (bytes.empty()) continue;
        // The file is changed in place and restored after each load
        // (rewriting it whole costs more than loading it).
        ASSERT_TRUE(write_file("bad.3ds", bytes));
        const int fd = open("bad.3ds", O_WRONLY);
        ASSERT_GE(fd, 0);
        auto put = [fd](const std::vector<uint8_t>& from, size_t at) {
            ASSERT_EQ(pwrite(fd, &from[at], 1, static_cast<off_t>(at)), 1);
        };
        for (int round = 0; round < 400; ++round) {
            std::vector<uint8_t> bad = bytes;
            // One to four changes: single flips, or a whole 32-bit value
            // replaced by an extreme one (lengths, counts).
            const int changes = 1 + static_cast<int>(random() % 4);
            std::string what = file + " changed at";
            std::set<size_t> changed;
            for (int c = 0; c < changes; ++c) {
                const size_t at = random() % bad.size();
                what += " " + std::to_string(at);
                if (random() % 3 == 0 && at + 4 <= bad.size()) {
                    static const uint32_t extremes[] = {0, 1, 5, 6, 0x7FFF, 0xFFFF, 0x10000,
                                                        0x7FFFFFFF, 0x80000000u, 0xFFFFFFFFu};
                    const uint32_t v = extremes[random() % std::size(extremes)];
                    std::memcpy(&bad[at], &v, 4);
                    changed.insert({at, at + 1, at + 2, at + 3});
                } else {
                    bad[at] ^= static_cast<uint8_t>(1 + random() % 255);
                    changed.insert(at);
                }
            }
            for (size_t at : changed) put(bad, at);
            expect_clean_load("bad.3ds", what);
            for (size_t at : changed) put(bytes, at);
        }
        close(fd);
    }
}

}  // namespace
