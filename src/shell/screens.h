// The intro, help and winner screens.
#pragma once

#include <cstdint>

extern char** help_lines;
extern int32_t help_line_count;
extern int32_t help_scroll;

void intro_frame();
void winner_frame();
void read_help_text();
void draw_help();
void free_help_text();
