#include "TestSupport.h"

#include "core/AssetManager.h"
#include "core/AudioSetup.h"
#include "core/UserFiles.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <cstdio>

TEST(AudioSetup, EachUnfinishedAttemptFallsBackToTheNextRow)
{
    const int rows[][2] = {{44100, 2048}, {44100, 1024}, {44100, 512}, {44100, 4096}, {22050, 512}, {22050, 1024}};
    for (int crashed = 1; crashed <= 6; crashed++) {
        Storage settings;
        settings.setInt("audioCrashed2", crashed);
        int channels = -1;
        setupAudio(settings, channels);
        Mix_CloseAudio();

        int frequency = rows[crashed - 1][0], buffer = rows[crashed - 1][1];
        EXPECT_EQ(settings.getInt("audioFreq", 0), frequency);
        EXPECT_EQ(settings.getInt("audioBuffer", 0), buffer);
        std::string opened = "Mix_OpenAudio: Freq = " + std::to_string(frequency) + ", buffer = "
            + std::to_string(buffer) + ", channels = 32";
        EXPECT_EQ(logLinesContaining(opened), 1) << crashed;
        EXPECT_EQ(channels, 32);
        EXPECT_EQ(settings.getInt("audioCrashed2", -1), 0);
        EXPECT_EQ(savedSetting("audioCrashed2"), "0");
        EXPECT_EQ(savedSetting("audioFreq"), std::to_string(frequency));
    }
}

TEST(AudioSetup, FirstAttemptUsesTheStoredSettingsWithinLimits)
{
    Storage settings;
    settings.setInt("audioChannels", 100); // more than the game keeps track of
    settings.setInt("audioBuffer", 1024);
    int channels = 0;
    setupAudio(settings, channels);
    EXPECT_EQ(logLinesContaining("Mix_OpenAudio: Freq = 22050, buffer = 1024, channels = 64"), 1);
    EXPECT_EQ(channels, AssetManager::channelCount);
    EXPECT_EQ(Mix_AllocateChannels(-1), AssetManager::channelCount);
    EXPECT_FALSE(settings.has("audioFreq"));
    Mix_CloseAudio();
}

TEST(AudioSetup, MoreThanSixUnfinishedAttemptsLeaveAudioOff)
{
    std::remove((prefPath() + "settings.storage").c_str());
    clearLogRing();
    Storage settings;
    settings.setInt("audioCrashed2", 7);
    settings.setInt("musicVolume2", 150);
    int channels = 5;
    EXPECT_EQ(setupAudio(settings, channels), 100);
    EXPECT_EQ(channels, 5);
    EXPECT_EQ(settings.getInt("audioCrashed2", 0), 7);
    EXPECT_FALSE(fileExists(prefPath() + "settings.storage"));
    EXPECT_EQ(logLinesContaining("AUDIO DISABLED because of crashing. Remove settings.storage file to retry."), 1);
    EXPECT_EQ(logLinesContaining("Skipped audio setup."), 1);
    EXPECT_EQ(logLinesContaining("Mix_OpenAudio"), 0);

    settings.setInt("musicVolume2", -5);
    EXPECT_EQ(setupAudio(settings, channels), 0);
    settings.setInt("musicVolume2", 37);
    EXPECT_EQ(setupAudio(settings, channels), 37);
}

TEST(AudioSetup, WithoutADeviceTheGameRunsSilent)
{
    // The audio driver is chosen when the subsystem starts: start it afresh without one.
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    ScopedEnvironment noDevice("SDL_AUDIODRIVER", "no-such-driver");
    clearLogRing();
    Storage settings;
    int channels = 32;
    setupAudio(settings, channels);
    EXPECT_EQ(channels, 0);
    EXPECT_EQ(logLinesContaining("Cannot open music channels: "), 1);
    EXPECT_EQ(settings.getInt("audioCrashed2", -1), 0);

    AssetManager assets(nullptr, channels != 0);
    EXPECT_EQ(assets.loadSound("sfx/select.wav"), nullptr);
    EXPECT_TRUE(assets.playSound("select.wav", 0, 0));
    assets.fadeInMusic(0, 1000, 0);
    assets.updateChannelFade(0.016f);
    assets.fadeOutMusic(500, 0);
    assets.stopAllSounds();
    EXPECT_EQ(assets.musicChannel, -1);
    EXPECT_EQ(assets.maxChannelUsed, -1);
    EXPECT_TRUE(assets.sounds.empty());
    EXPECT_EQ(logLinesContaining("Cannot load sound"), 0);
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
}
