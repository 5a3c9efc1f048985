#include "core/WindowChoice.h"

#include "core/CircularLog.h"
#include "core/Trace.h"

#include <algorithm>

bool matchAspectRatio(int w, int h, int& width, int& height)
{
    TRACE();
    struct Ratio {
        int across, down, width, height;
    };
    static const Ratio ratios[] = {
        {16, 9, 1920, 1080}, {256, 135, 1920, 1080}, {16, 10, 1680, 1050}, {21, 9, 2560, 1080}, {43, 18, 2560, 1080},
        {25, 16, 1600, 1024}, {5, 4, 1280, 1024},    {4, 3, 1440, 1080},   {3, 2, 1920, 1280},
    };
    for (const Ratio& ratio : ratios) {
        if (w / ratio.across == h / ratio.down) {
            width = ratio.width;
            height = ratio.height;
            return true;
        }
    }
    return false;
}

namespace {

// A window larger than the desktop would leave part of the menu out of reach: it is
// shrunk to the desktop, whatever size was typed into the menu.
void fitWindowOnDesktop(WindowChoice& choice, const SDL_DisplayMode* desktop)
{
    TRACE();
    if (!desktop || (choice.width <= desktop->w && choice.height <= desktop->h))
        return;
    LOG("WARNING: Window size " << choice.width << " x " << choice.height << " is larger than the desktop ("
                                << desktop->w << " x " << desktop->h << "), shrinking it.");
    choice.width = std::min(choice.width, desktop->w);
    choice.height = std::min(choice.height, desktop->h);
}

} // namespace

WindowChoice chooseWindow(const Storage& settings, const SDL_DisplayMode* desktop, bool windowed)
{
    TRACE();
    WindowChoice choice{WindowKind::Window, settings.getInt("windowW", 1366), settings.getInt("windowH", 768), 0};
    if (choice.width < 800)
        choice.width = 1280;
    if (choice.height < 600)
        choice.height = 720;
    if (windowed) {
        LOG("A window for this run, as asked on the command line.");
        choice.windowFlags = SDL_WINDOW_RESIZABLE;
        fitWindowOnDesktop(choice, desktop);
        return choice;
    }

    if (settings.getInt("fullscreenAutodetect", 0) != 0) {
        LOG("Detecting desktop resolution...");
        if (!desktop) {
            LOG("Cannot get desktop size. Using desktop fullscreen.");
            choice.kind = WindowKind::DesktopFullscreen;
            return choice;
        }
        LOG("Got desktop size: " << desktop->w << "x" << desktop->h);
        if (desktop->w <= 1920 || desktop->h <= 1080) {
            LOG("Desktop resolution 1080p or lower. Using desktop fullscreen.");
            choice.kind = WindowKind::DesktopFullscreen;
        } else if (matchAspectRatio(desktop->w, desktop->h, choice.width, choice.height)) {
            LOG("Aspect ratio matched.");
            choice.kind = WindowKind::ExclusiveFullscreen;
        } else {
            LOG("Failed to match any aspect ratio. Using desktop fullscreen.");
            choice.kind = WindowKind::DesktopFullscreen;
        }
        return choice;
    }
    if (settings.getInt("fullscreen", 0) != 0) {
        choice.kind = WindowKind::DesktopFullscreen;
    } else if (settings.getInt("fullscreenModified", 0) != 0) {
        choice.kind = WindowKind::ExclusiveFullscreen;
    } else {
        choice.windowFlags = settings.getInt("windowBorder", 1) != 0 ? SDL_WINDOW_RESIZABLE : SDL_WINDOW_BORDERLESS;
        fitWindowOnDesktop(choice, desktop);
    }
    return choice;
}
