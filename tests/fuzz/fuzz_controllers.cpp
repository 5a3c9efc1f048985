// The stored controller configuration: "settings.storage" of any bytes (after the first
// input byte, which picks a known or an unknown controller model) as the settings, then
// a controller plugged in: its bindings, sensitivities and vibration come from the
// record stored for its model, and it is read and described as the menus and the game
// do.

#include "FuzzSupport.h"
#include "VirtualPad.h"

#include "core/Joystick.h"
#include "core/UserFiles.h"

#include <SDL.h>

#include <cstdlib>

namespace {

int knownPad = -1;
int unknownPad = -1;

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

void prepareTarget()
{
    if (SDL_Init(SDL_INIT_JOYSTICK | SDL_INIT_HAPTIC) != 0)
        std::abort();
    knownPad = attachVirtualPad(0x054c, 0x05c4, "Known pad");
    unknownPad = attachVirtualPad(0x1234, 0x5678, "Unknown pad");
    if (knownPad < 0 || unknownPad < 0)
        std::abort();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    writeInput("settings.storage", data + 1, size - 1);
    {
        Joystick stick(data[0] % 2 == 0 ? knownPad : unknownPad);
        useController(stick);
    }
    // The settings are read afresh for the next input; freeing them now also keeps
    // libFuzzer from searching for a leak in what an input left behind, which is slow.
    forgetSettings();
    return 0;
}
