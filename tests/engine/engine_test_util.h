// Helpers shared by the engine tests: font files, faces built from plain
// corner values.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "assets/scene.h"
#include "engine/engine.h"
#include "scratch_dir.h"

// Writes a 256 x 256 .tex file (records red, green, blue, unused) whose
// pixels are 0x00RRGGBB values.
inline bool write_tex_file(const char* name, const std::vector<uint32_t>& pixels)
{
    FILE* f = std::fopen(name, "wb");
    if (!f) {
        return false;
    }
    for (uint32_t p : pixels) {
        const unsigned char record[4] = {static_cast<unsigned char>(p >> 16),
                                         static_cast<unsigned char>(p >> 8),
                                         static_cast<unsigned char>(p), 0xEE};
        std::fwrite(record, 1, 4, f);
    }
    return std::fclose(f) == 0;
}

// engine_init for the lifetime of the object.
struct EngineScope {
    EngineScope(int32_t width, int32_t height) { result = engine_init(width, height); }
    ~EngineScope() { engine_release(); }
    EngineScope(const EngineScope&) = delete;
    EngineScope& operator=(const EngineScope&) = delete;
    int32_t result;
};

// Three corner records and a face pointing at them.
struct TestFace {
    Vertex v[3];
    Face face;

    TestFace() : v{}, face{} { link(); }
    TestFace(const Vertex& a, const Vertex& b, const Vertex& c) : v{a, b, c}, face{} { link(); }
    TestFace(const TestFace& other) : v{other.v[0], other.v[1], other.v[2]}, face{} { link(); }
    TestFace& operator=(const TestFace& other)
    {
        for (int k = 0; k < 3; ++k) {
            v[k] = other.v[k];
        }
        link();
        return *this;
    }
    void link()
    {
        face.material = -1;
        for (int k = 0; k < 3; ++k) {
            face.corner[k] = &v[k];
        }
    }
};

inline Vertex vtx(float x, float y, float z, float u = 0, float v = 0) { return Vertex{x, y, z, u, v}; }
