// The messages two machines exchange in a network match, and their bytes.
//
// Every message starts with the byte 'V' and its kind:
//   hello  version, name, plane, pilot, seed, frag limit, screen size
//          (each side sends one; the joiner's seed, limit and screen are
//          not used)
//   ticks  what the sender acknowledges of the other's inputs, a run of
//          its own held-key flags from a first tick on (resent until
//          acknowledged, so a lost packet costs nothing), and a run of its
//          state hashes from a first tick on
//   bye    why the sender ends the match
// Numbers are little-endian; texts a length byte and that many printable
// characters. The decoder checks every length, count and index and refuses
// a message with bytes left over.
#pragma once

#include <cstddef>
#include <cstdint>

enum : int32_t {
    net_hello = 1,
    net_ticks = 2,
    net_bye = 3,
};

// Why a match ends, as a bye says it.
enum : int32_t {
    net_bye_left,       // the player left (Escape, window closed)
    net_bye_mismatch,   // the state hashes differ
    net_bye_version,    // the other runs another version
    net_bye_over,       // the match is over
    net_bye_reason_count,
};

constexpr int32_t net_text_max = 31;     // characters of a version or a name
constexpr int32_t net_inputs_max = 64;   // flags in one ticks message
constexpr int32_t net_hashes_max = 16;   // hashes in one ticks message
constexpr int32_t net_screen_max = 8192;
constexpr size_t net_message_max = 256;  // bytes of the longest message

struct NetMessage {
    int32_t kind;
    // hello
    char version[net_text_max + 1];
    char name[net_text_max + 1];
    int32_t plane;  // 0 .. plane_count - 1
    int32_t pilot;  // 0 .. pilot_kind_count - 1
    uint32_t seed;
    int32_t frag_limit;  // at least 1
    int32_t screen_width;   // 1 .. net_screen_max
    int32_t screen_height;  // 1 .. net_screen_max
    // ticks
    uint32_t ack;         // every input up to this tick has arrived
    uint32_t input_first; // the tick of inputs[0]
    int32_t input_count;
    uint8_t inputs[net_inputs_max];  // seven flags each, bit n = control n
    uint32_t hash_first;
    int32_t hash_count;
    uint32_t hashes[net_hashes_max];
    // bye
    int32_t reason;
};

// The bytes of the message in out (at least net_message_max); their count,
// 0 for a message that breaks the rules above.
size_t encode_net_message(const NetMessage& message, uint8_t* out);
// The message the bytes hold; false for anything else.
bool decode_net_message(const uint8_t* data, size_t size, NetMessage& out);
