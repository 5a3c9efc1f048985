#pragma once

#include "SdlFixture.h"
#include "TestSupport.h"
#include "core/Menu.h"
#include "core/Storage.h"
#include "core/UserFiles.h"

#include <cstdio>
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
        SdlTest::TearDown();
    }

    void start(int soundEnabled)
    {
        menu.pages.clear();
        makeAssets(soundEnabled);
        menu.init(*camera, assets.get());
        menu.startTime = SDL_GetTicks() - keySettleMs;
        menu.updateJoystickMenu(nullptr);
    }

    bool key(SDL_Keycode code, bool repeat = false)
    {
        SDL_Event event = keyDown(code, repeat);
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

    // The labels or the values of a page's rows, top down.
    std::vector<std::string> labels(int page) { return rowTexts(page, &MenuItem::label); }
    std::vector<std::string> values(int page) { return rowTexts(page, &MenuItem::value); }
    std::vector<std::string> rowTexts(int page, const std::string& (MenuItem::*text)() const)
    {
        std::vector<std::string> result;
        for (const auto& item : menu.pages[page])
            result.push_back((*item.*text)());
        return result;
    }

    Menu menu;
};
