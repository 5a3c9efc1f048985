#include "core/Settings.h"

#include "core/CircularLog.h"
#include "core/Trace.h"
#include "core/UserFiles.h"

#include <SDL.h>

Storage& loadAndSetupSettings()
{
    TRACE();
    LOG("Loading settings from file:");
    LOG(prefPath() << "settings.storage");
    Storage& settings = settingsStorage();
    if (settings.isEmpty()) {
        LOG("Empty settings - setting up defaults");
        setupDefaultSettings(settings);
        LOG("Saving the defaults");
        saveSettings();
        LOG("Defaults saved.");
    }
    if (!settings.has("keyITEM"))
        settings.setString("keyITEM", "b");
    LOG("Settings loaded.");
    settings.setString("vsync", "1");
    return settings;
}

void setupDefaultSettings(Storage& settings)
{
    TRACE();
    settings.setInt("showFPS2", 0);
    LOG("Checking display mode");
    SDL_DisplayMode mode;
    int width = 1280, height = 720;
    if (SDL_GetDesktopDisplayMode(0, &mode) == 0) {
        width = mode.w;
        height = mode.h;
    }
    LOG("DM: w = " << width << ", h = " << height);
    settings.setInt("windowW", 1280);
    settings.setInt("windowH", 720);
    settings.setInt("windowBorder", 0);
    settings.setString("fullscreen", "1");
    settings.setString("fullscreenModified", "0");
    settings.setInt("musicVolume2", 100);
    settings.setInt("sfxVolume2", 100);
    settings.setString("keyLEFT", "arrow left");
    settings.setString("keyRIGHT", "arrow right");
    settings.setString("keyUP", "arrow up");
    settings.setString("keyDOWN", "arrow down");
    settings.setString("keyATTACK", "a");
    settings.setString("keyITEM", "b");
    settings.setString("keyPAUSE", "escape");
}

void storeLanguage(const std::string& code)
{
    TRACE();
    Storage& settings = settingsStorage();
    if (settings.isEmpty())
        setupDefaultSettings(settings);
    settings.setString("lang", code);
    saveSettings();
    LOG("Language from the command line: [" << code << "]");
}
