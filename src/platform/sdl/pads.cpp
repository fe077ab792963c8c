// Gamepads on SDL2's GameController API: SDL's own mapping database (and
// whatever SDL_GAMECONTROLLERCONFIG adds) makes any known pad a controller
// of the common layout. Each controller plugged gets the lowest free pad
// number and keeps it until it is unplugged; its buttons and axes become
// pad messages in the window's queue, in order with the keys.
#include "platform/common/message_queue.h"
#include "platform/pads.h"
#include "platform/sdl/sdl_internal.h"

namespace {

struct PadSlot {
    SDL_GameController* controller;  // null: the number is free
    SDL_JoystickID id;
};

PadSlot slots[pad_max] = {};
int32_t pads_started = 0;

// SDL numbers the common buttons and axes as the game does.
constexpr bool same_numbers(int32_t sdl, int32_t ours)
{
    return sdl == ours;
}
static_assert(same_numbers(SDL_CONTROLLER_BUTTON_A, pad_a) && same_numbers(SDL_CONTROLLER_BUTTON_BACK, pad_back) &&
              same_numbers(SDL_CONTROLLER_BUTTON_START, pad_start) &&
              same_numbers(SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, pad_right_shoulder) &&
              same_numbers(SDL_CONTROLLER_BUTTON_DPAD_RIGHT, pad_dpad_right));
static_assert(same_numbers(SDL_CONTROLLER_AXIS_LEFTX, pad_left_x) &&
              same_numbers(SDL_CONTROLLER_AXIS_TRIGGERRIGHT, pad_trigger_right));

// The pad number of a controller's instance id; 0 when it has none.
uintptr_t pad_number(SDL_JoystickID id)
{
    for (int32_t i = 0; i < pad_max; ++i) {
        if (slots[i].controller && slots[i].id == id) return uintptr_t(i + 1);
    }
    return 0;
}

void post(uint32_t message, uintptr_t number, intptr_t lparam)
{
    if (Window* window = sdl_current_window()) message_queue_post({window, message, number, lparam});
}

void plug(int32_t device_index)
{
    SDL_GameController* controller = SDL_GameControllerOpen(device_index);
    if (!controller) return;
    SDL_JoystickID id = SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controller));
    if (pad_number(id) != 0) {
        SDL_GameControllerClose(controller);  // already ours: SDL counts the opens
        return;
    }
    for (int32_t i = 0; i < pad_max; ++i) {
        if (!slots[i].controller) {
            slots[i] = {controller, id};
            post(WM_PADPLUG, uintptr_t(i + 1), 0);
            return;
        }
    }
    SDL_GameControllerClose(controller);  // more pads than numbers
}

void unplug(SDL_JoystickID id)
{
    uintptr_t number = pad_number(id);
    if (number == 0) return;
    SDL_GameControllerClose(slots[number - 1].controller);
    slots[number - 1] = {};
    post(WM_PADUNPLUG, number, 0);
}

}  // namespace

void sdl_pads_start()
{
    if (!pads_started && SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) == 0) pads_started = 1;
}

void sdl_pads_stop()
{
    for (PadSlot& slot : slots) {
        if (slot.controller) SDL_GameControllerClose(slot.controller);
        slot = {};
    }
    if (pads_started) SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
    pads_started = 0;
}

void sdl_pads_event(const SDL_Event& event)
{
    switch (event.type) {
    case SDL_CONTROLLERDEVICEADDED:
        plug(event.cdevice.which);
        break;
    case SDL_CONTROLLERDEVICEREMOVED:
        unplug(event.cdevice.which);
        break;
    case SDL_CONTROLLERBUTTONDOWN:
    case SDL_CONTROLLERBUTTONUP: {
        uintptr_t number = pad_number(event.cbutton.which);
        if (number == 0 || event.cbutton.button >= pad_button_count) break;
        post(event.type == SDL_CONTROLLERBUTTONDOWN ? WM_PADDOWN : WM_PADUP, number, event.cbutton.button);
        break;
    }
    case SDL_CONTROLLERAXISMOTION: {
        uintptr_t number = pad_number(event.caxis.which);
        if (number == 0 || event.caxis.axis >= pad_axis_count) break;
        post(WM_PADAXIS, number, pad_axis_lparam(event.caxis.axis, event.caxis.value));
        break;
    }
    default:
        break;
    }
}
