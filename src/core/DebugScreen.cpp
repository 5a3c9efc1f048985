#include "core/DebugScreen.h"

#include "core/AssetManager.h"
#include "core/CachedText.h"
#include "core/Camera.h"
#include "core/Texture.h"
#include "core/Trace.h"
#include "core/UserFiles.h"

DebugScreen::~DebugScreen()
{
    TRACE();
    delete hint;
    delete message;
}

void DebugScreen::init(Camera& camera, AssetManager* assetManager)
{
    TRACE();
    countdown = 600;
    assets = assetManager;
    Texture* dino = assets->getTexture("dino.png");
    picture = dino ? dino->texture : nullptr;
    delete message;
    delete hint;
    message = new CachedText(&camera, assets->getFont("twentyone"), colourWhite, "");
    hint = new CachedText(&camera, assets->getFont("small"), colourWhite, "Press any key or button to exit");
}

int DebugScreen::draw(Camera& camera, float dt)
{
    TRACE();
    SDL_SetRenderDrawColor(camera.renderer, 46, 146, 196, 255);
    SDL_RenderClear(camera.renderer);
    int copies = 1;
    if (picture) {
        SDL_Rect where{0, 50, 401, 562};
        SDL_RenderCopy(camera.renderer, picture, nullptr, &where);
        copies++;
    }
    message->draw(500, 50);
    if (countdown >= 1) {
        countdown--;
        return copies;
    }
    hint->draw(500, message->getHeight() + 100);
    return copies + 1;
}

bool DebugScreen::leave()
{
    TRACE();
    if (countdown != 0)
        return true;
    openFolder(prefPath());
    return false;
}

bool DebugScreen::onMouseDownLeft(SDL_Event* event)
{
    TRACE();
    return leave();
}

bool DebugScreen::onMouseDownRight(SDL_Event* event)
{
    TRACE();
    return leave();
}

bool DebugScreen::onKeyDown(SDL_Event* event)
{
    TRACE();
    return leave();
}

bool DebugScreen::onJoyButtonDown(Joystick* stick, Uint8 button)
{
    TRACE();
    return leave();
}
