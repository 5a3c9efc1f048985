#include "core/CachedText.h"

#include "core/Camera.h"
#include "core/CircularLog.h"
#include "core/Font.h"
#include "core/Recorder.h"
#include "core/Trace.h"
#include "core/Translator.h"

#include <SDL_ttf.h>
#include <utf8.h>

#include <algorithm>
#include <iterator>

int CachedText::renderCount = 0;

namespace {

SDL_Surface* renderSurface(TTF_Font* ttf, const std::string& text, SDL_Color colour, int wrap)
{
    TRACE();
    if (!ttf)
        return nullptr;
    if (wrap == CachedText::noWrap)
        return TTF_RenderUTF8_Blended(ttf, text.c_str(), colour);
    return TTF_RenderUTF8_Blended_Wrapped(ttf, text.c_str(), colour, Uint32(std::max(wrap, 0)));
}

// A new transparent surface of the given size in the pixel layout of `like`.
SDL_Surface* blankSurfaceLike(const SDL_Surface* like, int w, int h)
{
    TRACE();
    const SDL_PixelFormat* format = like->format;
    return SDL_CreateRGBSurface(0, w, h, 32, format->Rmask, format->Gmask, format->Bmask, format->Amask);
}

SDL_Texture* createTexture(SDL_Renderer* renderer, SDL_Surface* surface)
{
    TRACE();
    SDL_Texture* texture = SDL_CreateTextureFromSurface(renderer, surface);
    if (!texture)
        LOG("ERROR: Cannot create texture: " << SDL_GetError());
    return texture;
}

void measureWord(TTF_Font* ttf, std::string& word, int& widest)
{
    TRACE();
    int width = 0;
    if (!word.empty() && TTF_SizeUTF8(ttf, word.c_str(), &width, nullptr) == 0)
        widest = std::max(widest, width);
    word.clear();
}

bool isIdeographicPause(uint32_t p)
{
    TRACE();
    return p == 0x3002 || p == 0x3001 || p == 0xFF0C || p == 0xFF01 || p == 0xFF1F || p == 0xFF1A;
}

bool isAsciiPause(uint32_t p)
{
    TRACE();
    return p == ',' || p == '.' || p == ':' || p == '?' || p == '!' || p == ';';
}

} // namespace

CachedText::CachedText(Camera* context, Font* font, SDL_Color colour, const std::string& initialText)
    : context(context)
    , font(font)
    , colour(colour)
{
    TRACE();
    if (!initialText.empty())
        setTextWrapped(initialText, noWrap);
}

CachedText::~CachedText()
{
    TRACE();
    if (!texture)
        return;
    recorder().forgetText(this);
    SDL_DestroyTexture(texture);
}

void CachedText::setText(const std::string& newText)
{
    TRACE();
    setTextWrapped(newText, noWrap);
}

void CachedText::setTextWrapped(const std::string& newText, int wrap)
{
    TRACE();
    if (newText == text)
        return;
    text = newText;
    if (texture) {
        recorder().forgetText(this);
        SDL_DestroyTexture(texture);
        texture = nullptr;
    }
    if (text.empty())
        return;

    const bool wraps = wrap != 0 && wrap != noWrap;
    std::string layout = text;
    if (wraps && translator().isCjkLanguage()) {
        bool changed = false;
        std::string broken = insertBreakOpportunities(text, changed);
        if (changed)
            layout = broken;
    }
    // A translated word longer than the line would be cut in the middle: widen the line.
    if (wraps && !translator().languageCode.empty())
        wrap = std::max(wrap, widestWord(layout) + 10);
    if (wrap == 0)
        wrap = std::min(context->width, shadowOffset + 1020);
    wrapWidth = wrap;

    renderCount++;
    SDL_Surface* plain = renderSurface(font ? font->ttf : nullptr, layout, colour, wrap);
    if (!plain) {
        LOG("ERROR: cannot create text graphics for text: " << text);
        return;
    }
    // Text textures keep sharp pixels when scaled.
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "nearest");
    sourceRect.w = plain->w;
    sourceRect.h = plain->h;
    texture = composeTexture(plain, layout, wrap);
    SDL_FreeSurface(plain);
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
}

// Puts the drop shadow or the outline under the plain text, when the text has one.
SDL_Texture* CachedText::composeTexture(SDL_Surface* plain, const std::string& layout, int wrap)
{
    TRACE();
    SDL_Surface* under = nullptr;
    SDL_Rect textPlace{0, 0, plain->w, plain->h};
    if (shadowOffset != 0) {
        under = renderSurface(font->ttf, layout, colourShadow, wrap);
        if (!under) {
            LOG("ERROR: cannot create shadow for text: " << layout);
            return nullptr;
        }
        sourceRect.w += shadowOffset;
        sourceRect.h += shadowOffset;
    } else if (font->outlineFont) {
        under = renderSurface(font->outlineFont, layout, outlineColour, wrap);
        if (!under) {
            LOG("ERROR: cannot create outline for text: " << layout);
            return nullptr;
        }
        textPlace.x = (under->w - plain->w) / 2;
        textPlace.y = font->outline;
        sourceRect.w = under->w;
        sourceRect.h = under->h;
    }

    SDL_Renderer* renderer = context->renderer;
    if (!under)
        return createTexture(renderer, plain);

    SDL_Texture* result = nullptr;
    SDL_Surface* combined = blankSurfaceLike(plain, sourceRect.w, sourceRect.h);
    if (combined) {
        // The shadow sits at its offset, an outline (never both) at the origin.
        SDL_SetSurfaceBlendMode(under, SDL_BLENDMODE_NONE);
        SDL_Rect underPlace{shadowOffset, shadowOffset, under->w, under->h};
        SDL_BlitSurface(under, nullptr, combined, &underPlace);
        SDL_BlitSurface(plain, nullptr, combined, &textPlace);
        result = createTexture(renderer, combined);
        SDL_FreeSurface(combined);
    } else {
        LOG("ERROR: cannot compose text: " << layout << ", error: " << SDL_GetError());
    }
    SDL_FreeSurface(under);
    return result;
}

int CachedText::widestWord(const std::string& layout) const
{
    TRACE();
    if (!font || !font->ttf || !utf8::is_valid(layout.begin(), layout.end()))
        return 0;
    int widest = 0;
    std::string word;
    for (auto it = layout.begin(); it != layout.end();) {
        auto start = it;
        uint32_t p = utf8::unchecked::next(it);
        if (p == ' ' || p == '\r' || p == '\n')
            measureWord(font->ttf, word, widest);
        else
            word.append(start, it);
    }
    measureWord(font->ttf, word, widest);
    return widest;
}

std::string CachedText::insertBreakOpportunities(const std::string& source, bool& changed)
{
    TRACE();
    changed = false;
    if (!Translator::checkUtf8(source))
        return source;
    std::string result;
    auto out = std::back_inserter(result);
    bool afterAsciiPause = false;
    for (auto it = source.begin(); it != source.end();) {
        uint32_t p = utf8::unchecked::next(it);
        if (p == 0xFF3B || p == 0xFF3D) {
            p = p == 0xFF3B ? '[' : ']';
            changed = true;
        }
        if (afterAsciiPause && p != ' ' && p != '\r' && p != '\n' && p != '\\' && p != '.' && p != '?') {
            result += ' ';
            changed = true;
        }
        utf8::unchecked::append(p, out);
        if (isIdeographicPause(p)) {
            result += ' ';
            changed = true;
        }
        afterAsciiPause = isAsciiPause(p);
    }
    return result;
}

void CachedText::draw(int x, int y)
{
    TRACE();
    SDL_Rect destination{x, y, int(sourceRect.w * scale), int(sourceRect.h * scale)};
    copyToScreen(destination, x, y, 1.0f);
}

void CachedText::drawZoomed(int x, int y, float zoom)
{
    TRACE();
    copyToScreen(zoomedPlace(x, y, zoom), x, y, zoom);
}

SDL_Rect CachedText::zoomedPlace(int x, int y, float zoom) const
{
    TRACE();
    float w1 = sourceRect.w * scale, h1 = sourceRect.h * scale;
    int w = int(w1 * zoom), h = int(h1 * zoom);
    return SDL_Rect{int(x - (w - w1) * 0.5f), int(y - (h - h1) * 0.5f), w, h};
}

void CachedText::copyToScreen(const SDL_Rect& destination, int x, int y, float zoom)
{
    TRACE();
    if (!texture || context->disabled || context->skipCount != 0)
        return;
    SDL_RenderCopy(context->renderer, texture, &sourceRect, &destination);
    if (recordable)
        recorder().recordText(this, destination, x, y, zoom);
}

int CachedText::getWidth() const
{
    TRACE();
    return sourceRect.w;
}

int CachedText::getHeight() const
{
    TRACE();
    return sourceRect.h;
}
