// valkron-sim: runs the game exactly as the game binary does, in the current
// directory, on the headless platform, one timer tick after another; keys
// and pads come from a script, frames go to PNG files and a JSON Lines
// trace.
//
//   valkron-sim [--ticks N] [--seed S] [--keys FILE|-] [--png TICK:PATH]...
//               [--trace PATH|-] [--pilot N=human|rookie|veteran|ace]...
//               [--replay FILE] [--record FOLDER]
//
// --pilot puts a computer pilot (or a human) in player N's aeroplane from
// the start, whatever the settings file says, without changing the file.
// While any aeroplane is computer-flown, each player of the trace carries
// "pilot": its strength in small letters, or "human".
//
// Seat scripts: given --keys twice, each script flies one seat (the first
// player 1, the second player 2) with either player's keys, and the match
// starts at tick 1 from the seed, without intro or menu; other lines of
// such scripts (Escape, pads) do nothing. A network match is the same with
// one script on each machine:
//
//   valkron-sim --host PORT --keys FILE ...        (player 1)
//   valkron-sim --join HOST:PORT --keys FILE ...   (player 2)
//
// paced at the game's 33 ms ticks (--pace MS changes it), each tick run
// when both seats' keys for it have arrived. Both traces and the local run
// given both scripts and the host's seed are the same, tick for tick. A
// lost peer or games that differ end the run with a line on standard error
// and exit code 3; at the end a line says the pace kept, the input delay
// and the round trip. --net-version V claims another version (tests).
//
// --replay plays a replay as the game does: its match from the first tick,
// with the replay's settings and seed, for the replay's ticks unless
// --ticks says otherwise; a refused replay ends the run with its reason and
// exit code 2; --keys with it gives the keys a player presses meanwhile, by
// the run's ticks (in the replay's match only Escape counts). --record
// saves each match the run plays as a replay in that folder.
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cinttypes>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "game/aircraft.h"
#include "game/pilot.h"
#include "game/weapons.h"
#include "platform/headless.h"
#include "platform/net.h"
#include "platform/pads.h"
#include "platform/window.h"
#include "png_writer.h"
#include "shell/key_names.h"
#include "shell/menu.h"
#include "shell/net_message.h"
#include "shell/netplay.h"
#include "shell/pads.h"
#include "shell/replay.h"
#include "shell/settings.h"
#include "shell/startup.h"
#include "shell/window_proc.h"

namespace {

const char usage[] =
    "usage: valkron-sim [--ticks N] [--seed S] [--keys FILE|-] [--png TICK:PATH]... "
    "[--trace PATH|-] [--pilot N=human|rookie|veteran|ace]... [--replay FILE] [--record FOLDER] "
    "[--keys FILE --keys FILE] [--host PORT | --join HOST:PORT] [--pace MS] [--net-version V]";

using KeyEvent = ReplayEvent;

// One seat's script: the seat's held-key flags tick by tick.
struct SeatScript {
    std::vector<KeyEvent> events;
    size_t next = 0;
    uint8_t flags = 0;
};

// The flags the script holds at tick (asked for in rising ticks).
uint8_t seat_flags_at(uint64_t tick, void* user)
{
    SeatScript& script = *static_cast<SeatScript*>(user);
    while (script.next < script.events.size() && script.events[script.next].tick <= tick) {
        const KeyEvent& e = script.events[script.next++];
        const uint8_t bit = e.message == WM_KEYDOWN || e.message == WM_KEYUP
                                ? netplay_key_bit(static_cast<uint32_t>(e.wparam))
                                : 0;
        script.flags = static_cast<uint8_t>(e.message == WM_KEYDOWN ? script.flags | bit : script.flags & ~bit);
    }
    return script.flags;
}

void queue_key(int32_t down, uint32_t key)
{
    headless_queue_key(down, key);
}

struct PngRequest {
    uint64_t tick;
    std::string path;
    bool written = false;
};

struct Options {
    uint64_t ticks = 1000;
    bool seeded = false;
    uint32_t seed = 0;
    std::string keys;  // empty: none; "-": standard input
    std::vector<std::string> seat_keys;  // every --keys, in order
    bool network = false;
    int64_t pace_ms = -1;  // -1: 33 in a network match, none otherwise
    std::vector<PngRequest> pngs;
    std::string trace;  // empty: none; "-": standard output
    int32_t pilots[2] = {-1, -1};  // -1: as the settings say
    bool ticks_given = false;
    std::string replay;  // empty: none
    std::string record;  // empty: no recording
};

struct Run {
    Options options;
    // File scripts: every event, in tick order (file order within a tick).
    std::vector<KeyEvent> events;
    size_t next_event = 0;
    // Standard-input scripts: events read but not yet delivered, and how far
    // the input lets the run go.
    bool live_input = false;
    bool input_ended = false;
    uint64_t allowed_until = 0;
    int input_line = 0;
    std::vector<KeyEvent> waiting;

    FILE* trace = nullptr;
    uint64_t tick = 0;       // the tick begun last
    bool tick_ended = true;  // its trace line was written
    std::vector<int32_t> sounds;
    bool presented = false;
    uint64_t frame_hash = 0;

    bool failed = false;  // a bad script line met while running
    int exit_code = 0;

    // Seat scripts and the network match.
    bool seat_mode = false;
    SeatScript seats[2];
    uint64_t deadline_ms = 0;
    uint32_t paced_from_ms = 0;
    bool match_begun = false;  // the handshake is done
    uint8_t last_flags[2] = {0, 0};
};

[[noreturn]] void fail_arguments(const char* format, ...)
{
    std::fputs("valkron-sim: ", stderr);
    va_list args;
    va_start(args, format);
    std::vfprintf(stderr, format, args);
    va_end(args);
    std::fputc('\n', stderr);
    std::exit(2);
}

void read_key_file(std::vector<KeyEvent>& events, const std::string& path)
{
    FILE* file = std::fopen(path.c_str(), "r");
    if (!file) {
        fail_arguments("cannot read the key script %s", path.c_str());
    }
    char line[512];
    int number = 0;
    while (std::fgets(line, sizeof line, file)) {
        ++number;
        KeyEvent event{};
        uint64_t go_tick = 0;
        switch (parse_script_line(line, event, go_tick)) {
        case ScriptLine::key:
            events.push_back(event);
            break;
        case ScriptLine::bad:
            std::fclose(file);
            fail_arguments("%s:%d: bad key line", path.c_str(), number);
        default:
            break;
        }
    }
    const bool error = std::ferror(file) != 0;
    std::fclose(file);
    if (error) {
        fail_arguments("cannot read the key script %s", path.c_str());
    }
    std::stable_sort(events.begin(), events.end(),
                     [](const KeyEvent& a, const KeyEvent& b) { return a.tick < b.tick; });
}

Options parse_options(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::puts(usage);
            std::exit(0);
        }
        if (i + 1 >= argc) {
            fail_arguments("%s: %s", arg.c_str(), arg.rfind("--", 0) == 0 ? "missing value" : "unknown argument");
        }
        const char* value = argv[++i];
        if (arg == "--ticks") {
            if (!parse_unsigned(value, UINT64_MAX - 1, options.ticks)) {
                fail_arguments("--ticks: not a tick count: %s", value);
            }
            options.ticks_given = true;
        } else if (arg == "--seed") {
            uint64_t seed = 0;
            if (!parse_unsigned(value, UINT32_MAX, seed)) {
                fail_arguments("--seed: not a seed from 0 to 4294967295: %s", value);
            }
            options.seeded = true;
            options.seed = static_cast<uint32_t>(seed);
        } else if (arg == "--keys") {
            options.keys = value;
            options.seat_keys.push_back(value);
            if (options.seat_keys.size() > 2) {
                fail_arguments("--keys: one script, or one for each seat");
            }
        } else if (arg == "--host" || arg == "--join") {
            const int32_t taken = netplay_argument(argc, argv, i - 1);
            if (taken != 2) {
                fail_arguments("%s: expected %s", arg.c_str(), arg == "--host" ? "PORT" : "HOST:PORT");
            }
            options.network = true;
        } else if (arg == "--pace") {
            uint64_t pace = 0;
            if (!parse_unsigned(value, 1000, pace)) {
                fail_arguments("--pace: not milliseconds from 0 to 1000: %s", value);
            }
            options.pace_ms = static_cast<int64_t>(pace);
        } else if (arg == "--net-version") {
            std::snprintf(net_version, sizeof net_version, "%s", value);
        } else if (arg == "--replay") {
            options.replay = value;
        } else if (arg == "--record") {
            options.record = value;
        } else if (arg == "--png") {
            const char* colon = std::strchr(value, ':');
            uint64_t tick = 0;
            if (!colon || colon[1] == '\0' ||
                !parse_unsigned(std::string(value, colon).c_str(), UINT64_MAX, tick) || tick == 0) {
                fail_arguments("--png: expected TICK:PATH, got %s", value);
            }
            options.pngs.push_back({tick, colon + 1, false});
        } else if (arg == "--trace") {
            options.trace = value;
        } else if (arg == "--pilot") {
            const int32_t kind = pilot_from_name(value + std::min<size_t>(2, std::strlen(value)));
            if ((value[0] != '1' && value[0] != '2') || value[1] != '=' || kind < 0) {
                fail_arguments("--pilot: expected 1=STRENGTH or 2=STRENGTH (human, rookie, veteran, ace), got %s",
                               value);
            }
            options.pilots[value[0] - '1'] = kind;
        } else {
            fail_arguments("%s: unknown argument", arg.c_str());
        }
    }
    return options;
}

// Standard-input scripts: reads on until the input allows tick to run.
// False after a line for a tick already run, or a bad line.
bool read_live_input(Run& run, uint64_t tick)
{
    char line[512];
    while (!run.input_ended && run.allowed_until < tick) {
        if (!std::fgets(line, sizeof line, stdin)) {
            run.input_ended = true;
            break;
        }
        ++run.input_line;
        KeyEvent event{};
        uint64_t go_tick = 0;
        switch (parse_script_line(line, event, go_tick)) {
        case ScriptLine::key:
            if (event.tick < tick) {
                std::fprintf(stderr, "valkron-sim: stdin:%d: tick %" PRIu64 " has already run\n",
                             run.input_line, event.tick);
                return false;
            }
            run.waiting.push_back(event);
            break;
        case ScriptLine::go:
            run.allowed_until = std::max(run.allowed_until, go_tick);
            break;
        case ScriptLine::bad:
            std::fprintf(stderr, "valkron-sim: stdin:%d: bad key line\n", run.input_line);
            return false;
        default:
            break;
        }
    }
    return true;
}

const char* mode_name()
{
    if (intro_active == 1) {
        return "intro";
    }
    if (winner_active == 1) {
        return "winner";
    }
    if (menu_active == 1) {
        if (help_active == 1) {
            return "help";
        }
        if (credits_active == 1) {
            return "credits";
        }
        return "menu";
    }
    if (match_active == 1) {
        return "match";
    }
    return "none";
}

// A float that reads back exactly; JSON has no NaN or infinity.
void put_float(std::string& out, float value)
{
    char text[32];
    if (std::isfinite(value)) {
        std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
    } else {
        std::snprintf(text, sizeof text, "null");
    }
    out += text;
}

void put_field(std::string& out, const char* name, long long value)
{
    char text[64];
    std::snprintf(text, sizeof text, "\"%s\":%lld,", name, value);
    out += text;
}

void write_trace_line(Run& run)
{
    run.tick_ended = true;
    if (!run.trace) {
        return;
    }
    std::string line = "{";
    put_field(line, "tick", static_cast<long long>(run.tick));
    line += "\"mode\":\"";
    line += mode_name();
    line += "\",";
    put_field(line, "screen_timer", screen_timer);
    put_field(line, "menu_item", menu_item);
    put_field(line, "name_edit", name_edit);
    put_field(line, "res_x", res_x);
    put_field(line, "res_y", res_y);
    put_field(line, "frag_limit", frag_limit);
    put_field(line, "frag_timer", frag_timer);
    put_field(line, "shot_count", shot_count);
    put_field(line, "match_winner", match_winner);
    line += "\"sounds\":[";
    for (size_t i = 0; i < run.sounds.size(); ++i) {
        line += (i ? "," : "") + std::to_string(run.sounds[i]);
    }
    line += "],\"frame\":";
    if (run.presented) {
        char hash[24];
        std::snprintf(hash, sizeof hash, "\"%016" PRIx64 "\"", run.frame_hash);
        line += hash;
    } else {
        line += "null";
    }
    line += ",\"players\":[";
    for (int p = 0; p < 2; ++p) {
        const Aircraft& a = aircraft[p];
        line += p ? ",{" : "{";
        put_field(line, "energy", a.energy);
        put_field(line, "frags", a.frags);
        line += "\"speed\":";
        put_float(line, a.speed);
        line += ",\"thrust\":";
        put_float(line, a.thrust);
        line += ",\"yaw_rate\":";
        put_float(line, a.yaw_rate);
        line += ",\"pitch_rate\":";
        put_float(line, a.pitch_rate);
        line += ",";
        put_field(line, "explosion_frame", a.explosion_frame);
        if (pilot_kind[0] != pilot_human || pilot_kind[1] != pilot_human) {
            std::string pilot = pilot_names[pilot_kind[p]];
            for (char& c : pilot) {
                c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            }
            line += "\"pilot\":\"" + pilot + "\",";
        }
        line += "\"pos\":[";
        for (int i = 12; i < 15; ++i) {
            put_float(line, a.matrix.m[i]);
            line += i < 14 ? "," : "]";
        }
        line += ",\"matrix\":[";
        for (int i = 0; i < 16; ++i) {
            put_float(line, a.matrix.m[i]);
            line += i < 15 ? "," : "]";
        }
        const int32_t pad = player_pad(p);
        line += pad != 0 ? ",\"pad\":" + std::to_string(pad) + "}" : ",\"pad\":null}";
    }
    line += "]}\n";
    std::fputs(line.c_str(), run.trace);
    std::fflush(run.trace);
}

void queue_event(const KeyEvent& e)
{
    if (e.message == WM_KEYDOWN || e.message == WM_KEYUP) {
        headless_queue_key(e.message == WM_KEYDOWN, static_cast<uint32_t>(e.wparam));
    } else {
        headless_queue_pad(e.message, e.wparam, e.lparam);
    }
}

// At the game's pace: waits for the tick's time; a late tick may catch up
// two ticks, no more.
void pace(Run& run)
{
    const int64_t period = run.options.pace_ms >= 0 ? run.options.pace_ms : run.options.network ? net_tick_ms : 0;
    if (period == 0) {
        return;
    }
    int64_t now = net_clock_ms();
    if (run.deadline_ms == 0) {
        run.deadline_ms = static_cast<uint64_t>(now);
    }
    if (now < static_cast<int64_t>(run.deadline_ms)) {
        net_sleep_ms(static_cast<uint32_t>(static_cast<int64_t>(run.deadline_ms) - now));
        now = net_clock_ms();
    }
    run.deadline_ms = static_cast<uint64_t>(std::max(static_cast<int64_t>(run.deadline_ms), now - 2 * period) + period);
}

// Tick 1 of seat scripts: the handshake of a network match, then the match
// from the seed.
bool begin_seat_match(Run& run)
{
    uint32_t seed = run.options.seeded ? run.options.seed : platform_clock_ms();
    if (run.options.network) {
        if (!netplay_open_requested()) {
            return false;
        }
        const uint32_t until = net_clock_ms() + 60000;
        int32_t done = 0;
        while ((done = netplay_handshake(100, seed)) == 0 && net_clock_ms() < until) {
        }
        if (done != 1) {
            if (done == 0) {
                std::fprintf(stderr, "valkron-sim: no opponent within 60 seconds\n");
            }
            return false;
        }
        seed = net_seed;
        run.paced_from_ms = net_clock_ms();
        run.match_begun = true;
    }
    if (!start_match_now(seed)) {
        std::fprintf(stderr, "valkron-sim: the aeroplanes cannot be loaded\n");
        return false;
    }
    return true;
}

// A tick of seat scripts: both seats' flags (one from the wire in a
// network match) as the seats' key messages.
int32_t seat_tick(Run& run, uint64_t tick)
{
    if (tick == 1 && !begin_seat_match(run)) {
        run.exit_code = 3;
        return 0;
    }
    uint8_t flags[2] = {run.last_flags[0], run.last_flags[1]};
    if (!run.options.network) {
        flags[0] = seat_flags_at(tick, &run.seats[0]);
        flags[1] = seat_flags_at(tick, &run.seats[1]);
    } else if (net_state == net_playing) {
        pace(run);
        netplay_fill_local(tick, seat_flags_at, &run.seats[0]);
        int32_t got = 0;
        while ((got = netplay_inputs(tick, 100, flags)) == 0) {
        }
        if (got < 0 && net_state == net_failed) {
            run.exit_code = 3;
            return 0;
        }
        if (got < 0) {
            flags[0] = run.last_flags[0];  // the other's match is over: on alone
            flags[1] = run.last_flags[1];
        }
    }
    run.last_flags[0] = flags[0];
    run.last_flags[1] = flags[1];
    netplay_press_keys(flags, queue_key);
    return 1;
}

// The end of a network run: the pace kept, then the bye.
void end_network(Run& run, uint64_t ticks)
{
    if (!run.match_begun) {
        netplay_close(net_bye_left);
        return;
    }
    const double seconds = (net_clock_ms() - run.paced_from_ms) / 1000.0;
    std::fprintf(stderr,
                 "valkron-sim: network match: %llu ticks in %.2f s, %.1f ticks per second, input delay %d ticks, "
                 "round trip %u ms\n",
                 static_cast<unsigned long long>(ticks), seconds, seconds > 0 ? ticks / seconds : 0.0,
                 netplay_delay(), netplay_round_trip_ms());
    netplay_close(net_bye_over);
}

int32_t begin_tick(uint64_t tick, void* user)
{
    Run& run = *static_cast<Run*>(user);
    if (!run.tick_ended) {
        // The tick before had no timer message (a resolution change stops
        // and restarts the timer): its line, without a frame.
        write_trace_line(run);
    }
    if (tick == 1) {
        // The settings are read by now; the command line has the last word.
        for (int32_t p = 0; p < 2; ++p) {
            if (run.options.pilots[p] >= 0) {
                pilot_kind[p] = run.options.pilots[p];
            }
        }
    }
    run.tick = tick;
    run.tick_ended = false;
    run.sounds.clear();
    run.presented = false;
    if (tick > run.options.ticks) {
        if (run.options.network) {
            end_network(run, tick - 1);
        }
        headless_queue_close();
        run.tick_ended = true;  // no tick of the game's own: no trace line
        return 0;
    }
    if (run.seat_mode) {
        if (seat_tick(run, tick) == 0) {
            netplay_close(net_bye_left);
            headless_queue_close();
            run.tick_ended = true;
            return 0;
        }
        return 1;
    }
    if (run.live_input) {
        if (!read_live_input(run, tick)) {
            run.failed = true;
            run.tick_ended = true;
            headless_queue_close();
            return 0;
        }
        std::vector<KeyEvent> later;
        for (const KeyEvent& e : run.waiting) {
            if (e.tick == tick) {
                queue_event(e);
            } else {
                later.push_back(e);
            }
        }
        run.waiting.swap(later);
    } else {
        while (run.next_event < run.events.size() && run.events[run.next_event].tick <= tick) {
            const KeyEvent& e = run.events[run.next_event++];
            if (e.tick == tick) {
                queue_event(e);
            }
        }
    }
    return 1;
}

void end_tick(uint64_t tick, void* user)
{
    Run& run = *static_cast<Run*>(user);
    if (run.options.network) {
        netplay_tick_ran(tick);
    }
    if (tick == run.tick && !run.tick_ended) {
        write_trace_line(run);
    }
}

void frame_presented(const uint32_t* pixels, int32_t width, int32_t height, void* user)
{
    Run& run = *static_cast<Run*>(user);
    run.presented = true;
    if (run.trace) {
        // FNV-1a over the pixels' bytes, each pixel a little-endian word.
        const size_t count = static_cast<size_t>(width) * static_cast<size_t>(height);
        uint64_t hash = 0xcbf29ce484222325ull;
        for (size_t i = 0; i < count; ++i) {
            const uint32_t p = pixels[i];
            for (int b = 0; b < 4; ++b) {
                hash ^= (p >> (8 * b)) & 0xFF;
                hash *= 0x100000001b3ull;
            }
        }
        run.frame_hash = hash;
    }
    for (PngRequest& png : run.options.pngs) {
        if (png.tick != run.tick) {
            continue;
        }
        if (write_png(png.path.c_str(), pixels, width, height)) {
            png.written = true;
        } else {
            std::fprintf(stderr, "valkron-sim: cannot write %s\n", png.path.c_str());
            run.exit_code = 1;
        }
    }
}

void sound_played(int32_t slot, void* user)
{
    static_cast<Run*>(user)->sounds.push_back(slot);
}

}  // namespace

int main(int argc, char** argv)
{
    Run run;
    run.options = parse_options(argc, argv);
    if (run.options.keys == "-") {
        run.live_input = true;
    } else if (run.options.network || run.options.seat_keys.size() == 2) {
        run.seat_mode = true;
        for (size_t seat = 0; seat < run.options.seat_keys.size(); ++seat) {
            read_key_file(run.seats[seat].events, run.options.seat_keys[seat]);
        }
    } else if (!run.options.keys.empty()) {
        read_key_file(run.events, run.options.keys);
    }
    if (run.options.network && (run.options.seat_keys.size() > 1 || run.options.keys == "-")) {
        fail_arguments("a network match takes one key script file, this machine's");
    }
    if ((run.options.network || run.seat_mode) && !run.options.replay.empty()) {
        fail_arguments("--replay brings its own match: no network or seat scripts with it");
    }
    static Replay replay;
    if (!run.options.replay.empty()) {
        std::string why;
        if (!read_replay(run.options.replay.c_str(), replay, why)) {
            fail_arguments("%s: %s", run.options.replay.c_str(), why.c_str());
        }
        replay_playing = &replay;
        if (!run.options.ticks_given) {
            run.options.ticks = replay.end;
        }
    }
    if (!run.options.record.empty()) {
        replay_recording = true;
        replay_folder = run.options.record;
    }
    if (run.options.trace == "-") {
        run.trace = stdout;
    } else if (!run.options.trace.empty()) {
        run.trace = std::fopen(run.options.trace.c_str(), "w");
        if (!run.trace) {
            fail_arguments("cannot write the trace %s", run.options.trace.c_str());
        }
    }

    if (run.options.seeded) {
        headless_set_clock(run.options.seed);
    }
    HeadlessDriver driver{};
    driver.begin_tick = begin_tick;
    driver.end_tick = end_tick;
    driver.frame_presented = frame_presented;
    driver.sound_played = sound_played;
    driver.user = &run;
    headless_set_driver(&driver);

    WinMain(nullptr, nullptr, "", 1);

    // The game ended itself during its last tick's keys (Exit): that tick
    // still gets its line, with the sounds it played and no frame.
    if (!run.tick_ended && !run.failed) {
        write_trace_line(run);
    }
    headless_set_driver(nullptr);
    for (const PngRequest& png : run.options.pngs) {
        if (!png.written && run.exit_code == 0) {
            std::fprintf(stderr, "valkron-sim: %s not written: tick %" PRIu64 " showed no frame\n",
                         png.path.c_str(), png.tick);
        }
    }
    if (run.trace && run.trace != stdout) {
        std::fclose(run.trace);
    }
    if (run.failed) {
        return 2;
    }
    return run.exit_code;
}
