#include "SdlFixture.h"

#include "core/Recorder.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace {

SDL_Texture* makeTexture(SDL_Renderer* renderer)
{
    return SDL_CreateTexture(renderer, SDL_PIXELFORMAT_ARGB8888, SDL_TEXTUREACCESS_STATIC, 4, 4);
}

} // namespace

using RecorderTest = SdlTest;

TEST_F(RecorderTest, IdleWrappersDrawAndKeepTheTextureTable)
{
    Recorder rec;
    EXPECT_EQ(rec.mode, Recorder::modeIdle);

    SDL_Texture* first = makeTexture(renderer);
    SDL_Texture* second = makeTexture(renderer);
    rec.registerTexture("first.png", first, 1);
    rec.registerTexture(std::string(4001, 'n'), second, 1); // too long to name in a replay
    rec.registerTexture("first.png", second, 2);
    ASSERT_EQ(rec.textures.size(), 2u);
    EXPECT_EQ(rec.textureIndex[first], 0);
    EXPECT_EQ(rec.textureIndex[second], 1);
    EXPECT_EQ(rec.textures[1].kind, 2);

    rec.forgetTexture(first);
    EXPECT_EQ(rec.textures[0].texture, nullptr);
    EXPECT_EQ(rec.textureIndex.count(first), 0u);
    EXPECT_EQ(rec.textures.size(), 2u); // indexes stay stable

    // The wrappers perform the real drawing.
    SDL_SetRenderDrawColor(renderer, 200, 10, 10, 255);
    rec.clear(renderer);
    EXPECT_EQ(pixelAt(5, 5), 0xFFC80A0Au);
    SDL_Rect place{0, 0, 4, 4};
    EXPECT_EQ(rec.renderCopy(renderer, second, nullptr, &place), 0);

    SDL_DestroyTexture(second);
    SDL_DestroyTexture(first);
}

TEST_F(RecorderTest, StopRestoresPlaybackTexturesAndClosesTheFile)
{
    Recorder rec;
    SDL_Texture* picture = makeTexture(renderer);
    SDL_Texture* lines = makeTexture(renderer);
    SDL_SetTextureAlphaMod(picture, 40);
    SDL_SetTextureColorMod(picture, 1, 2, 3);
    rec.replayTextures = {{1, "picture.png", picture}, {4, "LF", lines}};
    rec.file = std::tmpfile();
    rec.mode = Recorder::modePlaying;

    rec.stop();
    EXPECT_EQ(rec.mode, Recorder::modeIdle);
    EXPECT_TRUE(rec.replayTextures.empty());
    EXPECT_EQ(rec.file, nullptr);
    Uint8 alpha = 0, r = 0, g = 0, b = 0;
    SDL_GetTextureAlphaMod(picture, &alpha);
    SDL_GetTextureColorMod(picture, &r, &g, &b);
    EXPECT_EQ(alpha, 255);
    EXPECT_EQ(r & g & b, 255);
    SDL_DestroyTexture(picture);
}
