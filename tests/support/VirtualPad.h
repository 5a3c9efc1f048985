#pragma once

#include <SDL.h>

#include <utility>
#include <vector>

// The shape of one of SDL's virtual controllers, which behave like a real device.
struct PadShape {
    SDL_JoystickType type;
    int axes, buttons, hats;
};
// A joystick SDL knows nothing about: no game-controller mapping.
const PadShape plainPad{SDL_JOYSTICK_TYPE_UNKNOWN, 4, 12, 1};
// A game controller that SDL maps itself, numbering its inputs as its HIDAPI drivers do
// (face buttons 0-3, start 6, d-pad buttons 11-14, triggers on axes 4 and 5).
const PadShape sdlLayoutPad{SDL_JOYSTICK_TYPE_GAMECONTROLLER, 6, 15, 1};

// Attaches a virtual controller; returns its device index, or -1. The joystick subsystem
// must be up. Every virtual pad can rumble: see virtualRumbles.
int attachVirtualPad(Uint16 vendor, Uint16 product, const char* name, const PadShape& shape = plainPad);

// Attaches a virtual pad that SDL maps as it maps the real USB pad with these ids and
// version on Linux, from its own mapping database, under the database's name (or `name`
// when the database does not know the pad, which then stays a plain joystick). Needs the
// game-controller subsystem.
int attachLinuxPad(Uint16 vendor, Uint16 product, Uint16 version, const char* name);

// Detaches every virtual controller.
void detachVirtualPads();

// Starts the joystick and game-controller subsystems with face buttons read by position,
// as the game has them; false when SDL cannot. Stopping detaches every virtual pad first.
bool startControllers();
void stopControllers();

// The rumble requests the virtual pads received, oldest first: (low, high) strengths.
std::vector<std::pair<Uint16, Uint16>>& virtualRumbles();

// Test build of the game: VANTREL_TEST_PAD="vendor:product:version" (hex; several joined
// by commas) plugs in the pads attachLinuxPad makes, for pictures of the controller pages.
void attachPadFromEnvironment();
