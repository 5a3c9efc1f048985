#pragma once

#include "core/AssetManager.h"
#include "core/Camera.h"

#include <SDL.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

// A headless drawing set-up: SDL and SDL_ttf with the dummy drivers, and a software
// renderer drawing into an ARGB surface whose pixels a test can read back.
class SdlTest : public testing::Test {
protected:
    static constexpr int screenWidth = 1920;
    static constexpr int screenHeight = 1080;

    void SetUp() override;
    void TearDown() override;

    // Opens the mixer (the audio driver comes from SDL_AUDIODRIVER) with this many channels.
    bool openMixer(int channels);
    // Fills the screen with one 0xAARRGGBB colour.
    void fillScreen(Uint32 colour);
    Uint32 pixelAt(int x, int y);
    // Bounding box of the pixels that differ from `background`; w 0 when there are none.
    SDL_Rect drawnArea(Uint32 background);

    // Creates `assets` on the renderer, drawing through the camera, with the start-up fonts.
    void makeAssets(int soundEnabled);

    SDL_Surface* screen = nullptr;
    SDL_Renderer* renderer = nullptr;
    std::unique_ptr<Camera> camera;
    std::unique_ptr<AssetManager> assets;
    bool mixerOpen = false;
};

// A key press (or its repeat) as SDL delivers it.
SDL_Event keyDown(SDL_Keycode code, bool repeat = false);

// A blank 32-bit ARGB surface.
SDL_Surface* makeSurface(int w, int h);
void setSurfacePixel(SDL_Surface* surface, int x, int y, Uint32 argb);

// Files the tests add to their own copy of the game's resource folder.
void writePicture(const std::string& name, SDL_Surface* surface); // "gfx/" + name, as PNG
void writeTone(const std::string& resourceName, int milliseconds); // a 16-bit stereo WAV
