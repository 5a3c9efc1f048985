// The stored controller configuration: "settings.storage" of any bytes (after the first
// input byte, which picks the controller) as the settings, then a controller plugged in:
// its bindings, sensitivities and vibration come from the record stored for its model,
// and it is read and described as the menus and the game do. The controllers: one SDL
// maps itself, one the game knows by vendor and product, and one nobody knows.

#include "FuzzSupport.h"
#include "VirtualPad.h"

#include "core/Joystick.h"
#include "core/UserFiles.h"

#include <SDL.h>

#include <cstdlib>

namespace {

int pads[3];

// Reads and describes the controller as the menus and the game do.
void useController(Joystick& stick)
{
    const int bindings[] = {stick.left, stick.right, stick.up, stick.down, stick.attack, stick.pause, stick.item};
    for (int code : bindings)
        stick.describeInput(code);
    for (const auto& label : stick.labels)
        stick.describeInput(label.first);
    const int raw[] = {-32768, -16501, -11001, 0, 11001, 16501, 32767};
    for (int value : raw)
        stick.axisPosition(value);
    stick.dpadCode(-1, 0);
    stick.vibrate(2);
    stick.updateHapticEffects();
}

} // namespace

// The pads stay open from here on, so opening one per input only counts a reference:
// an input then frees all it allocates, and libFuzzer skips its slow search for leaks.
void prepareTarget()
{
    if (SDL_Init(SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER) != 0)
        std::abort();
    pads[0] = attachLinuxPad(0x045e, 0x028e, 0x0114, "Xbox pad");
    pads[1] = attachLinuxPad(0x0079, 0x0006, 0x0110, "Generic USB joystick");
    pads[2] = attachVirtualPad(0x1234, 0x5678, "Unknown pad");
    for (int pad : pads)
        if (pad < 0 || !SDL_JoystickOpen(pad))
            std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    writeInput("settings.storage", data + 1, size - 1);
    {
        Joystick stick(pads[data[0] % 3]);
        useController(stick);
    }
    // The settings are read afresh for the next input; freeing them now also keeps
    // libFuzzer from searching for a leak in what an input left behind, which is slow.
    forgetSettings();
    return 0;
}
