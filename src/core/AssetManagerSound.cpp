#include "core/AssetManager.h"

#include "core/Camera.h"
#include "core/CircularLog.h"
#include "core/Recorder.h"
#include "core/Trace.h"
#include "core/UserFiles.h"

#include <algorithm>

namespace {

// A fade of `ms` milliseconds in volume points per update, at 60 updates a second.
double fadeStepFor(int ms)
{
    TRACE();
    return 100.0 / (ms * 0.06);
}

void storeVolume(const char* key, int value)
{
    TRACE();
    settingsStorage().setInt(key, value);
    saveSettings();
}

} // namespace

Mix_Chunk* AssetManager::loadSound(const std::string& name)
{
    TRACE();
    if (!soundEnabled)
        return nullptr;
    auto found = sounds.find(name);
    if (found != sounds.end())
        return found->second;
    std::string path = dataPath("audio/") + name;
    Mix_Chunk* sample = Mix_LoadWAV_RW(SDL_RWFromFile(path.c_str(), "rb"), 1);
    if (!sample) {
        LOG("ERROR: Cannot load sound: " << path);
        LOG("ERROR: " << SDL_GetError());
        return nullptr;
    }
    sounds[name] = sample;
    return sample;
}

bool AssetManager::playSound(const std::string& name, int loops, int maxSame)
{
    TRACE();
    if (camera && camera->disabled)
        return true;
    int count = 0;
    if (maxSame != 0) {
        for (int channel = 0; channel < channelCount; channel++) {
            if (channelSound[channel] == name && elapsed[channel] < 1.0f)
                count++;
        }
    }
    if (count > maxSame)
        return true;
    Mix_Chunk* sample = loadSound("sfx/" + name);
    if (!sample)
        return true;
    int channel = Mix_PlayChannelTimed(-1, sample, loops, -1);
    if (channel == -1)
        return false;
    maxChannelUsed = std::max(maxChannelUsed, channel);
    Mix_Volume(channel, sfxVolume * 128 / 100);
    channelVolume[channel] = 100;
    fadeStep[channel] = 0;
    fadeFloor[channel] = 0;
    volumeFactor[channel] = 1.0;
    recorder().recordSound(name, loops);
    channelSound[channel] = name;
    elapsed[channel] = 0;
    return true;
}

void AssetManager::fadeInMusic(int theme, int fadeIn, int fadeOut)
{
    TRACE();
    auto found = themes.find(theme);
    std::string name = found == themes.end() ? std::string() : found->second;
    fadeInTheme(name, fadeIn, fadeOut);
    recorder().recordMusic(name, fadeIn, fadeOut);
}

// Cross-fades: the old theme fades out by itself on its channel while the new one fades in.
void AssetManager::fadeInTheme(const std::string& name, int fadeIn, int fadeOut)
{
    TRACE();
    if (!soundEnabled)
        return;
    bool same = musicChannel != -1 && musicName == name;
    int channel = musicChannel;
    if (!same) {
        if (musicChannel != -1) {
            int old = musicChannel;
            fadeFloor[old] = 0;
            if (fadeOut < 1) {
                fadeStep[old] = 0;
                channelVolume[old] = 0;
                Mix_HaltChannel(old);
            } else {
                fadeStep[old] = -fadeStepFor(fadeOut);
            }
        }
        musicChannel = -1;
        musicName = "";
        Mix_Chunk* sample = loadSound(name);
        if (!sample)
            return;
        channel = Mix_PlayChannelTimed(-1, sample, -1, -1);
        if (channel == -1) {
            LOG("Cannot play music: Mix_PlayChannel failed. Forcing the channel 0 because music has priority!");
            Mix_HaltChannel(0);
            channel = Mix_PlayChannelTimed(0, sample, -1, -1);
            if (channel == -1) {
                LOG("Cannot play music on channel 0. Giving up.");
                return;
            }
        }
        maxChannelUsed = std::max(maxChannelUsed, channel);
        musicChannel = channel;
        musicName = name;
        volumeFactor[channel] = 1.0;
        elapsed[channel] = 0;
        channelSound[channel] = name;
    }
    fadeFloor[channel] = 0;
    if (fadeIn < 1) {
        fadeStep[channel] = 0;
        channelVolume[channel] = 100;
        Mix_Volume(channel, int(musicVolume * 1.28 * volumeFactor[channel]));
    } else {
        fadeStep[channel] = fadeStepFor(fadeIn);
        // A theme that already plays fades up from its current level.
        if (!same) {
            channelVolume[channel] = 0;
            Mix_Volume(channel, 0);
        }
    }
}

void AssetManager::fadeOutMusic(int ms, double target)
{
    TRACE();
    recorder().recordFadeOut(ms, int(target));
    musicName = "";
    if (musicChannel == -1)
        return;
    int channel = musicChannel;
    fadeFloor[channel] = target;
    if (ms < 1) {
        fadeStep[channel] = 0;
        channelVolume[channel] = target;
        if (target == 0)
            Mix_HaltChannel(channel);
        else
            applyMusicLevel(channel);
    } else {
        fadeStep[channel] = -fadeStepFor(ms);
    }
    // A channel fading to silence finishes its fade unattended.
    if (target == 0)
        musicChannel = -1;
}

void AssetManager::updateChannelFade(float dt)
{
    TRACE();
    if (!soundEnabled)
        return;
    for (int channel = 0; channel < channelCount; channel++) {
        elapsed[channel] += dt;
        if (fadeStep[channel] == 0 || !Mix_Playing(channel))
            continue;
        double& volume = channelVolume[channel];
        volume += fadeStep[channel];
        if (fadeStep[channel] < 0 && fadeFloor[channel] > volume) {
            volume = fadeFloor[channel];
            fadeStep[channel] = 0;
        }
        if (volume > 100) {
            volume = 100;
            fadeStep[channel] = 0;
        } else if (volume <= 0) {
            volume = 0;
            Mix_HaltChannel(channel);
            if (channel == musicChannel) {
                musicChannel = -1;
                musicName = "";
            }
            fadeStep[channel] = 0;
        } else if (volume == 100) {
            fadeStep[channel] = 0;
        }
        applyMusicLevel(channel);
    }
}

void AssetManager::applyMusicLevel(int channel)
{
    TRACE();
    Mix_Volume(channel, int(musicVolume * (channelVolume[channel] * 0.0128) * volumeFactor[channel]));
}

void AssetManager::stopAllSounds()
{
    TRACE();
    musicChannel = -1;
    musicName = "";
    for (int channel = 0; channel < channelCount; channel++) {
        fadeStep[channel] = 0;
        channelVolume[channel] = 0;
        if (channel <= maxChannelUsed && Mix_Playing(channel))
            Mix_HaltChannel(channel);
    }
    recorder().recordStopAll();
}

void AssetManager::setMusicVolume(int volume)
{
    TRACE();
    musicVolume = volume;
    if (soundEnabled && musicChannel > -1)
        Mix_Volume(musicChannel, int(volume * 1.28 * volumeFactor[musicChannel]));
}

void AssetManager::changeMusicVolume(int& value, int delta)
{
    TRACE();
    value = std::clamp(value + delta, 0, 100);
    setMusicVolume(value);
    storeVolume("musicVolume2", value);
}

void AssetManager::changeSfxVolume(int& value, int delta)
{
    TRACE();
    value = std::clamp(value + delta, 0, 100);
    sfxVolume = value;
    storeVolume("sfxVolume2", value);
}
