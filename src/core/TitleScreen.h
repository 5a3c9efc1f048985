#pragma once

#include <SDL.h>

class AssetManager;
class Camera;

// The endless wall of memory behind the menus, and the story told on it when a new
// game begins: four lines of text, a zoom into the wall, the bit's birth in an
// explosion, a zoom back out and a wipe into the game.
class TitleScreen {
public:
    double zoom = 0.7;
    double zoomRate = 0;    // zoom change per second
    float scrollY = 195.0f; // upward scroll of the wall in pixels
    float timer = 0;        // seconds since the story started; 0 while it is not running
    float zoomDoneTime = 0; // `timer` when the zoom-in completed
    bool shaken = false;
    int textY = -1;
    SDL_Texture* background = nullptr; // kept across resets
    AssetManager* assets = nullptr;    // null once the wall is known to be missing
    SDL_Texture* explosion[16] = {};

    void reset();
    void start();
    bool isFinished() const;
    // Advances the animation by dt seconds and draws one frame; returns the copies made.
    int draw(Camera& camera, float dt);

private:
    int drawWall(Camera& camera, int& middleX, int& middleY);
    int drawOverlay(Camera& camera, const char* name, int x, int y, int w, int h, int alpha);
    int drawLine(Camera& camera, const char* text, int alpha, int x, int y, bool centredVertically);
};
