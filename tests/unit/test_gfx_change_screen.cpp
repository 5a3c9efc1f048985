#include "SdlFixture.h"
#include "TestSupport.h"
#include "VirtualPad.h"
#include "core/AssetManager.h"
#include "core/CachedText.h"
#include "core/GfxChangeScreen.h"
#include "core/Joystick.h"
#include "core/UserFiles.h"

#include <gtest/gtest.h>

#include <map>

namespace {

class GfxChangeScreenTest : public SdlTest {
protected:
    void SetUp() override
    {
        SdlTest::SetUp();
        makeAssets(0);
        Storage& settings = settingsStorage();
        settings.strings.clear();
        settings.setInt("windowW", 1360);
        settings.setInt("windowH", 768);
        settings.setString("fullscreenModified", "1");
        settings.setString("needConfirmGfxChange", "1");
        screen.init(*camera, assets.get());
        screen.shownAt = SDL_GetTicks() - keySettleMs;
    }
    void TearDown() override
    {
        screen.text.reset();
        SdlTest::TearDown();
    }

    bool press(SDL_Keycode code, bool repeat = false)
    {
        SDL_Event event = keyDown(code, repeat);
        return screen.onKeyDown(&event);
    }

    void expectReverted()
    {
        EXPECT_EQ(screen.status, 2);
        for (const auto& [key, value] : std::map<std::string, std::string>{{"windowW", "1280"}, {"windowH", "800"},
                 {"windowBorder", "1"}, {"fullscreen", "0"}, {"fullscreenModified", "0"},
                 {"fullscreenAutodetect", "0"}, {"needConfirmGfxChange", "0"}})
            EXPECT_EQ(savedSetting(key), value) << key;
    }

    GfxChangeScreen screen;
};

} // namespace

TEST_F(GfxChangeScreenTest, SilenceRevertsOnTheFrameAfterTheCountReachedZero)
{
    EXPECT_EQ(GfxChangeScreen::message(25).rfind(
                  "GRAPHICS RESOLUTION CHANGED\n\n\n\n\nTo accept changes, press: A\n\n\n\n\n", 0),
        0u);
    for (int second = 25; second >= 1; second--) {
        screen.draw(*camera, 1.0f);
        EXPECT_NE(screen.text->text.find("wait " + std::to_string(second) + " second"), std::string::npos)
            << screen.text->text;
        EXPECT_EQ(screen.status, 0);
    }
    screen.draw(*camera, 1.0f);
    EXPECT_NE(screen.text->text.find("wait 0 seconds"), std::string::npos);
    expectReverted();
}

TEST_F(GfxChangeScreenTest, OnlyTheAKeyAccepts)
{
    // A key held through the display rebuild arrives as a press at once, then repeats: no answer.
    screen.shownAt = SDL_GetTicks();
    EXPECT_TRUE(press(SDLK_RETURN));
    screen.shownAt = SDL_GetTicks() - keySettleMs;
    EXPECT_TRUE(press(SDLK_RETURN, true));
    EXPECT_EQ(screen.status, 0);
    press(SDLK_a);
    EXPECT_EQ(screen.status, 1);
    EXPECT_EQ(savedSetting("needConfirmGfxChange"), "0");
    EXPECT_EQ(savedSetting("windowW"), "1360");
    EXPECT_EQ(savedSetting("fullscreenModified"), "1");
    press(SDLK_ESCAPE); // the verdict stands
    EXPECT_EQ(screen.status, 1);
    EXPECT_EQ(savedSetting("windowW"), "1360");
}

TEST_F(GfxChangeScreenTest, EscapeRevertsAtOnce)
{
    press(SDLK_ESCAPE);
    expectReverted();
}

TEST_F(GfxChangeScreenTest, ConfiguredControllersAnswerWithTheirSelectButton)
{
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0);
    Joystick unknown(attachVirtualPad(0x1234, 0x5678, "Unknown pad"));
    Joystick known(attachVirtualPad(0x046d, 0xc216, "Known pad"));
    screen.onJoyButtonDown(&unknown, 0);
    EXPECT_EQ(screen.status, 0);
    screen.onJoyButtonDown(&known, 1); // its ATTACK button
    EXPECT_EQ(screen.status, 1);

    screen.init(*camera, assets.get());
    screen.onJoyButtonDown(&known, 4);
    expectReverted();
    detachVirtualPads();
}
