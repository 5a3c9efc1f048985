#pragma once

#include "core/EventHandler.h"

#include <memory>
#include <string>

class AssetManager;
class CachedText;

// Shown first after a display-mode change: the player accepts the new mode with A
// within 25 seconds; any other key, or the end of the countdown, goes back to a safe
// bordered window and rebuilds the display.
class GfxChangeScreen : public EventHandler {
public:
    GfxChangeScreen();
    ~GfxChangeScreen() override;

    std::unique_ptr<CachedText> text;
    AssetManager* assets = nullptr;
    float countdown = 25;
    int status = 0; // 0 waiting, 1 accepted, 2 reverted
    Uint32 shownAt = 0; // SDL ticks at init

    void init(Camera& camera, AssetManager* assets);
    // Stores the verdict: accepted keeps the new mode, else the safe mode is written.
    void finish(bool accepted);
    // The text shown with so many whole seconds left.
    static std::string message(int seconds);

    int draw(Camera& camera, float dt) override;
    bool onKeyDown(SDL_Event* event) override;
    bool onJoyButtonDown(Joystick* stick, Uint8 button) override;
};
