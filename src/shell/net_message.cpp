#include "shell/net_message.h"

#include <cstring>

#include "game/pilot.h"
#include "shell/settings.h"

namespace {

struct Writer {
    uint8_t* out;
    size_t size;
    void byte(uint32_t value) { out[size++] = static_cast<uint8_t>(value); }
    void word(uint32_t value)
    {
        for (int32_t b = 0; b < 4; ++b) {
            byte(value >> (8 * b));
        }
    }
};

struct Reader {
    const uint8_t* data;
    size_t size;
    size_t at = 0;
    bool good = true;
    uint32_t byte()
    {
        if (at >= size) {
            good = false;
            return 0;
        }
        return data[at++];
    }
    uint32_t word()
    {
        uint32_t value = 0;
        for (int32_t b = 0; b < 4; ++b) {
            value |= byte() << (8 * b);
        }
        return value;
    }
};

bool printable_text(const char* text)
{
    const size_t length = strnlen(text, net_text_max + 1);
    if (length > static_cast<size_t>(net_text_max)) {
        return false;
    }
    for (size_t i = 0; i < length; ++i) {
        if (text[i] < 0x20 || text[i] > 0x7E) {
            return false;
        }
    }
    return true;
}

void write_text(Writer& w, const char* text)
{
    const size_t length = std::strlen(text);
    w.byte(static_cast<uint32_t>(length));
    for (size_t i = 0; i < length; ++i) {
        w.byte(static_cast<uint8_t>(text[i]));
    }
}

bool read_text(Reader& r, char (&out)[net_text_max + 1])
{
    const uint32_t length = r.byte();
    if (length > static_cast<uint32_t>(net_text_max)) {
        return false;
    }
    for (uint32_t i = 0; i < length; ++i) {
        out[i] = static_cast<char>(r.byte());
    }
    out[length] = '\0';
    return r.good && printable_text(out) && std::strlen(out) == length;
}

bool valid(const NetMessage& m)
{
    switch (m.kind) {
    case net_hello:
        return printable_text(m.version) && printable_text(m.name) && m.plane >= 0 && m.plane < plane_count &&
               m.pilot >= 0 && m.pilot < pilot_kind_count && m.frag_limit >= 1 && m.screen_width >= 1 &&
               m.screen_width <= net_screen_max && m.screen_height >= 1 && m.screen_height <= net_screen_max;
    case net_ticks:
        for (int32_t i = 0; i < m.input_count && i < net_inputs_max; ++i) {
            if (m.inputs[i] >= 0x80) {
                return false;
            }
        }
        return m.input_count >= 0 && m.input_count <= net_inputs_max && m.hash_count >= 0 &&
               m.hash_count <= net_hashes_max;
    case net_bye:
        return m.reason >= 0 && m.reason < net_bye_reason_count;
    default:
        return false;
    }
}

}  // namespace

size_t encode_net_message(const NetMessage& m, uint8_t* out)
{
    if (!valid(m)) {
        return 0;
    }
    Writer w{out, 0};
    w.byte('V');
    w.byte(static_cast<uint32_t>(m.kind));
    switch (m.kind) {
    case net_hello:
        write_text(w, m.version);
        write_text(w, m.name);
        w.byte(static_cast<uint32_t>(m.plane));
        w.byte(static_cast<uint32_t>(m.pilot));
        w.word(m.seed);
        w.word(static_cast<uint32_t>(m.frag_limit));
        w.byte(static_cast<uint32_t>(m.screen_width));
        w.byte(static_cast<uint32_t>(m.screen_width) >> 8);
        w.byte(static_cast<uint32_t>(m.screen_height));
        w.byte(static_cast<uint32_t>(m.screen_height) >> 8);
        break;
    case net_ticks:
        w.word(m.ack);
        w.word(m.input_first);
        w.byte(static_cast<uint32_t>(m.input_count));
        for (int32_t i = 0; i < m.input_count; ++i) {
            w.byte(m.inputs[i]);
        }
        w.word(m.hash_first);
        w.byte(static_cast<uint32_t>(m.hash_count));
        for (int32_t i = 0; i < m.hash_count; ++i) {
            w.word(m.hashes[i]);
        }
        break;
    default:
        w.byte(static_cast<uint32_t>(m.reason));
        break;
    }
    return w.size;
}

bool decode_net_message(const uint8_t* data, size_t size, NetMessage& out)
{
    out = NetMessage{};
    Reader r{data, size};
    if (r.byte() != 'V') {
        return false;
    }
    out.kind = static_cast<int32_t>(r.byte());
    switch (out.kind) {
    case net_hello:
        if (!read_text(r, out.version) || !read_text(r, out.name)) {
            return false;
        }
        out.plane = static_cast<int32_t>(r.byte());
        out.pilot = static_cast<int32_t>(r.byte());
        out.seed = r.word();
        out.frag_limit = static_cast<int32_t>(r.word());
        out.screen_width = static_cast<int32_t>(r.byte() | r.byte() << 8);
        out.screen_height = static_cast<int32_t>(r.byte() | r.byte() << 8);
        break;
    case net_ticks:
        out.ack = r.word();
        out.input_first = r.word();
        out.input_count = static_cast<int32_t>(r.byte());
        if (out.input_count > net_inputs_max) {
            return false;
        }
        for (int32_t i = 0; i < out.input_count; ++i) {
            out.inputs[i] = static_cast<uint8_t>(r.byte());
        }
        out.hash_first = r.word();
        out.hash_count = static_cast<int32_t>(r.byte());
        if (out.hash_count > net_hashes_max) {
            return false;
        }
        for (int32_t i = 0; i < out.hash_count; ++i) {
            out.hashes[i] = r.word();
        }
        break;
    case net_bye:
        out.reason = static_cast<int32_t>(r.byte());
        break;
    default:
        return false;
    }
    return r.good && r.at == size && valid(out);
}
