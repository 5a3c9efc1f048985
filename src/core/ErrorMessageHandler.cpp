#include "core/ErrorMessageHandler.h"

#include "core/CachedText.h"
#include "core/Camera.h"
#include "core/Trace.h"

ErrorMessageHandler::ErrorMessageHandler(SDL_Texture* band) : band(band)
{
    TRACE();
}

int ErrorMessageHandler::draw(Camera& camera, float dt)
{
    TRACE();
    int copies = previous ? previous->draw(camera, dt) : 0;
    if (band) {
        SDL_Rect bandRect{0, camera.height / 2 - 50, camera.width, 100};
        SDL_RenderCopy(camera.renderer, band, nullptr, &bandRect);
    }
    if (text)
        text->draw(camera.width / 2 - text->getWidth() / 2, camera.height / 2 - text->getHeight() / 2);
    return copies + 2;
}

bool ErrorMessageHandler::dismiss()
{
    TRACE();
    done = true;
    return true;
}

bool ErrorMessageHandler::onMouseDownLeft(SDL_Event* event)
{
    TRACE();
    return dismiss();
}

bool ErrorMessageHandler::onMouseDownRight(SDL_Event* event)
{
    TRACE();
    return dismiss();
}

bool ErrorMessageHandler::onKeyDown(SDL_Event* event)
{
    TRACE();
    return dismiss();
}

bool ErrorMessageHandler::onJoyButtonDown(Joystick* stick, Uint8 button)
{
    TRACE();
    return dismiss();
}

bool ErrorMessageHandler::onJoyAxis(Joystick* stick, Uint8 axis, int previousLevel, int level)
{
    TRACE();
    return dismiss();
}

bool ErrorMessageHandler::onJoyHat(Joystick* stick, Uint8 hat, int previousValue, int value)
{
    TRACE();
    return dismiss();
}
