#include "core/Game.h"

#include "core/CircularLog.h"
#include "core/Trace.h"

bool Game::init(Camera& camera, AssetManager* assets, std::map<int, Joystick*>* controllers, bool newGame)
{
    TRACE();
    LOG("Game::init()");
    return false;
}

void Game::measureFont()
{
    TRACE();
}

void Game::pause()
{
    TRACE();
    pauseMenuOpen = true;
}

int Game::draw(Camera& camera, float dt)
{
    TRACE();
    return 0;
}

void Game::onJoyConnected(Joystick* stick, bool connected)
{
    TRACE();
}
