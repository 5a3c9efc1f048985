#include "core/AudioSetup.h"

#include "core/AssetManager.h"
#include "core/CircularLog.h"
#include "core/Trace.h"
#include "core/UserFiles.h"

#include <SDL_mixer.h>

#include <algorithm>

namespace {

struct FallbackRow {
    int frequency;
    int buffer;
};

// The settings tried after 1 to 6 unfinished attempts.
const FallbackRow fallbackLadder[] = {{44100, 2048}, {44100, 1024}, {44100, 512}, {44100, 4096}, {22050, 512},
    {22050, 1024}};

int positiveOr(const Storage& settings, const char* key, int fallback)
{
    TRACE();
    int value = settings.getInt(key, fallback);
    return value < 1 ? fallback : value;
}

void saveCrashCounter(Storage& settings, int value)
{
    TRACE();
    settings.setInt("audioCrashed2", value);
    saveWithTwin(settings, prefPath() + "settings.storage");
}

} // namespace

AudioDevice storedAudioDevice(const Storage& settings)
{
    TRACE();
    // The game tracks at most AssetManager::channelCount channels.
    return AudioDevice{std::min(positiveOr(settings, "audioChannels", 32), AssetManager::channelCount),
        positiveOr(settings, "audioFreq", 22050), positiveOr(settings, "audioBuffer", 2048)};
}

int setupAudio(Storage& settings, int& channels)
{
    TRACE();
    int musicVolume = std::clamp(settings.getInt("musicVolume2", 100), 0, 100);
    int crashed = settings.getInt("audioCrashed2", 0);
    if (crashed > 6) {
        LOG("AUDIO DISABLED because of crashing. Remove settings.storage file to retry.");
        LOG("Skipped audio setup.");
        return musicVolume;
    }
    if (crashed >= 1) {
        settings.setInt("audioFreq", fallbackLadder[crashed - 1].frequency);
        settings.setInt("audioBuffer", fallbackLadder[crashed - 1].buffer);
    }

    LOG("Preparing audio settings...");
    AudioDevice device = storedAudioDevice(settings);
    channels = device.channels;
    int frequency = device.frequency;
    int buffer = device.buffer;

    saveCrashCounter(settings, crashed + 1);
    LOG("Mix_OpenAudio: Freq = " << frequency << ", buffer = " << buffer << ", channels = " << channels);
    if (Mix_OpenAudio(frequency, AUDIO_S16LSB, 2, buffer) == 0) {
        LOG("Allocating music channels...");
        while (channels > 0 && Mix_AllocateChannels(channels) != channels)
            channels--;
        if (channels == 0)
            LOG("Unable to allocate music channels.");
        LOG("MUSIC system ready with " << channels << " channels.");
    } else {
        LOG("Cannot open music channels: " << SDL_GetError());
        // Without a device every sound call must stay silent.
        channels = 0;
    }
    saveCrashCounter(settings, 0);
    return musicVolume;
}
