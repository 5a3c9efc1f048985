#pragma once

#include "core/EventHandler.h"

#include <memory>
#include <string>

class AssetManager;
class CachedText;

// The replay player screen: each frame it has the recorder play one recorded frame,
// then shows the time, the keys and the file over it.
class Replay : public EventHandler {
public:
    // Frames skipped by one fast-forward: five seconds of play.
    static constexpr int fastForwardFrames = 300;

    Replay();
    ~Replay() override;

    std::unique_ptr<CachedText> osdText;   // keys and time
    std::unique_ptr<CachedText> titleText; // the replay's file
    int osdMode = 0; // 0 keys, time and file; 1 time only; 2 nothing
    bool osdDirty = false;

    // Starts playing entry `entry` of the replay listing (0 the newest); "OK", or the
    // message for the player.
    std::string start(AssetManager* assets, Camera& camera, int entry);
    int draw(Camera& camera, float dt) override;
    bool onKeyDown(SDL_Event* event) override;
    bool onMouseDownLeft(SDL_Event* event) override;
    bool onJoyButtonDown(Joystick* stick, Uint8 button) override;
    bool onJoyAxis(Joystick* stick, Uint8 axis, int previousLevel, int level) override;
    bool onJoyHat(Joystick* stick, Uint8 hat, int previousValue, int value) override;

private:
    bool leave();
};
