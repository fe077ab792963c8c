#include "game/pilot.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <string>

#include "game/aircraft.h"
#include "game/weapons.h"
#include "shell/keyboard.h"
#include "shell/settings.h"

const char pilot_names[pilot_kind_count][8] = {"Human", "Rookie", "Veteran", "Ace"};
int32_t pilot_kind[2] = {pilot_human, pilot_human};

namespace {

// How one strength flies. Angles in radians, distances in world units, times
// in frames of 33 ms.
struct PilotStyle {
    int32_t reaction;       // from seeing the opponent to acting on it
    int32_t steady;         // a steering or throttle key stays pressed, or released, this long at least
    double aim_tolerance;   // how far off the aim point a shot may go and still be fired
    double lead;            // share of the opponent's motion during a shot's flight allowed for
    double turn_reading;    // share of the opponent's turn it expects to go on
    double wobble;          // how far its idea of the aim point wanders
    double range;           // the distance it likes to shoot from
    double turn_speed;      // the speed it slows to while turning onto the opponent
    double break_distance;  // the closest pass it accepts before breaking off
    int32_t evades;         // jinks away from the opponent's aim: 0 never, 1 from behind, 2 also when losing the exchange
};

const PilotStyle styles[pilot_kind_count] = {
    {},                                                         // a human: not used
    {10, 4, 60.0, 0.7, 0.5, 35.0, 400.0, 15.0, 90.0, 0},        // Rookie
    {8, 3, 40.0, 0.9, 0.5, 20.0, 450.0, 10.0, 110.0, 1},        // Veteran
    {5, 3, 30.0, 1.0, 1.0, 5.0, 500.0, 15.0, 130.0, 2},         // Ace
};

constexpr double shot_speed = 100.0;   // units a shot flies per frame
constexpr double muzzle = 31.0;        // a new shot's distance ahead of the nose
constexpr double shot_reach = 1500.0;  // farther than this a shot rarely gets there in time
constexpr double rate_decay = 0.03;    // turn-rate loss per frame with no turn key
constexpr int32_t history = 32;        // sightings kept (more than the slowest reaction needs)
constexpr int32_t turn_span = 3;       // sightings the opponent's turn is judged over
constexpr int32_t path_length = 48;    // frames of the opponent's path it looks ahead
constexpr int32_t wobble_period = 30;
constexpr int32_t break_time = 8;
constexpr int32_t evade_time = 24;
constexpr int32_t evade_rest_time = 90;
constexpr int32_t fire_steady = 6;
constexpr int32_t circling_limit = 60;
constexpr int32_t extend_time = 45;

struct Vec {
    double x, y, z;
};
Vec operator+(Vec a, Vec b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec operator-(Vec a, Vec b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec operator*(Vec a, double s) { return {a.x * s, a.y * s, a.z * s}; }
double dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
double length(Vec a) { return std::sqrt(dot(a, a)); }
Vec cross(Vec a, Vec b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }

Vec row(const Matrix4& m, int32_t r)
{
    return {static_cast<double>(m.m[4 * r]), static_cast<double>(m.m[4 * r + 1]),
            static_cast<double>(m.m[4 * r + 2])};
}
Vec unit(Vec a)
{
    const double l = length(a);
    return l > 0.0 ? a * (1.0 / l) : Vec{0.0, 0.0, 1.0};
}

// The keys in the order of PlayerControls.
enum Key { accelerate_key, brake_key, left_key, right_key, up_key, down_key, fire_key, key_count };

// The opponent as seen in one frame.
struct Sighting {
    Vec position;
    Vec nose;
};

struct PilotMemory {
    Sighting seen[history];
    int32_t seen_count;
    int32_t held[key_count];
    int32_t since[key_count];  // frames since the key last changed
    uint32_t random_state;
    Vec wobble;
    int32_t wobble_frames;
    int32_t break_frames;  // > 0 while breaking off or jinking
    int32_t break_yaw;     // +1 right / down, -1 left / up, held while breaking off
    int32_t break_pitch;
    int32_t behind_side;   // the way it turns onto an opponent behind it
    int32_t circling;      // frames the opponent has stayed off its nose, close by
    int32_t evade_rest;    // frames before it jinks again
};

PilotMemory memory[2];

// The pilot's own generator (xorshift), apart from the game's.
uint32_t next_random(PilotMemory& mem)
{
    uint32_t x = mem.random_state;
    x ^= x << 13;
    x ^= x >> 17;
    x ^= x << 5;
    mem.random_state = x;
    return x;
}

// -1 .. 1
double random_signed(PilotMemory& mem)
{
    return static_cast<double>(next_random(mem) % 20001u) / 10000.0 - 1.0;
}

void forget(PilotMemory& mem)
{
    mem.seen_count = 0;
    for (int32_t k = 0; k < key_count; ++k) {
        mem.held[k] = 0;
        mem.since[k] = history;
    }
    mem.wobble = Vec{0.0, 0.0, 0.0};
    mem.wobble_frames = 0;
    mem.break_frames = 0;
    mem.circling = 0;
    mem.evade_rest = 0;
}

const Sighting& sighting(const PilotMemory& mem, int32_t frames_ago)
{
    return mem.seen[(mem.seen_count - 1 - frames_ago) % history];
}

// The angle still turned after letting go of a turn at rate w.
double coasting_angle(double w)
{
    double sum = 0.0;
    double a = std::fabs(w);
    while ((a -= rate_decay) > 0.0) {
        sum += a;
    }
    return w < 0.0 ? -sum : sum;
}

// One turn axis: +1 to hold the key that turns towards positive errors, -1
// the other, 0 neither. w is the present rate towards positive errors. A
// turn the wrong way is let go first: it dies faster by itself than against
// the other key.
int32_t steer(double error, double w, double tolerance)
{
    const double left_over = error - coasting_angle(w);
    if (left_over > tolerance) {
        return w < -rate_decay ? 0 : 1;
    }
    if (left_over < -tolerance) {
        return w > rate_decay ? 0 : -1;
    }
    return 0;
}

void want_turn(int32_t wanted[key_count], int32_t direction, Key positive, Key negative)
{
    wanted[positive] = direction > 0;
    wanted[negative] = direction < 0;
}

// The opponent's path as this pilot expects it, one place per frame from
// the sighting a reaction time ago: on at its last speed, turning on as it
// was turning (as far as the pilot reads turns).
void expect_path(const PilotMemory& mem, const PilotStyle& style, Vec path[path_length])
{
    const Sighting& then = sighting(mem, style.reaction);
    const Sighting& last_move = sighting(mem, style.reaction + 1);
    const Sighting& before = sighting(mem, style.reaction + turn_span);
    const double speed = length(then.position - last_move.position);
    Vec nose = unit(then.nose);
    const Vec was = unit(before.nose);
    const Vec axis_length = cross(was, nose);
    const double turned = std::atan2(length(axis_length), dot(was, nose));
    const double step = style.turn_reading * turned / turn_span;
    const Vec axis = unit(axis_length);
    const double c = std::cos(step), s = std::sin(step);
    Vec position = then.position;
    for (int32_t k = 0; k < path_length; ++k) {
        path[k] = position;
        position = position + nose * speed;
        // Rodrigues: the nose turned by step about the axis.
        nose = nose * c + cross(axis, nose) * s + axis * (dot(axis, nose) * (1.0 - c));
    }
}

// What the pilot of aeroplane p wants to hold this frame.
void decide(int32_t p, const PilotStyle& style, int32_t wanted[key_count])
{
    PilotMemory& mem = memory[p];
    const Aircraft& me = aircraft[p];

    Vec path[path_length];
    expect_path(mem, style, path);
    const Vec now = path[style.reaction];
    const Vec velocity = path[style.reaction + 1] - now;

    const Vec position = row(me.matrix, 3);
    const Vec right = unit(row(me.matrix, 0));
    const Vec down = unit(row(me.matrix, 1));
    const Vec nose = unit(row(me.matrix, 2));
    const double speed = static_cast<double>(me.speed);
    const Vec offset = now - position;
    const double distance = length(offset);

    if (--mem.wobble_frames <= 0) {
        mem.wobble_frames = wobble_period;
        mem.wobble = Vec{random_signed(mem), random_signed(mem), random_signed(mem)} * style.wobble;
    }

    // Where to point the nose: where the opponent will be when a shot fired
    // now gets there (as far as this pilot allows for its motion).
    const Vec gun = position + nose * (muzzle + speed);
    Vec aim = now;
    for (int32_t k = 0; k < 3; ++k) {
        const double flight = 1.0 + length(aim - gun) / shot_speed;
        const double ahead = std::min(flight * style.lead, static_cast<double>(path_length - 2 - style.reaction));
        const int32_t whole = static_cast<int32_t>(ahead);
        const Vec from = path[style.reaction + whole];
        aim = from + (path[style.reaction + whole + 1] - from) * (ahead - whole);
    }
    aim = aim + mem.wobble;
    const Vec to_aim = aim - position;
    const double lx = dot(to_aim, right);
    const double ly = dot(to_aim, down);
    const double lz = dot(to_aim, nose);
    const double lateral = std::sqrt(lx * lx + ly * ly);
    const double off_nose = std::atan2(lateral, lz);
    double yaw_error = 0.0;
    double pitch_error = 0.0;
    if (off_nose > 2.6 || lateral < 1e-9) {
        // Nearly behind: one steady turn, the same way until it comes round.
        if (mem.behind_side == 0) {
            mem.behind_side = lx >= 0.0 ? 1 : -1;
        }
        yaw_error = mem.behind_side * off_nose;
    } else {
        yaw_error = off_nose * lx / lateral;
        pitch_error = off_nose * ly / lateral;
        if (off_nose < 2.0) {
            mem.behind_side = lx >= 0.0 ? 1 : -1;
        }
    }

    // Breaking off: a pass closer than it accepts within the next half
    // second; or, for a pilot who evades, the opponent behind it with its
    // nose on it.
    const Vec closing = velocity - nose * speed;
    const double closing_squared = dot(closing, closing);
    const double pass_time = closing_squared > 1e-6 ? -dot(offset, closing) / closing_squared : -1.0;
    const double pass_distance = length(offset + closing * pass_time);
    if (pass_time > 0.0 && pass_time < 15.0 && pass_distance < style.break_distance) {
        if (mem.break_frames <= 0) {
            mem.break_yaw = dot(offset, right) > 0.0 ? -1 : 1;
            mem.break_pitch = dot(offset, down) > 0.0 ? -1 : 1;
        }
        mem.break_frames = std::max(mem.break_frames, break_time);
    }
    const Vec their_nose = unit(sighting(mem, style.reaction).nose);
    const double on_their_nose = distance > 0.0 ? -dot(offset, their_nose) / distance : 0.0;
    const bool from_behind = dot(offset, nose) < 0.0;
    const bool losing = me.energy + 10 < aircraft[1 - p].energy;
    if (mem.evade_rest > 0) {
        --mem.evade_rest;
    } else if (((style.evades >= 1 && from_behind) || (style.evades == 2 && losing)) &&
               mem.break_frames <= 0 && distance < 1000.0 && on_their_nose > 0.998) {
        mem.break_frames = evade_time;
        mem.evade_rest = evade_rest_time;
        mem.break_yaw = next_random(mem) & 1 ? 1 : -1;
        mem.break_pitch = next_random(mem) & 2 ? 1 : -1;
    }

    // Circling round each other without either nose coming on: it runs out
    // straight for a while to come back at the opponent from afar.
    mem.circling = off_nose > 0.5 && distance < 800.0 ? mem.circling + 1 : 0;
    if (mem.circling > circling_limit && mem.break_frames <= 0) {
        mem.circling = 0;
        mem.break_frames = extend_time;
        mem.break_yaw = 0;
        mem.break_pitch = 0;
    }

    const double on_target = distance > 1.0 ? style.aim_tolerance / length(to_aim) : 1.0;
    if (mem.break_frames > 0) {
        --mem.break_frames;
        want_turn(wanted, mem.break_yaw, right_key, left_key);
        want_turn(wanted, mem.break_pitch, down_key, up_key);
        wanted[accelerate_key] = 1;
    } else {
        const double tolerance = 0.5 * on_target;
        want_turn(wanted, steer(yaw_error, -static_cast<double>(me.yaw_rate), tolerance), right_key,
                  left_key);
        want_turn(wanted, steer(pitch_error, -static_cast<double>(me.pitch_rate), tolerance),
                  down_key, up_key);

        // Throttle: close in to its range while the opponent is ahead, slow
        // down to turn tighter while it is not.
        double wanted_speed = style.turn_speed;
        if (off_nose < 0.35 && distance > 0.0) {
            const double running_away = dot(velocity, offset) / distance;
            wanted_speed = running_away + (distance - style.range) / 25.0;
        }
        wanted[accelerate_key] = speed < wanted_speed - 1.5;
        wanted[brake_key] = speed > wanted_speed + 3.0;
    }
    // Fires once the aim is within its tolerance, and keeps on a little
    // wider.
    const double fire_cone = mem.held[fire_key] ? 1.5 * on_target : on_target;
    wanted[fire_key] = lz > 0.0 && distance < shot_reach && off_nose < fire_cone;
}

void fly(int32_t p)
{
    PilotMemory& mem = memory[p];
    const PilotStyle& style = styles[pilot_kind[p]];
    int32_t wanted[key_count] = {};

    if (frag_timer > 0) {
        // Between rounds the keys are let go and the last round forgotten.
        forget(mem);
    } else {
        const Matrix4& them = aircraft[1 - p].matrix;
        mem.seen[mem.seen_count % history] = Sighting{row(them, 3), row(them, 2)};
        mem.seen_count += 1;
        if (mem.seen_count > style.reaction + turn_span) {
            decide(p, style, wanted);
        }
        for (int32_t k = 0; k < key_count; ++k) {
            const int32_t steady = k == fire_key ? fire_steady : style.steady;
            if (wanted[k] != mem.held[k] && mem.since[k] >= steady) {
                mem.held[k] = wanted[k];
                mem.since[k] = 0;
            } else if (mem.since[k] < history) {
                mem.since[k] += 1;
            }
        }
        // Kept well below overflow; the ring is read modulo its size.
        if (mem.seen_count >= 1000000) {
            mem.seen_count -= 999968;
        }
    }
    PlayerControls& c = controls[p];
    c.accelerate = mem.held[accelerate_key];
    c.brake = mem.held[brake_key];
    c.turn_left = mem.held[left_key];
    c.turn_right = mem.held[right_key];
    c.pitch_up = mem.held[up_key];
    c.pitch_down = mem.held[down_key];
    c.fire = mem.held[fire_key];
}

bool is_computer(int32_t player)
{
    return pilot_kind[player] > pilot_human && pilot_kind[player] < pilot_kind_count;
}

const char* const pilot_options[2] = {"Pilot.0", "Pilot.1"};

}  // namespace

int32_t pilot_from_name(const char* text)
{
    for (int32_t kind = 0; text && kind < pilot_kind_count; ++kind) {
        const char* name = pilot_names[kind];
        size_t i = 0;
        while (name[i] != '\0' && std::tolower(static_cast<unsigned char>(text[i])) ==
                                      std::tolower(static_cast<unsigned char>(name[i]))) {
            ++i;
        }
        if (name[i] == '\0' && text[i] == '\0') {
            return kind;
        }
    }
    return -1;
}

void cycle_pilot(int32_t player)
{
    const int32_t kind = is_computer(player) ? pilot_kind[player] : pilot_human;
    pilot_kind[player] = (kind + 1) % pilot_kind_count;
    set_settings_option(pilot_options[player], pilot_names[pilot_kind[player]]);
}

void read_pilot_settings()
{
    for (int32_t player = 0; player < 2; ++player) {
        const int32_t kind = pilot_from_name(settings_option(pilot_options[player]));
        pilot_kind[player] = kind < 0 ? pilot_human : kind;
    }
}

const char* shown_player_name(int32_t player)
{
    if (!is_computer(player)) {
        return player_name[player];
    }
    char default_name[24];
    std::snprintf(default_name, sizeof default_name, "Player %d", player + 1);
    return std::strcmp(player_name[player], default_name) == 0 ? pilot_names[pilot_kind[player]]
                                                                : player_name[player];
}

void start_pilots()
{
    for (int32_t p = 0; p < 2; ++p) {
        PilotMemory& mem = memory[p];
        forget(mem);
        mem.behind_side = 0;
        // FNV-1a over both starting places' bits and the player's number:
        // the match seed decides them, and nothing else.
        uint32_t hash = 2166136261u;
        auto mix = [&hash](uint32_t word) {
            for (int32_t b = 0; b < 4; ++b) {
                hash = (hash ^ ((word >> (8 * b)) & 0xFFu)) * 16777619u;
            }
        };
        for (const Aircraft& a : aircraft) {
            for (int32_t i = 12; i < 15; ++i) {
                uint32_t bits = 0;
                std::memcpy(&bits, &a.matrix.m[i], sizeof bits);
                mix(bits);
            }
        }
        mix(static_cast<uint32_t>(p));
        mem.random_state = hash != 0 ? hash : 1u;
    }
}

void pilots_fly()
{
    for (int32_t p = 0; p < 2; ++p) {
        if (is_computer(p)) {
            fly(p);
        }
    }
}
