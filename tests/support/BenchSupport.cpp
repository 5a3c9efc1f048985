#include "BenchSupport.h"

#include <SDL_ttf.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

BenchEnvironment::BenchEnvironment()
{
    char pattern[] = "/tmp/vantrel-bench-XXXXXX";
    if (!mkdtemp(pattern)) {
        std::printf("cannot make a per-user folder\n");
        return;
    }
    folder = pattern;
    setenv("XDG_DATA_HOME", pattern, 1);
    if (SDL_Init(SDL_INIT_VIDEO) != 0 || TTF_Init() != 0) {
        std::printf("cannot start SDL: %s\n", SDL_GetError());
        return;
    }
    ready = true;
}

BenchEnvironment::~BenchEnvironment()
{
    TTF_Quit();
    SDL_Quit();
    std::error_code ignored;
    if (!folder.empty())
        std::filesystem::remove_all(folder, ignored);
}

SoftwareScreen::SoftwareScreen(int width, int height)
    : surface(SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888))
    , renderer(surface ? SDL_CreateSoftwareRenderer(surface) : nullptr)
{
}

SoftwareScreen::~SoftwareScreen()
{
    if (renderer)
        SDL_DestroyRenderer(renderer);
    if (surface)
        SDL_FreeSurface(surface);
}

BenchGame::BenchGame(SDL_Renderer* renderer, int width, int height)
    : camera(renderer, width, height)
    , assets(renderer, 0)
{
    assets.camera = &camera;
    assets.loadStartupFonts(&camera);
}
