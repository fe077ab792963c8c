// Writes a Model as a 3D Studio file image. The file's axes are the
// scene's with the second and third swapped (file (x, y, z) = scene (x, z,
// y)); a scene face (a, b, c) is written as (a, c, b) and a scene v as
// 1 - v, so that reading the file gives back exactly the scene model.
//
// The file carries what a modeller's export would: version, editor block
// with mesh version, master scale and materials (colours, shininess,
// transparency, texture map with its file name and parameters), object
// blocks with their triangle meshes (vertices, vertex flags, mapping,
// local matrix, faces with material groups and smoothing groups), cameras,
// and keyframer data (frame range, object, camera and target nodes with
// pivot, position, rotation and scale tracks).
#include <array>
#include <cmath>
#include <utility>

#include "../common/chunk_writer.h"
#include "datagen.h"

namespace datagen {

namespace {

void colour_chunk(ChunkWriter& w, uint16_t id, uint32_t c)
{
    w.chunk(id, [&] {
        w.chunk(0x0011, [&] {
            w.u8(uint8_t(c >> 16));
            w.u8(uint8_t(c >> 8));
            w.u8(uint8_t(c));
        });
        w.chunk(0x0012, [&] {  // gamma-corrected copy
            w.u8(uint8_t(c >> 16));
            w.u8(uint8_t(c >> 8));
            w.u8(uint8_t(c));
        });
    });
}

void percent_chunk(ChunkWriter& w, uint16_t id, uint16_t amount)
{
    w.chunk(id, [&] { w.chunk(0x0030, [&] { w.u16(amount); }); });
}

void point(ChunkWriter& w, float x, float y, float z)
{
    // Scene to file axes.
    w.f32(x);
    w.f32(z);
    w.f32(y);
}

void material(ChunkWriter& w, const ModelMaterial& m)
{
    w.chunk(0xAFFF, [&] {
        w.chunk(0xA000, [&] { w.name(m.name); });
        const uint32_t c = m.colour;
        const uint32_t amb = ((c >> 17) & 0x7F) << 16 | ((c >> 9) & 0x7F) << 8 | ((c >> 1) & 0x7F);
        colour_chunk(w, 0xA010, amb);
        colour_chunk(w, 0xA020, c);
        colour_chunk(w, 0xA030, 0xE5E5E5);
        percent_chunk(w, 0xA040, 28);
        percent_chunk(w, 0xA041, 12);
        percent_chunk(w, 0xA050, 0);
        percent_chunk(w, 0xA052, 0);
        percent_chunk(w, 0xA053, 0);
        percent_chunk(w, 0xA084, 0);
        if (m.two_sided) w.chunk(0xA081, [] {});
        w.chunk(0xA087, [&] { w.f32(1.0f); });
        w.chunk(0xA100, [&] { w.u16(3); });  // Phong
        if (!m.map_file.empty()) {
            w.chunk(0xA200, [&] {
                w.chunk(0x0030, [&] { w.u16(100); });
                w.chunk(0xA300, [&] { w.name(m.map_file); });
                w.chunk(0xA351, [&] { w.u16(0); });
                w.chunk(0xA353, [&] { w.f32(0.07f); });
                w.chunk(0xA354, [&] { w.f32(1.0f); });
                w.chunk(0xA356, [&] { w.f32(1.0f); });
                w.chunk(0xA358, [&] { w.f32(0.0f); });
                w.chunk(0xA35A, [&] { w.f32(0.0f); });
                w.chunk(0xA35C, [&] { w.f32(0.0f); });
            });
        }
    });
}

void mesh_object(ChunkWriter& w, const ModelMesh& m)
{
    w.chunk(0x4000, [&] {
        w.name(m.name);
        w.chunk(0x4100, [&] {
            w.chunk(0x4110, [&] {
                w.u16(uint16_t(m.vertices.size()));
                for (const ModelVertex& v : m.vertices) point(w, v.x, v.y, v.z);
            });
            w.chunk(0x4111, [&] {
                w.u16(uint16_t(m.vertices.size()));
                for (size_t i = 0; i < m.vertices.size(); ++i) w.u16(0);
            });
            w.chunk(0x4140, [&] {
                w.u16(uint16_t(m.vertices.size()));
                for (const ModelVertex& v : m.vertices) {
                    w.f32(v.u);
                    w.f32(1.0f - v.v);
                }
            });
            w.chunk(0x4160, [&] {
                // Axes in file order (scene X, scene Z, scene Y), then the
                // origin: an unrotated local frame at the pivot.
                point(w, 1, 0, 0);
                point(w, 0, 0, 1);
                point(w, 0, 1, 0);
                point(w, m.pivot[0], m.pivot[1], m.pivot[2]);
            });
            w.chunk(0x4165, [&] { w.u8(0); });
            const size_t faces = m.faces.size() / 3;
            w.chunk(0x4120, [&] {
                w.u16(uint16_t(faces));
                for (size_t f = 0; f < faces; ++f) {
                    w.u16(uint16_t(m.faces[3 * f]));
                    w.u16(uint16_t(m.faces[3 * f + 2]));
                    w.u16(uint16_t(m.faces[3 * f + 1]));
                    w.u16(0x0007);  // all three edges visible
                }
                w.chunk(0x4130, [&] {
                    w.name(m.material);
                    w.u16(uint16_t(faces));
                    for (size_t f = 0; f < faces; ++f) w.u16(uint16_t(f));
                });
                w.chunk(0x4150, [&] {
                    for (size_t f = 0; f < faces; ++f) w.u32(1);
                });
            });
        });
    });
}

void camera_object(ChunkWriter& w, const ModelCamera& c)
{
    w.chunk(0x4000, [&] {
        w.name(c.name);
        w.chunk(0x4700, [&] {
            point(w, c.position[0], c.position[1], c.position[2]);
            point(w, c.target[0], c.target[1], c.target[2]);
            w.f32(0.0f);    // bank
            w.f32(c.lens);  // lens in millimetres
        });
    });
}

void track_header(ChunkWriter& w, uint32_t keys)
{
    w.u16(0);
    w.u32(0);
    w.u32(0);
    w.u32(keys);
}

void key_header(ChunkWriter& w, uint32_t frame)
{
    w.u32(frame);
    w.u16(0);
}

void position_track(ChunkWriter& w, const std::vector<std::pair<uint32_t, std::array<float, 3>>>& keys)
{
    w.chunk(0xB020, [&] {
        track_header(w, uint32_t(keys.size()));
        for (const auto& k : keys) {
            key_header(w, k.first);
            point(w, k.second[0], k.second[1], k.second[2]);
        }
    });
}

void node_header(ChunkWriter& w, uint16_t id, const std::string& name, uint16_t parent)
{
    w.chunk(0xB030, [&] { w.u16(id); });
    w.chunk(0xB010, [&] {
        w.name(name);
        w.u16(0x4000);
        w.u16(0);
        w.u16(parent);
    });
}

}  // namespace

std::vector<uint8_t> write_3ds(const Model& model)
{
    ChunkWriter w;
    w.chunk(0x4D4D, [&] {
        w.chunk(0x0002, [&] { w.u32(3); });
        w.chunk(0x3D3D, [&] {
            w.chunk(0x3D3E, [&] { w.u32(3); });
            for (const ModelMaterial& m : model.materials) material(w, m);
            w.chunk(0x0100, [&] { w.f32(1.0f); });
            for (const ModelMesh& m : model.meshes) mesh_object(w, m);
            for (const ModelCamera& c : model.cameras) camera_object(w, c);
        });
        w.chunk(0xB000, [&] {
            w.chunk(0xB00A, [&] {  // keyframer header: revision, scene name, length
                w.u16(5);
                w.name("MAXSCENE");
                w.u32(model.last_frame);
            });
            w.chunk(0xB008, [&] {
                w.u32(0);
                w.u32(model.last_frame);
            });
            w.chunk(0xB009, [&] { w.u32(0); });  // current frame
            uint16_t id = 0;
            for (size_t k = 0; k < model.meshes.size(); ++k) {
                const ModelMesh& m = model.meshes[k];
                w.chunk(0xB002, [&] {
                    node_header(w, id, m.name, k == 0 ? 0xFFFF : 0);
                    w.chunk(0xB013, [&] { point(w, 0, 0, 0); });
                    position_track(w, {{0, {m.pivot[0], m.pivot[1], m.pivot[2]}}});
                    // Rotation keys: the first node turns about the scene's
                    // Y axis through the frame range, the others follow it.
                    const float turns = k == 0 ? model.spin_turns : 0.0f;
                    const int steps = turns != 0.0f ? 4 : 1;
                    w.chunk(0xB021, [&] {
                        track_header(w, uint32_t(steps));
                        for (int s = 0; s < steps; ++s) {
                            key_header(w, uint32_t(s) * model.last_frame / uint32_t(std::max(1, steps - 1)));
                            w.f32(s == 0 ? 0.0f : turns * 6.2831853f / float(steps - 1));
                            point(w, 0, 1, 0);
                        }
                    });
                    w.chunk(0xB022, [&] {
                        track_header(w, 1);
                        key_header(w, 0);
                        w.f32(1.0f);
                        w.f32(1.0f);
                        w.f32(1.0f);
                    });
                });
                ++id;
            }
            for (const ModelCamera& c : model.cameras) {
                w.chunk(0xB003, [&] {
                    node_header(w, id++, c.name, 0xFFFF);
                    position_track(w, {{0, {c.position[0], c.position[1], c.position[2]}}});
                    w.chunk(0xB023, [&] {  // field of view
                        track_header(w, 1);
                        key_header(w, 0);
                        w.f32(2400.0f / c.lens);
                    });
                    w.chunk(0xB024, [&] {  // roll
                        track_header(w, 1);
                        key_header(w, 0);
                        w.f32(0.0f);
                    });
                });
                w.chunk(0xB004, [&] {
                    node_header(w, id++, c.name, 0xFFFF);
                    position_track(w, {{0, {c.target[0], c.target[1], c.target[2]}}});
                });
            }
        });
    });
    return w.bytes();
}

}  // namespace datagen
