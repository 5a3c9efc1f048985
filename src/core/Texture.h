#pragma once

#include <SDL.h>

#include <string>

// One picture from the "gfx/" folder, uploaded to the renderer once, with its frozen
// and grey variants made on first request.
class Texture {
public:
    Texture(const std::string& name, SDL_Renderer* renderer);
    virtual ~Texture();

    int width = -1;  // -1 until first asked for
    int height = -1;
    SDL_Texture* texture = nullptr; // null when the picture could not be loaded
    SDL_Texture* grayscaleTexture = nullptr;
    SDL_Texture* frozenTexture = nullptr;
    std::string name;

    SDL_Surface* getSurface();
    int getWidth();
    int getHeight();
    SDL_Texture* frozen(SDL_Renderer* renderer);
    // The flag chooses luminosity weights; it matters only on the call that makes the texture.
    SDL_Texture* grayscale(SDL_Renderer* renderer, bool luminosity);

    // The per-pixel colour rules of the two variants, on 0xAARRGGBB pixels.
    static Uint32 frozenPixel(Uint32 pixel);
    static Uint32 grayscalePixel(Uint32 pixel, bool luminosity);

private:
    // kind 2 frozen, 3 grey, as the recorder names them.
    SDL_Texture* makeVariant(SDL_Renderer* renderer, int kind, bool luminosity);
};
