#pragma once

#include "core/EventHandler.h"

class CachedText;

// A message drawn in a band over the screen that raised it; any key, click or
// controller input dismisses it.
class ErrorMessageHandler : public EventHandler {
public:
    explicit ErrorMessageHandler(SDL_Texture* band);

    EventHandler* previous = nullptr;
    CachedText* text = nullptr; // owned by the "bobi30" text collection
    SDL_Texture* band;          // owned by the asset manager
    bool done = false;

    int draw(Camera& camera, float dt) override;
    bool onMouseDownLeft(SDL_Event* event) override;
    bool onMouseDownRight(SDL_Event* event) override;
    bool onKeyDown(SDL_Event* event) override;
    bool onJoyButtonDown(Joystick* stick, Uint8 button) override;
    bool onJoyAxis(Joystick* stick, Uint8 axis, int previousLevel, int level) override;
    bool onJoyHat(Joystick* stick, Uint8 hat, int previousValue, int value) override;

private:
    bool dismiss();
};
