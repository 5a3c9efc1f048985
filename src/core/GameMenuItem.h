#pragma once

#include "core/CachedText.h"

#include <SDL.h>

#include <memory>
#include <string>

class Camera;
class Font;

// One row of the pause menu: its label rendered in the selected and the normal
// colour, and the arrows that point at it while it is selected.
class GameMenuItem {
public:
    static constexpr SDL_Color normalColour{250, 250, 230, 255};
    static constexpr int shadowOffset = 2;

    GameMenuItem(Camera* context, Font* font, SDL_Texture* arrow, int action, const std::string& label);
    virtual ~GameMenuItem();

    SDL_Renderer* renderer;
    int action;
    std::unique_ptr<CachedText> selectedText;
    std::unique_ptr<CachedText> normalText;
    SDL_Texture* arrow; // owned by the asset manager; may be null
    double scale = 1.0; // 1.1 when just selected, shrinking back by 0.02 a frame

    void setLabel(const std::string& label);
    int getWidth() const;
    // Draws the label centred on centreX with its top at y; a selected row has its
    // arrows `arrowOffset` pixels further out. Returns the copies made.
    int draw(int centreX, int y, bool selected, int arrowOffset);
};
