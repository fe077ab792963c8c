// The .3ds reader's inner parts: the chunk table, the reader state and the
// chunk readers. Only scene_reader.cpp, keyframer.cpp and the tests use it;
// the rest of the game sees load_scene and release_scene (scene.h).
//
// A .3ds file is a tree of chunks, each with a 6-byte header (16-bit id,
// 32-bit length including the header), all numbers little-endian. The file
// is walked twice: the counting pass sizes the scene's arrays, the filling
// pass fills them. Every chunk reader runs in both passes and reads the same
// bytes in both; it stores only in the filling pass.
#pragma once

#include <cstdint>
#include <cstdio>

#include "assets/scene.h"

// A chunk reader takes the chunk's own data, starting right after its
// header; chunk_end is the chunk's end as an absolute file position.
// Returns 1 for success and -1 for failure (short read, bad data).
using ChunkReader = int (*)(FILE* file, int64_t chunk_end);

struct ChunkTableRow {
    uint32_t id;         // 16-bit chunk id; only the low 16 bits are compared
    const char* name;    // for people reading the table; the reader ignores it
    int container;       // 1: sub-chunks follow the reader's data
    ChunkReader reader;  // null: the chunk's data is skipped
};

constexpr int chunk_table_rows = 80;

struct ChunkTable {
    ChunkTableRow rows[chunk_table_rows];
};

extern const ChunkTable chunk_table;

// The row of the id (low 16 bits), searched linearly from the first row;
// null when the chunk is unknown.
const ChunkTableRow* find_chunk_row(uint32_t id);

// Values of SceneReaderState::track_kind: which kind of keyframer node the
// following tracks belong to.
constexpr int32_t track_kind_object = 0;   // object node, name not matched yet
constexpr int32_t track_kind_target = 2;   // camera target node
constexpr int32_t track_kind_camera = 3;   // camera node
constexpr int32_t track_kind_matched = 4;  // object node after its name lookup

constexpr int name_buffer_size = 64;  // names hold at most 63 characters

// Containers nest at most this deep (a real file nests about 6 levels); a
// deeper file is refused, so a malformed file cannot exhaust the stack.
constexpr int max_chunk_depth = 64;

// The reader's working state. One instance (scene_reader_state) exists; one
// load runs at a time.
struct SceneReaderState {
    int counting;  // 1 in the counting pass, 0 in the filling pass
    Scene* scene;  // the scene being built
    char object_name[name_buffer_size];  // latest object or material name
    int32_t next_mesh;  // next free index into meshes, cameras and
    int32_t next_camera;  // material_names (filling pass)
    int32_t next_material;
    Mesh* mesh;            // the latest mesh created (null before the first)
    SceneCamera* camera;   // the latest camera created
    uint16_t face_count;   // count of the latest "Face list"
    // Keyframer fields: they carry over from one load to the next.
    char node_name[name_buffer_size];
    uint16_t node_id;
    int32_t track_kind;
    int32_t node_index;  // mesh or camera the node's tracks go to, -1 none
    int32_t key_index;   // next key slot of the track being stored
    // Nesting depth of walk_chunks calls in progress.
    int depth;
    // Bytes read in this pass and the most a pass may read (see read_pass).
    int64_t bytes_read;
    int64_t read_budget;
};

extern SceneReaderState scene_reader_state;

// Walks the chunks from the current file position up to end (absolute).
// Returns 1 for success, anything else for failure.
int walk_chunks(FILE* file, int64_t end);

// Reads a zero-terminated name into buffer (name_buffer_size characters):
// at most 63 characters are stored. When 63 were stored the next byte is
// consumed and dropped (normally the terminator), so the rest of a longer
// name stays in the stream. Fails (-1) when the file ends before a 0 byte
// and fewer than 63 characters were stored.
int read_name(FILE* file, char* buffer);

// Little-endian reading. read_bytes fails (-1) unless all n bytes arrive;
// it counts the bytes into SceneReaderState::bytes_read.
int read_bytes(FILE* file, void* out, size_t n);
uint16_t get_u16(const unsigned char* p);
uint32_t get_u32(const unsigned char* p);
float get_f32(const unsigned char* p);

// Frees a float array of a track and clears the pointer.
void free_floats(float*& array);
// n zeroed floats; null for n == 0. Sets ok to false when memory runs out.
float* new_floats(int32_t n, bool& ok);

// Keyframer readers (keyframer.cpp), rows of the chunk table.
int read_object_node(FILE* file, int64_t chunk_end);         // "Track info"
int read_camera_node(FILE* file, int64_t chunk_end);         // "Camera track"
int read_camera_target_node(FILE* file, int64_t chunk_end);  // "Camera target track"
int read_node_id(FILE* file, int64_t chunk_end);             // "Object number"
int read_node_header(FILE* file, int64_t chunk_end);         // "Track obj. name"
int read_position_track(FILE* file, int64_t chunk_end);      // "Position keys"
int read_rotation_track(FILE* file, int64_t chunk_end);      // "Rotation keys"
int read_scale_track(FILE* file, int64_t chunk_end);         // "Scale keys", "Color track"
int read_fov_track(FILE* file, int64_t chunk_end);           // "FOV track", "Roll track"
