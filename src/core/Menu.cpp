#include "core/Menu.h"

#include "core/Camera.h"
#include "core/Trace.h"
#include "core/UserFiles.h"

void Menu::init(Camera& camera, AssetManager* assets)
{
    TRACE();
    showFps = settingsStorage().getInt("showFPS2", 0);
    musicVolume = settingsStorage().getInt("musicVolume2", 100);
    sfxVolume = settingsStorage().getInt("sfxVolume2", 100);
}

void Menu::updateJoystickMenu(std::map<int, Joystick*>* controllers)
{
    TRACE();
}

void Menu::updateMenu()
{
    TRACE();
}

void Menu::reset()
{
    TRACE();
    currentPage = 1;
    selected = 0;
}

int Menu::draw(Camera& camera, float dt)
{
    TRACE();
    SDL_SetRenderDrawColor(camera.renderer, 0, 0, 0, 255);
    SDL_RenderClear(camera.renderer);
    return 0;
}

bool Menu::onKeyDown(SDL_Event* event)
{
    TRACE();
    return event->key.keysym.sym != SDLK_ESCAPE;
}
