#include "SdlFixture.h"
#include "TestSupport.h"

#include "core/AssetManager.h"
#include "core/NineSlice.h"
#include "core/Recorder.h"
#include "core/Texture.h"

#include <gtest/gtest.h>

namespace {

// Hand-computed pixels: opaque (60,120,40), (200,100,52) at alpha 200, black at half alpha.
const Uint32 samplePixels[] = {0xFF3C7828, 0xC8C86434, 0x80000000};

class TextureTest : public SdlTest {
protected:
    void writeSample(const std::string& name, int w = 3, int h = 1)
    {
        SDL_Surface* surface = makeSurface(w, h);
        for (int x = 0; x < 3 && x < w; x++)
            setSurfacePixel(surface, x, 0, samplePixels[x]);
        writePicture(name, surface);
        SDL_FreeSurface(surface);
    }

    // Copies a texture unblended to the top-left corner and reads its first three pixels.
    std::vector<Uint32> firstPixels(SDL_Texture* texture)
    {
        SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_NONE);
        SDL_Rect place{0, 0, 3, 1};
        SDL_RenderCopy(renderer, texture, &place, &place);
        return {pixelAt(0, 0), pixelAt(1, 0), pixelAt(2, 0)};
    }

    int recordedKind(SDL_Texture* texture)
    {
        Recorder& rec = recorder();
        return rec.textureIndex.count(texture) ? rec.textures[size_t(rec.textureIndex[texture])].kind : 0;
    }
};

} // namespace

TEST_F(TextureTest, PicturesAreLoadedOnceCountedAndReleased)
{
    writeSample("ten-by-twenty.png", 10, 20);
    AssetManager assets(renderer, 0);
    EXPECT_EQ(assets.getTexture(""), nullptr);
    EXPECT_TRUE(assets.textures.empty());

    Texture* texture = assets.getTexture("ten-by-twenty.png");
    ASSERT_NE(texture->texture, nullptr);
    EXPECT_EQ(assets.getTexture("ten-by-twenty.png"), texture);
    EXPECT_EQ(texture->getWidth(), 10);
    EXPECT_EQ(texture->getHeight(), 20);
    EXPECT_EQ(assets.totalTextureBytes, 800);
    EXPECT_EQ(recordedKind(texture->texture), 1);

    // A missing picture stays registered without a texture and is looked for once.
    Texture* missing = assets.getTexture("missing.png");
    ASSERT_NE(missing, nullptr);
    EXPECT_EQ(assets.getTexture("missing.png"), missing);
    EXPECT_EQ(missing->texture, nullptr);
    EXPECT_EQ(missing->frozen(renderer), nullptr);
    EXPECT_EQ(logLinesContaining("ERROR: Cannot load image. tex: missing.png, error: "), 1);
    EXPECT_EQ(logLinesContaining("ERROR: cannot load image into surface: missing.png"), 1);

    // The memory estimate speaks up only past 360000000 bytes.
    assets.totalTextureBytes = 360000000 - 800;
    writeSample("second.png", 10, 20);
    assets.getTexture("second.png");
    writeSample("third.png");
    assets.getTexture("third.png");
    EXPECT_EQ(logLinesContaining("Load: "), 1);
    EXPECT_EQ(logLinesContaining("Load: third.png, approx total: 343 MB"), 1);

    SDL_Texture* normal = texture->texture;
    assets.releaseResources();
    EXPECT_TRUE(assets.textures.empty());
    EXPECT_EQ(recordedKind(normal), 0);
    EXPECT_NE(assets.getTexture("ten-by-twenty.png")->texture, nullptr);
}

TEST_F(TextureTest, FrozenAndGreyVariantsFollowTheirPixelRules)
{
    writeSample("sample.png");
    AssetManager assets(renderer, 0);
    Texture* texture = assets.getTexture("sample.png");
    SDL_Texture* frozen = texture->frozen(renderer);
    ASSERT_NE(frozen, nullptr);
    EXPECT_EQ(texture->frozen(renderer), frozen);
    EXPECT_EQ(recordedKind(frozen), 2);
    // L = 89.8: red (L-128)*2+128 = 51.6, green (89+48-128)*2+128, blue (89+89-128)*2+128;
    // L = 105.64: 83.28, 178, 260 clamped; black: L = -12, blue (-12+89-128)*2+128 = 26.
    EXPECT_EQ(firstPixels(frozen), (std::vector<Uint32>{0xFF3392E4, 0xC853B2FF, 0x8000001A}));

    // The weighting of the first request stays: 0.21, 0.72, 0.07 give 101.8 and 117.64.
    SDL_Texture* grey = texture->grayscale(renderer, true);
    EXPECT_EQ(texture->grayscale(renderer, false), grey);
    EXPECT_EQ(recordedKind(grey), 3);
    EXPECT_EQ(firstPixels(grey), (std::vector<Uint32>{0xFF656565, 0xC8757575, 0x80000000}));
    // 0.299, 0.587, 0.114 give 92.94 and 124.428.
    Texture plain("sample.png", renderer);
    EXPECT_EQ(firstPixels(plain.grayscale(renderer, false)), (std::vector<Uint32>{0xFF5C5C5C, 0xC87C7C7C, 0x80000000}));
}

namespace {

// A 12 x 12 panel picture with 3-pixel corners: each of its nine regions has its own colour.
const int panelSize = 12, border = 3;
const Uint32 background = 0xFF0000FF;

Uint32 regionColour(int column, int row)
{
    return 0xFF000000u | Uint32(40 + 80 * column) << 16 | Uint32(40 + 80 * row) << 8;
}

int regionOf(int offset, int size)
{
    return offset < border ? 0 : offset >= size - border ? 2 : 1;
}

} // namespace

// Corners and edges of a panel keep their regions' colours, and nothing is drawn around it.
TEST_F(TextureTest, NineSlicePanelsKeepTheirBordersAtEverySize)
{
    SDL_Surface* surface = makeSurface(panelSize, panelSize);
    for (int y = 0; y < panelSize; y++)
        for (int x = 0; x < panelSize; x++)
            setSurfacePixel(surface, x, y, regionColour(regionOf(x, panelSize), regionOf(y, panelSize)));
    SDL_Texture* panel = SDL_CreateTextureFromSurface(renderer, surface);
    SDL_FreeSurface(surface);
    SDL_SetTextureScaleMode(panel, SDL_ScaleModeNearest);

    const struct {
        int w, h, copies, drawnW, drawnH;
    } panels[] = {{40, 30, 9, 40, 30}, {10, 25, 8, 10, 25}, {2, 1, 8, 6, 6}};
    for (const auto& p : panels) {
        fillScreen(background);
        EXPECT_EQ(drawNineSlice(renderer, panel, 10, 10, p.w, p.h, panelSize, panelSize, border, border), p.copies);
        for (int y = 7; y < 13 + p.drawnH; y++) {
            for (int x = 7; x < 13 + p.drawnW; x++) {
                bool inside = x >= 10 && x < 10 + p.drawnW && y >= 10 && y < 10 + p.drawnH;
                Uint32 expected =
                    inside ? regionColour(regionOf(x - 10, p.drawnW), regionOf(y - 10, p.drawnH)) : background;
                ASSERT_EQ(pixelAt(x, y), expected) << p.w << " x " << p.h << " at " << x - 10 << ", " << y - 10;
            }
        }
    }
    SDL_DestroyTexture(panel);
}
