// The .3ds reader on small files built chunk by chunk: the chunk table, names,
// meshes, materials, cameras, lights, matrices and the frame range.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <string>

#include "assets/scene_reader.h"
#include "scene_builders.h"

namespace {

TEST(ChunkTable, HasEightyRowsWithUniqueIdsAndTheirReaders)
{
    std::set<uint32_t> ids;
    for (const ChunkTableRow& row : chunk_table.rows) {
        EXPECT_LE(row.id, 0xFFFFu);
        EXPECT_NE(row.name, nullptr);
        EXPECT_TRUE(ids.insert(row.id).second) << std::hex << row.id;
    }
    EXPECT_EQ(ids.size(), 80u);

    struct Expect {
        uint32_t id;
        const char* name;
        int container;
        bool reader;
    };
    const Expect rows[] = {
        {0x4D4D, "Main", 1, false},           {0x4000, "Object Block", 1, true},
        {0x4100, "Tri-Mesh", 1, true},        {0x4120, "Face list", 1, true},
        {0x4110, "Vertex list", 0, true},     {0x4600, "Light", 1, true},
        {0x4700, "Camera", 0, true},          {0xA040, "Shiness", 1, false},
        {0xA041, "Shiness strength", 1, false}, {0xA300, "Map filename", 0, true},
        {0xB002, "Track info", 1, true},      {0xB010, "Track obj. name", 0, true},
        {0xB011, "Dummy name", 0, false},     {0xB005, "Pointlight track", 1, false},
        {0x4165, "Mesh Color", 0, false},     {0xB024, "Roll track", 0, true},
    };
    for (const Expect& e : rows) {
        const ChunkTableRow* row = find_chunk_row(e.id);
        ASSERT_NE(row, nullptr) << e.name;
        EXPECT_STREQ(row->name, e.name);
        EXPECT_EQ(row->container, e.container) << e.name;
        EXPECT_EQ(row->reader != nullptr, e.reader) << e.name;
    }
}

TEST(ChunkTable, LookupComparesTheLow16BitsAndMissesUnknownIds)
{
    EXPECT_EQ(find_chunk_row(0x14D4D), find_chunk_row(0x4D4D));
    EXPECT_EQ(find_chunk_row(0xFFFF4000), find_chunk_row(0x4000));
    EXPECT_EQ(find_chunk_row(0x0000), nullptr);
    EXPECT_EQ(find_chunk_row(0xA204), nullptr);  // specular map: not in the table
    EXPECT_EQ(find_chunk_row(0x6E69), nullptr);
    // The two "Ambient color" rows are different ids.
    EXPECT_STREQ(find_chunk_row(0x2100)->name, "Ambient color");
    EXPECT_STREQ(find_chunk_row(0xA010)->name, "Ambient color");
}

// read_name on an in-memory stream.
struct NameRead {
    int result;
    std::string name;
    std::string rest;  // what the stream holds afterwards
};

NameRead read_name_from(const std::string& bytes)
{
    FILE* f = fmemopen(const_cast<char*>(bytes.data()), bytes.size(), "rb");
    char buffer[name_buffer_size];
    std::memset(buffer, 'Z', sizeof buffer);
    NameRead r;
    r.result = read_name(f, buffer);
    r.name = std::string(buffer, strnlen(buffer, sizeof buffer));
    EXPECT_LT(r.name.size(), sizeof buffer) << "buffer not terminated";
    int c;
    while ((c = std::getc(f)) != EOF) r.rest += static_cast<char>(c);
    std::fclose(f);
    return r;
}

TEST(ReadName, StopsAtTheTerminatorAndLeavesTheRest)
{
    NameRead r = read_name_from(std::string("Box01\0next", 10));
    EXPECT_EQ(r.result, 1);
    EXPECT_EQ(r.name, "Box01");
    EXPECT_EQ(r.rest, "next");

    r = read_name_from(std::string("\0x", 2));
    EXPECT_EQ(r.result, 1);
    EXPECT_EQ(r.name, "");
    EXPECT_EQ(r.rest, "x");
}

TEST(ReadName, SixtyThreeCharactersAreReadWholeAndTheTerminatorConsumed)
{
    const std::string name(63, 'n');
    NameRead r = read_name_from(name + std::string("\0after", 6));
    EXPECT_EQ(r.result, 1);
    EXPECT_EQ(r.name, name);
    EXPECT_EQ(r.rest, "after");

    // 63 characters and then the end of the file: complete.
    r = read_name_from(name);
    EXPECT_EQ(r.result, 1);
    EXPECT_EQ(r.name, name);
}

TEST(ReadName, LongerNamesKeep63CharactersDropOneAndLeaveTheRest)
{
    const std::string name = std::string(63, 'a') + "BCD";
    NameRead r = read_name_from(name + std::string("\0", 1));
    EXPECT_EQ(r.result, 1);
    EXPECT_EQ(r.name, std::string(63, 'a'));
    EXPECT_EQ(r.rest, std::string("CD\0", 3));
}

TEST(ReadName, FailsWhenTheFileEndsBeforeTheTerminator)
{
    EXPECT_EQ(read_name_from("").result, -1);
    NameRead r = read_name_from("Box");
    EXPECT_EQ(r.result, -1);
    EXPECT_EQ(r.name, "Box");  // still terminated
    EXPECT_EQ(read_name_from(std::string(62, 'x')).result, -1);
}

TEST(LoadScene, EmptyMainChunkAndEmptyFileGiveEmptyScenes)
{
    ChunkWriter w;
    w.chunk(chunk::main, [] {});
    for (const auto& bytes : {w.bytes(), std::vector<uint8_t>{}}) {
        ScenePtr scene = load_bytes(bytes);
        ASSERT_NE(scene, nullptr);
        EXPECT_EQ(scene->mesh_count, 0);
        EXPECT_EQ(scene->camera_count, 0);
        EXPECT_EQ(scene->material_count, 0);
        EXPECT_EQ(scene->first_frame, 0u);
        EXPECT_EQ(scene->last_frame, 0u);
        EXPECT_EQ(scene->meshes, nullptr);
        EXPECT_EQ(scene->cameras, nullptr);
        EXPECT_EQ(scene->material_names, nullptr);
    }
}

TEST(LoadScene, MissingFileGivesNull)
{
    ScratchDir dir;
    EXPECT_EQ(load_scene(dir.file("absent.3ds").c_str()), nullptr);
}

TEST(LoadScene, NameIsResolvedLikeEveryGameFile)
{
    ScratchDir dir;
    dir.make_dir("Models");
    ChunkWriter w;
    scene_file(w, [&] { triangle_object(w, "Happy"); });
    dir.write("Models/Happy.3ds", w.bytes());
    ScopedWorkingDirectory cd(dir.path());
    ScenePtr scene(load_scene("models\\HAPPY.3ds"));
    ASSERT_NE(scene, nullptr);
    EXPECT_EQ(scene->mesh_count, 1);
}

TEST(LoadScene, VerticesSwapTheSecondAndThirdAxes)
{
    ChunkWriter w;
    scene_file(w, [&] {
        mesh_object(w, "M", [&] { vertex_list(w, {{1, 2, 3}, {-4.5f, 0.25f, 1e6f}}); });
    });
    ScenePtr scene = load_writer(w);
    ASSERT_NE(scene, nullptr);
    ASSERT_EQ(scene->mesh_count, 1);
    const Mesh& m = scene->meshes[0];
    ASSERT_EQ(m.vertex_count, 2);
    EXPECT_EQ(m.vertices[0].x, 1.0f);
    EXPECT_EQ(m.vertices[0].y, 3.0f);
    EXPECT_EQ(m.vertices[0].z, 2.0f);
    EXPECT_EQ(m.vertices[1].x, -4.5f);
    EXPECT_EQ(m.vertices[1].y, 1e6f);
    EXPECT_EQ(m.vertices[1].z, 0.25f);
    // No "Mappings list": texture coordinates 0.
    EXPECT_EQ(m.vertices[1].u, 0.0f);
    EXPECT_EQ(m.vertices[1].v, 0.0f);
    // No "Face list", no "Matrix".
    EXPECT_EQ(m.face_count, 0);
    EXPECT_EQ(m.faces, nullptr);
    for (float e : m.local_matrix.m) EXPECT_EQ(e, 0.0f);
    EXPECT_EQ(scene_fault(*scene), "");
}

TEST(LoadScene, FaceCornersAreStoredAsACB)
{
    ChunkWriter w;
    scene_file(w, [&] {
        mesh_object(w, "M", [&] {
            vertex_list(w, {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}, {3, 0, 0}});
            face_list(w, {{0, 1, 2}, {3, 0, 1}, {2, 2, 2}});
        });
    });
    ScenePtr scene = load_writer(w);
    ASSERT_NE(scene, nullptr);
    const Mesh& m = scene->meshes[0];
    ASSERT_EQ(m.face_count, 3);
    const Vertex* v = m.vertices;
    EXPECT_EQ(m.faces[0].corner[0], v + 0);
    EXPECT_EQ(m.faces[0].corner[1], v + 2);
    EXPECT_EQ(m.faces[0].corner[2], v + 1);
    EXPECT_EQ(m.faces[1].corner[0], v + 3);
    EXPECT_EQ(m.faces[1].corner[1], v + 1);
    EXPECT_EQ(m.faces[1].corner[2], v + 0);
    EXPECT_EQ(m.faces[2].corner[0], v + 2);
    // Faces that no "Face material" names have material -1.
    for (int i = 0; i < 3; ++i) EXPECT_EQ(m.faces[i].material, -1);
}

TEST(LoadScene, MappingsFlipVAndLeaveUncoveredVerticesAtZero)
{
    ChunkWriter w;
    scene_file(w, [&] {
        mesh_object(w, "M", [&] {
            vertex_list(w, {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}});
            mappings(w, {{0.25f, 0.25f}, {1.0f, 0.0f}});
        });
    });
    ScenePtr scene = load_writer(w);
    ASSERT_NE(scene, nullptr);
    const Vertex* v = scene->meshes[0].vertices;
    EXPECT_EQ(v[0].u, 0.25f);
    EXPECT_EQ(v[0].v, 0.75f);
    EXPECT_EQ(v[1].u, 1.0f);
    EXPECT_EQ(v[1].v, 1.0f);
    EXPECT_EQ(v[2].u, 0.0f);
    EXPECT_EQ(v[2].v, 0.0f);
}

TEST(LoadScene, FaceMaterialsAreLookedUpAmongTheNamesReadSoFar)
{
    ChunkWriter w;
    scene_file(w, [&] {
        material(w, "Red");
        material(w, "Blue");
        material(w, "Red");  // a duplicate: the first one wins
        mesh_object(w, "M", [&] {
            vertex_list(w, {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}});
            face_list(w, {{0, 1, 2}, {0, 1, 2}, {0, 1, 2}, {0, 1, 2}}, [&] {
                face_material(w, "Blue", {0, 3});
                face_material(w, "Red", {1});
                face_material(w, "Green", {2});  // defined only after the mesh
                face_material(w, "red", {3});    // names compare with case
            });
        });
        material(w, "Green");
    });
    ScenePtr scene = load_writer(w);
    ASSERT_NE(scene, nullptr);
    ASSERT_EQ(scene->material_count, 4);
    EXPECT_STREQ(scene->material_names[0], "Red");
    EXPECT_STREQ(scene->material_names[1], "Blue");
    EXPECT_STREQ(scene->material_names[2], "Red");
    EXPECT_STREQ(scene->material_names[3], "Green");
    const Face* f = scene->meshes[0].faces;
    EXPECT_EQ(f[0].material, 1);
    EXPECT_EQ(f[1].material, 0);
    EXPECT_EQ(f[2].material, -1);
    EXPECT_EQ(f[3].material, -1);  // "red" matches nothing and overrides "Blue"
    EXPECT_EQ(scene_fault(*scene), "");
}

TEST(LoadScene, MeshNamesComeFromTheirObjectBlocks)
{
    const std::string long63(63, 'L');
    ChunkWriter w;
    scene_file(w, [&] {
        triangle_object(w, "First");
        material(w, "NotAMesh");
        triangle_object(w, long63);
    });
    ScenePtr scene = load_writer(w);
    ASSERT_NE(scene, nullptr);
    ASSERT_EQ(scene->mesh_count, 2);
    EXPECT_STREQ(scene->meshes[0].name, "First");
    EXPECT_EQ(std::string(scene->meshes[1].name), long63);
    EXPECT_EQ(scene_fault(*scene), "");
}

TEST(LoadScene, TheRestOfALongerObjectNameIsReadAsTheBlocksChunks)
{
    // 63 characters are kept, the 64th is dropped, and "xxxxxx" is read as
    // a chunk header: id 0x7878, unknown, whose length ("xxxx") ends far
    // beyond the block. The block's walk ends there and its mesh is lost.
    ChunkWriter w;
    scene_file(w, [&] {
        triangle_object(w, "First");
        triangle_object(w, std::string(70, 'x'));
        triangle_object(w, "Last");
    });
    ScenePtr scene = load_writer(w);
    ASSERT_NE(scene, nullptr);
    ASSERT_EQ(scene->mesh_count, 2);
    EXPECT_STREQ(scene->meshes[0].name, "First");
    EXPECT_STREQ(scene->meshes[1].name, "Last");
    EXPECT_EQ(std::string(scene_reader_state.object_name), "Last");
}

TEST(LoadScene, ATriMeshWithoutAnObjectBlockTakesTheLatestName)
{
    // The latest name read may be a material's: the object name buffer is
    // shared by object blocks and material names.
    ChunkWriter w;
    scene_file(w, [&] {
        material(w, "Chrome");
        w.chunk(chunk::tri_mesh, [&] { vertex_list(w, {{1, 1, 1}}); });
    });
    ScenePtr scene = load_writer(w);
    ASSERT_NE(scene, nullptr);
    ASSERT_EQ(scene->mesh_count, 1);
    EXPECT_STREQ(scene->meshes[0].name, "Chrome");
}

TEST(LoadScene, LightAndCameraBlocksCreateNoMesh)
{
    ChunkWriter w;
    scene_file(w, [&] {
        triangle_object(w, "Box");
        w.chunk(chunk::object_block, [&] {
            w.name("Omni01");
            w.chunk(chunk::light, [&] {
                w.f32(1), w.f32(2), w.f32(3);
                w.chunk(chunk::spotlight, [&] {
                    for (int i = 0; i < 5; ++i) w.f32(0.5f);
                });
                w.chunk(0x4620, [] {});  // unknown light sub-chunk
            });
        });
        camera_object(w, "Camera01");
        camera_object(w, "Camera02");
        triangle_object(w, "Box2");
    });
    ScenePtr scene = load_writer(w);
    ASSERT_NE(scene, nullptr);
    ASSERT_EQ(scene->mesh_count, 2);
    EXPECT_STREQ(scene->meshes[0].name, "Box");
    EXPECT_STREQ(scene->meshes[1].name, "Box2");
    ASSERT_EQ(scene->camera_count, 2);
    EXPECT_STREQ(scene->cameras[0].name, "Camera01");
    EXPECT_STREQ(scene->cameras[1].name, "Camera02");
    EXPECT_EQ(scene->cameras[0].position_key_count, 0);
    EXPECT_EQ(scene->cameras[0].position_frame, nullptr);
    EXPECT_EQ(scene_fault(*scene), "");
}

TEST(LoadScene, LocalMatrixSwapsAxesInRowsAndColumns)
{
    ChunkWriter w;
    scene_file(w, [&] {
        mesh_object(w, "M", [&] {
            w.chunk(chunk::matrix, [&] {
                for (int i = 0; i < 12; ++i) w.f32(static_cast<float>(i + 1));  // m0..m8, t0..t2
            });
        });
    });
    ScenePtr scene = load_writer(w);
    ASSERT_NE(scene, nullptr);
    const float* m = scene->meshes[0].local_matrix.m;
    const float expected[16] = {1, 3, 2, 0, 7, 9, 8, 0, 4, 6, 5, 0, 10, 12, 11, 1};
    for (int i = 0; i < 16; ++i) EXPECT_EQ(m[i], expected[i]) << "element " << i;
}

TEST(LoadScene, FramesChunkSetsTheFrameRange)
{
    ChunkWriter w;
    scene_file(
        w, [] {},
        [&] {
            w.chunk(chunk::keyframer, [&] {
                w.chunk(chunk::frames, [&] {
                    w.u32(5);
                    w.u32(0xFFFFFFF0u);
                });
            });
        });
    ScenePtr scene = load_writer(w);
    ASSERT_NE(scene, nullptr);
    EXPECT_EQ(scene->first_frame, 5u);
    EXPECT_EQ(scene->last_frame, 0xFFFFFFF0u);
}

TEST(LoadScene, UnknownChunksAndChunksWithoutReadersAreSkippedWhole)
{
    ChunkWriter w;
    scene_file(w, [&] {
        // An unknown container whose sub-chunks would create a mesh.
        w.chunk(0x1234, [&] { triangle_object(w, "Hidden"); });
        mesh_object(w, "M", [&] {
            vertex_list(w, {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}});
            w.chunk(chunk::mesh_color, [&] { w.u8(3); });
            // A chunk with no reader: its data is skipped even if it looks
            // like a sub-chunk.
            w.chunk(0x4170, [&] { triangle_object(w, "AlsoHidden"); });
            face_list(w, {{0, 1, 2}}, [&] {
                w.chunk(chunk::smoothings, [&] { w.u32(1); });
                w.chunk(0x7777, [&] { w.u32(1); });
            });
        });
    });
    ScenePtr scene = load_writer(w);
    ASSERT_NE(scene, nullptr);
    ASSERT_EQ(scene->mesh_count, 1);
    EXPECT_STREQ(scene->meshes[0].name, "M");
    EXPECT_EQ(scene->meshes[0].face_count, 1);
}

TEST(LoadScene, ReadersMayLeaveDataUnreadTheWalkSeeksToTheChunkEnd)
{
    ChunkWriter w;
    scene_file(w, [&] {
        mesh_object(w, "M", [&] {
            w.chunk(chunk::vertex_list, [&] {
                w.u16(1);
                w.f32(1), w.f32(2), w.f32(3);
                w.u32(0xDEADBEEF);  // trailing bytes the reader does not read
            });
            mappings(w, {{0.5f, 0.5f}});
        });
    });
    ScenePtr scene = load_writer(w);
    ASSERT_NE(scene, nullptr);
    EXPECT_EQ(scene->meshes[0].vertices[0].u, 0.5f);
}

TEST(LoadScene, ReleaseSceneAcceptsNull) { release_scene(nullptr); }

// Every reader that takes data fails the load when the file ends inside its
// data, and succeeds when the data is complete. The chunk under test is the
// last one of the file, with its length covering only the bytes present.
struct ReaderCase {
    const char* what;
    uint16_t id;
    enum Place { top, object, light, mesh_without_vertices, mesh_with_vertices, mesh_with_faces } place;
    std::vector<uint8_t> data;
};

std::vector<uint8_t> bytes_of(std::initializer_list<float> floats)
{
    ChunkWriter w;
    for (float f : floats) w.f32(f);
    return w.bytes();
}

std::vector<ReaderCase> reader_cases()
{
    auto track = [](uint16_t values, uint16_t flags) {
        ChunkWriter w;
        track_header(w, 1);
        key_header(w, 7, flags);
        for (int i = 0; i < values; ++i) w.f32(1.0f);
        return w.bytes();
    };
    auto n = [](std::initializer_list<uint8_t> b) { return std::vector<uint8_t>(b); };
    ChunkWriter vertices;
    vertices.u16(2);
    for (int i = 0; i < 6; ++i) vertices.f32(1.0f);
    ChunkWriter faces;
    faces.u16(1);
    faces.u16(0), faces.u16(1), faces.u16(2), faces.u16(0);
    ChunkWriter face_mat;
    face_mat.name("Mat");
    face_mat.u16(1);
    face_mat.u16(0);
    ChunkWriter uv;
    uv.u16(2);
    for (int i = 0; i < 4; ++i) uv.f32(0.5f);
    ChunkWriter node;
    node.name("Box");
    node.u16(0), node.u16(0), node.u16(1);
    std::vector<uint8_t> matrix(48, 0);
    std::vector<uint8_t> camera(32, 0);
    return {
        {"Version", 0x0002, ReaderCase::top, n({3, 0})},
        {"RGB float", 0x0010, ReaderCase::top, bytes_of({1, 2, 3})},
        {"RGB byte", 0x0011, ReaderCase::top, n({1, 2, 3})},
        {"RGB byte 2", 0x0012, ReaderCase::top, n({1, 2, 3})},
        {"Amount", 0x0030, ReaderCase::top, n({50, 0})},
        {"Master scale", 0x0100, ReaderCase::top, bytes_of({1})},
        {"Mesh version", 0x3D3E, ReaderCase::top, n({3, 0})},
        {"Object Block", 0x4000, ReaderCase::top, n({'B', 'o', 'x', 0})},
        {"Vertex list", 0x4110, ReaderCase::mesh_without_vertices, vertices.bytes()},
        {"Vertex flags", 0x4111, ReaderCase::top, n({2, 0, 1, 0, 1, 0})},
        {"Face list", 0x4120, ReaderCase::mesh_with_vertices, faces.bytes()},
        {"Face material", 0x4130, ReaderCase::mesh_with_faces, face_mat.bytes()},
        {"Mappings list", 0x4140, ReaderCase::mesh_with_vertices, uv.bytes()},
        {"Smoothings", 0x4150, ReaderCase::mesh_with_faces, n({1, 0, 0, 0})},
        {"Matrix", 0x4160, ReaderCase::mesh_with_vertices, matrix},
        {"Light", 0x4600, ReaderCase::object, bytes_of({1, 2, 3})},
        {"Spotlight", 0x4610, ReaderCase::light, bytes_of({1, 2, 3, 4, 5})},
        {"Camera", 0x4700, ReaderCase::object, camera},
        {"Material name", 0xA000, ReaderCase::top, n({'M', 'a', 't', 0})},
        {"Wire Size", 0xA087, ReaderCase::top, bytes_of({1})},
        {"Shading", 0xA100, ReaderCase::top, n({3, 0})},
        {"Bump amount", 0xA252, ReaderCase::top, n({3, 0})},
        {"Map filename", 0xA300, ReaderCase::top, n({'a', '.', 'j', 'p', 'g', 0})},
        {"Map flags", 0xA351, ReaderCase::top, n({3, 0})},
        {"Map blurring", 0xA353, ReaderCase::top, bytes_of({1})},
        {"Map U scale", 0xA354, ReaderCase::top, bytes_of({1})},
        {"Map V scale", 0xA356, ReaderCase::top, bytes_of({1})},
        {"Map U offset", 0xA358, ReaderCase::top, bytes_of({1})},
        {"Map V offset", 0xA35A, ReaderCase::top, bytes_of({1})},
        {"Map rot angle", 0xA35C, ReaderCase::top, bytes_of({1})},
        {"Frames", 0xB008, ReaderCase::top, n({0, 0, 0, 0, 100, 0, 0, 0})},
        {"Track obj. name", 0xB010, ReaderCase::top, node.bytes()},
        {"Pivot point", 0xB013, ReaderCase::top, bytes_of({1, 2, 3})},
        {"Position keys", 0xB020, ReaderCase::top, track(3, 0x0005)},
        {"Color track", 0xB025, ReaderCase::top, track(3, 0)},
        {"Rotation keys", 0xB021, ReaderCase::top, track(4, 0x0002)},
        {"Scale keys", 0xB022, ReaderCase::top, track(3, 0)},
        {"Object number", 0xB030, ReaderCase::top, n({1, 0})},
        {"FOV track", 0xB023, ReaderCase::top, track(1, 0x0007)},
        {"Roll track", 0xB024, ReaderCase::top, track(1, 0)},
    };
}

std::vector<uint8_t> file_with(const ReaderCase& c, size_t cut)
{
    ChunkWriter w;
    auto the_chunk = [&] { w.chunk(c.id, [&] { w.raw(c.data.data(), cut); }); };
    w.chunk(chunk::main, [&] {
        switch (c.place) {
        case ReaderCase::top:
            the_chunk();
            break;
        case ReaderCase::object:
            w.chunk(chunk::object_block, [&] {
                w.name("Obj");
                the_chunk();
            });
            break;
        case ReaderCase::light:
            w.chunk(chunk::object_block, [&] {
                w.name("Obj");
                w.chunk(chunk::light, [&] {
                    w.f32(0), w.f32(0), w.f32(0);
                    the_chunk();
                });
            });
            break;
        default:
            mesh_object(w, "M", [&] {
                if (c.place != ReaderCase::mesh_without_vertices) {
                    vertex_list(w, {{0, 0, 0}, {1, 0, 0}, {2, 0, 0}});
                }
                if (c.place == ReaderCase::mesh_with_faces) {
                    face_list(w, {{0, 1, 2}}, the_chunk);
                } else {
                    the_chunk();
                }
            });
        }
    });
    return w.bytes();
}

TEST(LoadScene, EveryReaderFailsOnAShortReadAndReadsCompleteData)
{
    ScratchDir dir;
    const std::string path = dir.file("cut.3ds");
    for (const ReaderCase& c : reader_cases()) {
        SCOPED_TRACE(c.what);
        ASSERT_NE(find_chunk_row(c.id), nullptr);
        ASSERT_NE(find_chunk_row(c.id)->reader, nullptr);
        for (size_t cut = 0; cut < c.data.size(); ++cut) {
            ASSERT_TRUE(write_file(path, file_with(c, cut)));
            ScenePtr scene(load_scene(path.c_str()));
            EXPECT_EQ(scene, nullptr) << "data cut to " << cut << " bytes";
        }
        ASSERT_TRUE(write_file(path, file_with(c, c.data.size())));
        ScenePtr scene(load_scene(path.c_str()));
        ASSERT_NE(scene, nullptr);
        EXPECT_EQ(scene_fault(*scene), "");
    }
}

}  // namespace
