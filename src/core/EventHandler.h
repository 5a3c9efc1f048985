#pragma once

#include <SDL.h>

class Camera;

// A display rebuild makes SDL forget which keys are held, so a key held through it
// arrives as a fresh press the moment the new window opens. The screens a pass starts
// with ignore key presses for this long.
inline constexpr Uint32 keySettleMs = 1000;
class Joystick;

// A screen of the game: it receives the input events of the frame and draws itself.
// Operations that return bool return false when the screen is to be left.
class EventHandler {
public:
    virtual ~EventHandler();
    virtual void setFocus(bool gained);
    // Returns the number of texture copies made this frame.
    virtual int draw(Camera& camera, float dt) = 0;
    virtual void onMouseWheel(SDL_Event* event);
    virtual void onMouseMove(SDL_Event* event);
    virtual bool onMouseDownLeft(SDL_Event* event);
    virtual bool onMouseDownRight(SDL_Event* event);
    virtual void onMouseUpLeft(SDL_Event* event);
    virtual void onTextInput(SDL_Event* event);
    virtual bool onKeyDown(SDL_Event* event);
    virtual void onKeyUp(SDL_Event* event);
    virtual bool onJoyButtonDown(Joystick* stick, Uint8 button);
    virtual bool onJoyButtonUp(Joystick* stick, Uint8 button);
    // Axis levels are the controller's quantised levels -2..2.
    virtual bool onJoyAxis(Joystick* stick, Uint8 axis, int previousLevel, int level);
    virtual bool onJoyHat(Joystick* stick, Uint8 hat, int previousValue, int value);
};
