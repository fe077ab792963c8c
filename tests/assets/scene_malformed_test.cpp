// Malformed .3ds files: bad chunk lengths, broken nesting, indices and
// counts beyond their arrays, mesh data without a mesh. Each load returns a
// consistent scene or null, and nothing leaks (the sanitizer build checks).
#include <gtest/gtest.h>

#include <cstring>

#include "assets/scene_reader.h"
#include "scene_builders.h"

namespace {

void set_u32(std::vector<uint8_t>& bytes, size_t at, uint32_t value)
{
    std::memcpy(&bytes[at], &value, 4);
}

// "Main" holding one triangle mesh "Box", then whatever extra writes.
template <class F>
std::vector<uint8_t> box_and(F&& extra)
{
    ChunkWriter w;
    w.chunk(chunk::main, [&] {
        w.chunk(chunk::object_mesh, [&] { triangle_object(w, "Box"); });
        extra(w);
    });
    return w.bytes();
}

TEST(MalformedScene, ChunkLengthZeroFails)
{
    // A "Main" of length 0, and a sub-chunk of length 0.
    std::vector<uint8_t> top = {0x4D, 0x4D, 0, 0, 0, 0};
    EXPECT_EQ(load_bytes(top), nullptr);
    std::vector<uint8_t> bytes = box_and([](ChunkWriter& w) { w.chunk(0x0100, [&] { w.f32(1); }); });
    set_u32(bytes, bytes.size() - 8, 0);
    EXPECT_EQ(load_bytes(bytes), nullptr);
}

TEST(MalformedScene, ChunkLengthBelowTheHeaderSizeFails)
{
    // Such a chunk would end inside its own header and walk backwards.
    for (uint32_t length = 1; length < 6; ++length) {
        std::vector<uint8_t> bytes = box_and([](ChunkWriter& w) { w.chunk(0x1234, [&] { w.u32(0); }); });
        set_u32(bytes, bytes.size() - 8, length);
        EXPECT_EQ(load_bytes(bytes), nullptr) << length;
    }
    std::vector<uint8_t> bytes = box_and([](ChunkWriter& w) { w.chunk(0x1234, [] {}); });
    EXPECT_NE(load_bytes(bytes), nullptr);  // exactly a header: fine
}

TEST(MalformedScene, AHeaderCutByTheEndOfTheFileFails)
{
    ChunkWriter w;
    w.chunk(chunk::main, [] {});
    for (size_t size = 1; size < 6; ++size) {
        EXPECT_EQ(load_bytes(std::vector<uint8_t>(w.bytes().begin(), w.bytes().begin() + size)), nullptr);
    }
}

TEST(MalformedScene, AnUnknownChunkWithAHugeLengthIsSkippedBySeeking)
{
    // The text of wrong.3ds: id 0x6E69, length 1768710518.
    const std::string text = "invalid 3ds file\n";
    ScenePtr scene = load_bytes(std::vector<uint8_t>(text.begin(), text.end()));
    ASSERT_NE(scene, nullptr);
    EXPECT_EQ(scene->mesh_count, 0);

    // Lengths up to 2^32 - 1 end far beyond the file, they never wrap back
    // before the chunk's start; the walk of "Main" ends there and the mesh
    // before the chunk stays.
    for (uint32_t length : {0x7FFFFFFFu, 0x80000000u, 0xFFFFFFF0u, 0xFFFFFFFFu}) {
        std::vector<uint8_t> bytes = box_and([](ChunkWriter& w) { w.chunk(0x1234, [&] { w.u32(0); }); });
        set_u32(bytes, bytes.size() - 8, length);
        ScenePtr s = load_bytes(bytes);
        ASSERT_NE(s, nullptr) << length;
        EXPECT_EQ(s->mesh_count, 1);
    }
}

TEST(MalformedScene, AContainerLongerThanTheFileFails)
{
    // Its walk reaches the end of the file and finds no next header.
    for (uint32_t length : {0x1000u, 0x80000000u, 0xFFFFFFFFu}) {
        std::vector<uint8_t> bytes = box_and([](ChunkWriter&) {});
        set_u32(bytes, 2, length);
        EXPECT_EQ(load_bytes(bytes), nullptr) << length;
    }
}

TEST(MalformedScene, AChunkOverrunningItsParentIsWalkedAgainAsTheParentsSibling)
{
    // The first "Material" claims the next top-level chunk as part of
    // itself; "Main" ends at the first position beyond its end, and the
    // file's walk goes on from "Main"'s end, so material "B" is read twice.
    ChunkWriter w;
    w.chunk(chunk::main, [&] { material(w, "A"); });
    const size_t main_size = w.bytes().size();
    material(w, "B");
    const size_t b_size = w.bytes().size() - main_size;
    std::vector<uint8_t> bytes = w.bytes();
    set_u32(bytes, 6 + 2, static_cast<uint32_t>(main_size - 6 + b_size));
    ScenePtr scene = load_bytes(bytes);
    ASSERT_NE(scene, nullptr);
    ASSERT_EQ(scene->material_count, 3);
    EXPECT_STREQ(scene->material_names[0], "A");
    EXPECT_STREQ(scene->material_names[1], "B");
    EXPECT_STREQ(scene->material_names[2], "B");
}

TEST(MalformedScene, NestedOverrunsThatWouldMultiplyTheWalkAreRefused)
{
    // Each gadget is a container of 12 bytes whose only sub-container runs
    // to the end of the file: everything after the gadget is walked both
    // inside the sub-container and after the gadget, so n gadgets in a row
    // would walk the file's tail 2^n times. 30 gadgets nest 61 walks deep,
    // within the nesting limit, and every walk on its own succeeds.
    const int gadgets = 30;
    std::vector<uint8_t> bytes;
    const size_t size = 12 * gadgets + 6;
    for (int g = 0; g < gadgets; ++g) {
        const size_t at = bytes.size();
        bytes.insert(bytes.end(), {0x4D, 0x4D, 12, 0, 0, 0, 0x4D, 0x4D, 0, 0, 0, 0});
        set_u32(bytes, at + 8, static_cast<uint32_t>(size - (at + 6)));
    }
    bytes.insert(bytes.end(), {0x34, 0x12, 6, 0, 0, 0});  // an empty unknown chunk
    ASSERT_EQ(bytes.size(), size);
    EXPECT_EQ(load_bytes(bytes), nullptr);

    // Two gadgets are walked 4 times over; that is fine.
    std::vector<uint8_t> two(bytes.end() - 30, bytes.end());
    set_u32(two, 8, 24);
    set_u32(two, 20, 12);
    EXPECT_NE(load_bytes(two), nullptr);
}

TEST(MalformedScene, CountsRunningFarBeyondTheirChunksAreRefused)
{
    // Thousands of 8-byte "Vertex flags" chunks that each claim 65,535 flags
    // reach into the bytes that follow. Every one of them reads 128 KiB:
    // more than the reader ever reads of a real file, so the load stops.
    ChunkWriter w;
    w.chunk(chunk::main, [&] {
        for (int i = 0; i < 20000; ++i) {
            w.chunk(chunk::vertex_flags, [&] {
                w.u16(0xFFFF);
                w.u16(0);
            });
        }
        w.chunk(0x1234, [&] {
            for (int i = 0; i < 70000; ++i) w.u16(0);
        });
    });
    EXPECT_EQ(load_writer(w), nullptr);
}

TEST(MalformedScene, DeepNestingIsRefusedShallowNestingLoads)
{
    auto nested = [](int depth) {
        ChunkWriter w;
        for (int i = 0; i < depth; ++i) w.begin(chunk::main);
        for (int i = 0; i < depth; ++i) w.end();
        return w.bytes();
    };
    EXPECT_NE(load_bytes(nested(max_chunk_depth - 1)), nullptr);
    EXPECT_EQ(load_bytes(nested(max_chunk_depth)), nullptr);
    EXPECT_EQ(load_bytes(nested(100000)), nullptr);
}

TEST(MalformedScene, MeshDataBeforeTheFirstTriMeshFails)
{
    // "Smoothings" reads 4 bytes per face of the latest "Face list"; the
    // empty face list of the second case makes that 0 for the later cases.
    scene_reader_state.face_count = 0;
    ChunkWriter vertices;
    vertices.u16(1), vertices.f32(0), vertices.f32(0), vertices.f32(0);
    ChunkWriter faces;
    faces.u16(0);
    ChunkWriter face_mat;
    face_mat.name("M"), face_mat.u16(0);
    ChunkWriter uv;
    uv.u16(0);
    const std::vector<uint8_t> matrix(48, 0);
    const struct {
        uint16_t id;
        std::vector<uint8_t> data;
    } cases[] = {{chunk::vertex_list, vertices.bytes()}, {chunk::face_list, faces.bytes()},
                 {chunk::face_material, face_mat.bytes()}, {chunk::mappings, uv.bytes()},
                 {chunk::smoothings, {}},               {chunk::matrix, matrix}};
    for (const auto& c : cases) {
        ChunkWriter w;
        auto the_chunk = [&] { w.chunk(c.id, [&] { w.raw(c.data.data(), c.data.size()); }); };
        // Directly in "Object Mesh", and in an object block holding a camera.
        scene_file(w, the_chunk);
        EXPECT_EQ(load_writer(w), nullptr) << std::hex << c.id;
        ChunkWriter w2;
        scene_file(w2, [&] {
            w2.chunk(chunk::object_block, [&] {
                w2.name("Cam");
                w2.chunk(chunk::camera, [&] {
                    for (int i = 0; i < 8; ++i) w2.f32(0);
                });
                w2.chunk(c.id, [&] { w2.raw(c.data.data(), c.data.size()); });
            });
        });
        EXPECT_EQ(load_writer(w2), nullptr) << std::hex << c.id;
        // The same chunk after a "Tri-Mesh" loads.
        ChunkWriter w3;
        scene_file(w3, [&] {
            w3.chunk(chunk::tri_mesh, [&] {
                w3.chunk(c.id, [&] { w3.raw(c.data.data(), c.data.size()); });
            });
        });
        EXPECT_NE(load_writer(w3), nullptr) << std::hex << c.id;
    }
    // "Vertex flags" touch no mesh and are read anywhere.
    ChunkWriter w;
    scene_file(w, [&] {
        w.chunk(chunk::vertex_flags, [&] {
            w.u16(1);
            w.u16(0);
        });
    });
    EXPECT_NE(load_writer(w), nullptr);
}

TEST(MalformedScene, FaceVertexIndicesMustLieInTheMesh)
{
    auto with_face = [](Corners face) {
        ChunkWriter w;
        scene_file(w, [&] {
            mesh_object(w, "M", [&] {
                vertex_list(w, {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}});
                face_list(w, {{0, 1, 2}, face});
            });
        });
        return load_writer(w);
    };
    EXPECT_NE(with_face({2, 2, 2}), nullptr);
    EXPECT_EQ(with_face({3, 0, 1}), nullptr);
    EXPECT_EQ(with_face({0, 3, 1}), nullptr);
    EXPECT_EQ(with_face({0, 1, 0xFFFF}), nullptr);

    // Faces before the vertices: there is nothing to point at yet.
    ChunkWriter w;
    scene_file(w, [&] {
        mesh_object(w, "M", [&] {
            face_list(w, {{0, 1, 2}});
            vertex_list(w, {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}});
        });
    });
    EXPECT_EQ(load_writer(w), nullptr);

    // An index into an earlier mesh's vertices is still out of range.
    ChunkWriter w2;
    scene_file(w2, [&] {
        mesh_object(w2, "Big", [&] { vertex_list(w2, {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}}); });
        mesh_object(w2, "Small", [&] {
            vertex_list(w2, {{0, 0, 0}});
            face_list(w2, {{0, 0, 3}});
        });
    });
    EXPECT_EQ(load_writer(w2), nullptr);
}

TEST(MalformedScene, FaceMaterialIndicesMustLieInTheMesh)
{
    auto with_index = [](uint16_t index) {
        ChunkWriter w;
        scene_file(w, [&] {
            material(w, "Mat");
            mesh_object(w, "M", [&] {
                vertex_list(w, {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}});
                face_list(w, {{0, 1, 2}, {0, 1, 2}}, [&] { face_material(w, "Mat", {0, index}); });
            });
        });
        return load_writer(w);
    };
    ScenePtr ok = with_index(1);
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->meshes[0].faces[1].material, 0);
    EXPECT_EQ(with_index(2), nullptr);
    EXPECT_EQ(with_index(0xFFFF), nullptr);
}

TEST(MalformedScene, MappingsMustNotOutnumberTheVertices)
{
    auto with_mappings = [](int count) {
        ChunkWriter w;
        scene_file(w, [&] {
            mesh_object(w, "M", [&] {
                vertex_list(w, {{0, 0, 0}, {1, 0, 0}});
                mappings(w, std::vector<std::array<float, 2>>(count, {0.5f, 0.5f}));
            });
        });
        return load_writer(w);
    };
    EXPECT_NE(with_mappings(2), nullptr);
    EXPECT_EQ(with_mappings(3), nullptr);
}

TEST(MalformedScene, ASecondVertexOrFaceListInOneMeshFails)
{
    ChunkWriter w;
    scene_file(w, [&] {
        mesh_object(w, "M", [&] {
            vertex_list(w, {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}});
            face_list(w, {{0, 1, 2}});
            vertex_list(w, {{0, 0, 0}});
        });
    });
    EXPECT_EQ(load_writer(w), nullptr);

    ChunkWriter w2;
    scene_file(w2, [&] {
        mesh_object(w2, "M", [&] {
            vertex_list(w2, {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}});
            face_list(w2, {{0, 1, 2}});
            face_list(w2, {{2, 1, 0}});
        });
    });
    EXPECT_EQ(load_writer(w2), nullptr);

    // An empty first list holds nothing anyone points at: the second one counts.
    ChunkWriter w3;
    scene_file(w3, [&] {
        mesh_object(w3, "M", [&] {
            vertex_list(w3, {});
            face_list(w3, {});
            vertex_list(w3, {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}});
            face_list(w3, {{0, 1, 2}});
        });
    });
    ScenePtr scene = load_writer(w3);
    ASSERT_NE(scene, nullptr);
    EXPECT_EQ(scene->meshes[0].vertex_count, 3);
    EXPECT_EQ(scene->meshes[0].face_count, 1);
    EXPECT_EQ(scene_fault(*scene), "");

    // A stray list after a camera block goes to the latest mesh, which has
    // one already.
    ChunkWriter w4;
    scene_file(w4, [&] {
        triangle_object(w4, "M");
        w4.chunk(chunk::object_block, [&] {
            w4.name("Cam");
            vertex_list(w4, {{0, 0, 0}});
        });
    });
    EXPECT_EQ(load_writer(w4), nullptr);
}

TEST(MalformedScene, AFailureInTheFillingPassFreesThePartlyBuiltScene)
{
    // Meshes, cameras, names and tracks are created before the bad face of
    // the last mesh; the sanitizer build checks that all of them are freed.
    ChunkWriter w;
    scene_file(
        w,
        [&] {
            material(w, "Mat");
            triangle_object(w, "A");
            camera_object(w, "Cam");
            mesh_object(w, "B", [&] {
                vertex_list(w, {{0, 0, 0}});
                face_list(w, {{0, 0, 1}});
            });
        },
        [] {});
    EXPECT_EQ(load_writer(w), nullptr);
    EXPECT_EQ(scene_reader_state.scene, nullptr);
    EXPECT_EQ(scene_reader_state.mesh, nullptr);
}

// The filling pass checks the counting pass's counts. A file cannot change
// between the passes here, so the walk runs by hand on a scene sized too
// small for the file.
int walk_filling_pass(Scene& scene, const std::vector<uint8_t>& bytes)
{
    SceneReaderState& s = scene_reader_state;
    s.scene = &scene;
    s.counting = 0;
    s.next_mesh = s.next_camera = s.next_material = 0;
    s.mesh = nullptr;
    s.camera = nullptr;
    s.depth = 0;
    s.bytes_read = 0;
    s.read_budget = 1 << 20;
    FILE* f = fmemopen(const_cast<uint8_t*>(bytes.data()), bytes.size(), "rb");
    const int result = walk_chunks(f, static_cast<int64_t>(bytes.size()));
    std::fclose(f);
    s.scene = nullptr;
    s.mesh = nullptr;
    s.camera = nullptr;
    return result;
}

TEST(MalformedScene, TheFillingPassNeverTakesMoreThanCounted)
{
    ChunkWriter w;
    scene_file(w, [&] {
        triangle_object(w, "A");
        triangle_object(w, "B");
        camera_object(w, "C1");
        camera_object(w, "C2");
        material(w, "M1");
        material(w, "M2");
    });
    for (int short_of = 0; short_of < 3; ++short_of) {
        Scene* scene = static_cast<Scene*>(std::calloc(1, sizeof(Scene)));
        scene->mesh_count = short_of == 0 ? 1 : 2;
        scene->camera_count = short_of == 1 ? 1 : 2;
        scene->material_count = short_of == 2 ? 1 : 2;
        scene->meshes = static_cast<Mesh*>(std::calloc(scene->mesh_count, sizeof(Mesh)));
        scene->cameras = static_cast<SceneCamera*>(std::calloc(scene->camera_count, sizeof(SceneCamera)));
        scene->material_names = static_cast<char**>(std::calloc(scene->material_count, sizeof(char*)));
        EXPECT_EQ(walk_filling_pass(*scene, w.bytes()), -1) << short_of;
        release_scene(scene);
    }
}

}  // namespace
