#include "shell/keyboard.h"

#include "platform/keys.h"

PlayerControls controls[2];

namespace {

// The flag a key drives, or null for keys without one.
int32_t* control_flag(uint32_t key)
{
    switch (key) {
    case VK_UP:
        return &controls[0].pitch_up;
    case VK_DOWN:
        return &controls[0].pitch_down;
    case VK_LEFT:
        return &controls[0].turn_left;
    case VK_RIGHT:
        return &controls[0].turn_right;
    case VK_INSERT:
        return &controls[0].accelerate;
    case VK_DELETE:
        return &controls[0].brake;
    case VK_HOME:
        return &controls[0].fire;
    case 'W':
        return &controls[1].pitch_up;
    case 'S':
        return &controls[1].pitch_down;
    case 'A':
        return &controls[1].turn_left;
    case 'D':
        return &controls[1].turn_right;
    case '1':
        return &controls[1].accelerate;
    case '2':
        return &controls[1].brake;
    case '3':
        return &controls[1].fire;
    default:
        return nullptr;
    }
}

}  // namespace

void key_down(uint32_t key)
{
    if (int32_t* flag = control_flag(key)) {
        *flag = 1;
    }
}

void key_up(uint32_t key)
{
    if (int32_t* flag = control_flag(key)) {
        *flag = 0;
    }
}

void clear_controls()
{
    for (PlayerControls& c : controls) {
        c = PlayerControls{};
    }
}
