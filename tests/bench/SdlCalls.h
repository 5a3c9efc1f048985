#pragma once

#include <SDL.h>

#include <vector>

// The drawing calls a frame makes, seen through the linker's --wrap (see
// tests/CMakeLists.txt): a benchmark captures the calls of one frame and plays them
// back as a bare loop, which is what SDL itself needs for that frame. Text renders are
// counted, to show that frames after a screen's first come from the text cache.
namespace SdlCalls {

enum class Op { clear, drawColour, drawBlendMode, fillRect, fillRects, drawLine, copy, copyEx, colourMod, alphaMod, blendMode };

struct Call {
    Op op;
    SDL_Renderer* renderer;
    SDL_Texture* texture;
    bool hasSource, hasTarget, hasRect;
    SDL_Rect source, target, rect; // rect: a fill, or the line's ends as x, y, w = x2, h = y2
    std::vector<SDL_Rect> rects;   // of a fill of several
    Uint8 r, g, b, a;
    int mode;
    double angle;
    SDL_RendererFlip flip;
};

// Starts keeping every drawing call; `stop` ends it and returns the calls.
void capture();
std::vector<Call> stop();

// Makes the calls again, straight into SDL.
void replay(const std::vector<Call>& calls);

// Texts rendered by SDL_ttf since the start of the program.
int textRenders();

} // namespace SdlCalls
