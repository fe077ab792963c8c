// Writes pictures of the game's pixel format to PNG files for the tools
// (model viewer, headless runner, contact sheets). Needs libpng: a tool that
// compiles png_writer.cpp links PNG::PNG.
#pragma once

#include <cstdint>

// Writes width x height pixels 0x00RRGGBB (rows top first, stride width) as
// an 8-bit RGB PNG. false when the file cannot be written or the size is
// not positive.
bool write_png(const char* path, const uint32_t* pixels, int32_t width, int32_t height);
