// A replay from anywhere: the player opens it as the only replay in the per-user
// folder and plays it frame by frame on a software renderer smaller than the recording,
// with the game's pictures, fonts and sounds, fast-forwarding once as a player would.
// The seeds are frames cut from games recorded with --record.

#include "FuzzSupport.h"

#include "core/AssetManager.h"
#include "core/Camera.h"
#include "core/Font.h"
#include "core/Recorder.h"
#include "core/Replay.h"
#include "core/Texture.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <SDL_ttf.h>

#include <cstdlib>
#include <iterator>

namespace {

// Far smaller than the recordings, so that every layout moves what it draws and their
// full-screen pictures are cut to the display.
constexpr int displayWidth = 320;
constexpr int displayHeight = 180;
// Fonts opened for a replay's texts are kept for the next inputs up to this many.
constexpr size_t fontsKept = 16;
// Displayed frames per input; the fast-forward before the third runs many more.
constexpr int framesPlayed = 60;

Camera* camera;
AssetManager* assets;

size_t startupFonts;

// What a replay made the registry look up stays out of the next input's way, so that
// memory stays flat over millions of inputs: the names that found no picture, and the
// fonts opened for its texts once there are many (the texts went with the playback).
void forgetReplayAssets()
{
    for (auto entry = assets->textures.begin(); entry != assets->textures.end();)
        entry = entry->second->texture ? std::next(entry) : assets->textures.erase(entry);
    if (assets->fonts.size() > startupFonts + fontsKept) {
        for (auto entry = assets->fonts.begin(); entry != assets->fonts.end();)
            entry = entry->first.rfind("RECORDED_", 0) == 0 ? assets->fonts.erase(entry) : std::next(entry);
    }
    assets->stopAllSounds();
}

} // namespace

void prepareTarget()
{
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_AUDIO) != 0 || TTF_Init() != 0)
        std::abort();
    SDL_Surface* screen = SDL_CreateRGBSurfaceWithFormat(0, displayWidth, displayHeight, 32, SDL_PIXELFORMAT_ARGB8888);
    SDL_Renderer* renderer = screen ? SDL_CreateSoftwareRenderer(screen) : nullptr;
    if (!renderer)
        std::abort();
    // Sounds are played into the dummy device.
    int soundEnabled = Mix_OpenAudio(22050, AUDIO_S16LSB, 2, 512) == 0 ? 1 : 0;
    if (soundEnabled)
        Mix_AllocateChannels(AssetManager::channelCount);
    camera = new Camera(renderer, displayWidth, displayHeight);
    assets = new AssetManager(renderer, soundEnabled);
    assets->camera = camera;
    assets->loadStartupFonts(camera);
    startupFonts = assets->fonts.size();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    writeInput("lastgame1.replay", data, size);
    Recorder& player = recorder();
    if (player.openReplay(0, assets, camera) == "OK") {
        for (int frame = 0; frame < framesPlayed && player.mode == Recorder::modePlaying; frame++) {
            if (frame == 2)
                player.skipFrames = Replay::fastForwardFrames;
            player.playFrame(*camera);
        }
    }
    player.stop();
    forgetReplayAssets();
    return 0;
}
