#include "core/WindowChoice.h"

#include <gtest/gtest.h>

TEST(WindowChoice, AutodetectPicksAFullscreenSizeByTheDesktopsShape)
{
    Storage settings;
    settings.setInt("fullscreenAutodetect", 1);
    struct Case {
        int desktopW, desktopH;
        WindowKind kind;
        int width, height;
    };
    const Case cases[] = {
        {2560, 1440, WindowKind::ExclusiveFullscreen, 1920, 1080}, // 16:9
        {1920, 1200, WindowKind::DesktopFullscreen, 1366, 768},    // not wider than 1920
        {3440, 1440, WindowKind::ExclusiveFullscreen, 2560, 1080}, // 43:18
        {2560, 1600, WindowKind::ExclusiveFullscreen, 1680, 1050}, // 16:10
        {2000, 1100, WindowKind::DesktopFullscreen, 1366, 768},    // no ratio matches
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.desktopW) + " x " + std::to_string(c.desktopH));
        SDL_DisplayMode desktop{SDL_PIXELFORMAT_RGB888, c.desktopW, c.desktopH, 60, nullptr};
        WindowChoice choice = chooseWindow(settings, &desktop);
        EXPECT_EQ(choice.kind, c.kind);
        EXPECT_EQ(choice.width, c.width);
        EXPECT_EQ(choice.height, c.height);
    }
    EXPECT_EQ(chooseWindow(settings, nullptr).kind, WindowKind::DesktopFullscreen);
}

TEST(WindowChoice, WindowsAreKeptUsableAndBordersFollowTheSetting)
{
    Storage settings;
    settings.setInt("windowW", 640);
    settings.setInt("windowH", 500);
    settings.setInt("windowBorder", 0);
    SDL_DisplayMode desktop{SDL_PIXELFORMAT_RGB888, 1920, 1080, 60, nullptr};
    WindowChoice small = chooseWindow(settings, &desktop);
    EXPECT_EQ(small.kind, WindowKind::Window);
    EXPECT_EQ(small.width, 1280);
    EXPECT_EQ(small.height, 720);
    EXPECT_EQ(small.windowFlags, Uint32(SDL_WINDOW_BORDERLESS));

    settings.setInt("windowW", 100000);
    settings.setInt("windowH", 768);
    settings.setInt("windowBorder", 1);
    WindowChoice huge = chooseWindow(settings, &desktop);
    EXPECT_EQ(huge.width, 1920);
    EXPECT_EQ(huge.height, 768);
    EXPECT_EQ(huge.windowFlags, Uint32(SDL_WINDOW_RESIZABLE));

    settings.setString("fullscreenModified", "1");
    EXPECT_EQ(chooseWindow(settings, &desktop).kind, WindowKind::ExclusiveFullscreen);
    settings.setString("fullscreen", "1");
    EXPECT_EQ(chooseWindow(settings, &desktop).kind, WindowKind::DesktopFullscreen);

    // A window asked for on the command line: bordered and on the desktop, whatever is stored.
    settings.setInt("windowBorder", 0);
    settings.setInt("fullscreenAutodetect", 1);
    WindowChoice asked = chooseWindow(settings, &desktop, true);
    EXPECT_EQ(asked.kind, WindowKind::Window);
    EXPECT_EQ(asked.width, 1920);
    EXPECT_EQ(asked.height, 768);
    EXPECT_EQ(asked.windowFlags, Uint32(SDL_WINDOW_RESIZABLE));
}
