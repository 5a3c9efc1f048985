// Records the game screen at 1920 x 1080 on the software renderer while the bit walks
// about the shipped level, as a player's minute would: how many bytes a minute of play
// takes in the replay file, and how much of the frame time goes to the recorder
// (frames recorded against the same frames not recorded, in alternating blocks).
#include "BenchSupport.h"
#include "core/AssetManager.h"
#include "core/Camera.h"
#include "core/Game.h"
#include "core/KeyBindings.h"
#include "core/Recorder.h"
#include "core/UserFiles.h"

#include <SDL.h>
#include <SDL_ttf.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace {

// Held directions in turn, a quarter of a second to two seconds each, with the pause
// menu opened now and then.
const int walk[][2] = {{GameInput::right, 90}, {GameInput::down, 40}, {GameInput::left, 120}, {GameInput::pause, 60},
    {GameInput::up, 15}, {GameInput::right, 60}, {GameInput::down, 70}, {GameInput::attack, 20}};

class Player {
public:
    explicit Player(World& world) : world(world) {}

    // One frame of input: a new key every so often, released before the next.
    void frame()
    {
        if (--framesLeft > 0)
            return;
        const int* step = walk[next++ % (sizeof walk / sizeof walk[0])];
        if (held != GameInput::none && held != GameInput::pause)
            world.processInputReleased(held, 0);
        held = step[0];
        framesLeft = step[1];
        world.processInputPressed(held, 0);
        if (held == GameInput::pause)
            pauseFrames = step[1] - 1;
    }
    // The pause menu closes again with PAUSE.
    void closePauseMenu()
    {
        if (pauseFrames > 0 && --pauseFrames == 0)
            world.processInputPressed(GameInput::pause, 0);
    }

private:
    World& world;
    int held = GameInput::none;
    int framesLeft = 1;
    int pauseFrames = 0;
    size_t next = 0;
};

struct Measured {
    double unrecordedMs = 0; // median frame time
    double recordedMs = 0;
    long bytes = 0;
    int recordedFrames = 0;
    int copies = 0;
};

double median(std::vector<double>& values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Plays `frames` frames of the walk on a fresh game drawing with `renderer`, recording
// every other frame, so that both kinds of frame see the same play and the same load.
Measured measure(SDL_Renderer* renderer, int width, int height, int frames)
{
    Measured result;
    BenchGame bench(renderer, width, height);
    Camera& camera = bench.camera;
    Game& game = bench.game;
    game.init(camera, &bench.assets, &bench.controllers, true);
    game.loadLevel();
    Player player(game.world);

    Recorder& rec = recorder();
    rec.startRecording(Recorder::timeLabel(), width, height);
    std::vector<double> unrecorded, recorded;
    for (int frame = 0; frame < frames; frame++) {
        bool recording = frame % 2 == 1;
        player.frame();
        // Armed: the same frame, unrecorded.
        rec.mode = recording ? Recorder::modeRecording : Recorder::modeArmed;
        auto start = std::chrono::steady_clock::now();
        result.copies = game.draw(camera, 1.0f / 60);
        rec.present(renderer);
        double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        (recording ? recorded : unrecorded).push_back(ms);
        player.closePauseMenu();
    }
    rec.mode = Recorder::modeRecording;
    std::string path = rec.fileName;
    rec.stop();
    result.unrecordedMs = median(unrecorded);
    result.recordedMs = median(recorded);
    result.bytes = long(std::filesystem::file_size(path));
    result.recordedFrames = int(recorded.size());
    return result;
}

} // namespace

int main()
{
    const int width = 1920, height = 1080;
    BenchEnvironment environment;
    if (!environment.ready)
        return 1;
    SDL_SetHint(SDL_HINT_RENDER_SCALE_QUALITY, "linear");
    // The whole frame drawn, then the same frames on a one-pixel target, where drawing
    // costs next to nothing and the recorder's own work shows.
    SoftwareScreen full(width, height);
    SoftwareScreen tiny(1, 1);
    Measured drawn = measure(full.renderer, width, height, 360);
    Measured bare = measure(tiny.renderer, width, height, 2400);
    double recorderMs = bare.recordedMs - bare.unrecordedMs;
    std::printf("recording: %ld bytes for %d frames, %.0f kB per minute of play at 60 frames a second\n", drawn.bytes,
                drawn.recordedFrames, drawn.bytes * 3600.0 / drawn.recordedFrames / 1000);
    std::printf("frame: %.2f ms drawn (%d copies); recorder: %.3f ms a frame (%.3f ms unrecorded, %.3f ms recorded "
                "without drawing), %.1f %% of the drawn frame, %.1f %% of a 16.7 ms frame\n",
                drawn.unrecordedMs, drawn.copies, recorderMs, bare.unrecordedMs, bare.recordedMs,
                recorderMs / drawn.unrecordedMs * 100, recorderMs / 16.7 * 100);
    return 0;
}
