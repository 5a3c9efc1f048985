#include "SdlFixture.h"
#include "VirtualPad.h"
#include "core/AssetManager.h"
#include "core/CachedText.h"
#include "core/GfxChangeScreen.h"
#include "core/Joystick.h"
#include "core/UserFiles.h"

#include <gtest/gtest.h>

namespace {

class GfxChangeScreenTest : public SdlTest {
protected:
    void SetUp() override
    {
        SdlTest::SetUp();
        assets = std::make_unique<AssetManager>(renderer, 0);
        assets->camera = camera.get();
        assets->loadStartupFonts(camera.get());
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
        assets.reset();
        SdlTest::TearDown();
    }

    bool press(SDL_Keycode code, bool repeat = false)
    {
        SDL_Event event{};
        event.type = SDL_KEYDOWN;
        event.key.keysym.sym = code;
        event.key.repeat = repeat ? 1 : 0;
        return screen.onKeyDown(&event);
    }

    std::string saved(const std::string& key)
    {
        Storage file;
        file.load(prefPath() + "settings.storage", false);
        return file.getString(key, "(none)");
    }

    void expectReverted()
    {
        EXPECT_EQ(screen.status, 2);
        EXPECT_EQ(saved("windowW"), "1280");
        EXPECT_EQ(saved("windowH"), "800");
        EXPECT_EQ(saved("windowBorder"), "1");
        EXPECT_EQ(saved("fullscreen"), "0");
        EXPECT_EQ(saved("fullscreenModified"), "0");
        EXPECT_EQ(saved("fullscreenAutodetect"), "0");
        EXPECT_EQ(saved("needConfirmGfxChange"), "0");
    }

    std::unique_ptr<AssetManager> assets;
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
    EXPECT_EQ(saved("needConfirmGfxChange"), "0");
    EXPECT_EQ(saved("windowW"), "1360");
    EXPECT_EQ(saved("fullscreenModified"), "1");
    press(SDLK_ESCAPE); // the verdict stands
    EXPECT_EQ(screen.status, 1);
    EXPECT_EQ(saved("windowW"), "1360");
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
