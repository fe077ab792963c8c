// The settings file: seven lines read by position.
#pragma once

void read_settings();
void write_settings();
