#pragma once

#include <SDL.h>

// Attaches one of SDL's virtual controllers (4 axes, 12 buttons, 1 hat), which behave
// like a real device; returns its device index, or -1. The joystick subsystem must be up.
int attachVirtualPad(Uint16 vendor, Uint16 product, const char* name);
// Detaches every virtual controller.
void detachVirtualPads();
