// libFuzzer target: decode_net_message on arbitrary bytes, as a peer could
// send them. A message it takes has every count and index in range and
// encodes back to the very same bytes.
#include <cstdlib>
#include <cstring>

#include "game/pilot.h"
#include "shell/net_message.h"
#include "shell/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    NetMessage message;
    if (!decode_net_message(data, size, message)) {
        return 0;
    }
    bool bad = message.input_count < 0 || message.input_count > net_inputs_max || message.hash_count < 0 ||
               message.hash_count > net_hashes_max;
    if (message.kind == net_hello) {
        bad = bad || message.plane < 0 || message.plane >= plane_count || message.pilot < 0 ||
              message.pilot >= pilot_kind_count || message.frag_limit < 1;
    }
    uint8_t again[net_message_max];
    const size_t length = encode_net_message(message, again);
    bad = bad || length != size || std::memcmp(again, data, size) != 0;
    if (bad) std::abort();
    return 0;
}
