// Times the game screen at 1920 x 1080 on the software renderer: the first measuring of
// the font with its glyph sheet, a busy frame (full memory, a running program, marks
// fading, the pause menu over it), and saving and loading the game.
#include "BenchSupport.h"
#include "core/AssetManager.h"
#include "core/Camera.h"
#include "core/Game.h"
#include "core/UserFiles.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

double millisecondsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

} // namespace

int main()
{
    const int width = 1920, height = 1080, frames = 300, saves = 10;
    BenchEnvironment environment;
    if (!environment.ready)
        return 1;
    SoftwareScreen screen(width, height);
    SDL_Renderer* renderer = screen.renderer;
    {
        BenchGame bench(renderer, width, height);
        Camera& camera = bench.camera;
        AssetManager& assets = bench.assets;
        std::map<int, Joystick*>& controllers = bench.controllers;
        Game& game = bench.game;

        auto start = std::chrono::steady_clock::now();
        game.init(camera, &assets, &controllers, true);
        std::printf("init with the first font measuring and glyph sheet: %.1f ms (font size %d, %d x %d cells)\n",
                    millisecondsSince(start), game.fontSize, game.columns, game.rows);

        World& world = game.world;
        world.levelLoaded = true;
        game.openingTimer = 2;
        for (int index = 0; index < Realm::size * Realm::size; index++) {
            Cell& cell = world.mainPage.cells[size_t(index)];
            cell.value = uint8_t(33 + index % 90);
            cell.marks = index % 3 == 0 ? Realm::trailMark : 0;
            cell.fade = 100;
        }
        world.playerX = 100;
        world.playerY = 100;
        world.programLocation = 120 * 256 + 90;

        int blits = 0;
        start = std::chrono::steady_clock::now();
        for (int frame = 0; frame < frames; frame++)
            blits = game.draw(camera, 0);
        double playing = millisecondsSince(start) / frames;
        game.pause();
        start = std::chrono::steady_clock::now();
        for (int frame = 0; frame < frames; frame++)
            game.draw(camera, 0);
        double paused = millisecondsSince(start) / frames;
        std::printf("busy frame: %.2f ms, %d copies; with the pause menu: %.2f ms\n", playing, blits, paused);

        std::string path = prefPath() + "savegame.storage";
        start = std::chrono::steady_clock::now();
        for (int i = 0; i < saves; i++)
            game.saveGame(path);
        double saving = millisecondsSince(start) / saves;
        start = std::chrono::steady_clock::now();
        for (int i = 0; i < saves; i++)
            game.loadGame(path);
        double loading = millisecondsSince(start) / saves;
        std::printf("save: %.1f ms, load: %.1f ms (file of %ld bytes)\n", saving, loading,
                    long(std::filesystem::file_size(path)));
    }
    return 0;
}
