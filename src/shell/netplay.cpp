#include "shell/netplay.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "game/aircraft.h"
#include "game/match.h"
#include "game/pilot.h"
#include "game/random.h"
#include "game/weapons.h"
#include "game/world.h"
#include "platform/net.h"
#include "shell/keyboard.h"
#include "shell/menu.h"
#include "shell/net_message.h"
#include "shell/replay.h"
#include "shell/settings.h"
#include "shell/window_proc.h"

#ifndef VALKRON_VERSION
#define VALKRON_VERSION "1.0"
#endif

int32_t net_state = net_off;
int32_t net_seat = 0;
char net_status[160] = "";
char net_version[32] = VALKRON_VERSION;
uint32_t net_seed = 0;

namespace {

constexpr uint32_t ring = 256;  // ticks of inputs and hashes kept
constexpr uint32_t silence_limit_ms = 2500;
constexpr int32_t delay_min = 2;
constexpr int32_t delay_max = 30;

struct Session {
    NetLink* link = nullptr;
    bool sent_hello = false;
    uint32_t hello_seed = 0;  // the seed our hello named
    bool got_hello = false;
    NetMessage peer_hello{};
    // This seat's flags by tick, and when each was first sent.
    uint8_t local[ring] = {};
    uint32_t local_sent_at[ring] = {};
    uint64_t local_next = 1;     // the first tick without flags
    uint64_t peer_acked = 0;     // the other has all of ours up to here
    // The other's flags by tick (tagged), and how far they run unbroken.
    uint8_t remote[ring] = {};
    uint64_t remote_tick[ring] = {};
    uint64_t remote_through = 0;
    // Hashes by tick: ours and the other's.
    uint32_t own_hash[ring] = {};
    uint64_t own_hash_tick[ring] = {};
    uint32_t peer_hash[ring] = {};
    uint64_t peer_hash_tick[ring] = {};
    uint64_t hashed_through = 0;
    uint64_t sent_hashes_through = 0;
    uint32_t last_heard = 0;
    uint32_t last_sent = 0;
    uint32_t round_trip = 100;
    int32_t delay = 3;
    uint8_t pressed[2] = {0, 0};
    bool sent_bye = false;  // the link lingers to deliver it
};

Session session;

// What the player's own settings were before a network match set them.
struct SavedSettings {
    bool saved = false;
    int32_t frag_limit;
    int32_t plane_index[2];
    char plane_name[2][16];
    char player_name[2][32];
    int32_t pilot_kind[2];
} saved;

// The open request from the command line.
struct Request {
    int32_t kind = 0;  // 0 none, 1 host, 2 join
    uint16_t port = net_default_port;
    std::string host;
} request;

void fail(const char* text)
{
    if (net_state != net_failed) {
        std::snprintf(net_status, sizeof net_status, "%s", text);
        std::fprintf(stderr, "valkron: %s\n", net_status);
    }
    net_state = net_failed;
}

bool send_message(const NetMessage& message, bool reliable)
{
    session.sent_bye = session.sent_bye || message.kind == net_bye;
    uint8_t bytes[net_message_max];
    const size_t size = encode_net_message(message, bytes);
    return size > 0 && net_send(session.link, bytes, size, reliable ? 1 : 0) != 0;
}

void send_ticks()
{
    NetMessage m{};
    m.kind = net_ticks;
    m.ack = static_cast<uint32_t>(session.remote_through);
    const uint64_t first = session.peer_acked + 1;
    m.input_first = static_cast<uint32_t>(first);
    const uint32_t now = net_clock_ms();
    for (uint64_t t = first; t < session.local_next && m.input_count < net_inputs_max; ++t) {
        m.inputs[m.input_count++] = session.local[t % ring];
        if (session.local_sent_at[t % ring] == 0) {
            session.local_sent_at[t % ring] = now | 1;
        }
    }
    const uint64_t last = session.hashed_through;
    const uint64_t hash_first = last > static_cast<uint64_t>(net_hashes_max) ? last - net_hashes_max + 1 : 1;
    m.hash_first = static_cast<uint32_t>(hash_first);
    for (uint64_t t = hash_first; t <= last; ++t) {
        m.hashes[m.hash_count++] = session.own_hash[t % ring];
    }
    send_message(m, false);
    session.last_sent = now;
}

void compare_hash(uint64_t tick)
{
    const uint32_t slot = tick % ring;
    if (session.own_hash_tick[slot] == tick && session.peer_hash_tick[slot] == tick &&
        session.own_hash[slot] != session.peer_hash[slot] && net_state == net_playing) {
        char text[160];
        std::snprintf(text, sizeof text, "the two machines' games differ at tick %llu: the match ends",
                      static_cast<unsigned long long>(tick));
        NetMessage bye{};
        bye.kind = net_bye;
        bye.reason = net_bye_mismatch;
        send_message(bye, true);
        fail(text);
    }
}

void take_ticks(const NetMessage& m)
{
    // Acknowledged inputs: a round-trip sample from the newest.
    if (m.ack > session.peer_acked && m.ack < session.local_next) {
        const uint32_t sent = session.local_sent_at[m.ack % ring];
        if (sent != 0) {
            const uint32_t sample = net_clock_ms() - (sent & ~1u);
            session.round_trip = (session.round_trip * 7 + sample) / 8;
        }
        session.peer_acked = m.ack;
    }
    for (int32_t i = 0; i < m.input_count; ++i) {
        const uint64_t t = uint64_t{m.input_first} + static_cast<uint32_t>(i);
        if (t == 0 || t <= session.remote_through || t >= session.remote_through + ring) {
            continue;  // had it, or too far ahead to keep
        }
        session.remote[t % ring] = m.inputs[i];
        session.remote_tick[t % ring] = t;
    }
    while (session.remote_tick[(session.remote_through + 1) % ring] == session.remote_through + 1) {
        ++session.remote_through;
    }
    for (int32_t i = 0; i < m.hash_count; ++i) {
        const uint64_t t = uint64_t{m.hash_first} + static_cast<uint32_t>(i);
        if (t == 0 || t + ring <= session.hashed_through || t >= session.hashed_through + ring) {
            continue;
        }
        session.peer_hash[t % ring] = m.hashes[i];
        session.peer_hash_tick[t % ring] = t;
        compare_hash(t);
    }
}

void take_bye(const NetMessage& m)
{
    switch (m.reason) {
    case net_bye_mismatch:
        fail("the two machines' games differ: the match ends");
        break;
    case net_bye_version:
        fail("the other player runs another version");
        break;
    default:
        if (net_state == net_playing && match_active != 1) {
            net_state = net_off;  // the match is over on both
        } else {
            fail("the other player left the match");
        }
        break;
    }
}

void send_hello(uint32_t host_seed)
{
    NetMessage hello{};
    hello.kind = net_hello;
    std::snprintf(hello.version, sizeof hello.version, "%s", net_version);
    // The seat's name as the other can show it: printable, short enough.
    const char* name = player_name[net_seat];
    size_t length = 0;
    for (size_t i = 0; name[i] != '\0' && length < static_cast<size_t>(net_text_max); ++i) {
        if (name[i] >= 0x20 && name[i] <= 0x7E) {
            hello.name[length++] = name[i];
        }
    }
    hello.plane = std::clamp(plane_index[net_seat], 0, plane_count - 1);
    hello.pilot = std::clamp(pilot_kind[net_seat], 0, pilot_kind_count - 1);
    hello.seed = host_seed;
    session.hello_seed = host_seed;
    hello.frag_limit = std::max(frag_limit, 1);
    hello.screen_width = std::clamp(res_x, 1, net_screen_max);
    hello.screen_height = std::clamp(res_y, 1, net_screen_max);
    send_message(hello, true);
    session.sent_hello = true;
}

// One event of the link; false when the session ended.
bool take_event(const NetEvent& event, uint32_t host_seed)
{
    if (net_state == net_off || net_state == net_failed) {
        return false;  // ended: what still comes changes nothing
    }
    switch (event.kind) {
    case net_event_connected:
        session.last_heard = net_clock_ms();
        if (!session.sent_hello) {
            send_hello(host_seed);
        }
        return true;
    case net_event_disconnected:
        if (net_state == net_playing && match_active != 1) {
            net_state = net_off;  // after the match: the other one has seen it end
            return false;
        }
        fail(net_state == net_waiting ? "the other player went away before the match began"
                                      : "the other player is gone (left, or no answer for 2.5 seconds)");
        return false;
    case net_event_message: {
        session.last_heard = net_clock_ms();
        NetMessage m;
        if (!decode_net_message(event.data, event.size, m)) {
            fail("the other player sent bytes that are no message of this game");
            return false;
        }
        if (m.kind == net_hello) {
            if (net_state != net_waiting || session.got_hello) {
                return true;  // a hello resent by the link: nothing new
            }
            session.peer_hello = m;
            session.got_hello = true;
        } else if (m.kind == net_ticks) {
            if (net_state == net_playing) {
                take_ticks(m);
            }
        } else {
            take_bye(m);
        }
        return net_state != net_failed;
    }
    default:
        return true;
    }
}

void save_settings()
{
    if (saved.saved) {
        return;
    }
    saved.saved = true;
    saved.frag_limit = frag_limit;
    std::memcpy(saved.plane_index, plane_index, sizeof saved.plane_index);
    std::memcpy(saved.plane_name, plane_name, sizeof saved.plane_name);
    std::memcpy(saved.player_name, player_name, sizeof saved.player_name);
    std::memcpy(saved.pilot_kind, pilot_kind, sizeof saved.pilot_kind);
}

void reset_session()
{
    session = Session{};
}

bool open_link(NetLink* link, int32_t seat, const char* waiting)
{
    if (!link) {
        net_state = net_failed;
        std::fprintf(stderr, "valkron: %s\n", net_status);
        return false;
    }
    reset_session();
    session.link = link;
    session.last_heard = net_clock_ms();
    net_seat = seat;
    net_state = net_waiting;
    std::snprintf(net_status, sizeof net_status, "%s", waiting);
    return true;
}

uint32_t fnv_words(uint32_t hash, const void* data, size_t size)
{
    const unsigned char* bytes = static_cast<const unsigned char*>(data);
    for (size_t i = 0; i < size; ++i) {
        hash = (hash ^ bytes[i]) * 16777619u;
    }
    return hash;
}

}  // namespace

bool start_match_now(uint32_t seed)
{
    // The replays' way in: the intro and the menu left, New game from the
    // generator as the seed's stars leave it.
    generate_star_field_from(seed);
    Replay start;
    start.random = crt_rand_state();
    start_replay_match(start);
    return match_active == 1;
}

int32_t netplay_argument(int32_t argc, char** argv, int32_t i)
{
    const std::string arg = argv[i];
    if (arg == "--host") {
        request.kind = 1;
        if (i + 1 < argc && argv[i + 1][0] >= '0' && argv[i + 1][0] <= '9') {
            char* end = nullptr;
            const unsigned long port = std::strtoul(argv[i + 1], &end, 10);
            if (*end != '\0' || port == 0 || port > 65535) {
                std::fprintf(stderr, "valkron: --host: not a port: %s\n", argv[i + 1]);
                return -1;
            }
            request.port = static_cast<uint16_t>(port);
            return 2;
        }
        return 1;
    }
    if (arg == "--join") {
        if (i + 1 >= argc) {
            std::fprintf(stderr, "valkron: --join: missing HOST[:PORT]\n");
            return -1;
        }
        std::string value = argv[i + 1];
        request.kind = 2;
        request.port = net_default_port;
        const size_t colon = value.rfind(':');
        if (colon != std::string::npos && value.find(':') == colon) {
            char* end = nullptr;
            const unsigned long port = std::strtoul(value.c_str() + colon + 1, &end, 10);
            if (*end != '\0' || colon + 1 == value.size() || port == 0 || port > 65535) {
                std::fprintf(stderr, "valkron: --join: not a port in %s\n", value.c_str());
                return -1;
            }
            request.port = static_cast<uint16_t>(port);
            value.resize(colon);
        }
        if (value.empty()) {
            std::fprintf(stderr, "valkron: --join: missing HOST\n");
            return -1;
        }
        request.host = value;
        return 2;
    }
    return 0;
}

bool netplay_requested()
{
    return request.kind != 0;
}

bool netplay_open_requested()
{
    if (request.kind == 1) {
        return netplay_open_host(request.port);
    }
    if (request.kind == 2) {
        return netplay_open_join(request.host.c_str(), request.port);
    }
    return false;
}

bool netplay_open_host(uint16_t port)
{
    char waiting[96];
    std::snprintf(waiting, sizeof waiting, "Waiting for an opponent on port %u", static_cast<unsigned>(port));
    const bool opened = open_link(net_host(port, net_status, sizeof net_status), 0, waiting);
    if (opened) {
        std::fprintf(stderr, "valkron: %s\n", waiting);
    }
    return opened;
}

bool netplay_open_join(const char* host, uint16_t port)
{
    char waiting[160];
    std::snprintf(waiting, sizeof waiting, "Joining %s:%u", host, static_cast<unsigned>(port));
    return open_link(net_join(host, port, net_status, sizeof net_status), 1, waiting);
}

int32_t netplay_handshake(uint32_t wait_ms, uint32_t host_seed)
{
    if (net_state != net_waiting) {
        return net_state == net_playing ? 1 : -1;
    }
    const uint32_t until = net_clock_ms() + wait_ms;
    NetEvent event;
    do {
        const uint32_t now = net_clock_ms();
        net_poll(session.link, until > now ? std::min<uint32_t>(until - now, 50) : 0, &event);
        if (!take_event(event, host_seed)) {
            return -1;
        }
    } while (!session.got_hello && net_clock_ms() < until);
    if (!session.got_hello) {
        return 0;
    }
    const NetMessage& peer = session.peer_hello;
    if (std::strcmp(peer.version, net_version) != 0) {
        char text[160];
        std::snprintf(text, sizeof text, "the other player runs version %s, this is version %s: no match",
                      peer.version, net_version);
        NetMessage bye{};
        bye.kind = net_bye;
        bye.reason = net_bye_version;
        send_message(bye, true);
        fail(text);
        return -1;
    }
    // The match: the host's limit and seed, each seat's name, plane, pilot.
    save_settings();
    const int32_t other = 1 - net_seat;
    // A dead player's noise draws as many numbers as the host's view has
    // pixels, so screens of other sizes keep the same game.
    if (net_seat == 1) {
        frag_limit = peer.frag_limit;
        net_seed = peer.seed;
        noise_draws = int64_t{peer.screen_width / 2} * peer.screen_height;
    } else {
        net_seed = session.hello_seed;
        noise_draws = int64_t{res_x / 2} * res_y;
    }
    std::snprintf(player_name[other], sizeof player_name[other], "%s", peer.name);
    plane_index[other] = peer.plane;
    std::memcpy(plane_name[other], plane_names[peer.plane], sizeof plane_names[0]);
    plane_name[other][sizeof plane_name[other] - 1] = '\0';
    pilot_kind[other] = peer.pilot;
    net_state = net_playing;
    std::snprintf(net_status, sizeof net_status, "Playing against %s", peer.name);
    return 1;
}

void netplay_fill_local(uint64_t tick, uint8_t (*flags_at)(uint64_t tick, void* user), void* user)
{
    // The delay follows half the round trip, a tick for a lost packet and
    // one to spare.
    const int32_t wanted =
        static_cast<int32_t>((session.round_trip / 2 + net_tick_ms - 1) / net_tick_ms) + 2;
    session.delay = std::clamp(wanted, delay_min, delay_max);
    // Never more than the ring can keep unacknowledged.
    const uint64_t last = std::min(tick + static_cast<uint64_t>(session.delay), session.peer_acked + net_inputs_max);
    while (session.local_next <= last) {
        const uint64_t t = session.local_next++;
        session.local[t % ring] = static_cast<uint8_t>(flags_at(t, user) & 0x7F);
        session.local_sent_at[t % ring] = 0;
    }
}

int32_t netplay_inputs(uint64_t tick, uint32_t wait_ms, uint8_t flags[2])
{
    if (net_state != net_playing) {
        return -1;
    }
    const uint32_t start = net_clock_ms();
    send_ticks();
    for (;;) {
        // Everything that has come, before anything else: a backlog would
        // hold back the other's acknowledgements and then its inputs.
        NetEvent event;
        while (net_poll(session.link, 0, &event) != net_event_none) {
            if (!take_event(event, 0)) {
                return -1;
            }
        }
        if (session.remote_through >= tick && session.local_next > tick) {
            flags[net_seat] = session.local[tick % ring];
            flags[1 - net_seat] = session.remote[tick % ring];
            return 1;
        }
        const uint32_t now = net_clock_ms();
        if (now - session.last_heard > silence_limit_ms && match_active != 1) {
            net_state = net_off;
            return -1;
        }
        if (now - session.last_heard > silence_limit_ms) {
            fail("the other player is gone (no answer for 2.5 seconds)");
            return -1;
        }
        if (now - start >= wait_ms) {
            return 0;
        }
        if (now - session.last_sent >= net_tick_ms) {
            send_ticks();  // ours again, in case the last one was lost
        }
        net_poll(session.link, std::min<uint32_t>(wait_ms - (now - start), 5), &event);
        if (!take_event(event, 0)) {
            return -1;
        }
    }
}

void netplay_tick_ran(uint64_t tick)
{
    if (net_state != net_playing) {
        return;
    }
    const uint32_t slot = tick % ring;
    session.own_hash[slot] = match_state_hash();
    session.own_hash_tick[slot] = tick;
    session.hashed_through = tick;
    compare_hash(tick);
}

void netplay_press_keys(const uint8_t flags[2], void (*press)(int32_t down, uint32_t key))
{
    for (int32_t seat = 0; seat < 2; ++seat) {
        const uint8_t changed = flags[seat] ^ session.pressed[seat];
        for (int32_t control = 0; control < control_count; ++control) {
            if (changed & (1u << control)) {
                press((flags[seat] >> control) & 1, key_layout[seat][control]);
            }
        }
        session.pressed[seat] = flags[seat];
    }
}

uint8_t netplay_key_bit(uint32_t key)
{
    for (const KeyLayout& layout : key_layout) {
        for (int32_t control = 0; control < control_count; ++control) {
            if (layout[control] == key) {
                return static_cast<uint8_t>(1u << control);
            }
        }
    }
    return 0;
}

int32_t netplay_delay()
{
    return session.delay;
}

uint32_t netplay_round_trip_ms()
{
    return session.round_trip;
}

void netplay_close(int32_t reason)
{
    if (session.link) {
        if (net_state == net_playing) {
            send_ticks();  // what the other may still need
            NetMessage bye{};
            bye.kind = net_bye;
            bye.reason = reason;
            send_message(bye, true);
        }
        net_close(session.link, session.sent_bye ? 1 : 0);
        session.link = nullptr;
    }
    if (net_state != net_failed) {
        net_state = net_off;
    }
}

void netplay_restore_settings()
{
    if (!saved.saved) {
        return;
    }
    saved.saved = false;
    noise_draws = 0;
    frag_limit = saved.frag_limit;
    std::memcpy(plane_index, saved.plane_index, sizeof saved.plane_index);
    std::memcpy(plane_name, saved.plane_name, sizeof saved.plane_name);
    std::memcpy(player_name, saved.player_name, sizeof saved.player_name);
    std::memcpy(pilot_kind, saved.pilot_kind, sizeof saved.pilot_kind);
}

uint32_t match_state_hash()
{
    uint32_t hash = 2166136261u;
    for (const Aircraft& a : aircraft) {
        hash = fnv_words(hash, a.matrix.m, sizeof a.matrix.m);
        const float motion[4] = {a.speed, a.thrust, a.yaw_rate, a.pitch_rate};
        hash = fnv_words(hash, motion, sizeof motion);
        const int32_t counts[3] = {a.energy, a.frags, a.explosion_frame};
        hash = fnv_words(hash, counts, sizeof counts);
    }
    const int32_t shared[4] = {shot_count, frag_timer, match_active, winner_active};
    hash = fnv_words(hash, shared, sizeof shared);
    if (shot_matrix && shot_age) {
        for (int32_t i = 0; i < shot_count && i < shot_capacity; ++i) {
            hash = fnv_words(hash, shot_matrix[i].m, sizeof shot_matrix[i].m);
            hash = fnv_words(hash, &shot_age[i], sizeof shot_age[i]);
        }
    }
    return hash;
}
