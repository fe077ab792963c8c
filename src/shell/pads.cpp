#include "shell/pads.h"

#include <algorithm>
#include <cstdio>
#include <string>

#include "platform/keys.h"
#include "platform/pads.h"
#include "platform/window.h"
#include "shell/keyboard.h"
#include "shell/settings.h"
#include "shell/window_proc.h"

namespace {

struct PadState {
    int32_t plugged;
    int32_t player = -1;  // -1: flies nobody
    uint32_t buttons;  // bit per button
    int32_t axes[pad_axis_count];
    uint32_t holds;  // bit per control: what the pad holds of its player's
    uint64_t held_since[control_count];  // pad_clock when it took hold
    uint32_t arrows;  // bit per arrow key: the screens' directions held
};

// The pads of one side: the player's own (live), or those of a replay
// being played, which fly the match in their place.
struct PadSet {
    PadState pads[pad_max];
    uint64_t clock;  // timer ticks
    int32_t lone_player;
    int32_t inverted[2];
};

PadSet live;
PadSet replayed;
bool replaying = false;

// The set whose pads hold the players' controls.
PadSet& flying()
{
    return replaying ? replayed : live;
}

void clear_set(PadSet& set) { set = PadSet{}; }

const uint32_t arrow_keys[4] = {VK_UP, VK_DOWN, VK_LEFT, VK_RIGHT};

bool button(const PadState& pad, int32_t which)
{
    return ((pad.buttons >> which) & 1) != 0;
}

// The directions of the left stick and the d-pad, as the arrow keys.
uint32_t arrows(const PadState& pad)
{
    const bool up = pad.axes[pad_left_y] < -pad_dead_zone || button(pad, pad_dpad_up);
    const bool down = pad.axes[pad_left_y] > pad_dead_zone || button(pad, pad_dpad_down);
    const bool left = pad.axes[pad_left_x] < -pad_dead_zone || button(pad, pad_dpad_left);
    const bool right = pad.axes[pad_left_x] > pad_dead_zone || button(pad, pad_dpad_right);
    return (up ? 1u : 0u) | (down ? 2u : 0u) | (left ? 4u : 0u) | (right ? 8u : 0u);
}

uint32_t control_holds(const PadSet& set, const PadState& pad)
{
    if (pad.player < 0) {
        return 0;
    }
    const uint32_t a = arrows(pad);
    const bool back = (a & 2u) != 0;  // stick pulled back: the nose rises
    const bool forward = (a & 1u) != 0;
    const bool inverted = set.inverted[pad.player] != 0;
    bool held[control_count] = {};
    held[control_up] = inverted ? forward : back;
    held[control_down] = inverted ? back : forward;
    held[control_left] = (a & 4u) != 0;
    held[control_right] = (a & 8u) != 0;
    held[control_accelerate] = pad.axes[pad_trigger_right] > pad_dead_zone;
    held[control_brake] = pad.axes[pad_trigger_left] > pad_dead_zone;
    held[control_fire] = button(pad, pad_a) || button(pad, pad_right_shoulder);
    uint32_t bits = 0;
    for (int32_t control = 0; control < control_count; ++control) {
        bits |= held[control] ? 1u << control : 0u;
    }
    return bits;
}

// After a change of the pad's state: its player's controls follow, and the
// arrow it pressed (0 for none) is returned. Only the flying set's pads
// press and let go of controls.
uint32_t follow(PadSet& set, PadState& pad)
{
    const uint32_t holds = control_holds(set, pad);
    const bool drives = &set == &flying();
    for (int32_t control = 0; control < control_count; ++control) {
        const uint32_t bit = 1u << control;
        if ((holds & bit) != 0 && (pad.holds & bit) == 0) {
            pad.held_since[control] = set.clock;
            if (match_active == 1 && drives) {
                pad_control(pad.player, control, 1);
            }
        } else if ((holds & bit) == 0 && (pad.holds & bit) != 0 && drives) {
            pad_control(pad.player, control, 0);
        }
    }
    pad.holds = holds;
    const uint32_t now = arrows(pad);
    const uint32_t pressed = now & ~pad.arrows;
    pad.arrows = now;
    for (int32_t i = 0; i < 4; ++i) {
        if ((pressed >> i) & 1) {
            return match_active == 1 ? 0 : arrow_keys[i];
        }
    }
    return 0;
}

bool flown(const PadSet& set, int32_t player)
{
    for (const PadState& pad : set.pads) {
        if (pad.plugged && pad.player == player) {
            return true;
        }
    }
    return false;
}

// A pad that flies nobody takes the first free player.
void give_player(PadSet& set, PadState& pad)
{
    for (int32_t player : {set.lone_player, 1 - set.lone_player}) {
        if (!flown(set, player)) {
            pad.player = player;
            follow(set, pad);
            return;
        }
    }
}

void unplug(PadSet& set, PadState& pad)
{
    const int32_t player = pad.player;
    if (player >= 0 && &set == &flying()) {
        for (int32_t control = 0; control < control_count; ++control) {
            pad_control(player, control, 0);
        }
    }
    pad = PadState{};
    pad.player = -1;
    for (PadState& other : set.pads) {
        if (player >= 0 && other.plugged && other.player < 0) {
            give_player(set, other);
            break;
        }
    }
}

uint32_t button_key(int32_t which)
{
    if (which == pad_back) {
        return VK_ESCAPE;
    }
    if (match_active == 1) {
        return 0;
    }
    if (which == pad_a || which == pad_start) {
        return VK_RETURN;
    }
    return which == pad_b ? uint32_t{VK_ESCAPE} : 0u;
}

// One pad message to the pads of a set.
uint32_t set_message(PadSet& set, uint32_t message, uintptr_t wparam, intptr_t lparam)
{
    if (wparam < 1 || wparam > static_cast<uintptr_t>(pad_max)) {
        return 0;
    }
    PadState& pad = set.pads[wparam - 1];
    if (message == WM_PADPLUG) {
        if (!pad.plugged) {
            pad = PadState{};
            pad.plugged = 1;
            pad.player = -1;
            give_player(set, pad);
        }
        return 0;
    }
    if (!pad.plugged) {
        return 0;
    }
    switch (message) {
    case WM_PADUNPLUG:
        unplug(set, pad);
        return 0;
    case WM_PADDOWN:
    case WM_PADUP: {
        if (lparam < 0 || lparam >= pad_button_count) {
            return 0;
        }
        const int32_t which = static_cast<int32_t>(lparam);
        const bool was_down = button(pad, which);
        if (message == WM_PADDOWN) {
            pad.buttons |= 1u << which;
        } else {
            pad.buttons &= ~(1u << which);
        }
        const uint32_t arrow = follow(set, pad);
        if (message == WM_PADDOWN && !was_down) {
            return arrow != 0 ? arrow : button_key(which);
        }
        return 0;
    }
    case WM_PADAXIS: {
        const int32_t axis = pad_axis_of(lparam);
        if (axis >= pad_axis_count) {
            return 0;
        }
        pad.axes[axis] = pad_value_of(lparam);
        return follow(set, pad);
    }
    default:
        return 0;
    }
}

}  // namespace

int32_t player_pad(int32_t player)
{
    const PadSet& set = flying();
    for (int32_t i = 0; i < pad_max; ++i) {
        if (set.pads[i].plugged && set.pads[i].player == player) {
            return i + 1;
        }
    }
    return 0;
}

uint32_t pad_message(uint32_t message, uintptr_t wparam, intptr_t lparam)
{
    return set_message(live, message, wparam, lparam);
}

void replay_pad_message(uint32_t message, uintptr_t wparam, intptr_t lparam)
{
    if (replaying) {
        set_message(replayed, message, wparam, lparam);
    }
}

void pads_tick()
{
    ++live.clock;
    ++replayed.clock;
    if (match_active != 1) {
        return;
    }
    const PadSet& set = flying();
    for (const PadState& pad : set.pads) {
        if (!pad.plugged || pad.player < 0) {
            continue;
        }
        for (int32_t control = 0; control < control_count; ++control) {
            if (((pad.holds >> control) & 1) != 0 && !pad_control_held(pad.player, control) &&
                set.clock - pad.held_since[control] >= static_cast<uint64_t>(pad_repeat_delay)) {
                pad_control(pad.player, control, 1);
            }
        }
    }
}

void reset_pads()
{
    clear_set(live);
    clear_set(replayed);
    replaying = false;
}

void pads_at_start(PadsAtStart& out)
{
    const PadSet& set = flying();
    out = PadsAtStart{};
    out.lone_player = set.lone_player;
    out.inverted[0] = set.inverted[0];
    out.inverted[1] = set.inverted[1];
    for (int32_t i = 0; i < pad_max; ++i) {
        const PadState& pad = set.pads[i];
        PadsAtStart::Pad& start = out.pads[i];
        start.plugged = pad.plugged;
        start.player = pad.plugged ? pad.player : -1;
        start.buttons = pad.plugged ? pad.buttons : 0;
        for (int32_t axis = 0; axis < pad_axis_count; ++axis) {
            start.axes[axis] = pad.plugged ? pad.axes[axis] : 0;
        }
        for (int32_t control = 0; control < control_count; ++control) {
            const bool held = pad.plugged && ((pad.holds >> control) & 1) != 0;
            const uint64_t age = held ? set.clock - pad.held_since[control] : uint64_t{pad_repeat_delay};
            start.ages[control] = static_cast<int32_t>(std::min<uint64_t>(age, pad_repeat_delay));
        }
    }
}

void begin_replay_pads(const PadsAtStart& start)
{
    clear_set(replayed);
    replayed.clock = pad_repeat_delay;
    replayed.lone_player = start.lone_player == 1 ? 1 : 0;
    for (int32_t player = 0; player < 2; ++player) {
        replayed.inverted[player] = start.inverted[player] == 1 ? 1 : 0;
    }
    for (int32_t i = 0; i < pad_max; ++i) {
        const PadsAtStart::Pad& from = start.pads[i];
        PadState& pad = replayed.pads[i];
        if (!from.plugged) {
            continue;
        }
        pad.plugged = 1;
        pad.player = from.player == 0 || from.player == 1 ? from.player : -1;
        pad.buttons = from.buttons & ((1u << pad_button_count) - 1);
        for (int32_t axis = 0; axis < pad_axis_count; ++axis) {
            pad.axes[axis] = std::max(-32768, std::min(32767, from.axes[axis]));
        }
        pad.holds = control_holds(replayed, pad);
        pad.arrows = arrows(pad);
        for (int32_t control = 0; control < control_count; ++control) {
            const int32_t age = std::max(0, std::min(pad_repeat_delay, from.ages[control]));
            pad.held_since[control] = replayed.clock - static_cast<uint64_t>(age);
        }
    }
    replaying = true;
}

void begin_network_pads()
{
    begin_replay_pads(PadsAtStart{});
}

uint32_t network_pad_holds()
{
    uint32_t holds = 0;
    for (const PadState& pad : live.pads) {
        holds |= pad.plugged ? pad.holds : 0u;
    }
    return holds;
}

void end_replay_pads()
{
    replaying = false;
    clear_set(replayed);
}

namespace {

// A setting that must be one of two words: the index of the one given, or
// -1 after saying on standard error why it is refused.
int32_t read_choice(const char* key, const char* first, const char* second, const char* meaning)
{
    const char* value = settings_option(key);
    if (!value) {
        return -1;
    }
    std::string word(value);
    while (!word.empty() && (word.back() == ' ' || word.back() == '\t' || word.back() == '\r')) {
        word.pop_back();
    }
    if (word == first) {
        return 0;
    }
    if (word == second) {
        return 1;
    }
    std::fprintf(stderr, "valkron: %s=%s refused (%s or %s): %s\n", key, word.c_str(), first, second, meaning);
    return -1;
}

}  // namespace

void read_pad_settings()
{
    const int32_t lone = read_choice("LonePad", "1", "2", "a lone pad flies player 1");
    live.lone_player = lone < 0 ? 0 : lone;
    const int32_t invert_0 = read_choice("PadInvert.0", "0", "1", "player 1's stick back raises the nose");
    const int32_t invert_1 = read_choice("PadInvert.1", "0", "1", "player 2's stick back raises the nose");
    live.inverted[0] = invert_0 < 0 ? 0 : invert_0;
    live.inverted[1] = invert_1 < 0 ? 0 : invert_1;
}
