// What the headless window, display and sound share.
#pragma once

#include "platform/headless.h"

// The installed driver; its hooks are null when none is installed.
extern HeadlessDriver headless_driver;

void headless_display_reset();
void headless_sound_reset();
