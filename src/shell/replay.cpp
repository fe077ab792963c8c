#include "shell/replay.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "assets/files.h"
#include "engine/engine.h"
#include "game/match.h"
#include "game/pilot.h"
#include "game/random.h"
#include "game/world.h"
#include "platform/keys.h"
#include "platform/pads.h"
#include "platform/window.h"
#include "shell/key_names.h"
#include "shell/menu.h"
#include "shell/settings.h"
#include "shell/window_proc.h"

std::string replay_folder = "replays";
bool replay_recording = false;
const Replay* replay_playing = nullptr;
uint64_t match_tick = 0;

namespace {

// The match being recorded.
bool recording = false;
Replay recorded;

// The longest replay file read, and the longest line.
constexpr size_t replay_file_limit = 64u << 20;
constexpr size_t replay_line_limit = 511;

// "PadN" (N from 1 to pad_max), or "PadN.INPUT" with the input's text
// after the point; the pad's number, 0 when the word is no such thing.
uintptr_t parse_pad(const std::string& word, std::string* input)
{
    if (word.size() < 4 || (word[0] != 'P' && word[0] != 'p') || word.compare(1, 2, "ad") != 0 ||
        word[3] < '1' || word[3] >= '1' + pad_max) {
        return 0;
    }
    if (input ? word.size() < 6 || word[4] != '.' : word.size() != 4) {
        return 0;
    }
    if (input) {
        *input = word.substr(5);
    }
    return static_cast<uintptr_t>(word[3] - '0');
}

bool parse_event(const std::vector<std::string>& words, ReplayEvent& event)
{
    const std::string& verb = words[1];
    std::string input;
    if (words.size() == 3 && (verb == "down" || verb == "up")) {
        const bool down = verb == "down";
        if (const uintptr_t pad = parse_pad(words[2], &input)) {
            const int32_t button = pad_button_by_name(input.c_str());
            event = {event.tick, down ? WM_PADDOWN : WM_PADUP, pad, button};
            return button >= 0;
        }
        uint32_t key = 0;
        event = {event.tick, down ? WM_KEYDOWN : WM_KEYUP, 0, 0};
        if (!parse_key_name(words[2].c_str(), key)) {
            return false;
        }
        event.wparam = key;
        return true;
    }
    if (words.size() == 3 && (verb == "plug" || verb == "unplug")) {
        event = {event.tick, verb == "plug" ? WM_PADPLUG : WM_PADUNPLUG, parse_pad(words[2], nullptr), 0};
        return event.wparam != 0;
    }
    if (words.size() == 4 && verb == "axis") {
        const uintptr_t pad = parse_pad(words[2], &input);
        const int32_t axis = pad_axis_by_name(input.c_str());
        const char* value = words[3].c_str();
        const bool negative = value[0] == '-';
        uint64_t magnitude = 0;
        if (pad == 0 || axis < 0 || !parse_unsigned(value + (negative ? 1 : 0), negative ? 32768 : 32767, magnitude)) {
            return false;
        }
        const int32_t number = negative ? -static_cast<int32_t>(magnitude) : static_cast<int32_t>(magnitude);
        event = {event.tick, WM_PADAXIS, pad, pad_axis_lparam(axis, number)};
        return true;
    }
    return false;
}

std::vector<std::string> split_words(const char* text)
{
    std::vector<std::string> words;
    std::string word;
    for (const char* p = text;; ++p) {
        if (*p == '\0' || std::isspace(static_cast<unsigned char>(*p))) {
            if (!word.empty()) {
                words.push_back(word);
                word.clear();
            }
            if (*p == '\0') {
                break;
            }
        } else {
            word += *p;
        }
    }
    return words;
}

int32_t plane_by_name(const std::string& name)
{
    for (int32_t i = 0; i < plane_count; ++i) {
        if (name == plane_names[i]) {
            return i;
        }
    }
    return -1;
}

// A name for a file name: letters, digits, "-" and "_", at most 24.
std::string file_name_part(const std::string& name)
{
    std::string part;
    for (const char c : name) {
        if (part.size() == 24) {
            break;
        }
        const bool plain = std::isalnum(static_cast<unsigned char>(c)) || c == '-' || c == '_';
        part += plain ? c : '_';
    }
    return part.empty() ? "player" : part;
}

// One "#@ key value" header line into the replay; false for a malformed
// one.
bool header_line(const std::string& key, const std::string& value, Replay& out)
{
    const std::vector<std::string> words = split_words(value.c_str());
    uint64_t number = 0;
    const int32_t player = !key.empty() && (key.back() == '1' || key.back() == '2') ? key.back() - '1' : -1;
    const std::string field = player >= 0 ? key.substr(0, key.size() - 1) : key;
    if (field == "seed" || field == "random") {
        if (words.size() != 1 || !parse_unsigned(words[0].c_str(), UINT32_MAX, number)) {
            return false;
        }
        (field == "seed" ? out.seed : out.random) = static_cast<uint32_t>(number);
        return true;
    }
    if (field == "screen") {
        int w = 0, h = 0;
        char tail = 0;
        if (std::sscanf(value.c_str(), "%5dx%5d%c", &w, &h, &tail) != 2 || w < 16 || h < 16 || w > 4096 ||
            h > 4096) {
            return false;
        }
        out.res_x = w;
        out.res_y = h;
        return true;
    }
    if (field == "frag_limit") {
        if (words.size() != 1 || !parse_unsigned(words[0].c_str(), INT32_MAX, number)) {
            return false;
        }
        out.frag_limit = static_cast<int32_t>(number);
        return true;
    }
    if (player < 0) {
        return false;
    }
    if (field == "plane") {
        out.planes[player] = plane_by_name(value);
        return out.planes[player] >= 0;
    }
    if (field == "name") {
        if (value.size() > 31 || value.find('\r') != std::string::npos) {
            return false;
        }
        out.names[player] = value;
        return true;
    }
    if (field == "pilot") {
        out.pilots[player] = words.size() == 1 ? pilot_from_name(words[0].c_str()) : -1;
        return out.pilots[player] >= 0;
    }
    if (field == "keys") {
        if (words.size() != control_count) {
            return false;
        }
        for (int32_t c = 0; c < control_count; ++c) {
            if (!parse_key_name(words[c].c_str(), out.keys[player][c])) {
                return false;
            }
        }
        return true;
    }
    return false;
}

}  // namespace

bool parse_unsigned(const char* text, uint64_t max, uint64_t& out)
{
    if (!std::isdigit(static_cast<unsigned char>(text[0]))) {
        return false;
    }
    errno = 0;
    char* end = nullptr;
    const unsigned long long value = std::strtoull(text, &end, 10);
    if (errno != 0 || *end != '\0' || value > max) {
        return false;
    }
    out = value;
    return true;
}

ScriptLine parse_script_line(const char* text, ReplayEvent& event, uint64_t& go_tick)
{
    const std::vector<std::string> words = split_words(text);
    if (words.empty() || words[0][0] == '#') {
        return ScriptLine::empty;
    }
    uint64_t tick = 0;
    if (!parse_unsigned(words[0].c_str(), UINT64_MAX, tick) || tick == 0) {
        return ScriptLine::bad;
    }
    if (words.size() == 2 && words[1] == "go") {
        go_tick = tick;
        return ScriptLine::go;
    }
    event.tick = tick;
    return words.size() >= 3 && parse_event(words, event) ? ScriptLine::key : ScriptLine::bad;
}

// Recording.

void replay_begin(uint32_t seed)
{
    recording = true;
    recorded = Replay{};
    recorded.version = replay_version;
    recorded.seed = seed;
    recorded.random = crt_rand_state();
    recorded.res_x = res_x;
    recorded.res_y = res_y;
    recorded.frag_limit = frag_limit;
    for (int32_t p = 0; p < 2; ++p) {
        recorded.planes[p] = std::max(0, plane_by_name(plane_name[p]));
        recorded.names[p] = player_name[p];
        recorded.pilots[p] = pilot_kind[p];
        recorded.keys[p] = key_layout[p];
    }
}

void replay_key(uint64_t tick, uint32_t message, uint32_t virtual_key)
{
    if (!recording || (message != WM_KEYDOWN && message != WM_KEYUP) || virtual_key > 0xFF || tick == 0) {
        return;
    }
    recorded.events.push_back({tick, message, virtual_key, 0});
    recorded.end = std::max(recorded.end, tick);
}

void replay_mark_end(uint64_t tick, bool winner)
{
    recorded.end = std::max(recorded.end, tick);
    recorded.winner = winner;
}

bool replay_recorded() { return recording; }

void replay_end()
{
    recording = false;
    recorded = Replay{};
}

std::string replay_text(const Replay& replay)
{
    char line[400];
    std::string text;
    std::snprintf(line, sizeof line,
                  "#!valkron-replay %d\n"
                  "# A Valkron Engine match: valkron --replay FILE shows it, valkron-sim --replay FILE runs it.\n"
                  "#@ seed %" PRIu32 "\n#@ random %" PRIu32 "\n#@ screen %dx%d\n#@ frag_limit %d\n",
                  replay.version, replay.seed, replay.random, replay.res_x, replay.res_y, replay.frag_limit);
    text += line;
    for (int32_t p = 0; p < 2; ++p) {
        const int32_t plane = replay.planes[p] >= 0 && replay.planes[p] < plane_count ? replay.planes[p] : 0;
        const int32_t pilot = replay.pilots[p] >= 0 && replay.pilots[p] < pilot_kind_count ? replay.pilots[p] : 0;
        text += "#@ plane" + std::to_string(p + 1) + " " + plane_names[plane] + "\n";
        text += "#@ name" + std::to_string(p + 1) + " " + replay.names[p] + "\n";
        text += "#@ pilot" + std::to_string(p + 1) + " " + pilot_names[pilot] + "\n";
        text += "#@ keys" + std::to_string(p + 1);
        for (const uint32_t key : replay.keys[p]) {
            text += " " + key_name(key);
        }
        text += "\n";
    }
    for (const ReplayEvent& e : replay.events) {
        std::snprintf(line, sizeof line, "%" PRIu64 " %s %s\n", e.tick, e.message == WM_KEYDOWN ? "down" : "up",
                      key_name(static_cast<uint32_t>(e.wparam)).c_str());
        text += line;
    }
    std::snprintf(line, sizeof line, "#@ end %" PRIu64 " %s\n", replay.end, replay.winner ? "winner" : "left");
    return text + line;
}

void prune_replays(const std::string& folder, int32_t keep)
{
    std::vector<std::string> names;
    for (const std::string& name : folder_entries(folder)) {
        // Only the game's own names (a date first): a replay the player
        // renamed is his to keep.
        const bool dated = name.size() > 5 && std::isdigit(static_cast<unsigned char>(name[0])) &&
                           std::isdigit(static_cast<unsigned char>(name[3])) && name[4] == '-';
        if (dated && name.compare(name.size() - 5, 5, ".keys") == 0) {
            names.push_back(name);
        }
    }
    std::sort(names.begin(), names.end());
    for (size_t i = 0; i + static_cast<size_t>(std::max(keep, 0)) < names.size(); ++i) {
        std::remove((folder + "/" + names[i]).c_str());
    }
}

bool replay_save()
{
    if (!recording) {
        return false;
    }
    char date[32];
    const std::time_t now = std::time(nullptr);
    const std::tm* local = std::localtime(&now);
    if (!local || std::strftime(date, sizeof date, "%Y-%m-%d-%H%M%S", local) == 0) {
        std::snprintf(date, sizeof date, "0000-00-00-000000");
    }
    const std::string stem = replay_folder + "/" + date + "-" + file_name_part(recorded.names[0]) + "-vs-" +
                             file_name_part(recorded.names[1]);
    make_folders(replay_folder);
    std::string path = stem + ".keys";
    for (int32_t n = 2; game_file_exists(path) && n < 100; ++n) {
        path = stem + "-" + std::to_string(n) + ".keys";
    }
    if (!save_whole_file(path, replay_text(recorded))) {
        std::fprintf(stderr, "valkron: cannot save the replay %s: %s\n", path.c_str(), std::strerror(errno));
        return false;
    }
    prune_replays(replay_folder, replays_kept);
    return true;
}

// Reading.

bool parse_replay(const std::string& text, Replay& out, std::string& why)
{
    out = Replay{};
    bool header_seen[16] = {};
    static const char* const required[] = {"seed",  "random", "screen", "frag_limit", "plane1", "plane2",
                                           "name1", "name2",  "pilot1", "pilot2",     "keys1",  "keys2"};
    if (text.empty()) {
        why = "empty";
        return false;
    }
    if (text.compare(0, 17, "#!valkron-replay ") != 0) {
        why = "not a replay (no \"#!valkron-replay\" first line)";
        return false;
    }
    bool ended = false;
    size_t start = 0;
    int32_t number = 0;
    while (start < text.size()) {
        size_t stop = text.find('\n', start);
        if (stop == std::string::npos) {
            why = "truncated: its last line is cut off";
            return false;
        }
        std::string line = text.substr(start, stop - start);
        start = stop + 1;
        ++number;
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        const std::string at = "line " + std::to_string(number) + ": ";
        if (line.size() > replay_line_limit || line.find('\0') != std::string::npos) {
            why = at + "not a replay line";
            return false;
        }
        if (number == 1) {
            uint64_t version = 0;
            if (!parse_unsigned(line.c_str() + 17, INT32_MAX, version)) {
                why = "not a replay (no \"#!valkron-replay\" first line)";
                return false;
            }
            if (version != static_cast<uint64_t>(replay_version)) {
                why = "made by another version (replay version " + std::to_string(version) + ", this game plays " +
                      std::to_string(replay_version) + ")";
                return false;
            }
            out.version = replay_version;
            continue;
        }
        if (ended) {
            why = at + "more after the end line";
            return false;
        }
        if (line.compare(0, 3, "#@ ") == 0) {
            const size_t space = line.find(' ', 3);
            const std::string key = line.substr(3, space == std::string::npos ? std::string::npos : space - 3);
            const std::string value = space == std::string::npos ? "" : line.substr(space + 1);
            if (key == "end") {
                const std::vector<std::string> words = split_words(value.c_str());
                if (words.size() != 2 || !parse_unsigned(words[0].c_str(), UINT32_MAX, out.end) ||
                    (words[1] != "winner" && words[1] != "left")) {
                    why = at + "a bad end line";
                    return false;
                }
                out.winner = words[1] == "winner";
                ended = true;
                continue;
            }
            const char* const* found = std::find(std::begin(required), std::end(required), key);
            if (found == std::end(required)) {
                why = at + "unknown header line \"#@ " + key + "\"";
                return false;
            }
            if (!out.events.empty() || !header_line(key, value, out)) {
                why = at + "a bad \"#@ " + key + "\" line";
                return false;
            }
            header_seen[found - std::begin(required)] = true;
            continue;
        }
        ReplayEvent event{};
        uint64_t go_tick = 0;
        switch (parse_script_line(line.c_str(), event, go_tick)) {
        case ScriptLine::empty:
            break;
        case ScriptLine::key:
            if (event.message != WM_KEYDOWN && event.message != WM_KEYUP) {
                why = at + "a pad line (replays hold keys only)";
                return false;
            }
            if (!out.events.empty() && event.tick < out.events.back().tick) {
                why = at + "ticks out of order";
                return false;
            }
            out.events.push_back(event);
            break;
        default:
            why = at + "a bad key line";
            return false;
        }
    }
    for (size_t i = 0; i < std::size(required); ++i) {
        if (!header_seen[i]) {
            why = std::string("no \"#@ ") + required[i] + "\" line";
            return false;
        }
    }
    if (!ended) {
        why = "truncated: no end line";
        return false;
    }
    if (!out.events.empty() && out.events.back().tick > out.end) {
        why = "a key after the end";
        return false;
    }
    return true;
}

bool read_replay(const char* path, Replay& out, std::string& why)
{
    FILE* file = open_regular_file(path);
    if (!file) {
        why = std::string("cannot read it: ") + std::strerror(errno ? errno : ENOENT);
        return false;
    }
    std::string text;
    char buffer[65536];
    size_t got = 0;
    while ((got = std::fread(buffer, 1, sizeof buffer, file)) > 0 && text.size() <= replay_file_limit) {
        text.append(buffer, got);
    }
    const bool error = std::ferror(file) != 0;
    std::fclose(file);
    if (error) {
        why = "cannot read it";
        return false;
    }
    if (text.size() > replay_file_limit) {
        why = "too long for a replay";
        return false;
    }
    return parse_replay(text, out, why);
}

// Playback.

void apply_replay_settings(const Replay& replay)
{
    res_x = replay.res_x;
    res_y = replay.res_y;
    resolution_index = resolution_index_for_height(res_y);
    frag_limit = replay.frag_limit;
    for (int32_t p = 0; p < 2; ++p) {
        plane_index[p] = replay.planes[p];
        std::snprintf(plane_name[p], sizeof plane_name[p], "%s", plane_names[replay.planes[p]]);
        std::snprintf(player_name[p], sizeof player_name[p], "%s", replay.names[p].c_str());
        pilot_kind[p] = replay.pilots[p];
        key_layout[p] = replay.keys[p];
    }
}

void start_replay_match(const Replay& replay)
{
    // As the intro leaves it: the engine at a view's size (New game lets
    // the intro model go).
    engine_release();
    engine_init(res_x / 2, res_y);
    reset_modes();
    menu_active = 1;
    screen_timer = 1005;  // where the intro's count ends
    crt_srand(replay.random);
    new_game();
}

void play_replay_tick(uint64_t tick, void (*deliver)(const ReplayEvent& event))
{
    if (!replay_playing) {
        return;
    }
    const Replay& replay = *replay_playing;
    const auto first = std::lower_bound(replay.events.begin(), replay.events.end(), tick,
                                        [](const ReplayEvent& e, uint64_t t) { return e.tick < t; });
    for (auto e = first; e != replay.events.end() && e->tick == tick && match_active == 1; ++e) {
        deliver(*e);
    }
    if (match_active == 1 && (tick > replay.end || (tick == replay.end && !replay.winner))) {
        release_match_models();
        match_active = 0;
        menu_active = 1;
    }
}
