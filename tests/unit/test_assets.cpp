#include "TestSupport.h"

#include <SDL.h>
#include <SDL_image.h>
#include <gtest/gtest.h>

#include <filesystem>

namespace {

struct PictureSize {
    const char* name;
    int width, height;
};

void expectPicture(const std::string& name, int width, int height)
{
    SDL_Surface* picture = IMG_Load((VANTREL_TEST_RESOURCES "gfx/" + name).c_str());
    ASSERT_NE(picture, nullptr) << name << ": " << IMG_GetError();
    if (width > 0) {
        EXPECT_EQ(picture->w, width) << name;
        EXPECT_EQ(picture->h, height) << name;
    }
    SDL_FreeSurface(picture);
}

} // namespace

// The resource folder laid out beside the game (the tests have a copy of their own,
// which some of them change).

// Every picture the game loads exists, at the size it is drawn.
TEST(ShippedAssets, PicturesAtTheirSizes)
{
    const PictureSize pictures[] = {
        {"orvando.png", 300, 214},       {"logo.png", 560, 201},          {"titlescreen.png", 951, 703},
        {"titlescreen2.png", 951, 703},  {"titlescreen3.png", 951, 703},  {"titlescreen4.png", 951, 703},
        {"overlay.png", 930, 930},       {"dino.png", 401, 562},          {"arrow.png", 7, 10},
        {"achievement_icon.png", 96, 96}, {"achievement_glow.png", 96, 96}, {"flat.png", 0, 0},
        {"back.png", 0, 0},              {"shade.png", 0, 0},
    };
    for (const PictureSize& picture : pictures)
        expectPicture(picture.name, picture.width, picture.height);
    for (char frame = 'A'; frame <= 'P'; frame++)
        expectPicture(std::string("explode/") + frame + ".png", 500, 462);

    SDL_Surface* stripes = IMG_Load(VANTREL_TEST_RESOURCES "gfx/stripes.png");
    ASSERT_NE(stripes, nullptr);
    EXPECT_EQ(stripes->h, 512); // tiled every 512 pixels down the screen
    SDL_FreeSurface(stripes);
    SDL_Surface* arrows = IMG_Load(VANTREL_TEST_RESOURCES "gfx/minimap.png");
    ASSERT_NE(arrows, nullptr);
    EXPECT_GE(arrows->w, 92); // four 23 x 23 arrows at y 150
    EXPECT_GE(arrows->h, 173);
    SDL_FreeSurface(arrows);
}

// Sounds load, and the music is looping material of the length and format it is made for.
TEST(ShippedAssets, SoundsAndMusic)
{
    ASSERT_EQ(SDL_Init(SDL_INIT_AUDIO), 0);
    // The sound's length in seconds, or -1 when it does not load.
    auto seconds = [](const std::string& name, SDL_AudioSpec& format) {
        Uint8* samples = nullptr;
        Uint32 length = 0;
        if (!SDL_LoadWAV((VANTREL_TEST_RESOURCES "audio/" + name).c_str(), &format, &samples, &length))
            return -1.0;
        SDL_FreeWAV(samples);
        return length / (format.freq * format.channels * 2.0);
    };
    SDL_AudioSpec format{};
    for (const char* effect : {"jump.wav", "disabled.wav", "bump2.wav", "move6b.wav", "move8.wav", "cpu.wav", "add.wav",
             "swap.wav", "pop31.wav", "pop41.wav", "select.wav", "select_name.wav", "tik.wav", "ach1.wav"}) {
        double length = seconds(std::string("sfx/") + effect, format);
        EXPECT_GE(length, 0) << effect;
        EXPECT_LT(length, 3.0) << effect << " is a short effect";
    }
    for (const char* music : {"intro.wav", "level.wav", "boss.wav"}) {
        double length = seconds(music, format);
        EXPECT_TRUE(format.freq == 22050 || format.freq == 44100) << music;
        EXPECT_EQ(format.format, AUDIO_S16LSB) << music;
        EXPECT_EQ(format.channels, 2) << music;
        EXPECT_GE(length, 20.0) << music;
        EXPECT_LE(length, 60.0) << music;
    }
    SDL_Quit();
}

TEST(ShippedAssets, EndPageStandsOnItsOwn)
{
    std::string page = readFileBytes(VANTREL_TEST_RESOURCES "print.html");
    ASSERT_FALSE(page.empty());
    for (const char* external : {"http:", "https:", "<script", "<link", "@import", "<img"})
        EXPECT_EQ(page.find(external), std::string::npos) << external;
}

TEST(ShippedAssets, StayUnderTwentyFiveMegabytes)
{
    std::uintmax_t total = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(VANTREL_TEST_SOURCE_DIR "assets"))
        if (entry.is_regular_file())
            total += entry.file_size();
    EXPECT_LT(total, 25u * 1024 * 1024);
}
