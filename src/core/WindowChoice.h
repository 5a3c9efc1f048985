#pragma once

#include "core/Storage.h"

#include <SDL.h>

enum class WindowKind { DesktopFullscreen, ExclusiveFullscreen, Window };

// The kind and size of the game's window, from the settings and the desktop.
struct WindowChoice {
    WindowKind kind;
    int width;
    int height;
    Uint32 windowFlags; // border flags of a window
};

// `desktop` is null when the desktop's size is not known. `windowed` asks for a window
// with a border at the stored size, whatever the stored display mode.
WindowChoice chooseWindow(const Storage& settings, const SDL_DisplayMode* desktop, bool windowed = false);

// The exclusive fullscreen size for a desktop above 1080p, by its aspect ratio; false
// when no ratio matches.
bool matchAspectRatio(int w, int h, int& width, int& height);
