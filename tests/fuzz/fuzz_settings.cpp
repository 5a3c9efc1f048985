// The settings as the game starts with them: "settings.storage" and its temporary twin
// (the first two input bytes give the twin's length, 0xFFFF for no twin), read with
// the interrupted-save recovery, fixed up and saved as at start-up, then read by
// everything that takes a setting before the first frame: the window choice, the key
// bindings and the language.

#include "FuzzSupport.h"

#include "core/KeyBindings.h"
#include "core/Settings.h"
#include "core/Translator.h"
#include "core/UserFiles.h"
#include "core/WindowChoice.h"

#include <SDL.h>

#include <algorithm>
#include <cstdio>

void prepareTarget()
{
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 2)
        return 0;
    size_t twinLength = size_t(data[0]) | size_t(data[1]) << 8;
    data += 2;
    size -= 2;
    std::string twin = prefPath() + "settings.storage.temp";
    if (twinLength == 0xFFFF) {
        std::remove(twin.c_str());
        twinLength = 0;
    } else {
        twinLength = std::min(twinLength, size);
        writeInput("settings.storage.temp", data, twinLength);
    }
    writeInput("settings.storage", data + twinLength, size - twinLength);

    Storage& settings = loadAndSetupSettings();
    saveSettings();

    const SDL_DisplayMode desktops[] = {{SDL_PIXELFORMAT_RGB888, 2560, 1440, 60, nullptr},
        {SDL_PIXELFORMAT_RGB888, 1920, 1080, 60, nullptr}, {SDL_PIXELFORMAT_RGB888, 3440, 1440, 60, nullptr}};
    for (const SDL_DisplayMode& desktop : desktops)
        chooseWindow(settings, &desktop);
    chooseWindow(settings, nullptr);

    KeyBindings bindings{};
    resetKeyBindings(bindings);
    loadKeyBindings(bindings, settings);
    for (int32_t key : bindings) {
        keyName(key);
        key2input(bindings, key, false);
        key2input(bindings, key, true);
    }

    translator().loadTranslations(settings.getString("lang", ""));

    // The settings are read afresh for the next input; freeing them now also keeps
    // libFuzzer from searching for a leak in what an input left behind, which is slow.
    translator().loadTranslations("");
    forgetSettings();
    return 0;
}
