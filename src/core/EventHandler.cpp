#include "core/EventHandler.h"

#include "core/Trace.h"

EventHandler::~EventHandler() = default;

void EventHandler::setFocus(bool gained)
{
    TRACE();
}

void EventHandler::onMouseWheel(SDL_Event* event)
{
    TRACE();
}

void EventHandler::onMouseMove(SDL_Event* event)
{
    TRACE();
}

bool EventHandler::onMouseDownLeft(SDL_Event* event)
{
    TRACE();
    return true;
}

bool EventHandler::onMouseDownRight(SDL_Event* event)
{
    TRACE();
    return true;
}

void EventHandler::onMouseUpLeft(SDL_Event* event)
{
    TRACE();
}

void EventHandler::onTextInput(SDL_Event* event)
{
    TRACE();
}

bool EventHandler::onKeyDown(SDL_Event* event)
{
    TRACE();
    return true;
}

void EventHandler::onKeyUp(SDL_Event* event)
{
    TRACE();
}

bool EventHandler::onJoyButtonDown(Joystick* stick, Uint8 button)
{
    TRACE();
    return true;
}

bool EventHandler::onJoyButtonUp(Joystick* stick, Uint8 button)
{
    TRACE();
    return true;
}

bool EventHandler::onJoyAxis(Joystick* stick, Uint8 axis, int previousLevel, int level)
{
    TRACE();
    return true;
}

bool EventHandler::onJoyHat(Joystick* stick, Uint8 hat, int previousValue, int value)
{
    TRACE();
    return true;
}
