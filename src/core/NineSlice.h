#pragma once

#include <SDL.h>

// Draws a resizable panel from a panel picture whose four corners are
// borderWidth x borderHeight; the edges and centre stretch, the bottom row repeats
// unscaled. Every copy goes through the recorder, so panels appear in replays.
// Returns the number of copies made (8, or 9 when the panel is wider than the picture).
int drawNineSlice(SDL_Renderer* renderer, SDL_Texture* texture, int x, int y, int w, int h, int textureWidth,
    int textureHeight, int borderWidth, int borderHeight);
