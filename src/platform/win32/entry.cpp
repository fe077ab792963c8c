// The program's entry on Windows. mingw-w64 gives any function named
// WinMain C linkage, so the game's own WinMain is the system's entry name
// already; the C runtime starts at main, which hands over to it. The window
// takes the show command the program was started with (SW_SHOWDEFAULT).
// As on Linux, "valkron --replay FILE" plays a replay, and every match is
// saved as one in replays\ beside the settings. This build has no network:
// --host and --join are refused in one line.
#include <cstdio>
#include <string>

#include "shell/netplay.h"
#include "shell/replay.h"
#include "shell/startup.h"

int main(int argc, char** argv)
{
    static Replay replay;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (const int32_t network = netplay_argument(argc, argv, i)) {
            if (network > 0) {
                netplay_open_requested();  // says why not
            }
            return 1;
        }
        if (arg == "--replay" && i + 1 < argc) {
            std::string why;
            if (!read_replay(argv[++i], replay, why)) {
                std::fprintf(stderr, "valkron: %s: %s\n", argv[i], why.c_str());
                return 2;
            }
            replay_playing = &replay;
        } else if (arg != "--replay") {
            std::fprintf(stderr, "valkron: %s: unknown argument (usage: valkron [--replay FILE])\n", argv[i]);
            return 2;
        }
    }
    replay_recording = true;
    return WinMain(nullptr, nullptr, "", 10 /* SW_SHOWDEFAULT */);
}
