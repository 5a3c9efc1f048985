#include "SdlFixture.h"
#include "TestSupport.h"

#include "core/AssetManager.h"
#include "core/ImageManager.h"
#include "core/NineSlice.h"
#include "core/Recorder.h"
#include "core/Texture.h"

#include <gtest/gtest.h>

namespace {

// Three hand-computed pixels: opaque, half transparent, black at half alpha.
const Uint32 samplePixels[] = {0xFF3C7828, 0xC8C86434, 0x80000000};

std::string writeSamplePicture(const std::string& name)
{
    SDL_Surface* surface = makeSurface(3, 1);
    for (int x = 0; x < 3; x++)
        setSurfacePixel(surface, x, 0, samplePixels[x]);
    writePicture(name, surface);
    SDL_FreeSurface(surface);
    return name;
}

class TextureTest : public SdlTest {
protected:
    // Copies a texture unblended to the top-left corner and reads its first row back.
    std::vector<Uint32> firstRow(SDL_Texture* texture, int count)
    {
        SDL_SetTextureBlendMode(texture, SDL_BLENDMODE_NONE);
        SDL_Rect place{0, 0, count, 1};
        SDL_RenderCopy(renderer, texture, &place, &place);
        std::vector<Uint32> row;
        for (int x = 0; x < count; x++)
            row.push_back(pixelAt(x, 0));
        return row;
    }
};

} // namespace

TEST_F(TextureTest, EmptyNameAndMissingPictureAreLookedForOnce)
{
    AssetManager assets(renderer, 0);
    EXPECT_EQ(assets.getTexture(""), nullptr);
    EXPECT_TRUE(assets.textures.empty());

    Texture* first = assets.getTexture("missing.png");
    Texture* second = assets.getTexture("missing.png");
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second);
    EXPECT_EQ(first->texture, nullptr);
    EXPECT_EQ(first->frozen(renderer), nullptr);
    EXPECT_EQ(first->grayscale(renderer, true), nullptr);
    EXPECT_EQ(logLinesContaining("ERROR: Cannot load image. tex: missing.png, error: "), 1);
    EXPECT_EQ(logLinesContaining("ERROR: cannot load image into surface: missing.png"), 1);
    EXPECT_EQ(assets.totalTextureBytes, 0);
}

TEST_F(TextureTest, PictureIsLoadedOnceSizedAndCounted)
{
    SDL_Surface* surface = makeSurface(10, 20);
    writePicture("ten-by-twenty.png", surface);
    SDL_FreeSurface(surface);

    AssetManager assets(renderer, 0);
    Texture* texture = assets.getTexture("ten-by-twenty.png");
    ASSERT_NE(texture, nullptr);
    ASSERT_NE(texture->texture, nullptr);
    EXPECT_EQ(assets.getTexture("ten-by-twenty.png"), texture);
    EXPECT_EQ(texture->getWidth(), 10);
    EXPECT_EQ(texture->getHeight(), 20);
    EXPECT_EQ(assets.totalTextureBytes, 800);
    EXPECT_EQ(logLinesContaining("Load: "), 0);

    // Known to the recorder by file name, so a replay can name it.
    Recorder& rec = recorder();
    ASSERT_EQ(rec.textureIndex.count(texture->texture), 1u);
    const RecordedTexture& entry = rec.textures[size_t(rec.textureIndex[texture->texture])];
    EXPECT_EQ(entry.kind, 1);
    EXPECT_EQ(entry.name, "ten-by-twenty.png");

    // The estimate speaks up only once it is past 360000000 bytes.
    assets.totalTextureBytes = 360000000 - 800;
    assets.getTexture("missing.png");
    EXPECT_EQ(logLinesContaining("Load: "), 0);
    writePicture("second.png", surface = makeSurface(10, 20));
    SDL_FreeSurface(surface);
    assets.getTexture("second.png");
    EXPECT_EQ(logLinesContaining("Load: "), 0);
    writePicture("third.png", surface = makeSurface(1, 1));
    SDL_FreeSurface(surface);
    assets.getTexture("third.png");
    EXPECT_EQ(logLinesContaining("Load: third.png, approx total: 343 MB"), 1);
}

TEST_F(TextureTest, ReleaseFreesEverythingAndLookupsLoadAgain)
{
    writeSamplePicture("release.png");
    AssetManager assets(renderer, 0);
    Texture* texture = assets.getTexture("release.png");
    SDL_Texture* normal = texture->texture;
    SDL_Texture* frozen = texture->frozen(renderer);
    ASSERT_NE(frozen, nullptr);
    ASSERT_EQ(recorder().textureIndex.count(frozen), 1u);

    assets.releaseResources();
    EXPECT_TRUE(assets.textures.empty());
    EXPECT_EQ(recorder().textureIndex.count(normal), 0u);
    EXPECT_EQ(recorder().textureIndex.count(frozen), 0u);
    Texture* again = assets.getTexture("release.png");
    ASSERT_NE(again, nullptr);
    EXPECT_NE(again->texture, nullptr);
}

TEST_F(TextureTest, RegisteringUnderATakenNameKeepsTheFirst)
{
    writeSamplePicture("kept.png");
    AssetManager assets(renderer, 0);
    Texture* first = assets.getTexture("kept.png");
    assets.registerTexture("kept.png", std::make_unique<Texture>("kept.png", renderer));
    EXPECT_EQ(assets.getTexture("kept.png"), first);
    EXPECT_EQ(assets.textures.size(), 1u);
}

TEST_F(TextureTest, FrozenPixelsFollowTheColdContrastRule)
{
    writeSamplePicture("frozen.png");
    AssetManager assets(renderer, 0);
    Texture* texture = assets.getTexture("frozen.png");
    SDL_Texture* frozen = texture->frozen(renderer);
    ASSERT_NE(frozen, nullptr);
    EXPECT_EQ(texture->frozen(renderer), frozen);

    // (60,120,40): L = 89.8 -> red 51.6, green (89+48-128)*2+128, blue (89+89-128)*2+128.
    // (200,100,52): L = 105.64 -> red 83.28, green 178, blue 260 clamped.
    // Black: L = -12 -> red and green clamp to 0, blue (-12+89-128)*2+128 = 26.
    std::vector<Uint32> expected = {0xFF3392E4, 0xC853B2FF, 0x8000001A};
    EXPECT_EQ(firstRow(frozen, 3), expected);

    const RecordedTexture& entry = recorder().textures[size_t(recorder().textureIndex[frozen])];
    EXPECT_EQ(entry.kind, 2);
    EXPECT_EQ(entry.name, "frozen.png");
}

TEST_F(TextureTest, GrayscaleKeepsTheWeightsOfItsFirstRequest)
{
    writeSamplePicture("grey.png");
    AssetManager assets(renderer, 0);
    Texture* luminous = assets.getTexture("grey.png");
    SDL_Texture* grey = luminous->grayscale(renderer, true);
    ASSERT_NE(grey, nullptr);
    EXPECT_EQ(luminous->grayscale(renderer, false), grey);
    // 0.21, 0.72, 0.07: 101.8 and 117.64.
    std::vector<Uint32> expected = {0xFF656565, 0xC8757575, 0x80000000};
    EXPECT_EQ(firstRow(grey, 3), expected);
    EXPECT_EQ(recorder().textures[size_t(recorder().textureIndex[grey])].kind, 3);

    Texture plain("grey.png", renderer);
    // 0.299, 0.587, 0.114: 92.94 and 124.428.
    expected = {0xFF5C5C5C, 0xC87C7C7C, 0x80000000};
    EXPECT_EQ(firstRow(plain.grayscale(renderer, false), 3), expected);
}

TEST(ImageManager, UnknownLookupIsAddedAsAZeroRectangle)
{
    SpriteTable table;
    table["achievements.png"]["background"] = SDL_Rect{1, 2, 3, 4};
    SDL_Rect found = ImageManager::get(table, "achievements.png", "background");
    EXPECT_EQ(found.x, 1);
    EXPECT_EQ(found.h, 4);

    SDL_Rect unknown = ImageManager::get(table, "icons.png", "star");
    EXPECT_EQ(unknown.x | unknown.y | unknown.w | unknown.h, 0);
    ASSERT_EQ(table.count("icons.png"), 1u);
    EXPECT_EQ(table["icons.png"].count("star"), 1u);
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

class NineSliceTest : public SdlTest {
protected:
    void SetUp() override
    {
        SdlTest::SetUp();
        SDL_Surface* surface = makeSurface(panelSize, panelSize);
        for (int y = 0; y < panelSize; y++)
            for (int x = 0; x < panelSize; x++)
                setSurfacePixel(surface, x, y, regionColour(regionOf(x, panelSize), regionOf(y, panelSize)));
        panel = SDL_CreateTextureFromSurface(renderer, surface);
        SDL_FreeSurface(surface);
        SDL_SetTextureScaleMode(panel, SDL_ScaleModeNearest);
        fillScreen(background);
    }

    void TearDown() override
    {
        SDL_DestroyTexture(panel);
        SdlTest::TearDown();
    }

    // The panel at (x, y) is W x H: corners and edges keep their regions' colours, and
    // nothing is drawn around it.
    void expectPanel(int x, int y, int W, int H)
    {
        for (int py = y - 3; py < y + H + 3; py++) {
            for (int px = x - 3; px < x + W + 3; px++) {
                bool inside = px >= x && px < x + W && py >= y && py < y + H;
                Uint32 expected = inside ? regionColour(regionOf(px - x, W), regionOf(py - y, H)) : background;
                ASSERT_EQ(pixelAt(px, py), expected) << "at " << px - x << ", " << py - y;
            }
        }
    }

    SDL_Texture* panel = nullptr;
};

} // namespace

TEST_F(NineSliceTest, PanelWiderThanThePictureFillsItsBottomRow)
{
    EXPECT_EQ(drawNineSlice(renderer, panel, 10, 10, 40, 30, panelSize, panelSize, border, border), 9);
    expectPanel(10, 10, 40, 30);
}

TEST_F(NineSliceTest, PanelNoWiderThanThePictureTakesEightCopies)
{
    EXPECT_EQ(drawNineSlice(renderer, panel, 20, 30, 10, 25, panelSize, panelSize, border, border), 8);
    expectPanel(20, 30, 10, 25);
}

TEST_F(NineSliceTest, PanelIsAtLeastItsTwoBordersWide)
{
    EXPECT_EQ(drawNineSlice(renderer, panel, 40, 40, 2, 1, panelSize, panelSize, border, border), 8);
    expectPanel(40, 40, 2 * border, 2 * border);
}
