// What the whole-program tests read back from valkron-sim beside its trace
// (running it is sim_runner.h's part): PNG files and hashes.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim_runner.h"

struct Picture {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint32_t> pixels;  // 0x00RRGGBB
    uint32_t at(int32_t x, int32_t y) const { return pixels.at(static_cast<size_t>(y) * width + x); }
};

// A PNG's pixels as 8-bit channels, row after row: red, green, blue and,
// when asked for, alpha.
struct PngChannels {
    int32_t width = 0;
    int32_t height = 0;
    std::vector<uint8_t> bytes;
};
// Reads a PNG of any kind; false when it cannot.
bool read_png_channels(const std::string& path, bool alpha, PngChannels& out);
bool read_png(const std::string& path, Picture& out);

// 64-bit FNV-1a of the bytes, 16 hex digits; frame_hash is the trace's hash
// of a frame (the pixels as little-endian 32-bit words).
std::string fnv1a(const std::string& bytes);
std::string frame_hash(const std::vector<uint32_t>& pixels);
