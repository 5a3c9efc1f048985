#pragma once

#include "core/EventHandler.h"

#include <map>

class AssetManager;

// The out-of-game menu. For now only the frame and the way out: the pages come next.
class Menu : public EventHandler {
public:
    int currentPage = 1;
    int selected = 0;
    int showFps = 0;
    int musicVolume = 100;
    int sfxVolume = 100;

    void init(Camera& camera, AssetManager* assets);
    void updateJoystickMenu(std::map<int, Joystick*>* controllers);
    void updateMenu();
    void reset();

    int draw(Camera& camera, float dt) override;
    bool onKeyDown(SDL_Event* event) override;
};
