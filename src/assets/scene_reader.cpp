// The .3ds scene reader: the chunk table, the chunk walk, the readers of the
// scene's own chunks, load_scene and release_scene. The keyframer readers
// live in keyframer.cpp.
//
// Rules the reader adds for malformed files (a real file never breaks them):
// - A chunk length below 6 (a chunk ending inside its own header) fails the
//   load, like a length of 0. Together with 64-bit positions this makes every
//   walk move forward: a length near 2^32 ends the chunk far beyond the file
//   instead of wrapping back before its start, so an unknown chunk that is
//   too long is skipped by seeking (the walk then ends) and never loops.
// - Containers nest at most max_chunk_depth levels.
// - A pass reads at most 8 times the file's length plus 4 KiB. A real file
//   is read about once per pass; only a malformed one reads more: counts
//   that run far beyond their chunks, or chunks that overrun their parents,
//   whose bytes are then walked again as the parents' siblings (nested
//   overruns can multiply that without bound). Such a file is refused
//   instead of keeping the game busy.
// - The mesh-level chunks ("Vertex list", "Face list", "Face material",
//   "Mappings list", "Smoothings", "Matrix") need a current mesh: one met
//   before the first "Tri-Mesh" of the load fails the load. "Vertex flags"
//   touches no mesh and is read anywhere.
// - A mesh takes one "Vertex list" and one "Face list": the faces point into
//   the vertex array, so a second list of either kind fails the load (a
//   list of 0 entries does not count as a first list).
// - A face's vertex index, a "Face material" face index or a "Mappings list"
//   count beyond its mesh's arrays fails the load.
// - The filling pass never takes more meshes, cameras or material names than
//   the counting pass counted (the file could change between the passes).
// A failed load frees everything built so far and returns null.
//
// Values that no chunk sets: a face that no "Face material" names has
// material -1, a vertex that no "Mappings list" covers has u = v = 0.

#include "assets/scene_reader.h"

#include <cstdlib>
#include <cstring>

#include "assets/files.h"

SceneReaderState scene_reader_state;

namespace {

SceneReaderState& state = scene_reader_state;

// The current mesh for a mesh-level chunk: always true in the counting
// pass, which creates no meshes; in the filling pass there must be one.
bool have_mesh() { return state.counting == 1 || state.mesh != nullptr; }

template <class T>
T* new_records(int32_t n)
{
    return static_cast<T*>(std::calloc(static_cast<size_t>(n), sizeof(T)));
}

char* copy_name(const char* name)
{
    const size_t length = std::strlen(name);
    auto* copy = static_cast<char*>(std::malloc(length + 1));
    if (copy) {
        std::memcpy(copy, name, length + 1);
    }
    return copy;
}

// Reads and discards n bytes in reads of at most 36 bytes.
int drop(FILE* file, size_t n)
{
    unsigned char scratch[36];
    while (n > 0) {
        const size_t step = n < sizeof scratch ? n : sizeof scratch;
        if (read_bytes(file, scratch, step) != 1) {
            return -1;
        }
        n -= step;
    }
    return 1;
}

template <size_t N>
int read_drop(FILE* file, int64_t)
{
    return drop(file, N);
}

// "Object Block": the name of the object whose mesh, light or camera follows.
int read_object_name(FILE* file, int64_t) { return read_name(file, state.object_name); }

// "Tri-Mesh": a new mesh named after the latest object name.
int read_new_mesh(FILE*, int64_t)
{
    Scene* scene = state.scene;
    if (state.counting == 1) {
        ++scene->mesh_count;  // bounded by the pass's read budget
        return 1;
    }
    if (state.next_mesh >= scene->mesh_count) {
        return -1;
    }
    Mesh* mesh = &scene->meshes[state.next_mesh++];
    state.mesh = mesh;
    mesh->name = copy_name(state.object_name);
    return mesh->name ? 1 : -1;
}

// "Vertex list": a 16-bit count, then x, y, z floats per vertex; the file's
// second and third axes are swapped.
int read_vertices(FILE* file, int64_t)
{
    unsigned char b[12];
    if (!have_mesh() || read_bytes(file, b, 2) != 1) {
        return -1;
    }
    const int32_t n = get_u16(b);
    Vertex* vertices = nullptr;
    if (state.counting == 0) {
        Mesh* mesh = state.mesh;
        if (mesh->vertices) {
            return -1;  // faces may already point into the first list
        }
        if (n > 0) {
            vertices = new_records<Vertex>(n);
            if (!vertices) {
                return -1;
            }
        }
        mesh->vertices = vertices;
        mesh->vertex_count = n;
    }
    for (int32_t i = 0; i < n; ++i) {
        if (read_bytes(file, b, 12) != 1) {
            return -1;
        }
        if (vertices) {
            vertices[i].x = get_f32(b);
            vertices[i].y = get_f32(b + 8);
            vertices[i].z = get_f32(b + 4);
        }
    }
    return 1;
}

// "Vertex flags": a 16-bit count and as many 16-bit flags, all dropped.
int read_vertex_flags(FILE* file, int64_t)
{
    unsigned char b[2];
    if (read_bytes(file, b, 2) != 1) {
        return -1;
    }
    for (uint32_t i = get_u16(b); i > 0; --i) {
        if (read_bytes(file, b, 2) != 1) {
            return -1;
        }
    }
    return 1;
}

// "Face list": a 16-bit count, then per face three 16-bit vertex indices
// a, b, c and a flags word. Stored with corners a, c, b. Its sub-chunks
// ("Face material", "Smoothings") follow and are walked by the table.
int read_faces(FILE* file, int64_t)
{
    unsigned char b[8];
    if (!have_mesh() || read_bytes(file, b, 2) != 1) {
        return -1;
    }
    const int32_t n = get_u16(b);
    state.face_count = static_cast<uint16_t>(n);
    Mesh* mesh = state.mesh;
    Face* faces = nullptr;
    if (state.counting == 0) {
        if (mesh->faces) {
            return -1;
        }
        if (n > 0) {
            faces = new_records<Face>(n);
            if (!faces) {
                return -1;
            }
            for (int32_t i = 0; i < n; ++i) {
                faces[i].material = -1;
            }
        }
        mesh->faces = faces;
        mesh->face_count = n;
    }
    for (int32_t i = 0; i < n; ++i) {
        if (read_bytes(file, b, 8) != 1) {
            return -1;
        }
        if (faces) {
            const int32_t a = get_u16(b), bb = get_u16(b + 2), c = get_u16(b + 4);
            if (a >= mesh->vertex_count || bb >= mesh->vertex_count || c >= mesh->vertex_count) {
                return -1;
            }
            faces[i].corner[0] = &mesh->vertices[a];
            faces[i].corner[1] = &mesh->vertices[c];
            faces[i].corner[2] = &mesh->vertices[bb];
        }
    }
    return 1;
}

// "Face material": a material name, a 16-bit count and as many face
// indices. The faces get the index of the first material name read so far
// that equals the name, or -1.
int read_face_material(FILE* file, int64_t)
{
    char name[name_buffer_size];
    unsigned char b[2];
    if (!have_mesh() || read_name(file, name) != 1 || read_bytes(file, b, 2) != 1) {
        return -1;
    }
    const uint32_t n = get_u16(b);
    int32_t material = -1;
    if (state.counting == 0) {
        char** names = state.scene->material_names;
        for (int32_t i = 0; i < state.next_material; ++i) {
            if (std::strcmp(names[i], name) == 0) {
                material = i;
                break;
            }
        }
    }
    for (uint32_t i = 0; i < n; ++i) {
        if (read_bytes(file, b, 2) != 1) {
            return -1;
        }
        if (state.counting == 0) {
            const int32_t face = get_u16(b);
            if (face >= state.mesh->face_count) {
                return -1;
            }
            state.mesh->faces[face].material = material;
        }
    }
    return 1;
}

// "Mappings list": a 16-bit count, then u, v per vertex; v is flipped.
int read_mappings(FILE* file, int64_t)
{
    unsigned char b[8];
    if (!have_mesh() || read_bytes(file, b, 2) != 1) {
        return -1;
    }
    const int32_t n = get_u16(b);
    if (state.counting == 0 && n > state.mesh->vertex_count) {
        return -1;
    }
    for (int32_t i = 0; i < n; ++i) {
        if (read_bytes(file, b, 8) != 1) {
            return -1;
        }
        if (state.counting == 0) {
            state.mesh->vertices[i].u = get_f32(b);
            state.mesh->vertices[i].v = 1.0f - get_f32(b + 4);
        }
    }
    return 1;
}

// "Smoothings": a 32-bit group mask per face of the latest "Face list".
int read_smoothings(FILE* file, int64_t)
{
    if (!have_mesh()) {
        return -1;
    }
    unsigned char b[4];
    for (uint32_t i = state.face_count; i > 0; --i) {
        if (read_bytes(file, b, 4) != 1) {
            return -1;
        }
    }
    return 1;
}

// "Matrix": the object's axes m0..m8 and origin t0..t2, stored with the
// second and third axes swapped, in rows and in columns.
int read_local_matrix(FILE* file, int64_t)
{
    unsigned char b[48];
    if (!have_mesh() || read_bytes(file, b, 36) != 1 || read_bytes(file, b + 36, 12) != 1) {
        return -1;
    }
    if (state.counting == 0) {
        float f[12];
        for (int i = 0; i < 12; ++i) {
            f[i] = get_f32(b + 4 * i);
        }
        const float rows[16] = {f[0], f[2],  f[1], 0.0f, f[6], f[8],  f[7],  0.0f,
                                f[3], f[5],  f[4], 0.0f, f[9], f[11], f[10], 1.0f};
        std::memcpy(state.mesh->local_matrix.m, rows, sizeof rows);
    }
    return 1;
}

// "Camera": position, target, bank and lens (32 bytes, dropped); the camera
// is named after the latest object name.
int read_new_camera(FILE* file, int64_t)
{
    if (drop(file, 32) != 1) {
        return -1;
    }
    Scene* scene = state.scene;
    if (state.counting == 1) {
        ++scene->camera_count;
        return 1;
    }
    if (state.next_camera >= scene->camera_count) {
        return -1;
    }
    SceneCamera* camera = &scene->cameras[state.next_camera++];
    state.camera = camera;
    camera->name = copy_name(state.object_name);
    return camera->name ? 1 : -1;
}

// "Material name": goes to the object name and to the next material name.
int read_material_name(FILE* file, int64_t)
{
    if (read_name(file, state.object_name) != 1) {
        return -1;
    }
    Scene* scene = state.scene;
    if (state.counting == 1) {
        ++scene->material_count;
        return 1;
    }
    if (state.next_material >= scene->material_count) {
        return -1;
    }
    char*& entry = scene->material_names[state.next_material++];
    entry = copy_name(state.object_name);
    return entry ? 1 : -1;
}

// "Map filename": read to keep the file in step, then dropped.
int read_map_file_name(FILE* file, int64_t)
{
    char name[name_buffer_size];
    return read_name(file, name);
}

// "Frames": the keyframer's first and last frame.
int read_frame_range(FILE* file, int64_t)
{
    unsigned char b[8];
    if (read_bytes(file, b, 8) != 1) {
        return -1;
    }
    state.scene->first_frame = get_u32(b);
    state.scene->last_frame = get_u32(b + 4);
    return 1;
}

// One walk level: chunks from the current position up to end.
int walk_level(FILE* file, int64_t end)
{
    int64_t position = ftello(file);
    if (position < 0) {
        return -1;
    }
    while (position < end) {
        if (state.bytes_read > state.read_budget) {
            return -1;
        }
        const int64_t start = position;
        unsigned char header[6];
        if (read_bytes(file, header, 6) != 1) {
            return -1;
        }
        const uint32_t length = get_u32(header + 2);
        if (length < 6) {
            return -1;
        }
        const int64_t chunk_end = start + length;
        if (const ChunkTableRow* row = find_chunk_row(get_u16(header))) {
            if (row->reader) {
                const int result = row->reader(file, chunk_end);
                if (result != 1) {
                    return result;
                }
            }
            if (row->container) {
                const int result = walk_chunks(file, chunk_end);
                if (result != 1) {
                    return result;
                }
            }
        }
        if (fseeko(file, chunk_end, SEEK_SET) != 0 || std::ferror(file)) {
            return -1;
        }
        position = chunk_end;
    }
    return 1;
}

// One pass over the file.
int read_pass(const char* file_name)
{
    FILE* file = open_game_file(file_name, "rb");
    if (!file) {
        return -1;
    }
    int result = -1;
    if (fseeko(file, 0, SEEK_END) == 0) {
        const int64_t length = ftello(file);
        if (length >= 0 && fseeko(file, 0, SEEK_SET) == 0) {
            state.depth = 0;
            state.bytes_read = 0;
            state.read_budget = 8 * length + 4096;
            result = walk_chunks(file, length);
        }
    }
    std::fclose(file);
    return result;
}

void release_mesh(Mesh& mesh)
{
    std::free(mesh.name);
    float** arrays[] = {&mesh.position_frame,  &mesh.position_x,      &mesh.position_y,
                        &mesh.position_z,      &mesh.rotation_frame,  &mesh.rotation_angle,
                        &mesh.rotation_axis_x, &mesh.rotation_axis_y, &mesh.rotation_axis_z};
    for (float** array : arrays) {
        free_floats(*array);
    }
    std::free(mesh.faces);
    std::free(mesh.vertices);
}

void release_camera(SceneCamera& camera)
{
    std::free(camera.name);
    float** arrays[] = {&camera.target_frame,   &camera.target_x,   &camera.target_y,
                        &camera.target_z,       &camera.position_frame, &camera.position_x,
                        &camera.position_y,     &camera.position_z};
    for (float** array : arrays) {
        free_floats(*array);
    }
}

// Ends a load: the state keeps no pointer into the scene.
Scene* finish_load(Scene* scene, bool ok)
{
    state.scene = nullptr;
    state.mesh = nullptr;
    state.camera = nullptr;
    if (!ok) {
        release_scene(scene);
        return nullptr;
    }
    return scene;
}

}  // namespace

// clang-format off
const ChunkTable chunk_table = {{
    {0x0002, "Version",                 0, read_drop<2>},
    {0x0010, "RGB float",               0, read_drop<12>},
    {0x0011, "RGB byte",                0, read_drop<3>},
    {0x0012, "RGB byte 2",              0, read_drop<3>},
    {0x0030, "Amount",                  0, read_drop<2>},
    {0x0100, "Master scale",            0, read_drop<4>},
    {0xC23D, "Project",                 1, nullptr},
    {0x3DAA, "Material Library",        1, nullptr},
    {0x3D3E, "Mesh version",            0, read_drop<2>},
    {0x4D4D, "Main",                    1, nullptr},
    {0x3D3D, "Object Mesh",             1, nullptr},
    {0x1200, "Background color",        1, nullptr},
    {0x2100, "Ambient color",           1, nullptr},
    {0x4000, "Object Block",            1, read_object_name},
    {0x4100, "Tri-Mesh",                1, read_new_mesh},
    {0x4110, "Vertex list",             0, read_vertices},
    {0x4111, "Vertex flags",            0, read_vertex_flags},
    {0x4120, "Face list",               1, read_faces},
    {0x4130, "Face material",           0, read_face_material},
    {0x4140, "Mappings list",           0, read_mappings},
    {0x4150, "Smoothings",              0, read_smoothings},
    {0x4160, "Matrix",                  0, read_local_matrix},
    {0x4165, "Mesh Color",              0, nullptr},
    {0x4170, "TxtInfo",                 0, nullptr},
    {0x4190, "BoxMap",                  0, nullptr},
    {0x4600, "Light",                   1, read_drop<12>},
    {0x4610, "Spotlight",               0, read_drop<20>},
    {0x4700, "Camera",                  0, read_new_camera},
    {0x4F00, "Hierarchy",               1, nullptr},
    {0x7001, "Viewport info",           0, nullptr},
    {0xAFFF, "Material",                1, nullptr},
    {0xA000, "Material name",           0, read_material_name},
    {0xA010, "Ambient color",           1, nullptr},
    {0xA020, "Diffuse color",           1, nullptr},
    {0xA030, "Specular color",          1, nullptr},
    {0xA040, "Shiness",                 1, nullptr},
    {0xA041, "Shiness strength",        1, nullptr},
    {0xA050, "Transparency",            1, nullptr},
    {0xA052, "Falloff",                 1, nullptr},
    {0xA053, "Reflection blur",         1, nullptr},
    {0xA084, "Self illumination",       1, nullptr},
    {0xA081, "Twosided",                0, nullptr},
    {0xA083, "TransAdd",                0, nullptr},
    {0xA085, "Wire On",                 0, nullptr},
    {0xA087, "Wire Size",               0, read_drop<4>},
    {0xA08C, "Soften",                  0, nullptr},
    {0xA100, "Shading",                 0, read_drop<2>},
    {0xA200, "Texture map",             1, nullptr},
    {0xA220, "Reflection map",          1, nullptr},
    {0xA230, "Bump map",                1, nullptr},
    {0xA252, "Bump amount",             0, read_drop<2>},
    {0xA300, "Map filename",            0, read_map_file_name},
    {0xA351, "Map flags",               0, read_drop<2>},
    {0xA353, "Map blurring",            0, read_drop<4>},
    {0xA354, "Map U scale",             0, read_drop<4>},
    {0xA356, "Map V scale",             0, read_drop<4>},
    {0xA358, "Map U offset",            0, read_drop<4>},
    {0xA35A, "Map V offset",            0, read_drop<4>},
    {0xA35C, "Map rot angle",           0, read_drop<4>},
    {0xB000, "Keyframer data",          1, nullptr},
    {0xB001, "Ambient key",             1, nullptr},
    {0xB002, "Track info",              1, read_object_node},
    {0xB008, "Frames",                  0, read_frame_range},
    {0xB010, "Track obj. name",         0, read_node_header},
    {0xB011, "Dummy name",              0, nullptr},
    {0xB013, "Pivot point",             0, read_drop<12>},
    {0xB020, "Position keys",           0, read_position_track},
    {0xB025, "Color track",             0, read_scale_track},
    {0xB021, "Rotation keys",           0, read_rotation_track},
    {0xB022, "Scale keys",              0, read_scale_track},
    {0xB026, "Morph track",             0, nullptr},
    {0xB029, "Hide track",              0, nullptr},
    {0xB030, "Object number",           0, read_node_id},
    {0xB003, "Camera track",            1, read_camera_node},
    {0xB004, "Camera target track",     1, read_camera_target_node},
    {0xB005, "Pointlight track",        1, nullptr},
    {0xB006, "Pointlight target track", 1, nullptr},
    {0xB007, "Spotlight track",         1, nullptr},
    {0xB023, "FOV track",               0, read_fov_track},
    {0xB024, "Roll track",              0, read_fov_track},
}};
// clang-format on

const ChunkTableRow* find_chunk_row(uint32_t id)
{
    for (const ChunkTableRow& row : chunk_table.rows) {
        if ((row.id & 0xFFFFu) == (id & 0xFFFFu)) {
            return &row;
        }
    }
    return nullptr;
}

int read_bytes(FILE* file, void* out, size_t n)
{
    state.bytes_read += static_cast<int64_t>(n);
    return std::fread(out, 1, n, file) == n ? 1 : -1;
}

uint16_t get_u16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

uint32_t get_u32(const unsigned char* p)
{
    return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}

float get_f32(const unsigned char* p)
{
    const uint32_t bits = get_u32(p);
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

void free_floats(float*& array)
{
    std::free(array);
    array = nullptr;
}

float* new_floats(int32_t n, bool& ok)
{
    if (n <= 0) {
        return nullptr;
    }
    auto* array = new_records<float>(n);
    if (!array) {
        ok = false;
    }
    return array;
}

int read_name(FILE* file, char* buffer)
{
    int stored = 0;
    while (stored < name_buffer_size - 1) {
        const int c = std::getc(file);
        ++state.bytes_read;
        if (c == EOF) {
            buffer[stored] = '\0';
            return -1;
        }
        if (c == 0) {
            buffer[stored] = '\0';
            return 1;
        }
        buffer[stored++] = static_cast<char>(c);
    }
    // 63 characters: the next byte, normally the terminator, is dropped.
    std::getc(file);
    ++state.bytes_read;
    buffer[stored] = '\0';
    return 1;
}

int walk_chunks(FILE* file, int64_t end)
{
    if (state.depth >= max_chunk_depth) {
        return -1;
    }
    ++state.depth;
    const int result = walk_level(file, end);
    --state.depth;
    return result;
}

Scene* load_scene(const char* file_name)
{
    auto* scene = static_cast<Scene*>(std::calloc(1, sizeof(Scene)));
    if (!scene) {
        return nullptr;
    }
    // The keyframer fields (node_name, node_id, track_kind, node_index,
    // key_index), object_name and face_count are deliberately not reset:
    // they carry over from the previous load, so a node header or track met
    // before any node container of this file works with the kind and node
    // the previous file left. Only the pointers into a scene start afresh
    // in each pass, so no chunk of this file can reach a mesh or camera of
    // an earlier scene.
    state.scene = scene;
    state.counting = 1;
    state.mesh = nullptr;
    state.camera = nullptr;
    if (read_pass(file_name) != 1) {
        return finish_load(scene, false);
    }

    if (scene->material_count > 0) {
        scene->material_names = new_records<char*>(scene->material_count);
    }
    if (scene->mesh_count > 0) {
        scene->meshes = new_records<Mesh>(scene->mesh_count);
    }
    if (scene->camera_count > 0) {
        scene->cameras = new_records<SceneCamera>(scene->camera_count);
    }
    if ((scene->material_count > 0 && !scene->material_names) ||
        (scene->mesh_count > 0 && !scene->meshes) || (scene->camera_count > 0 && !scene->cameras)) {
        return finish_load(scene, false);
    }

    state.counting = 0;
    state.next_mesh = 0;
    state.next_camera = 0;
    state.next_material = 0;
    state.mesh = nullptr;
    state.camera = nullptr;
    return finish_load(scene, read_pass(file_name) == 1);
}

void release_scene(Scene* scene)
{
    if (!scene) {
        return;
    }
    if (scene->meshes) {
        for (int32_t i = 0; i < scene->mesh_count; ++i) {
            release_mesh(scene->meshes[i]);
        }
    }
    if (scene->cameras) {
        for (int32_t i = 0; i < scene->camera_count; ++i) {
            release_camera(scene->cameras[i]);
        }
    }
    if (scene->material_names) {
        for (int32_t i = 0; i < scene->material_count; ++i) {
            std::free(scene->material_names[i]);
        }
    }
    std::free(scene->meshes);
    std::free(scene->cameras);
    std::free(scene->material_names);
    std::free(scene);
}
