#pragma once

#include "core/CachedText.h"

#include <SDL.h>

#include <memory>
#include <string>

class Camera;
class Font;

inline constexpr SDL_Color colourMenuText{250, 250, 230, 255};

// One row of a menu page: its action code, its label in three renderings (plain,
// shadow and selected), and an optional value shown to the right of the label.
class MenuItem {
public:
    MenuItem(Camera* context, Font* font, int action, const std::string& label, const std::string& value);
    virtual ~MenuItem();

    int action;
    std::unique_ptr<CachedText> labelText;
    std::unique_ptr<CachedText> shadowText;
    std::unique_ptr<CachedText> selectedText;
    std::unique_ptr<CachedText> valueText;
    std::string imageName; // an arrow shown after the value: "LEFT", "UP", "DOWN", else the right arrow
    bool isBack = false;   // the page change slides back instead of forward
    int selector = 0;      // non-zero: a left/right selector, its value shown between "< " and " >"
    double scale = 1.0;    // pops to 1.1 when selected and shrinks back while drawn

    void setLabel(const std::string& label);
    // Text with "***IMG:" shows the part before it and an arrow named by the rest.
    void setValueText(const std::string& text);
    // The plain value text, ignoring the selector's brackets.
    void setPlainValueText(const std::string& text);
    const std::string& label() const;
    const std::string& value() const;
    // Where the row's arrow sits in "minimap.png".
    SDL_Rect arrowSource() const;
};
