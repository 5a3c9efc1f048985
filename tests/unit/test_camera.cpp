#include "core/Camera.h"

#include <SDL_rect.h>
#include <gtest/gtest.h>

TEST(Camera, ShakeTakesOnlyStrongerJoltsAndDecays)
{
    const std::pair<float, int> levels[] = {{9, 1}, {9.5f, 2}, {31, 3}};
    for (const auto& [jolt, level] : levels) {
        Camera camera(nullptr, 100, 100);
        camera.shake(jolt);
        EXPECT_EQ(camera.shakeLevel, level) << jolt;
    }
    Camera disabled(nullptr, 100, 100);
    disabled.disabled = true;
    disabled.shake(50);
    EXPECT_EQ(disabled.shakeLevel, 0);

    Camera camera(nullptr, 1920, 1080);
    camera.shake(25);
    camera.update();
    EXPECT_GT(camera.shakeAmplitude, 20);
    camera.shake(20);
    EXPECT_FLOAT_EQ(camera.shakeAmplitude, 25 * 0.95f);
    while (camera.shakeAmplitude >= 20)
        camera.update();
    camera.shake(20);
    EXPECT_FLOAT_EQ(camera.shakeAmplitude, 20);
    for (int frame = 0; frame < 400; frame++)
        camera.update();
    EXPECT_EQ(camera.shakeAmplitude, 0);
    EXPECT_EQ(camera.x, 0);
    EXPECT_EQ(camera.y, 0);
}

TEST(Camera, GlidesToItsTargetAndResetClearsEverything)
{
    // Proportionally 3.7% of the way per frame, truncated: the glide slows and stalls
    // short of the target, and stays under way.
    Camera camera(nullptr, 100, 100);
    camera.moving = true;
    camera.targetX = 100;
    camera.targetY = -50;
    camera.update();
    EXPECT_EQ(camera.x, 3);
    EXPECT_EQ(camera.y, -1);
    for (int frame = 1; frame < 1000; frame++)
        camera.update();
    EXPECT_EQ(camera.x, 73);
    EXPECT_EQ(camera.y, -23);
    EXPECT_TRUE(camera.moving);

    // At fixed speeds each axis stops on its target and the glide ends when both have.
    camera.x = camera.y = 0;
    camera.targetX = 20;
    camera.targetY = -5;
    camera.fixedSpeed = true;
    camera.speedX = 7;
    camera.speedY = -3;
    const int path[][2] = {{7, -3}, {14, -5}, {20, -5}};
    for (const auto& point : path) {
        EXPECT_TRUE(camera.moving);
        camera.update();
        EXPECT_EQ(camera.x, point[0]);
        EXPECT_EQ(camera.y, point[1]);
    }
    EXPECT_FALSE(camera.moving);

    camera.scaleY = 2;
    camera.shake(40);
    camera.update();
    camera.moving = true;
    camera.reset();
    EXPECT_EQ(camera.shakeAmplitude, 0);
    EXPECT_EQ(camera.shakeLevel, 0);
    EXPECT_EQ(camera.shakeOffsetX + camera.shakeOffsetY + camera.x + camera.y + camera.targetX + camera.targetY, 0);
    EXPECT_FALSE(camera.moving || camera.fixedSpeed);
    EXPECT_TRUE(camera.alternate);
    EXPECT_EQ(camera.scaleX, 2);
}

TEST(Camera, OutsideTest)
{
    Camera camera(nullptr, 100, 50);
    EXPECT_FALSE(camera.isOutside(SDL_Rect{0, 0, 10, 10}));
    EXPECT_FALSE(camera.isOutside(SDL_Rect{-10, -10, 10, 10}));
    EXPECT_TRUE(camera.isOutside(SDL_Rect{101, 0, 10, 10}));
    EXPECT_TRUE(camera.isOutside(SDL_Rect{0, 51, 10, 10}));
    EXPECT_TRUE(camera.isOutside(SDL_Rect{-11, 0, 10, 10}));
}

TEST(CameraTop, FollowsThePlayerAndRatchetsAtCheckpoints)
{
    int bottom = 0;
    EXPECT_EQ(cameraTop(10, 37, bottom), 0);
    EXPECT_EQ(bottom, 0);

    bottom = 55;
    EXPECT_EQ(cameraTop(60, 37, bottom), 33);

    bottom = 0;
    cameraTop(93, 37, bottom);
    EXPECT_EQ(bottom, 98);
    EXPECT_EQ(cameraTop(60, 37, bottom), 55);
    EXPECT_EQ(bottom, 98); // never goes back up

    bottom = 0;
    EXPECT_EQ(cameraTop(255, 37, bottom), 261 - 37);
    EXPECT_EQ(bottom, 259);
}
