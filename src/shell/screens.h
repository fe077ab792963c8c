// The intro, help and winner screens.
#pragma once

#include <cstdint>

extern char** help_lines;
extern int32_t help_line_count;
extern int32_t help_scroll;

// Loads the intro model into slot 0 and sets the intro camera. False when
// "models\intro.3ds" cannot be read or holds no mesh.
bool load_intro_model();
void intro_frame();
void winner_frame();
void read_help_text();
void draw_help();
// Frees the help text; no lines, scrolled to the top.
void free_help_text();
