#include "core/Texture.h"

#include "core/CircularLog.h"
#include "core/Recorder.h"
#include "core/Trace.h"
#include "core/UserFiles.h"

#include <SDL_image.h>

#include <algorithm>

namespace {

int clampByte(float value)
{
    TRACE();
    return int(std::min(255.0f, std::max(0.0f, value)));
}

} // namespace

Texture::Texture(const std::string& name, SDL_Renderer* renderer)
    : name(name)
{
    TRACE();
    SDL_Surface* surface = getSurface();
    if (!surface) {
        LOG("ERROR: cannot load image into surface: " << name);
        return;
    }
    texture = SDL_CreateTextureFromSurface(renderer, surface);
    if (!texture)
        LOG("ERROR: Cannot create texture: " << SDL_GetError());
    SDL_FreeSurface(surface);
}

Texture::~Texture()
{
    TRACE();
    for (SDL_Texture* owned : {texture, grayscaleTexture, frozenTexture}) {
        if (!owned)
            continue;
        recorder().forgetTexture(owned);
        SDL_DestroyTexture(owned);
    }
}

SDL_Surface* Texture::getSurface()
{
    TRACE();
    SDL_Surface* surface = IMG_Load((dataPath("gfx/") + name).c_str());
    if (!surface)
        LOG("ERROR: Cannot load image. tex: " << name << ", error: " << SDL_GetError());
    return surface;
}

int Texture::getWidth()
{
    TRACE();
    if (width == -1)
        SDL_QueryTexture(texture, nullptr, nullptr, &width, nullptr);
    return width;
}

int Texture::getHeight()
{
    TRACE();
    if (height == -1)
        SDL_QueryTexture(texture, nullptr, nullptr, nullptr, &height);
    return height;
}

// A cold, blue-shifted grey with doubled contrast.
Uint32 Texture::frozenPixel(Uint32 pixel)
{
    TRACE();
    int r = pixel >> 16 & 255, g = pixel >> 8 & 255, b = pixel & 255;
    float l = 0.21f * r + 0.72f * g + 0.07f * b - 12.0f;
    int li = int(l);
    Uint32 red = Uint32(clampByte((l - 128) * 2 + 128));
    Uint32 green = Uint32(clampByte(float((li + 48 - 128) * 2 + 128)));
    Uint32 blue = Uint32(clampByte(float((li + 89 - 128) * 2 + 128)));
    return (pixel & 0xFF000000u) | red << 16 | green << 8 | blue;
}

Uint32 Texture::grayscalePixel(Uint32 pixel, bool luminosity)
{
    TRACE();
    int r = pixel >> 16 & 255, g = pixel >> 8 & 255, b = pixel & 255;
    float grey = luminosity ? 0.21f * r + 0.72f * g + 0.07f * b : 0.299f * r + 0.587f * g + 0.114f * b;
    Uint32 level = Uint32(clampByte(grey));
    return (pixel & 0xFF000000u) | level << 16 | level << 8 | level;
}

SDL_Texture* Texture::frozen(SDL_Renderer* renderer)
{
    TRACE();
    if (!frozenTexture)
        frozenTexture = makeVariant(renderer, 2, false);
    return frozenTexture;
}

SDL_Texture* Texture::grayscale(SDL_Renderer* renderer, bool luminosity)
{
    TRACE();
    if (!grayscaleTexture)
        grayscaleTexture = makeVariant(renderer, 3, luminosity);
    return grayscaleTexture;
}

// Variants are recoloured from a fresh copy of the file. A picture that never loaded
// is not looked for again on every request.
SDL_Texture* Texture::makeVariant(SDL_Renderer* renderer, int kind, bool luminosity)
{
    TRACE();
    if (!texture)
        return nullptr;
    SDL_Surface* loaded = getSurface();
    if (!loaded)
        return nullptr;
    SDL_Surface* surface = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0);
    SDL_FreeSurface(loaded);
    if (!surface) {
        LOG("ERROR: Cannot convert image: " << name << ", error: " << SDL_GetError());
        return nullptr;
    }
    SDL_LockSurface(surface);
    for (int y = 0; y < surface->h; y++) {
        Uint32* row = reinterpret_cast<Uint32*>(static_cast<Uint8*>(surface->pixels) + y * surface->pitch);
        for (int x = 0; x < surface->w; x++)
            row[x] = kind == 2 ? frozenPixel(row[x]) : grayscalePixel(row[x], luminosity);
    }
    SDL_UnlockSurface(surface);
    SDL_Texture* variant =
        SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC, surface->w, surface->h);
    if (variant) {
        SDL_UpdateTexture(variant, nullptr, surface->pixels, surface->pitch);
        SDL_SetTextureBlendMode(variant, SDL_BLENDMODE_BLEND);
        recorder().registerTexture(name, variant, kind);
    } else {
        LOG("ERROR: Cannot create texture: " << SDL_GetError());
    }
    SDL_FreeSurface(surface);
    return variant;
}
