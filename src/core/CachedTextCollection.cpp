#include "core/CachedTextCollection.h"

#include "core/Trace.h"

CachedTextCollection::~CachedTextCollection()
{
    TRACE();
    freeTexts();
}

void CachedTextCollection::init(Camera* newContext, Font* newFont, SDL_Color newColour, int newShadowOffset)
{
    TRACE();
    if (newContext == context)
        return;
    context = newContext;
    font = newFont;
    colour = newColour;
    shadowOffset = newShadowOffset;
}

CachedText* CachedTextCollection::getText(const std::string& text, int wrapWidth)
{
    TRACE();
    std::unique_ptr<CachedText>& entry = texts[text];
    if (!entry) {
        entry = std::make_unique<CachedText>(context, font, colour, "");
        entry->shadowOffset = shadowOffset;
        entry->setTextWrapped(text, wrapWidth);
    }
    return entry.get();
}

void CachedTextCollection::freeTexts()
{
    TRACE();
    texts.clear();
}
