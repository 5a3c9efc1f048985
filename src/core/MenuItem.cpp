#include "core/MenuItem.h"

#include "core/Trace.h"

namespace {

const char* const imageMarker = "***IMG:";

} // namespace

MenuItem::MenuItem(Camera* context, Font* font, int action, const std::string& label, const std::string& value)
    : action(action)
    , labelText(std::make_unique<CachedText>(context, font, colourMenuText, ""))
    , shadowText(std::make_unique<CachedText>(context, font, colourShadow, ""))
    , selectedText(std::make_unique<CachedText>(context, font, colourGold, ""))
    , valueText(std::make_unique<CachedText>(context, font, colourMenuText, ""))
{
    TRACE();
    setLabel(label);
    setValueText(value);
}

MenuItem::~MenuItem()
{
    TRACE();
}

void MenuItem::setLabel(const std::string& label)
{
    TRACE();
    labelText->setText(label);
    shadowText->setText(label);
    selectedText->setText(label);
}

void MenuItem::setValueText(const std::string& text)
{
    TRACE();
    size_t marker = text.find(imageMarker);
    if (marker != std::string::npos) {
        valueText->setText(text.substr(0, marker));
        imageName = text.substr(marker + std::string(imageMarker).size());
        return;
    }
    imageName.clear();
    valueText->setText(selector != 0 ? "< " + text + " >" : text);
}

void MenuItem::setPlainValueText(const std::string& text)
{
    TRACE();
    imageName.clear();
    valueText->setText(text);
}

const std::string& MenuItem::label() const
{
    TRACE();
    return labelText->text;
}

const std::string& MenuItem::value() const
{
    TRACE();
    return valueText->text;
}

SDL_Rect MenuItem::arrowSource() const
{
    TRACE();
    int x = 0;
    if (imageName == "LEFT")
        x = 23;
    else if (imageName == "UP")
        x = 69;
    else if (imageName == "DOWN")
        x = 46;
    return SDL_Rect{x, 150, 23, 23};
}
