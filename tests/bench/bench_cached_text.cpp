// Draws a screen full of cached texts for 1000 frames and reports how often a text was
// rendered: after the first frame every string must come from the cache.
#include "core/AssetManager.h"
#include "core/CachedTextCollection.h"
#include "core/Camera.h"
#include "core/Recorder.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

namespace {

struct Cell {
    CachedTextCollection* collection;
    std::string text;
    int x, y;
};

double millisecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main()
{
    const int width = 1920, height = 1080, frames = 1000;
    if (SDL_Init(SDL_INIT_VIDEO) != 0 || TTF_Init() != 0) {
        std::printf("cannot start SDL: %s\n", SDL_GetError());
        return 1;
    }
    SDL_Surface* screen = SDL_CreateRGBSurfaceWithFormat(0, width, height, 32, SDL_PIXELFORMAT_ARGB8888);
    SDL_Renderer* renderer = SDL_CreateSoftwareRenderer(screen);
    int result = 0;
    {
        Camera camera(renderer, width, height);
        AssetManager assets(renderer, 0);
        assets.loadStartupFonts(&camera);
        CachedTextCollection* sign = assets.getCachedTexts("sign");
        CachedTextCollection* gold = assets.getCachedTexts("signgold");
        CachedTextCollection* hint = assets.getCachedTexts("menuhint");
        CachedTextCollection* title = assets.getCachedTexts("bobi30");

        // A memory listing filling the screen, a title and a hint line.
        std::vector<Cell> cells;
        char text[64];
        for (int row = 0; row < 50; row++) {
            for (int column = 0; column < 8; column++) {
                int address = row * 8 + column;
                std::snprintf(text, sizeof text, "%02X:%02X add %d", address >> 8, address & 255, address % 7);
                cells.push_back({column % 4 == 3 ? gold : sign, text, 20 + column * 235, 60 + row * 20});
            }
        }
        cells.push_back({title, "Page 66 - main memory", 700, 10});
        cells.push_back({hint, "Arrows move the bit, Escape pauses", 700, 1060});

        int rendersBefore = CachedText::renderCount;
        auto start = std::chrono::steady_clock::now();
        double firstFrame = 0;
        int firstFrameRenders = 0;
        for (int frame = 0; frame < frames; frame++) {
            SDL_SetRenderDrawColor(renderer, 0, 0, 0, 255);
            recorder().clear(renderer);
            for (const Cell& cell : cells)
                cell.collection->getText(cell.text, CachedText::noWrap)->draw(cell.x, cell.y);
            recorder().present(renderer);
            if (frame == 0) {
                firstFrame = millisecondsSince(start);
                firstFrameRenders = CachedText::renderCount - rendersBefore;
            }
        }
        double total = millisecondsSince(start);
        int laterRenders = CachedText::renderCount - rendersBefore - firstFrameRenders;

        std::printf("texts per frame:              %zu\n", cells.size());
        std::printf("frames:                       %d\n", frames);
        std::printf("first frame:                  %.2f ms, %d texts rendered\n", firstFrame, firstFrameRenders);
        std::printf("later frames:                 %.3f ms per frame (software renderer)\n",
            (total - firstFrame) / (frames - 1));
        std::printf("texts rendered after frame 1: %d\n", laterRenders);
        result = laterRenders == 0 ? 0 : 1;
    }
    SDL_DestroyRenderer(renderer);
    SDL_FreeSurface(screen);
    TTF_Quit();
    SDL_Quit();
    return result;
}
