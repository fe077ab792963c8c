// The .3ds reader and its keyframer on crafted files: what each file gives,
// or that it is refused. Every scene that loads is consistent.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <set>
#include <sstream>

#include "assets/scene_reader.h"
#include "scene_builders.h"

namespace {

Bytes header(uint16_t id, uint32_t length) { return cat({u16(id), u32(length)}); }
Bytes verts(std::initializer_list<float> xyz) { return chunk(0x4110, {u16(uint32_t(xyz.size() / 3)), f32(xyz)}); }
Bytes faces(std::initializer_list<uint16_t> abc, std::initializer_list<Bytes> sub = {})
{
    Bytes b = u16(uint32_t(abc.size() / 3));
    int k = 0;
    for (uint16_t v : abc) b = cat({b, u16(v), ++k % 3 == 0 ? u16(7) : Bytes{}});
    return chunk(0x4120, {b, cat(sub)});
}
Bytes face_material(const std::string& name, std::initializer_list<uint16_t> list)
{
    Bytes b = cat({str(name), u16(uint32_t(list.size()))});
    for (uint16_t f : list) b = cat({b, u16(f)});
    return chunk(0x4130, {b});
}
Bytes mappings(std::initializer_list<float> uv) { return chunk(0x4140, {u16(uint32_t(uv.size() / 2)), f32(uv)}); }
Bytes material(const std::string& name) { return chunk(0xAFFF, {chunk(0xA000, {str(name)})}); }
Bytes camera(const std::string& name) { return chunk(0x4000, {str(name), chunk(0x4700, {Bytes(32, 0)})}); }
Bytes tri(const std::string& name) { return mesh(name, {verts({0, 0, 0, 1, 0, 0, 0, 1, 0}), faces({0, 1, 2})}); }
// Keyframer: a key (frame, spline flags and the values they ask for, then
// the body), a track of keys with its key count, and a node container.
Bytes key(uint32_t frame, std::initializer_list<float> body, uint16_t flags = 0)
{
    const Bytes extra(4 * ((flags & 1) + (flags >> 1 & 1) + (flags >> 2 & 1)), 0x55);
    return cat({u32(frame), u16(flags), extra, f32(body)});
}
Bytes track(uint16_t id, uint32_t count, std::initializer_list<Bytes> keys)
{
    return chunk(id, {u16(0x40), u32(0), u32(0), u32(count), cat(keys)});
}
Bytes pos(std::initializer_list<Bytes> keys) { return track(0xB020, uint32_t(keys.size()), keys); }
Bytes rot(std::initializer_list<Bytes> keys) { return track(0xB021, uint32_t(keys.size()), keys); }
Bytes node(uint16_t kind, uint16_t id, const std::string& name, uint16_t parent, std::initializer_list<Bytes> tracks)
{
    return chunk(kind,
                 {chunk(0xB030, {u16(id)}), chunk(0xB010, {str(name), u16(0x4000), u16(0), u16(parent)}), cat(tracks)});
}
Bytes keyframed(std::initializer_list<Bytes> objects, std::initializer_list<Bytes> nodes)
{
    return scene_3ds(objects, {chunk(0xB000, {chunk(0xB008, {u32(0), u32(100)}), cat(nodes)})});
}

using Check = std::function<void(const Scene&)>;
struct Row {
    std::string what;
    Bytes file;
    Check check;  // none: the file is refused
};

const Vertex& vertex(const Scene& s, int m, int v) { return s.meshes[m].vertices[v]; }
std::vector<float> xyzuv(const Vertex& v) { return {v.x, v.y, v.z, v.u, v.v}; }
std::vector<float> floats(const float* a, int n) { return std::vector<float>(a, a + n); }
// A track as text, "frame:value,value frame:value,value", from its arrays (frame first).
std::string keys(int32_t count, std::initializer_list<const float*> arrays)
{
    std::ostringstream text;
    for (int32_t k = 0; k < count; ++k) {
        for (const float* a : arrays) {
            text << (a == *arrays.begin() ? (k ? " " : "") : a == arrays.begin()[1] ? ":" : ",") << a[k];
        }
    }
    return text.str();
}
std::string position(const Mesh& m)
{
    return keys(m.position_key_count, {m.position_frame, m.position_x, m.position_y, m.position_z});
}
std::string rotation(const Mesh& m)
{
    return keys(m.rotation_key_count,
                {m.rotation_frame, m.rotation_angle, m.rotation_axis_x, m.rotation_axis_y, m.rotation_axis_z});
}

std::vector<Row> loading_rows()
{
    std::vector<Row> rows = {
        {"empty Main", chunk(0x4D4D),
         [](const Scene& s) { EXPECT_EQ(s.mesh_count + s.camera_count + s.material_count, 0); }},
        {"empty file", {}, [](const Scene& s) { EXPECT_EQ(s.first_frame + s.last_frame, 0u); }},
        {"axes, corners and mappings",
         scene_3ds({mesh("M", {verts({1, 2, 3, -4.5f, 0.25f, 1e6f, 0, 0, 0, 7, 8, 9}), faces({0, 1, 2, 3, 0, 1}),
                               mappings({0.25f, 0.25f, 1, 0})})}),
         [](const Scene& s) {
             const Mesh& m = s.meshes[0];
             EXPECT_EQ(xyzuv(m.vertices[0]), (std::vector<float>{1, 3, 2, 0.25f, 0.75f}));
             EXPECT_EQ(xyzuv(m.vertices[1]), (std::vector<float>{-4.5f, 1e6f, 0.25f, 1, 1}));
             EXPECT_EQ(vertex(s, 0, 2).u + vertex(s, 0, 2).v, 0.0f);  // no mapping
             std::vector<long> corners;  // file faces (a, b, c) have corners a, c, b
             for (const Face& f : {m.faces[0], m.faces[1]}) {
                 for (const Vertex* v : f.corner) corners.push_back(v - m.vertices);
             }
             EXPECT_EQ(corners, (std::vector<long>{0, 2, 1, 3, 1, 0}));
             EXPECT_EQ(m.faces[1].material, -1);
             EXPECT_EQ(floats(m.local_matrix.m, 16), std::vector<float>(16, 0.0f));
         }},
        {"face materials among the names read so far",
         scene_3ds({material("Red"), material("Blue"), material("Red"),
                    mesh("M", {verts({0, 0, 0, 1, 0, 0, 2, 0, 0}),
                               faces({0, 1, 2, 0, 1, 2, 0, 1, 2, 0, 1, 2},
                                     {face_material("Blue", {0, 3}), face_material("Red", {1}),
                                      face_material("Green", {2}), face_material("red", {3})})}),
                    material("Green")}),
         [](const Scene& s) {
             ASSERT_EQ(s.material_count, 4);
             EXPECT_STREQ(s.material_names[3], "Green");
             const Face* f = s.meshes[0].faces;
             EXPECT_EQ((std::vector<int>{f[0].material, f[1].material, f[2].material, f[3].material}),
                       (std::vector<int>{1, 0, -1, -1}));
         }},
        {"mesh names: 63 characters whole, a longer name's rest read as chunks, the latest name",
         scene_3ds({tri("First"), material("NotAMesh"), tri(std::string(63, 'L')), tri(std::string(70, 'x')),
                    tri("Last"), material("Chrome"), chunk(0x4100, {verts({1, 1, 1})})}),
         [](const Scene& s) {
             ASSERT_EQ(s.mesh_count, 4);
             EXPECT_STREQ(s.meshes[0].name, "First");
             EXPECT_EQ(std::string(s.meshes[1].name), std::string(63, 'L'));
             EXPECT_STREQ(s.meshes[2].name, "Last");
             EXPECT_STREQ(s.meshes[3].name, "Chrome");
         }},
        {"lights and cameras make no mesh",
         scene_3ds({tri("Box"),
                    chunk(0x4000, {str("Omni01"),
                                   chunk(0x4600, {f32({1, 2, 3}), chunk(0x4610, {Bytes(20, 1)}), chunk(0x4620)})}),
                    camera("Camera01"), camera("Camera02"), tri("Box2")}),
         [](const Scene& s) {
             ASSERT_EQ(s.mesh_count, 2);
             EXPECT_STREQ(s.meshes[1].name, "Box2");
             ASSERT_EQ(s.camera_count, 2);
             EXPECT_STREQ(s.cameras[1].name, "Camera02");
         }},
        {"local matrix swaps axes in rows and columns",
         scene_3ds({mesh("M", {chunk(0x4160, {f32({1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12})})})}),
         [](const Scene& s) {
             EXPECT_EQ(floats(s.meshes[0].local_matrix.m, 16),
                       (std::vector<float>{1, 3, 2, 0, 7, 9, 8, 0, 4, 6, 5, 0, 10, 12, 11, 1}));
         }},
        {"frame range", scene_3ds({}, {chunk(0xB000, {chunk(0xB008, {u32(5), u32(0xFFFFFFF0)})})}),
         [](const Scene& s) {
             EXPECT_EQ(s.first_frame, 5u);
             EXPECT_EQ(s.last_frame, 0xFFFFFFF0u);
         }},
        {"unknown chunks and chunks without readers are skipped whole, unread data too",
         scene_3ds({chunk(0x1234, {tri("Hidden")}), chunk(0x4111, {u16(1), u16(0)}),
                    mesh("M", {verts({0, 0, 0, 1, 0, 0, 2, 0, 0}), chunk(0x4165, {{3}}),
                               chunk(0x4170, {tri("AlsoHidden")}),
                               faces({0, 1, 2}, {chunk(0x4150, {u32(1)}), chunk(0x7777, {u32(1)})})}),
                    mesh("N", {chunk(0x4110, {u16(1), f32({1, 2, 3}), u32(0xDEADBEEF)}), mappings({0.5f, 0.5f})}),
                    cat({chunk(0x1234), header(0x1234, 0xFFFFFFFF), u32(0)})}),
         [](const Scene& s) {
             ASSERT_EQ(s.mesh_count, 2);
             EXPECT_EQ(s.meshes[0].face_count, 1);
             EXPECT_EQ(vertex(s, 1, 0).u, 0.5f);
         }},
        {"a 63-character name that the end of the file terminates",
         cat({header(0x4D4D, 6 + 6 + 63), header(0xA300, 6 + 63), Bytes(63, 'm')}), [](const Scene&) {}},
        {"a second list after an empty first one",
         scene_3ds({mesh("M", {verts({}), faces({}), verts({0, 0, 0, 1, 0, 0, 2, 0, 0}), faces({2, 2, 2})})}),
         [](const Scene& s) { EXPECT_EQ(s.meshes[0].face_count, 1); }},
        {"a huge unknown chunk is skipped by seeking", cat({u16(0x6E69), u32(0x80000000), Bytes(20, 'x')}),
         [](const Scene& s) { EXPECT_EQ(s.mesh_count, 0); }},
        {"mesh tracks, axes swapped, later nodes replace, unmatched nodes dropped",
         keyframed({tri("Box"), tri("Ball"), tri("Camera01"), camera("Camera01")},
                   {node(0xB002, 7, "Ball", 3,
                         {pos({key(10, {1, 2, 3}), key(0x1000C, {-1, -2, -3}, 7)}),
                          rot({key(0, {0.5f, 1, 2, 3}, 0xFFF8), key(20, {-1.5f, 4, 5, 6}, 5)})}),
                    node(0xB002, 1, "Box", 0xFFFF,
                         {pos({key(0, {1, 2, 3}), key(1, {1, 2, 3})}), rot({key(0, {1, 0, 0, 1})})}),
                    node(0xB002, 2, "Box", 1, {track(0xB020, 65537, {key(4, {7, 8, 9}, 2)}), rot({})}),
                    node(0xB002, 9, "Nobody", 2, {pos({key(0, {1, 2, 3})}), rot({key(0, {1, 0, 0, 1})})}),
                    node(0xB002, 11, "box", 0xFFFF, {pos({key(0, {1, 2, 3})})}),
                    node(0xB003, 12, "Camera01", 0xFFFF, {rot({key(0, {1, 0, 0, 1})})})}),
         [](const Scene& s) {
             const Mesh &box = s.meshes[0], &ball = s.meshes[1];
             EXPECT_EQ((std::vector<uint32_t>{ball.node_id, ball.parent_id, box.node_id, box.parent_id}),
                       (std::vector<uint32_t>{7, 3, 2, 1}));
             EXPECT_EQ(position(ball), "10:1,3,2 12:-1,-3,-2");  // frame numbers' low 16 bits
             EXPECT_EQ(rotation(ball), "0:0.5,1,3,2 20:-1.5,4,6,5");
             EXPECT_EQ(position(box), "4:7,9,8");  // 65,537 keys read as 1
             EXPECT_EQ(rotation(box) + (box.rotation_frame ? "arrays" : ""), "");
             EXPECT_EQ(position(s.meshes[2]) + rotation(s.meshes[2]) + std::to_string(s.meshes[2].node_id), "0");
             EXPECT_EQ(s.cameras[0].position_key_count, 0);
         }},
        {"camera and target nodes keep position tracks; a light node after them looks among the cameras",
         keyframed(
             {tri("Camera01"), camera("Camera01"), camera("Cam2")},
             {node(0xB003, 1, "Camera01", 0xFFFF,
                   {pos({key(0, {1, 2, 3}), key(5, {4, 5, 6}), key(9, {7, 8, 9})}), rot({key(0, {1, 0, 0, 1})}),
                    track(0xB023, 1, {key(0, {45})}), track(0xB024, 2, {key(0, {0}, 1), key(50, {30})}),
                    track(0xB022, 1, {key(0, {1, 1, 1}, 4)}), track(0xB025, 1, {key(0, {1, 1, 1})})}),
              node(0xB004, 2, "Camera01", 0xFFFF, {pos({key(3, {10, 20, 30})})}),
              node(0xB003, 10, "NoCamera", 0xFFFF, {pos({key(0, {1, 2, 3})})}),
              node(0xB005, 2, "Cam2", 0xFFFF, {pos({key(2, {2, 2, 2}), key(3, {3, 3, 3})})})}),
         [](const Scene& s) {
             const SceneCamera &c = s.cameras[0], &c2 = s.cameras[1];
             EXPECT_EQ(keys(c.position_key_count, {c.position_frame, c.position_x, c.position_y, c.position_z}),
                       "0:1,3,2 5:4,6,5 9:7,9,8");
             EXPECT_EQ(keys(c.target_key_count, {c.target_frame, c.target_x, c.target_y, c.target_z}),
                       "3:10,30,20");
             EXPECT_EQ(keys(c2.position_key_count, {c2.position_frame, c2.position_x}), "2:2 3:3");
             EXPECT_EQ(position(s.meshes[0]) + rotation(s.meshes[0]), "");
         }},
    };
    // Refused: lengths below the header, a header or a container cut by the
    // end of the file, nesting and reading without bound, indices and counts
    // beyond their arrays, mesh data without a mesh, second lists, short keys.
    const Bytes box = tri("Box");
    const Bytes three = verts({0, 0, 0, 1, 0, 0, 2, 0, 0});
    Bytes deep, gadgets;
    for (int i = 0; i < max_chunk_depth; ++i) deep = chunk(0x4D4D, {deep});
    for (int g = 0; g < 30; ++g) gadgets = cat({gadgets, header(0x4D4D, 12), header(0x4D4D, uint32_t(12 * (30 - g)))});
    Bytes flags;
    for (int i = 0; i < 20000; ++i) flags = cat({flags, chunk(0x4111, {u16(0xFFFF), u16(0)})});
    for (const Bytes& file : std::vector<Bytes>{
             {0x4D, 0x4D, 0, 0, 0, 0},
             {0x4D, 0x4D, 6, 0, 0},
             scene_3ds({box, header(0x1234, 0), u32(0)}),
             scene_3ds({box, header(0x1234, 5), u32(0)}),
             cat({header(0x4D4D, 0x1000), chunk(0x3D3D, {box})}),
             cat({header(0x4D4D, 0xFFFFFFFF), chunk(0x3D3D, {box})}),
             deep,
             cat({gadgets, chunk(0x1234)}),  // each overrun doubles the walk
             chunk(0x4D4D, {flags, chunk(0x1234, {Bytes(140000, 0)})}),
             scene_3ds({mesh("M", {three, faces({3, 0, 1})})}),
             scene_3ds({mesh("M", {three, faces({0, 3, 1})})}),
             scene_3ds({mesh("M", {three, faces({0, 1, 3})})}),
             scene_3ds({mesh("M", {faces({0, 1, 2}), three})}),
             scene_3ds({mesh("Big", {verts({0, 0, 0, 1, 0, 0, 2, 0, 0, 3, 0, 0})}),
                        mesh("Small", {verts({0, 0, 0}), faces({0, 0, 3})})}),
             scene_3ds(
                 {material("Mat"), mesh("M", {three, faces({0, 1, 2, 0, 1, 2}, {face_material("Mat", {0, 2})})})}),
             scene_3ds({mesh("M", {verts({0, 0, 0, 1, 0, 0}), mappings({0, 0, 0, 0, 0, 0})})}),
             scene_3ds({mesh("M", {three, faces({0, 1, 2}), verts({0, 0, 0})})}),
             scene_3ds({mesh("M", {three, faces({0, 1, 2}), faces({2, 1, 0})})}),
             scene_3ds({box, chunk(0x4000, {str("Cam"), verts({0, 0, 0})})}),
             scene_3ds({material("Mat"), box, camera("Cam"), mesh("B", {verts({0, 0, 0}), faces({0, 0, 1})})}),
             keyframed({box}, {node(0xB002, 1, "Box", 0xFFFF, {track(0xB020, 2, {key(0, {1, 2, 3})})})}),
         }) {
        rows.push_back({"refused file " + std::to_string(rows.size()), file, nullptr});
    }
    const Bytes tail = cat({gadgets, chunk(0x1234)});
    rows.push_back({"two nested overruns", Bytes(tail.end() - 30, tail.end()), [](const Scene&) {}});
    rows.push_back({"nesting within the limit", Bytes(deep.begin() + 6, deep.end()), [](const Scene&) {}});
    rows.push_back(
        {"a face material index inside the mesh",
         scene_3ds({material("Mat"), mesh("M", {three, faces({0, 1, 2, 0, 1, 2}, {face_material("Mat", {0, 1})})})}),
         [](const Scene& s) { EXPECT_EQ(s.meshes[0].faces[1].material, 0); }});
    // Mesh-level chunks need a "Tri-Mesh": refused directly in "Object
    // Mesh" or in a camera's block, read after one.
    for (const Bytes& data : std::vector<Bytes>{chunk(0x4110, {u16(1), f32({0, 0, 0})}), chunk(0x4120, {u16(0)}),
                                                chunk(0x4130, {str("M"), u16(0)}), chunk(0x4140, {u16(0)}),
                                                chunk(0x4150), chunk(0x4160, {Bytes(48, 0)})}) {
        rows.push_back({"mesh data without a mesh", scene_3ds({data}), nullptr});
        rows.push_back({"mesh data in a camera block",
                        scene_3ds({chunk(0x4000, {str("Cam"), chunk(0x4700, {Bytes(32, 0)}), data})}), nullptr});
        rows.push_back({"mesh data in a mesh", scene_3ds({chunk(0x4100, {data})}), [](const Scene&) {}});
    }
    return rows;
}

TEST(LoadScene, CraftedFiles)
{
    scene_reader_state.face_count = 0;  // "Smoothings" reads 4 bytes per face of the latest list
    for (const Row& row : loading_rows()) {
        SCOPED_TRACE(row.what);
        scene_reader_state.track_kind = track_kind_object;
        ScenePtr scene = load_bytes(row.file);
        ASSERT_EQ(scene != nullptr, row.check != nullptr);
        EXPECT_EQ(scene_reader_state.scene, nullptr);
        if (!scene) continue;
        EXPECT_EQ(scene_fault(*scene), "");
        row.check(*scene);
    }
    ScratchDir dir;
    EXPECT_EQ(load_scene(dir.file("absent.3ds").c_str()), nullptr);
    release_scene(nullptr);
}

// Each reader's data is the last chunk of its file, its length covering
// the bytes present: one byte short fails the load, the whole data loads.
TEST(LoadScene, EveryReaderRefusesShortData)
{
    const auto trk = [](size_t body, uint16_t flags) {
        return cat({u16(0x40), u32(0), u32(0), u32(1), u32(7), u16(flags), Bytes(body, 0)});
    };
    const Bytes three = verts({0, 0, 0, 1, 0, 0, 2, 0, 0}), zero2(2, 0), zero4(4, 0), zero12(12, 0);
    const struct {
        uint16_t id;
        int place;  // in Main, an object block, a light, a mesh without vertices, with them, a face list
        Bytes data;
    } cases[] = {
        {0x0002, 0, zero2}, {0x0010, 0, zero12}, {0x0011, 0, Bytes(3, 0)}, {0x0012, 0, Bytes(3, 0)}, {0x0030, 0, zero2},
        {0x0100, 0, zero4}, {0x3D3E, 0, zero2}, {0x4000, 0, str("Box")}, {0x4110, 3, cat({u16(2), Bytes(24, 0)})},
        {0x4111, 0, cat({u16(2), zero4})}, {0x4120, 4, cat({u16(1), u16(0), u16(1), u16(2), u16(0)})},
        {0x4130, 5, cat({str("Mat"), u16(1), u16(0)})}, {0x4140, 4, cat({u16(2), Bytes(16, 0)})}, {0x4150, 5, zero4},
        {0x4160, 4, Bytes(48, 0)}, {0x4600, 1, zero12}, {0x4610, 2, Bytes(20, 0)}, {0x4700, 1, Bytes(32, 0)},
        {0xA000, 0, str("Mat")}, {0xA087, 0, zero4}, {0xA100, 0, zero2}, {0xA252, 0, zero2}, {0xA300, 0, str("a.jpg")},
        {0xA351, 0, zero2}, {0xA353, 0, zero4}, {0xA354, 0, zero4}, {0xA356, 0, zero4}, {0xA358, 0, zero4},
        {0xA35A, 0, zero4}, {0xA35C, 0, zero4}, {0xB008, 0, Bytes(8, 0)}, {0xB010, 0, cat({str("Box"), Bytes(6, 0)})},
        {0xB013, 0, zero12}, {0xB020, 0, trk(20, 5)}, {0xB025, 0, trk(12, 0)}, {0xB021, 0, trk(20, 2)},
        {0xB022, 0, trk(12, 0)}, {0xB030, 0, zero2}, {0xB023, 0, trk(16, 7)}, {0xB024, 0, trk(4, 0)},
    };
    scene_reader_state.track_kind = track_kind_object;
    for (const auto& c : cases) {
        for (size_t n : {c.data.size() - 1, c.data.size()}) {
            const Bytes the = cat({header(c.id, uint32_t(6 + n)), Bytes(c.data.begin(), c.data.begin() + long(n))});
            const Bytes in_faces = chunk(0x4120, {u16(1), u16(0), u16(1), u16(2), u16(0), the});
            const Bytes places[] = {the,
                                    chunk(0x4000, {str("Obj"), the}),
                                    chunk(0x4000, {str("Obj"), chunk(0x4600, {zero12, the})}),
                                    mesh("M", {the}),
                                    mesh("M", {three, the}),
                                    mesh("M", {three, in_faces})};
            ScenePtr scene = load_bytes(chunk(0x4D4D, {places[c.place]}));
            EXPECT_EQ(scene != nullptr, n == c.data.size()) << std::hex << c.id << " with " << n << " bytes";
        }
    }
}

TEST(LoadScene, KeyframerStateCarriesOverBetweenLoads)
{
    // A track before any node container goes where the previous file's last node pointed.
    scene_reader_state.track_kind = track_kind_object;
    ASSERT_NE(load_bytes(keyframed({camera("Camera01")}, {node(0xB003, 4, "Camera01", 0xFFFF, {})})), nullptr);
    ScenePtr second = load_bytes(scene_3ds({camera("Cam")}, {chunk(0xB000, {pos({key(5, {1, 2, 3})})})}));
    ASSERT_NE(second, nullptr);
    ASSERT_EQ(second->cameras[0].position_key_count, 1);
    EXPECT_EQ(second->cameras[0].position_y[0], 3.0f);
    // A node index beyond the next scene's meshes stores nothing.
    ASSERT_NE(load_bytes(keyframed({tri("A"), tri("B"), tri("C"), tri("D")}, {node(0xB002, 1, "D", 0xFFFF, {})})),
              nullptr);
    ScenePtr small =
        load_bytes(scene_3ds({tri("Only")}, {chunk(0xB000, {pos({key(1, {1, 1, 1})}), rot({key(1, {1, 1, 1, 1})})})}));
    ASSERT_NE(small, nullptr);
    EXPECT_EQ(small->meshes[0].position_key_count + small->meshes[0].rotation_key_count, 0);
    // A node header inside "Ambient key" runs with the kind carried over:
    // an object node names a mesh; other kinds look among the cameras, and
    // a matched kind then uses the camera's index as a mesh index.
    const Bytes ambient = scene_3ds(
        {tri("Amb"), tri("M1"), camera("C0"), camera("Amb")},
        {chunk(0xB000,
               {chunk(0xB001, {chunk(0xB030, {u16(6)}), chunk(0xB010, {str("Amb"), u16(0), u16(0), u16(0xFFFF)}),
                               pos({key(1, {1, 1, 1})})})})});
    const struct {
        int32_t kind;
        std::vector<int> keys;  // meshes 0 and 1, cameras 0 and 1
        uint32_t node_id;
    } kinds[] = {{track_kind_matched, {0, 1, 0, 0}, 0},
                 {track_kind_camera, {0, 0, 0, 1}, 0},
                 {track_kind_object, {1, 0, 0, 0}, 6}};
    for (const auto& k : kinds) {
        scene_reader_state.track_kind = k.kind;
        ScenePtr s = load_bytes(ambient);
        ASSERT_NE(s, nullptr);
        EXPECT_EQ((std::vector<int>{s->meshes[0].position_key_count, s->meshes[1].position_key_count,
                                    s->cameras[0].position_key_count, s->cameras[1].position_key_count}),
                  k.keys)
            << k.kind;
        EXPECT_EQ(s->meshes[0].node_id, k.node_id);
    }
}

// A file cannot change between the passes here, so the filling pass runs
// by hand on scenes sized one mesh, camera or material name too small.
TEST(LoadScene, TheFillingPassNeverTakesMoreThanCounted)
{
    const Bytes file = scene_3ds({tri("A"), tri("B"), camera("C1"), camera("C2"), material("M1"), material("M2")});
    for (int short_of = 0; short_of < 3; ++short_of) {
        ScenePtr scene(static_cast<Scene*>(std::calloc(1, sizeof(Scene))));
        scene->mesh_count = short_of == 0 ? 1 : 2;
        scene->camera_count = short_of == 1 ? 1 : 2;
        scene->material_count = short_of == 2 ? 1 : 2;
        scene->meshes = static_cast<Mesh*>(std::calloc(2, sizeof(Mesh)));
        scene->cameras = static_cast<SceneCamera*>(std::calloc(2, sizeof(SceneCamera)));
        scene->material_names = static_cast<char**>(std::calloc(2, sizeof(char*)));
        SceneReaderState& s = scene_reader_state;
        s = SceneReaderState{};
        s.scene = scene.get();
        s.read_budget = 1 << 20;
        FILE* f = fmemopen(const_cast<uint8_t*>(file.data()), file.size(), "rb");
        EXPECT_EQ(walk_chunks(f, int64_t(file.size())), -1) << short_of;
        std::fclose(f);
        s = SceneReaderState{};
    }
}

TEST(ChunkTable, EightyUniqueIdsContainersFlaggedOneOrZero)
{
    std::set<uint32_t> ids;
    for (const ChunkTableRow& row : chunk_table.rows) {
        EXPECT_TRUE(ids.insert(row.id).second) << std::hex << row.id;
        EXPECT_TRUE(row.container == 0 || row.container == 1) << row.name;
    }
    EXPECT_EQ(ids.size(), 80u);
    EXPECT_EQ(find_chunk_row(0x14D4D), find_chunk_row(0x4D4D));  // the low 16 bits are compared
    EXPECT_EQ(find_chunk_row(0xA204), nullptr);
}

}  // namespace
