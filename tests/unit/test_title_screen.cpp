#include "SdlFixture.h"
#include "core/AssetManager.h"
#include "core/Texture.h"
#include "core/TitleScreen.h"

#include <gtest/gtest.h>

namespace {

class TitleScreenTest : public SdlTest {
protected:
    void SetUp() override
    {
        SdlTest::SetUp();
        makeAssets(0);
    }

    // Runs frames of dt seconds until `done` or the time runs out; returns the frames run.
    template <class Done>
    int runUntil(Done done, int maxFrames, float dt = 1.0f / 60)
    {
        // Only the timing matters here: the frames go to a renderer that owns none of
        // the textures, so the copies are refused at once instead of filling pixels.
        SDL_Surface* nowhere = makeSurface(1, 1);
        SDL_Renderer* drawing = camera->renderer;
        camera->renderer = SDL_CreateSoftwareRenderer(nowhere);
        int frames = 0;
        while (!done() && frames < maxFrames) {
            assets->titleScreen.draw(*camera, dt);
            camera->update();
            frames++;
        }
        SDL_DestroyRenderer(camera->renderer);
        SDL_FreeSurface(nowhere);
        camera->renderer = drawing;
        return frames;
    }
};

} // namespace

TEST_F(TitleScreenTest, MenuBackgroundScrollsForeverWithoutTheStory)
{
    TitleScreen& title = assets->titleScreen;
    int copies = title.draw(*camera, 0);
    EXPECT_EQ(copies, 9); // of the 7 x 7 tiles around the centre, 3 x 3 reach the screen
    runUntil([] { return false; }, 600);
    EXPECT_EQ(title.timer, 0);
    EXPECT_DOUBLE_EQ(title.zoom, 0.7);
    EXPECT_FALSE(title.isFinished());
}

TEST_F(TitleScreenTest, StoryZoomsExplodesShakesOnceAndFinishes)
{
    TitleScreen& title = assets->titleScreen;
    title.start();
    runUntil([&] { return title.zoomDoneTime > 0; }, 60 * 30);
    ASSERT_GT(title.zoomDoneTime, 0);
    // The zoom starts at the first wrap of the wall after 4.1 s and takes 7 s.
    EXPECT_NEAR(title.zoomDoneTime, 4.1 + 7.0, 5.0);

    int shakes = 0;
    float previousAmplitude = 0;
    int frames = runUntil([&] {
        if (camera->shakeAmplitude > previousAmplitude + 1)
            shakes++;
        previousAmplitude = camera->shakeAmplitude;
        return title.isFinished();
    }, 60 * 40);
    EXPECT_EQ(shakes, 1);
    EXPECT_TRUE(title.shaken);
    EXPECT_NEAR(frames, 30 * 60, 3);
    EXPECT_LT(title.zoom, 3.5);

    title.reset();
    EXPECT_EQ(title.timer, 0);
    EXPECT_FALSE(title.shaken);
    EXPECT_NE(title.background, nullptr); // the wall stays loaded

    // A long frame over the explosion still shakes only once.
    title.start();
    runUntil([&] { return title.zoomDoneTime > 0; }, 60 * 30);
    title.draw(*camera, 9.6f);
    EXPECT_TRUE(title.shaken);
    float amplitude = camera->shakeAmplitude;
    title.draw(*camera, 0.1f);
    EXPECT_LE(camera->shakeAmplitude, amplitude);
}

TEST_F(TitleScreenTest, TheStoryEndsOnTimeAtAnyFrameRate)
{
    // The wall wraps at 2.475 s and 6.575 s; the zoom-in starts at the second wrap and
    // takes 7 s, and the story ends 30 s after that: at 43.575 s, give or take a frame for
    // each of the three, whatever the frame rate.
    TitleScreen& title = assets->titleScreen;
    for (int rate : {30, 60, 144}) {
        title.reset();
        title.start();
        int frames = runUntil([&] { return title.isFinished(); }, rate * 60, 1.0f / float(rate));
        EXPECT_NEAR(frames, 43.575 * rate, 3) << rate << " frames a second";
    }
}

TEST_F(TitleScreenTest, MissingWallTurnsTheTitleScreenOff)
{
    AssetManager empty(renderer, 0);
    empty.camera = camera.get();
    empty.textures.clear();
    // A name that is not in the resource folder stands for a missing wall.
    empty.registerTexture("titlescreen.png", std::make_unique<Texture>("no-such-picture.png", renderer));
    EXPECT_EQ(empty.titleScreen.draw(*camera, 0.1f), 0);
    EXPECT_EQ(empty.titleScreen.assets, nullptr);
    EXPECT_EQ(empty.titleScreen.draw(*camera, 0.1f), 0);
}
