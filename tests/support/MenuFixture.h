#pragma once

#include "SdlFixture.h"
#include "core/AssetManager.h"
#include "core/Menu.h"
#include "core/Storage.h"
#include "core/UserFiles.h"

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

// A menu over a headless renderer, with the start-up fonts and a fresh settings tree.
class MenuTest : public SdlTest {
protected:
    void SetUp() override
    {
        SdlTest::SetUp();
        settingsStorage().strings.clear();
        settingsStorage().objects.clear();
        std::remove((prefPath() + "savegame.storage").c_str());
        start(0);
    }
    void TearDown() override
    {
        menu.reset();
        menu.pages.clear();
        assets.reset();
        SdlTest::TearDown();
    }

    void start(int soundEnabled)
    {
        menu.pages.clear();
        assets = std::make_unique<AssetManager>(renderer, soundEnabled);
        assets->camera = camera.get();
        assets->loadStartupFonts(camera.get());
        menu.init(*camera, assets.get());
        menu.startTime = SDL_GetTicks() - keySettleMs;
        menu.updateJoystickMenu(nullptr);
    }

    bool key(SDL_Keycode code, bool repeat = false)
    {
        SDL_Event event{};
        event.type = SDL_KEYDOWN;
        event.key.keysym.sym = code;
        event.key.repeat = repeat ? 1 : 0;
        return menu.onKeyDown(&event);
    }

    void type(const std::string& text)
    {
        for (char c : text) {
            SDL_Event event{};
            event.type = SDL_TEXTINPUT;
            event.text.text[0] = c;
            menu.onTextInput(&event);
        }
    }

    // Moves the selection down to the row with that action and activates it.
    bool choose(int action)
    {
        for (int tries = 0; tries < 20 && menu.selectedItem()->action != action; tries++)
            key(SDLK_DOWN);
        EXPECT_EQ(menu.selectedItem()->action, action);
        return key(SDLK_RETURN);
    }

    std::vector<std::string> labels(int page)
    {
        std::vector<std::string> result;
        for (const auto& item : menu.pages[page])
            result.push_back(item->label());
        return result;
    }

    // A setting as written to disk.
    std::string saved(const std::string& key)
    {
        Storage file;
        file.load(prefPath() + "settings.storage", false);
        return file.getString(key, "(none)");
    }

    std::unique_ptr<AssetManager> assets;
    Menu menu;
};
