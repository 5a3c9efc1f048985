#pragma once

#include <SDL.h>

#include <string>

class Camera;
class Font;

inline constexpr SDL_Color colourBlack{0, 0, 0, 255};
inline constexpr SDL_Color colourShadow{31, 31, 31, 255};
inline constexpr SDL_Color colourWhite{255, 255, 255, 255};
inline constexpr SDL_Color colourGold{255, 215, 0, 255};

// One string rendered once with one font and colour (with an optional drop shadow or
// outline) and kept as a texture until the string changes.
class CachedText {
public:
    // The wrap width that keeps the text on one line.
    static constexpr int noWrap = 9999;
    // How many strings have been rendered since the start, for measuring the cache.
    static int renderCount;

    CachedText(Camera* context, Font* font, SDL_Color colour, const std::string& initialText);
    virtual ~CachedText();

    Camera* context; // renderer, suppression flags and screen width
    Font* font;      // not owned
    SDL_Texture* texture = nullptr; // null for an empty string or after a failure
    SDL_Color colour;
    SDL_Color outlineColour = colourBlack;
    SDL_Rect sourceRect{0, 0, 0, 0};
    float scale = 1.0f;
    std::string text;
    int shadowOffset = 0;
    int wrapWidth = 1024;
    int recordable = 1;

    // Renders again only when the text differs; wrap 0 wraps at the default width.
    void setTextWrapped(const std::string& newText, int wrap);
    void setText(const std::string& newText);
    void draw(int x, int y);
    // Zooms around the centre of the unzoomed box.
    void drawZoomed(int x, int y, float zoom);
    // Where `drawZoomed` puts the text.
    SDL_Rect zoomedPlace(int x, int y, float zoom) const;
    int getWidth() const;
    int getHeight() const;

    // Chinese and Japanese have no spaces to break lines at: adds one after each
    // ideographic stop or comma and after ASCII punctuation that runs into the next
    // character, and turns full-width square brackets into ASCII ones.
    static std::string insertBreakOpportunities(const std::string& source, bool& changed);

private:
    int widestWord(const std::string& layout) const;
    SDL_Texture* composeTexture(SDL_Surface* plain, const std::string& layout, int wrap);
    void copyToScreen(const SDL_Rect& destination, int x, int y, float zoom);
};
