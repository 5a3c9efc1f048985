#pragma once

#include "core/AssetManager.h"
#include "core/Camera.h"
#include "core/Game.h"

#include <SDL.h>

#include <map>
#include <string>

// A benchmark's own per-user folder with SDL and SDL_ttf started; the end of the
// object shuts them down and removes the folder.
class BenchEnvironment {
public:
    BenchEnvironment();
    ~BenchEnvironment();
    BenchEnvironment(const BenchEnvironment&) = delete;
    BenchEnvironment& operator=(const BenchEnvironment&) = delete;

    bool ready = false; // false with the reason printed
    std::string folder;
};

// A software renderer drawing into a 32-bit surface of its own.
class SoftwareScreen {
public:
    SoftwareScreen(int width, int height);
    ~SoftwareScreen();
    SoftwareScreen(const SoftwareScreen&) = delete;
    SoftwareScreen& operator=(const SoftwareScreen&) = delete;

    SDL_Surface* surface;
    SDL_Renderer* renderer;
};

// The game screen with the start-up fonts, drawing with a renderer; `game.init` starts it.
class BenchGame {
public:
    BenchGame(SDL_Renderer* renderer, int width, int height);

    Camera camera;
    AssetManager assets;
    std::map<int, Joystick*> controllers;
    Game game;
};
