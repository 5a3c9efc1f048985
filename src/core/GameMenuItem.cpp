#include "core/GameMenuItem.h"

#include "core/Camera.h"
#include "core/Recorder.h"
#include "core/Trace.h"

namespace {

std::unique_ptr<CachedText> shadowedText(Camera* context, Font* font, SDL_Color colour)
{
    TRACE();
    auto text = std::make_unique<CachedText>(context, font, colour, "");
    text->shadowOffset = GameMenuItem::shadowOffset;
    return text;
}

// The arrow picture is 7 x 10 pixels, drawn at twice its size.
const int arrowWidth = 14;
const int arrowHeight = 20;
const int leftArrowGap = 17;
const int rightArrowGap = 10;

} // namespace

GameMenuItem::GameMenuItem(Camera* context, Font* font, SDL_Texture* arrow, int action, const std::string& label)
    : renderer(context->renderer)
    , action(action)
    , selectedText(shadowedText(context, font, colourGold))
    , normalText(shadowedText(context, font, normalColour))
    , arrow(arrow)
{
    TRACE();
    setLabel(label);
}

GameMenuItem::~GameMenuItem() = default;

void GameMenuItem::setLabel(const std::string& label)
{
    TRACE();
    selectedText->setText(label);
    normalText->setText(label);
}

int GameMenuItem::getWidth() const
{
    TRACE();
    return normalText->getWidth();
}

int GameMenuItem::draw(int centreX, int y, bool selected, int arrowOffset)
{
    TRACE();
    CachedText& text = selected ? *selectedText : *normalText;
    if (!text.texture)
        return 0;
    int width = text.getWidth();
    int left = centreX - width / 2;
    text.drawZoomed(left, y, float(scale));
    if (scale > 1.0)
        scale = std::max(1.0, scale - 0.02);
    if (!selected || !arrow)
        return 1;
    int arrowY = y + text.getHeight() / 2 - arrowHeight / 2;
    SDL_Rect leftArrow{left - leftArrowGap - arrowWidth - arrowOffset, arrowY, arrowWidth, arrowHeight};
    SDL_Rect rightArrow{left + width + rightArrowGap + arrowOffset, arrowY, arrowWidth, arrowHeight};
    recorder().renderCopy(renderer, arrow, nullptr, &leftArrow);
    recorder().renderCopyEx(renderer, arrow, nullptr, &rightArrow, 0, nullptr, SDL_FLIP_HORIZONTAL);
    return 3;
}
