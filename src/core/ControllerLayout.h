#pragma once

#include "core/ControllerDatabase.h"

#include <SDL.h>

#include <vector>

// What SDL's game-controller mapping of a device says about it, in the game's codes: the
// defaults the built-in models give (south face button ATTACK, east ITEM, north ACTION,
// west the special action, the shoulders and triggers, the right stick, START PAUSE, the left stick
// moves), labelled as that family of pads prints its buttons, and the inputs of its d-pad.
struct ControllerLayout {
    std::vector<DefaultBinding> bindings;
    int dpadUp = 0, dpadDown = 0, dpadLeft = 0, dpadRight = 0;
};

// Reads the layout of the opened device `joystick` at `deviceIndex`; false when SDL does
// not know the device as a game controller. Inputs the device does not have stay 0.
bool readControllerLayout(int deviceIndex, SDL_Joystick* joystick, ControllerLayout& layout);

// Face buttons are read by where they sit (south, east...), whatever is printed on them:
// set before the game-controller subsystem starts.
void readFaceButtonsByPosition();
