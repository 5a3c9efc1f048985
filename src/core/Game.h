#pragma once

#include "core/EventHandler.h"

#include <map>

class AssetManager;

// The game screen. Playing comes with the memory world; until then a game cannot start.
class Game : public EventHandler {
public:
    float endTimer = 0;
    bool pauseMenuOpen = false;

    bool init(Camera& camera, AssetManager* assets, std::map<int, Joystick*>* controllers, bool newGame);
    void measureFont();
    void pause();
    void onJoyConnected(Joystick* stick, bool connected);

    int draw(Camera& camera, float dt) override;
};
