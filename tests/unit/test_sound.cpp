#include "SdlFixture.h"
#include "TestSupport.h"

#include "core/AssetManager.h"
#include "core/UserFiles.h"

#include <SDL_mixer.h>
#include <gtest/gtest.h>

#include <cstdint>

namespace {

class SoundTest : public SdlTest {
protected:
    void SetUp() override
    {
        SdlTest::SetUp();
        ASSERT_TRUE(openMixer(16));
        writeTone("sfx/long.wav", 3000);
        for (const char* theme : {"intro.wav", "boss.wav", "level.wav"})
            writeTone(theme, 3000);
        assets = std::make_unique<AssetManager>(renderer, 1);
        assets->camera = camera.get();
    }

    int startsOf(const std::string& name)
    {
        int count = 0;
        for (int channel = 0; channel < AssetManager::channelCount; channel++)
            count += assets->channelSound[channel] == name;
        return count;
    }

    void updates(int count)
    {
        for (int i = 0; i < count; i++)
            assets->updateChannelFade(0.016f);
    }

    int mixerVolume(int channel) { return Mix_Volume(channel, -1); }
};

} // namespace

TEST_F(SoundTest, EffectsKeepToTheSameSoundLimit)
{
    EXPECT_TRUE(assets->playSound("long.wav", 0, 1));
    EXPECT_TRUE(assets->playSound("long.wav", 0, 1));
    EXPECT_TRUE(assets->playSound("long.wav", 0, 1)); // refused, quietly
    EXPECT_EQ(startsOf("long.wav"), 2);
    EXPECT_TRUE(assets->playSound("long.wav", 0, 0)); // no limit
    EXPECT_EQ(Mix_Playing(-1), 3);
    // A second later the earlier starts no longer count.
    assets->updateChannelFade(1.0f);
    EXPECT_TRUE(assets->playSound("long.wav", 0, 1));
    EXPECT_EQ(Mix_Playing(-1), 4);

    // Only a mixer without a free channel makes a start fail.
    Mix_AllocateChannels(4);
    EXPECT_FALSE(assets->playSound("long.wav", 0, 0));

    // Missing samples are looked for on every attempt; nothing starts while the camera is disabled.
    assets->stopAllSounds();
    EXPECT_EQ(Mix_Playing(-1), 0);
    EXPECT_TRUE(assets->playSound("nothing.wav", 0, 0));
    EXPECT_TRUE(assets->playSound("nothing.wav", 0, 0));
    EXPECT_EQ(logLinesContaining("ERROR: Cannot load sound: " + dataPath("audio/") + "sfx/nothing.wav"), 2);
    camera->disabled = true;
    EXPECT_TRUE(assets->playSound("long.wav", 0, 0));
    EXPECT_EQ(Mix_Playing(-1), 0);
}

TEST_F(SoundTest, VolumePercentsBecomeMixerLevelsAndAreStored)
{
    assets->sfxVolume = 50;
    assets->playSound("long.wav", 0, 0);
    EXPECT_EQ(mixerVolume(0), 64);
    assets->musicVolume = 50;
    assets->fadeInMusic(2, 0, 0);
    EXPECT_EQ(mixerVolume(assets->musicChannel), 64);

    int music = 5, effects = 95;
    assets->changeMusicVolume(music, -10);
    assets->changeSfxVolume(effects, 10);
    EXPECT_EQ(music, 0);
    EXPECT_EQ(effects, 100);
    EXPECT_EQ(assets->sfxVolume, 100);
    EXPECT_EQ(settingsStorage().getString("musicVolume2", ""), "0");
    EXPECT_EQ(settingsStorage().getString("sfxVolume2", ""), "100");
    EXPECT_TRUE(fileExists(prefPath() + "settings.storage"));
}

TEST_F(SoundTest, SameThemeKeepsPlayingAndFadesUpFromItsLevel)
{
    assets->fadeInMusic(2, 1000, 0); // 60 updates from silence to full
    int channel = assets->musicChannel;
    ASSERT_NE(channel, -1);
    EXPECT_EQ(assets->musicName, "level.wav");
    EXPECT_EQ(mixerVolume(channel), 0);
    updates(30);
    EXPECT_NEAR(assets->channelVolume[channel], 50, 1e-6);

    assets->fadeInMusic(2, 1000, 0);
    EXPECT_EQ(assets->musicChannel, channel);
    EXPECT_EQ(Mix_Playing(-1), 1);
    EXPECT_NEAR(assets->channelVolume[channel], 50, 1e-6);
    updates(1);
    EXPECT_NEAR(assets->channelVolume[channel], 50 + 100.0 / 60, 1e-6);
    updates(40); // the fade ends at full volume, not beyond
    EXPECT_EQ(assets->channelVolume[channel], 100);
    EXPECT_EQ(assets->fadeStep[channel], 0);

    assets->fadeInMusic(2, 0, 0);
    EXPECT_EQ(assets->channelVolume[channel], 100);
    EXPECT_EQ(mixerVolume(channel), 128);
}

TEST_F(SoundTest, SwitchingThemesFadesTheOldOneOutByUpdates)
{
    assets->fadeInMusic(0, 0, 0);
    int old = assets->musicChannel;
    assets->fadeInMusic(2, 1000, 1500);
    int fresh = assets->musicChannel;
    ASSERT_NE(fresh, -1);
    ASSERT_NE(fresh, old);

    // 1500 ms at 60 updates a second: 90 updates, whatever the frame time.
    for (int i = 0; i < 89; i++)
        assets->updateChannelFade(0.5f);
    EXPECT_TRUE(Mix_Playing(old));
    EXPECT_GT(assets->channelVolume[old], 0);
    assets->updateChannelFade(0.5f);
    EXPECT_FALSE(Mix_Playing(old));
    EXPECT_EQ(assets->fadeStep[old], 0);
    EXPECT_EQ(assets->musicChannel, fresh);
    EXPECT_EQ(assets->fadeStep[fresh], 0);
    EXPECT_EQ(mixerVolume(fresh), 128);

    // Without a fade-out the old theme stops at once.
    assets->fadeInMusic(1, 0, 0);
    EXPECT_FALSE(Mix_Playing(fresh));
    EXPECT_EQ(assets->musicName, "boss.wav");
    assets->stopAllSounds();
    EXPECT_EQ(Mix_Playing(-1), 0);
}

TEST_F(SoundTest, FadeOutStopsAtItsTargetOrEndsTheMusic)
{
    assets->fadeInMusic(2, 0, 0);
    int channel = assets->musicChannel;
    assets->fadeOutMusic(500, 30);
    EXPECT_EQ(assets->musicName, "");
    EXPECT_EQ(assets->musicChannel, channel);
    updates(40);
    EXPECT_EQ(assets->channelVolume[channel], 30);
    EXPECT_EQ(assets->fadeStep[channel], 0);
    EXPECT_EQ(mixerVolume(channel), 38);
    EXPECT_TRUE(Mix_Playing(channel));

    assets->fadeOutMusic(0, 50);
    EXPECT_EQ(mixerVolume(channel), 64);

    assets->fadeOutMusic(1000, 0); // from 50: about 30 updates
    EXPECT_EQ(assets->musicChannel, -1);
    updates(29);
    EXPECT_TRUE(Mix_Playing(channel));
    updates(2);
    EXPECT_FALSE(Mix_Playing(channel));
}

TEST_F(SoundTest, MusicTakesChannelZeroWhenEveryChannelIsBusy)
{
    Mix_AllocateChannels(1);
    assets->playSound("long.wav", 0, 0);
    assets->fadeInMusic(2, 0, 0);
    EXPECT_EQ(logLinesContaining("Forcing the channel 0 because music has priority!"), 1);
    EXPECT_EQ(assets->musicChannel, 0);
    EXPECT_EQ(assets->channelSound[0], "level.wav");

    // A sample without a single frame plays nowhere.
    writeTone("empty.wav", 0);
    assets->themes[3] = "empty.wav";
    assets->fadeInMusic(3, 0, 0);
    EXPECT_EQ(logLinesContaining("Cannot play music on channel 0. Giving up."), 1);
    EXPECT_EQ(assets->musicChannel, -1);
    EXPECT_EQ(assets->musicName, "");
}

// Under SDL's disk driver the mixed samples land in a file: the effect must be in it.
TEST(SoundDevice, PlayedEffectReachesTheDevice)
{
    std::string output = testUserRoot() + "/device.raw";
    ScopedEnvironment driver("SDL_AUDIODRIVER", "disk");
    ScopedEnvironment file("SDL_DISKAUDIOFILE", output);
    ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_AUDIO), 0) << SDL_GetError();
    ASSERT_EQ(Mix_OpenAudio(22050, AUDIO_S16LSB, 2, 512), 0) << SDL_GetError();
    Mix_AllocateChannels(8);
    writeTone("sfx/beep.wav", 200);
    {
        AssetManager assets(nullptr, 1);
        ASSERT_TRUE(assets.playSound("beep.wav", 0, 0));
        for (int waited = 0; Mix_Playing(-1) && waited < 5000; waited += 10)
            SDL_Delay(10);
        SDL_Delay(100); // the last buffers reach the file
    }
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);

    std::string bytes = readFileBytes(output);
    ASSERT_GT(bytes.size(), 22050u * 4 / 5) << "less than 200 ms of samples";
    int loud = 0;
    for (size_t at = 0; at + 1 < bytes.size(); at += 2) {
        int16_t sample = int16_t(uint8_t(bytes[at]) | uint8_t(bytes[at + 1]) << 8);
        loud += sample > 1000 || sample < -1000;
    }
    EXPECT_GT(loud, 22050 / 5);
}
