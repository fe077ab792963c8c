// Builds .3ds chunk trees in memory: the game data generator writes its
// models with it and the tests build their malformed and edge-case files.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

class ChunkWriter {
public:
    // Opens a chunk; its length is filled in by the matching end().
    void begin(uint16_t id)
    {
        u16(id);
        open_.push_back(bytes_.size());
        u32(0);
    }
    void end()
    {
        const size_t at = open_.back();
        open_.pop_back();
        const uint32_t length = static_cast<uint32_t>(bytes_.size() - (at - 2));
        std::memcpy(&bytes_[at], &length, 4);
    }
    // A chunk with no data of its own beyond what the callback writes.
    template <class F>
    void chunk(uint16_t id, F&& body)
    {
        begin(id);
        body();
        end();
    }

    void u8(uint8_t v) { bytes_.push_back(v); }
    void u16(uint16_t v) { raw(&v, 2); }
    void u32(uint32_t v) { raw(&v, 4); }
    void f32(float v) { raw(&v, 4); }
    void name(const std::string& s) { raw(s.c_str(), s.size() + 1); }
    void raw(const void* p, size_t n)
    {
        const auto* b = static_cast<const uint8_t*>(p);
        bytes_.insert(bytes_.end(), b, b + n);
    }

    const std::vector<uint8_t>& bytes() const { return bytes_; }
    std::vector<uint8_t>& bytes() { return bytes_; }

private:
    std::vector<uint8_t> bytes_;
    std::vector<size_t> open_;
};
