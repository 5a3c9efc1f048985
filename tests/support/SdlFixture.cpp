#include "SdlFixture.h"

#include "core/UserFiles.h"

#include <SDL_image.h>
#include <SDL_mixer.h>
#include <SDL_ttf.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <unistd.h>
#include <vector>

void SdlTest::SetUp()
{
    ASSERT_EQ(SDL_Init(SDL_INIT_VIDEO), 0) << SDL_GetError();
    ASSERT_EQ(TTF_Init(), 0) << SDL_GetError();
    screen = makeSurface(screenWidth, screenHeight);
    ASSERT_NE(screen, nullptr);
    renderer = SDL_CreateSoftwareRenderer(screen);
    ASSERT_NE(renderer, nullptr) << SDL_GetError();
    camera = std::make_unique<Camera>(renderer, screenWidth, screenHeight);
}

void SdlTest::TearDown()
{
    assets.reset();
    if (mixerOpen)
        Mix_CloseAudio();
    camera.reset();
    if (renderer)
        SDL_DestroyRenderer(renderer);
    if (screen)
        SDL_FreeSurface(screen);
    TTF_Quit();
    SDL_Quit();
}

void SdlTest::makeAssets(int soundEnabled)
{
    assets = std::make_unique<AssetManager>(renderer, soundEnabled);
    assets->camera = camera.get();
    assets->loadStartupFonts(camera.get());
}

bool SdlTest::openMixer(int channels)
{
    if (Mix_OpenAudio(22050, AUDIO_S16LSB, 2, 512) != 0)
        return false;
    mixerOpen = true;
    return Mix_AllocateChannels(channels) == channels;
}

void SdlTest::fillScreen(Uint32 colour)
{
    SDL_SetRenderDrawColor(renderer, Uint8(colour >> 16), Uint8(colour >> 8), Uint8(colour), Uint8(colour >> 24));
    SDL_RenderClear(renderer);
}

Uint32 SdlTest::pixelAt(int x, int y)
{
    Uint32 pixel = 0;
    SDL_Rect one{x, y, 1, 1};
    SDL_RenderReadPixels(renderer, &one, SDL_PIXELFORMAT_ARGB8888, &pixel, 4);
    return pixel;
}

SDL_Rect SdlTest::drawnArea(Uint32 background)
{
    std::vector<Uint32> pixels(size_t(screenWidth) * screenHeight);
    SDL_RenderReadPixels(renderer, nullptr, SDL_PIXELFORMAT_ARGB8888, pixels.data(), screenWidth * 4);
    int left = screenWidth, top = screenHeight, right = -1, bottom = -1;
    for (int y = 0; y < screenHeight; y++) {
        for (int x = 0; x < screenWidth; x++) {
            if (pixels[size_t(y) * screenWidth + x] == background)
                continue;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    if (right < 0)
        return SDL_Rect{0, 0, 0, 0};
    return SDL_Rect{left, top, right - left + 1, bottom - top + 1};
}

SDL_Event keyDown(SDL_Keycode code, bool repeat)
{
    SDL_Event event{};
    event.type = SDL_KEYDOWN;
    event.key.keysym.sym = code;
    event.key.repeat = repeat ? 1 : 0;
    return event;
}

SDL_Surface* makeSurface(int w, int h)
{
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_ARGB8888);
    if (surface)
        SDL_FillRect(surface, nullptr, 0);
    return surface;
}

void setSurfacePixel(SDL_Surface* surface, int x, int y, Uint32 argb)
{
    auto* row = reinterpret_cast<Uint32*>(static_cast<Uint8*>(surface->pixels) + y * surface->pitch);
    row[x] = argb;
}

void writePicture(const std::string& name, SDL_Surface* surface)
{
    std::string path = dataPath("gfx/") + name;
    std::string partial = path + "." + std::to_string(getpid()) + ".png";
    std::error_code ignored;
    std::filesystem::create_directories(dataPath("gfx/"), ignored);
    ASSERT_EQ(IMG_SavePNG(surface, partial.c_str()), 0) << SDL_GetError();
    std::filesystem::rename(partial, path, ignored);
}

void writeTone(const std::string& resourceName, int milliseconds)
{
    const int rate = 22050, channels = 2;
    const int frames = rate * milliseconds / 1000;
    std::vector<int16_t> samples;
    for (int frame = 0; frame < frames; frame++) {
        int16_t level = (frame / 25) % 2 ? 8000 : -8000; // a square wave of 441 Hz
        samples.push_back(level);
        samples.push_back(level);
    }
    auto le32 = [](uint32_t v) { return std::string{char(v), char(v >> 8), char(v >> 16), char(v >> 24)}; };
    auto le16 = [](uint32_t v) { return std::string{char(v), char(v >> 8)}; };
    uint32_t dataBytes = uint32_t(samples.size() * 2);
    std::string wav = "RIFF" + le32(36 + dataBytes) + "WAVE" + "fmt " + le32(16) + le16(1) + le16(channels)
        + le32(rate) + le32(rate * channels * 2) + le16(channels * 2) + le16(16) + "data" + le32(dataBytes);
    wav.append(reinterpret_cast<const char*>(samples.data()), dataBytes);

    // Tests run side by side: a sound another test is reading is replaced whole.
    std::string path = dataPath("audio/") + resourceName;
    std::string partial = path + "." + std::to_string(getpid());
    std::error_code ignored;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
    std::ofstream(partial, std::ios::binary | std::ios::trunc).write(wav.data(), std::streamsize(wav.size()));
    std::filesystem::rename(partial, path, ignored);
}
