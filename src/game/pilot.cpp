#include "game/pilot.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>

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
    int32_t reaction;      // from seeing the opponent to acting on it
    int32_t settle;        // after a turn key is let go, frames before that axis is touched again
    double aim_tolerance;  // how far off the aim point a shot may go and still be fired
    double lead;           // share of the opponent's motion during a shot's flight allowed for
    double turn_reading;   // share of the opponent's turn it expects to go on
    double wobble;         // how far its idea of the aim point wanders
    double range;          // the distance it likes to shoot from
    double turn_speed;     // the speed it slows to while turning onto the opponent
    int32_t break_time;    // frames before meeting the opponent head on that it breaks off
    int32_t evades;        // 1: jinks when the opponent sits behind it with its nose on it
    // In player 1's seat: a shot is fired only if it will stand this near
    // the opponent at the end of one of its frames (see the fire decision).
    double frame_end_reach;
};

const PilotStyle styles[pilot_kind_count] = {
    {},                                                          // a human: not used
    {7, 20, 60.0, 0.6, 0.5, 35.0, 400.0, 25.0, 10, 0, 38.0},     // Rookie
    {6, 18, 40.0, 0.8, 0.7, 25.0, 450.0, 20.0, 12, 1, 36.0},     // Veteran
    {5, 16, 30.0, 1.0, 1.0, 15.0, 500.0, 15.0, 14, 1, 36.5},     // Ace
};

constexpr double shot_speed = 100.0;   // units a shot flies per frame
constexpr double muzzle = 31.0;        // a new shot's distance ahead of the nose
constexpr double hit_reach = 30.0;     // a shot this near an aeroplane hits it
constexpr double shot_reach = 1500.0;  // farther than this a shot rarely gets there in time
constexpr int32_t shot_frames = 16;    // frames a shot is tested against player 1
constexpr double top_speed = 50.0;
constexpr double rate_decay = 0.03;    // turn-rate loss per frame with no turn key
constexpr double rate_step = 0.015;    // turn-rate gain per frame with a turn key
constexpr double max_rate = 0.15707964;
constexpr int32_t history = 32;        // sightings kept (more than the slowest reaction needs)
constexpr int32_t turn_span = 3;       // sightings the opponent's turn is judged over
constexpr int32_t path_length = 48;    // frames of the opponent's path it looks ahead
constexpr int32_t wobble_period = 30;
constexpr double fine_tolerance = 0.01;     // the finest turn worth a key
constexpr double aim_share = 0.3;           // of the aim tolerance, per axis, while steering
constexpr double coarse_share = 0.5;        // of the angle off the nose that need not be turned yet
constexpr double on_nose_angle = 0.3;        // the opponent counts as ahead within this angle
constexpr double off_nose_angle = 0.5;       // and no longer past this one (nor as near the nose)
constexpr double closing_divisor = 25.0;    // frames it means to take to close the distance to its range
constexpr double throttle_share = 0.25;     // of the wanted speed that it lets the speed stray
constexpr double min_throttle_band = 0.5;
constexpr double max_throttle_band = 6.0;
constexpr double break_speed = 20.0;        // the speed it keeps while breaking off
constexpr double head_on_cosine = 0.5;      // the opponent within 60 degrees of its nose
constexpr double break_bubble = 800.0;      // a break goes on while the two close in nearer than this
constexpr int32_t break_hold = 10;
constexpr int32_t evade_time = 24;
constexpr int32_t evade_rest_time = 120;
constexpr double evade_distance = 1000.0;
constexpr double evade_cosine = 0.998;      // the opponent's nose within 3.6 degrees of it
constexpr int32_t circling_limit = 60;
constexpr double circling_distance = 800.0;
constexpr int32_t extend_time = 45;
constexpr int32_t dry_limit = 45;           // frames without a shot that would count before it moves in
constexpr double creep_speed = 6.0;
constexpr double creep_margin = 200.0;
constexpr int32_t trigger_delay = 2;        // frames from the chance to the trigger, plus a random 0 to 7
constexpr uint32_t trigger_spread = 8;
constexpr double fire_widening = 1.5;       // the cone grows once it means to fire
constexpr int32_t press_hold = 1;           // frames a key is held at least
constexpr int32_t throttle_rest = 30;       // frames between two presses of a throttle key
constexpr int32_t fire_hold = 8;            // frames the fire key stays as it is at least

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
    int32_t break_frames;  // > 0 while breaking off, jinking or running out
    int32_t break_yaw;     // +1 right / down, -1 left / up, held while breaking off
    int32_t break_pitch;
    int32_t avoiding;      // 1 while the break is one from a head-on meeting
    int32_t behind_side;   // the way it turns onto an opponent behind it
    int32_t circling;      // frames the opponent has stayed off its nose, close by
    int32_t evade_rest;    // frames before it jinks again
    int32_t ahead;         // 1 while the opponent counts as ahead
    int32_t dry;           // frames since it last had a shot on that would count
    int32_t trigger;       // < 0: frames until it fires; 1: firing; 0: no chance
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
    mem.avoiding = 0;
    mem.trigger = 0;
    mem.dry = 0;
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

// The angle turned from rate w with the key held frames more frames, then
// let go.
double tap_angle(double w, int32_t frames)
{
    double sum = 0.0;
    for (int32_t k = 0; k < frames; ++k) {
        w = std::min(w + rate_step, max_rate);
        sum += w;
    }
    return sum + coasting_angle(w);
}

// One turn axis: +1 to hold the key that turns towards positive errors, -1
// the other, 0 neither. w is the present rate towards positive errors and
// holding the way the key is held now. A held key is let go as soon as
// holding it one more frame would carry the nose farther past the aim than
// letting go now leaves it short; a new turn starts only for an error past
// the tolerance, and only when the shortest tap brings the nose nearer. A
// turn the wrong way is let go first: it dies faster by itself than against
// the other key.
int32_t steer(double error, double w, double tolerance, int32_t holding)
{
    if (holding != 0) {
        const double e = holding * error, r = holding * w;
        return std::fabs(e - tap_angle(r, 1)) < std::fabs(e - coasting_angle(r)) ? holding : 0;
    }
    const double left_over = error - coasting_angle(w);
    const int32_t way = left_over > 0.0 ? 1 : -1;
    if (std::fabs(left_over) <= tolerance || way * w < -rate_decay) {
        return 0;
    }
    const double tap = tap_angle(way * w, press_hold) - coasting_angle(way * w);
    return std::fabs(left_over) > 0.5 * tap ? way : 0;
}

void want_turn(int32_t wanted[key_count], int32_t direction, Key positive, Key negative)
{
    wanted[positive] = direction > 0;
    wanted[negative] = direction < 0;
}

int32_t holding(const PilotMemory& mem, Key positive, Key negative)
{
    return mem.held[positive] ? 1 : mem.held[negative] ? -1 : 0;
}

// The throttle keys that bring the speed towards wanted: pressed once the
// speed strays past a band, held until it is there.
void want_speed(const PilotMemory& mem, double speed, double wanted, int32_t keys[key_count])
{
    const double band = std::clamp(throttle_share * wanted, min_throttle_band, max_throttle_band);
    keys[accelerate_key] =
        wanted >= top_speed || speed < wanted - (mem.held[accelerate_key] ? 0.0 : band);
    keys[brake_key] = !keys[accelerate_key] && speed > wanted + (mem.held[brake_key] ? 0.0 : band);
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

// What the pilot sees of the two aeroplanes this frame.
struct Picture {
    Vec path[path_length];  // the opponent's expected places; path[reaction] is now
    Vec now, velocity;      // the opponent's
    Vec position, right, down, nose;
    double speed;
    Vec offset;  // from here to the opponent
    double distance;
};

// Where to point the nose: where the opponent will be when a shot fired now
// gets there (as far as this pilot allows for its motion), plus its wobble.
Vec aim_point(const Picture& pic, const PilotStyle& style, const PilotMemory& mem)
{
    const Vec gun = pic.position + pic.nose * (muzzle + pic.speed);
    Vec aim = pic.now;
    for (int32_t k = 0; k < 3; ++k) {
        const double flight = 1.0 + length(aim - gun) / shot_speed;
        const double ahead =
            std::min(flight * style.lead, static_cast<double>(path_length - 2 - style.reaction));
        const int32_t whole = static_cast<int32_t>(ahead);
        const Vec from = pic.path[style.reaction + whole];
        aim = from + (pic.path[style.reaction + whole + 1] - from) * (ahead - whole);
    }
    return aim + mem.wobble;
}

// Player 1 is tested against a shot only where the shot stands at the end of
// each frame (player 2 at five points along its way): whether a shot fired
// now, straight along the nose, stands within reach of where this pilot
// expects the opponent at the end of one of its frames.
bool counts_at_frame_ends(const Picture& pic, const PilotStyle& style, const PilotMemory& mem,
                          double reach)
{
    const Vec launch = pic.position + pic.nose * (pic.speed + muzzle);
    for (int32_t k = 0; k < shot_frames && style.reaction + 1 + k < path_length; ++k) {
        const Vec shot = launch + pic.nose * (shot_speed * (k + 1));
        if (length(shot - (pic.path[style.reaction + 1 + k] + mem.wobble)) < reach) {
            return true;
        }
    }
    return false;
}

// Breaking off, jinking and running out: sets break_frames and the turn to
// hold while it lasts.
void plan_breaks(const Picture& pic, const PilotStyle& style, PilotMemory& mem, double off_nose)
{
    // Heading at the opponent and due to meet it within its break time: it
    // turns away from the side the opponent is on and keeps turning until
    // the two are past each other.
    const Vec relative = pic.velocity - pic.nose * pic.speed;  // the opponent's motion seen from here
    const double closing_rate = pic.distance > 0.0 ? -dot(pic.offset, relative) / pic.distance : 0.0;
    const bool heading_at = dot(pic.offset, pic.nose) > head_on_cosine * pic.distance;
    if (closing_rate > 0.0 && heading_at && pic.distance < style.break_time * closing_rate) {
        if (!mem.avoiding) {
            const double ox = dot(pic.offset, pic.right), oy = dot(pic.offset, pic.down);
            const double side = std::max(std::fabs(ox), std::fabs(oy));
            mem.break_yaw = std::fabs(ox) < 0.3 * side ? 0 : ox > 0.0 ? -1 : 1;
            mem.break_pitch = std::fabs(oy) < 0.3 * side ? 0 : oy > 0.0 ? -1 : 1;
            if (side < 1e-6) {
                mem.break_pitch = -1;
            }
        }
        mem.avoiding = 1;
        mem.break_frames = std::max(mem.break_frames, break_hold);
    } else if (mem.avoiding && closing_rate > 0.0 && pic.distance < break_bubble) {
        mem.break_frames = std::max(mem.break_frames, 2);
    }

    // Jinking: the opponent behind it with its nose on it.
    const Vec their_nose = unit(sighting(mem, style.reaction).nose);
    const double on_their_nose = pic.distance > 0.0 ? -dot(pic.offset, their_nose) / pic.distance : 0.0;
    const bool from_behind = dot(pic.offset, pic.nose) < 0.0;
    if (mem.evade_rest > 0) {
        --mem.evade_rest;
    } else if (style.evades && from_behind && mem.break_frames <= 0 && pic.distance < evade_distance &&
               on_their_nose > evade_cosine) {
        mem.break_frames = evade_time;
        mem.avoiding = 0;
        mem.evade_rest = evade_rest_time;
        mem.break_yaw = next_random(mem) & 1 ? 1 : -1;
        mem.break_pitch = next_random(mem) & 2 ? 1 : -1;
    }

    // Circling round each other without either nose coming on: it runs out
    // straight for a while to come back at the opponent from afar.
    mem.circling = off_nose > off_nose_angle && pic.distance < circling_distance ? mem.circling + 1 : 0;
    if (mem.circling > circling_limit && mem.break_frames <= 0) {
        mem.circling = 0;
        mem.break_frames = extend_time;
        mem.avoiding = 0;
        mem.break_yaw = 0;
        mem.break_pitch = 0;
    }
}

// The speed it wants while attacking.
double attack_speed(int32_t p, const Picture& pic, const PilotStyle& style, PilotMemory& mem,
                    double off_nose)
{
    // Slow to turn tighter while the opponent is off the nose; with it
    // ahead, close in to its range.
    mem.ahead = off_nose < (mem.ahead ? off_nose_angle : on_nose_angle);
    double wanted = style.turn_speed;
    if (mem.ahead && pic.distance > 0.0) {
        const double running_away = dot(pic.velocity, pic.offset) / pic.distance;
        double range = style.range;
        if (p == 1) {
            // Player 2's shots count against player 1 only at the end of a
            // frame: its range is one of those places (the nearest short
            // of its liking), counted from where the shot starts and with
            // the opponent's own motion towards it.
            const double coming = -running_away;
            const double first = pic.speed + muzzle + shot_speed + coming, step = shot_speed + coming;
            if (step > 1.0) {
                const double k = std::max(0.0, std::round((style.range - first) / step - 0.5));
                range = first + k * step;
            }
        }
        wanted = std::clamp(running_away + (pic.distance - range) / closing_divisor, 0.0, top_speed);
    }
    // Sitting where no shot of its own counts (both hanging still at the
    // wrong distance): it creeps in.
    if (mem.dry > dry_limit && wanted < creep_speed && pic.distance < style.range + creep_margin) {
        wanted = creep_speed;
    }
    return wanted;
}

// What the pilot of aeroplane p wants to hold this frame.
void decide(int32_t p, const PilotStyle& style, int32_t wanted[key_count])
{
    PilotMemory& mem = memory[p];
    const Aircraft& me = aircraft[p];

    Picture pic;
    expect_path(mem, style, pic.path);
    pic.now = pic.path[style.reaction];
    pic.velocity = pic.path[style.reaction + 1] - pic.now;
    pic.position = row(me.matrix, 3);
    pic.right = unit(row(me.matrix, 0));
    pic.down = unit(row(me.matrix, 1));
    pic.nose = unit(row(me.matrix, 2));
    pic.speed = static_cast<double>(me.speed);
    pic.offset = pic.now - pic.position;
    pic.distance = length(pic.offset);

    if (--mem.wobble_frames <= 0) {
        mem.wobble_frames = wobble_period;
        mem.wobble = Vec{random_signed(mem), random_signed(mem), random_signed(mem)} * style.wobble;
    }
    const Vec to_aim = aim_point(pic, style, mem) - pic.position;
    const double lx = dot(to_aim, pic.right);
    const double ly = dot(to_aim, pic.down);
    const double lz = dot(to_aim, pic.nose);
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

    // In player 1's seat it fires only shots that would count even against
    // player 1, so both seats score alike (the reach a little over the hit
    // radius, for the pilot's own errors, sets the balance).
    const bool counts =
        counts_at_frame_ends(pic, style, mem, p == 0 ? style.frame_end_reach : hit_reach);
    mem.dry = lz > 0.0 && lateral < style.aim_tolerance && counts ? 0 : std::min(mem.dry + 1, 1000);

    plan_breaks(pic, style, mem, off_nose);
    if (mem.break_frames > 0) {
        mem.avoiding = --mem.break_frames > 0 && mem.avoiding;
        want_turn(wanted, mem.break_yaw, right_key, left_key);
        want_turn(wanted, mem.break_pitch, down_key, up_key);
        want_speed(mem, pic.speed, break_speed, wanted);
    } else {
        // Small errors are left alone, the more so the farther the
        // opponent is off the nose.
        const double tolerance = std::max({fine_tolerance,
                                           aim_share * style.aim_tolerance / std::max(pic.distance, 1.0),
                                           coarse_share * off_nose});
        want_turn(wanted,
                  steer(yaw_error, -static_cast<double>(me.yaw_rate), tolerance,
                        holding(mem, right_key, left_key)),
                  right_key, left_key);
        want_turn(wanted,
                  steer(pitch_error, -static_cast<double>(me.pitch_rate), tolerance,
                        holding(mem, down_key, up_key)),
                  down_key, up_key);
        want_speed(mem, pic.speed, attack_speed(p, pic, style, mem, off_nose), wanted);
    }

    // A chance: the aim within its tolerance (wider once it means to fire)
    // and in reach. The trigger comes a few frames after the chance.
    const double fire_cone = (mem.trigger != 0 ? fire_widening : 1.0) * style.aim_tolerance;
    const bool chance = lz > 0.0 && pic.distance < shot_reach && lateral < fire_cone && (p != 0 || counts);
    if (!chance) {
        mem.trigger = 0;
    } else if (mem.trigger == 0) {
        mem.trigger = -(trigger_delay + static_cast<int32_t>(next_random(mem) % trigger_spread));
    } else if (mem.trigger < 0) {
        mem.trigger += 1;
    }
    if (mem.trigger == 0 && chance) {
        mem.trigger = 1;
    }
    wanted[fire_key] = mem.trigger > 0;
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
            // A key stays down a frame at least. A turn key let go leaves
            // its axis alone while the nose settles (not while breaking
            // off); the throttle is left alone a while between presses.
            const bool turn = k >= left_key && k <= down_key;
            const int32_t partner = turn ? k ^ 1 : k;
            const int32_t steady = k == fire_key                        ? fire_hold
                                   : mem.held[k] || (turn && mem.avoiding) ? press_hold
                                   : turn                                ? style.settle
                                                                         : throttle_rest;
            const int32_t since = mem.held[k] ? mem.since[k] : std::min(mem.since[k], mem.since[partner]);
            if (wanted[k] != mem.held[k] && since >= steady) {
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
