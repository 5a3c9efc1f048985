#pragma once

#include "core/CachedText.h"

#include <map>
#include <memory>
#include <string>

// Texts that share font, colour and shadow, keyed by the string itself, so a screen can
// ask for the same string every frame and render it only the first time.
class CachedTextCollection {
public:
    virtual ~CachedTextCollection();

    std::map<std::string, std::unique_ptr<CachedText>> texts;
    Camera* context = nullptr;
    Font* font = nullptr;
    SDL_Color colour = colourWhite;
    int shadowOffset = 0;

    // A call with the context already stored changes nothing, so a collection keeps the
    // settings it was first given.
    void init(Camera* context, Font* font, SDL_Color colour, int shadowOffset);
    // The wrap width counts only on the first request for a string.
    CachedText* getText(const std::string& text, int wrapWidth);
    void freeTexts();
};
