// libFuzzer target: read_replay on arbitrary bytes as a replay file.
// Whatever the file holds, it is refused with a reason of one line, or
// read into settings the game can start a match with, keys in tick order
// up to the end; a replay read is written back as the same replay.
#include <cstdlib>
#include <string>

#include "fuzz_input.h"
#include "game/pilot.h"
#include "shell/replay.h"
#include "shell/settings.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string path = fuzz_file("game.keys", data, size);
    Replay replay;
    std::string why;
    if (!read_replay(path.c_str(), replay, why)) {
        if (why.empty() || why.find('\n') != std::string::npos) std::abort();
        return 0;
    }
    bool bad = replay.version != replay_version || replay.res_x < 16 || replay.res_y < 16 ||
               replay.res_x > 4096 || replay.res_y > 4096;
    for (int player = 0; player < 2; ++player) {
        bad = bad || replay.planes[player] < 0 || replay.planes[player] >= plane_count ||
              replay.pilots[player] < 0 || replay.pilots[player] >= pilot_kind_count ||
              replay.names[player].size() > 31;
    }
    for (size_t i = 0; i < replay.events.size(); ++i) {
        bad = bad || replay.events[i].tick > replay.end || (i > 0 && replay.events[i].tick < replay.events[i - 1].tick);
    }
    // Written and read again: the same replay.
    Replay again;
    bad = bad || !parse_replay(replay_text(replay), again, why) || replay_text(again) != replay_text(replay);
    if (bad) std::abort();
    return 0;
}
