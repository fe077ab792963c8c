// Helpers of the engine tests: font files, the engine for a scope, faces
// built from plain corner values.
#pragma once

#include <cstdint>
#include <vector>

#include "assets/scene.h"
#include "engine/engine.h"
#include "scratch_dir.h"

// A 256 x 256 .tex file (records red, green, blue, unused) of 0x00RRGGBB pixels.
inline bool write_tex_file(const char* name, const std::vector<uint32_t>& pixels)
{
    std::vector<uint8_t> bytes;
    for (uint32_t p : pixels) {
        bytes.insert(bytes.end(), {uint8_t(p >> 16), uint8_t(p >> 8), uint8_t(p), 0xEE});
    }
    return write_file(name, bytes);
}

// engine_init for the object's lifetime.
struct EngineScope {
    int32_t result;
    EngineScope(int32_t width, int32_t height) : result(engine_init(width, height)) {}
    ~EngineScope() { engine_release(); }
};

// Three corner records and a face pointing at them.
struct TestFace {
    Vertex v[3];
    Face face{-1, {&v[0], &v[1], &v[2]}};
    TestFace(const Vertex& a, const Vertex& b, const Vertex& c) : v{a, b, c} {}
    TestFace(const TestFace&) = delete;
};
