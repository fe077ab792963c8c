// The main menu.
#pragma once

#include <cstdint>

// The items, in menu order.
enum : int32_t {
    menu_new_game,
    menu_limit,
    menu_name_1,
    menu_name_2,
    menu_plane_1,
    menu_plane_2,
    menu_help,
    menu_credits,
    menu_resolution,
    menu_exit,
    menu_item_count,
};
extern const char menu_items[menu_item_count][25];

extern int32_t menu_item;       // the selected item, 0 .. 9
extern float menu_pulse;        // radians
extern float menu_pulse_step;
extern char frag_limit_text[32];
extern char model_path[64];

// The first item selected, the pulse at its start.
void reset_menu();
// Every WM_KEYDOWN except Escape while the menu is active.
void menu_key(uint32_t key);
// Draws the menu's texts over the menu background.
void menu_frame();
// Enter on "New game": loads both aeroplanes and starts a match.
void new_game();
