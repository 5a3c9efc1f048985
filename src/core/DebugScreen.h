#pragma once

#include "core/EventHandler.h"

class AssetManager;
class CachedText;

// The crash screen: where the fault happened and what to send to the maker. Input is
// ignored for the first 600 frames so a held key does not skip it; afterwards any
// input shows the per-user folder and ends the game.
class DebugScreen : public EventHandler {
public:
    virtual ~DebugScreen();

    CachedText* message = nullptr;
    CachedText* hint = nullptr;
    AssetManager* assets = nullptr;
    SDL_Texture* picture = nullptr; // "dino.png"; may be absent
    int countdown = 600;

    void init(Camera& camera, AssetManager* assetManager);

    int draw(Camera& camera, float dt) override;
    bool onMouseDownLeft(SDL_Event* event) override;
    bool onMouseDownRight(SDL_Event* event) override;
    bool onKeyDown(SDL_Event* event) override;
    bool onJoyButtonDown(Joystick* stick, Uint8 button) override;

private:
    bool leave();
};
