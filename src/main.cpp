// The game. It reads its data files relative to the working directory.
//
//   valkron [--replay FILE] [--host [PORT] | --join HOST[:PORT]]
//
// Every match it plays is saved as a replay, in replays/ beside the
// settings in a game directory, in $XDG_DATA_HOME/valkron/replays
// (~/.local/share/valkron/replays) when installed. --replay plays one in
// the window, then goes on to the menu; a replay the game refuses is named
// with the reason in one line, and the game ends with exit code 2.
// --host waits for one opponent on UDP port PORT (41016), --join plays
// against the machine that waits (shell/netplay.h); a port that cannot be
// opened or a host that cannot be found is said in one line, exit code 1.
//
// Where it runs:
// - In a game directory (the build's build/game, or any copy of it): the
//   working directory holds the data, and the settings file lies beside it.
// - Installed (P/bin/valkron with its data in P/share/valkron): started
//   from a working directory without the data, the game changes to its
//   data directory, found through its own place. Running from there, it
//   keeps its settings in the user's configuration folder,
//   $XDG_CONFIG_HOME/valkron/settings.ini (~/.config/valkron/settings.ini
//   when XDG_CONFIG_HOME is not set), since the installed data is not the
//   user's to write.
//
// Without a display it says so in one line and ends with exit code 1. The
// window's state (full screen or a window, and the window's size when the
// player resized it) is kept in the settings file after the seven lines as
// "Fullscreen=0|1" and "Window=WIDTHxHEIGHT", written, like the rest, only
// by the menu's ways out.
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "assets/files.h"
#include "platform/sdl/sdl_platform.h"
#include "shell/net_message.h"
#include "shell/net_window.h"
#include "shell/netplay.h"
#include "shell/replay.h"
#include "shell/settings.h"
#include "shell/startup.h"

namespace {

// Whether the folder holds the game's data ("" is the working directory):
// the menu picture and the font, which start-up cannot do without, in any
// letter case.
bool holds_game_data(const std::string& folder)
{
    const std::string prefix = folder.empty() ? "" : folder + "/";
    for (const char* name : {"Data\\Menu.tex", "Fonts.tex"}) {
        struct stat info;
        const std::string path = resolve_game_path((prefix + name).c_str());
        if (stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) {
            return false;
        }
    }
    return true;
}

// P/share/valkron for the program P/bin/valkron; empty when its own place
// cannot be found.
std::string installed_data_folder()
{
    char self[4096];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof self - 1);
    if (length <= 0) {
        return "";
    }
    std::string folder(self, static_cast<size_t>(length));
    const size_t slash = folder.rfind('/');
    if (slash == std::string::npos) {
        return "";
    }
    folder.resize(slash);  // P/bin
    return folder + "/../share/valkron";
}

// $VARIABLE/below, or ~/fallback/below, as the XDG base folders go; empty
// when neither the variable (an absolute path) nor a home folder is known.
std::string xdg_folder(const char* variable, const char* fallback, const char* below)
{
    const char* base = std::getenv(variable);
    if (base && base[0] == '/') {
        return std::string(base) + "/" + below;
    }
    const char* home = std::getenv("HOME");
    if (!home || home[0] != '/') {
        const passwd* user = getpwuid(getuid());
        home = user ? user->pw_dir : nullptr;
    }
    if (!home || home[0] != '/') {
        return "";
    }
    return std::string(home) + "/" + fallback + "/" + below;
}

// $XDG_CONFIG_HOME/valkron, or ~/.config/valkron.
std::string user_settings_folder()
{
    return xdg_folder("XDG_CONFIG_HOME", ".config", "valkron");
}

// $XDG_DATA_HOME/valkron/replays, or ~/.local/share/valkron/replays.
std::string user_replay_folder()
{
    return xdg_folder("XDG_DATA_HOME", ".local/share", "valkron/replays");
}

bool same_folder(const std::string& a, const std::string& b)
{
    struct stat first, second;
    return stat(a.c_str(), &first) == 0 && stat(b.c_str(), &second) == 0 && first.st_dev == second.st_dev &&
           first.st_ino == second.st_ino;
}

// The window's state as the settings file keeps it.
SdlWindowState saved_window_state()
{
    SdlWindowState state = {1, 0, 0};
    if (const char* fullscreen = settings_option("Fullscreen")) {
        state.fullscreen = std::atoi(fullscreen) != 0;
    }
    if (const char* window = settings_option("Window")) {
        if (std::sscanf(window, "%dx%d", &state.width, &state.height) != 2) {
            state.width = state.height = 0;
        }
    }
    return state;
}

void keep_window_state(const SdlWindowState& state)
{
    set_settings_option("Fullscreen", state.fullscreen ? "1" : "0");
    if (state.width > 0) {
        set_settings_option("Window", std::to_string(state.width) + "x" + std::to_string(state.height));
    }
}

}  // namespace

int main(int argc, char** argv)
{
    // The replay is read where it was named, before the game may change
    // to its data folder. A desktop's "--replay %f" without a file plays
    // none.
    static Replay replay;
    const char* replay_path = nullptr;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const int32_t network = netplay_argument(argc, argv, i);
        if (network < 0) {
            return 2;
        }
        if (network > 0) {
            i += network - 1;
        } else if (arg == "--replay" && i + 1 < argc) {
            replay_path = argv[++i];
        } else if (arg != "--replay") {
            std::fprintf(stderr,
                         "valkron: %s: unknown argument (usage: valkron [--replay FILE] [--host [PORT] | "
                         "--join HOST[:PORT]])\n",
                         argv[i]);
            return 2;
        }
    }
    if (replay_path) {
        std::string why;
        if (!read_replay(replay_path, replay, why)) {
            std::fprintf(stderr, "valkron: %s: %s\n", replay_path, why.c_str());
            return 2;
        }
        replay_playing = &replay;
    }
    if (const char* no_display = sdl_video_open()) {
        std::fprintf(stderr, "valkron: %s\n", no_display);
        return 1;
    }
    const std::string installed = installed_data_folder();
    bool from_installation = !installed.empty() && same_folder(".", installed);
    if (!from_installation && !holds_game_data("") && !installed.empty() && holds_game_data(installed)) {
        from_installation = chdir(installed.c_str()) == 0;
    }
    if (from_installation) {
        settings_folder = user_settings_folder();
        replay_folder = user_replay_folder();
    }
    replay_recording = !replay_folder.empty();
    read_settings();
    if (netplay_requested()) {
        if (replay_playing || !netplay_open_requested()) {
            if (replay_playing) {
                std::fprintf(stderr, "valkron: a replay and a network match do not go together\n");
            }
            return 1;
        }
        game_window_proc = netplay_window_proc;
    }
    sdl_display_set_window_state(saved_window_state());
    sdl_display_on_window_state(keep_window_state);
    const int32_t code = WinMain(nullptr, nullptr, "", 1);
    netplay_close(net_bye_left);
    return code;
}
