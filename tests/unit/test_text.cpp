#include "SdlFixture.h"
#include "TestSupport.h"

#include "core/AssetManager.h"
#include "core/CachedTextCollection.h"
#include "core/Font.h"
#include "core/Recorder.h"
#include "core/Translator.h"
#include "core/UserFiles.h"

#include <SDL_ttf.h>
#include <gtest/gtest.h>

namespace {

const Uint32 background = 0xFF102030;

class TextTest : public SdlTest {
protected:
    void SetUp() override
    {
        SdlTest::SetUp();
        translator().loadTranslations("");
        assets = std::make_unique<AssetManager>(renderer, 0);
        fillScreen(background);
    }

    void TearDown() override
    {
        assets.reset();
        translator().loadTranslations("");
        SdlTest::TearDown();
    }

    Font* font(int size, int outline)
    {
        std::string key = "test" + std::to_string(size) + "-" + std::to_string(outline);
        return assets->loadFont(key, "main.ttf", size, outline);
    }

    // The size of a string rendered straight through SDL_ttf.
    static SDL_Point plainSize(TTF_Font* ttf, const std::string& text, int wrap = CachedText::noWrap)
    {
        SDL_Surface* surface = wrap == CachedText::noWrap
            ? TTF_RenderUTF8_Blended(ttf, text.c_str(), colourWhite)
            : TTF_RenderUTF8_Blended_Wrapped(ttf, text.c_str(), colourWhite, Uint32(wrap));
        SDL_Point size{surface->w, surface->h};
        SDL_FreeSurface(surface);
        return size;
    }

    static SDL_Surface* argbSurface(SDL_Surface* rendered)
    {
        SDL_Surface* converted = SDL_ConvertSurfaceFormat(rendered, SDL_PIXELFORMAT_ARGB8888, 0);
        SDL_FreeSurface(rendered);
        return converted;
    }

    static Uint32 alphaAt(SDL_Surface* surface, int x, int y)
    {
        return static_cast<Uint32*>(surface->pixels)[y * surface->pitch / 4 + x] >> 24;
    }

    std::unique_ptr<AssetManager> assets;
};

} // namespace

TEST_F(TextTest, FontFileIsReadOnceAndKeysKeepTheirFirstFont)
{
    Font* small = assets->loadFont("a", "main.ttf", 16, 0);
    Font* outlined = assets->loadFont("b", "main.ttf", 20, 2);
    ASSERT_NE(small, nullptr);
    ASSERT_NE(outlined, nullptr);
    EXPECT_EQ(assets->fontFiles.size(), 1u);
    EXPECT_EQ(outlined->outline, 2);
    EXPECT_NE(outlined->outlineFont, nullptr);
    EXPECT_EQ(small->outlineFont, nullptr);

    EXPECT_EQ(assets->loadFont("a", "main.ttf", 30, 4), small);
    EXPECT_EQ(assets->findFont("main.ttf", 20, 2, "other"), outlined);
    Font* found = assets->findFont("main.ttf", 25, 0, "RECORDED_main.ttf_25_0");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(assets->getFont("RECORDED_main.ttf_25_0"), found);

    assets->freeFont("a");
    assets->freeFont("not there");
    EXPECT_EQ(assets->fonts.count("a"), 0u);
    EXPECT_EQ(assets->fontFiles.size(), 1u);
    EXPECT_EQ(assets->getFont("a"), nullptr);
    EXPECT_EQ(logLinesContaining("ERROR: Cannot find font: a"), 1);
}

TEST_F(TextTest, MissingFontFileIsLookedForOnceAndDrawsNothing)
{
    EXPECT_EQ(assets->loadFont("x", "absent.ttf", 16, 0), nullptr);
    EXPECT_EQ(assets->loadFont("y", "absent.ttf", 18, 0), nullptr);
    EXPECT_EQ(logLinesContaining("I/O ERROR: Cannot open font file: " + dataPath("") + "absent.ttf"), 1);
    EXPECT_EQ(logLinesContaining("Game::Game Unable to setup handle for font:"), 1);
    EXPECT_TRUE(assets->fonts.empty());

    // Text in a font that never loaded: logged, no texture, no crash.
    CachedText text(camera.get(), assets->getFont("x"), colourWhite, "Hello");
    EXPECT_EQ(text.texture, nullptr);
    text.draw(10, 10);
    EXPECT_EQ(logLinesContaining("ERROR: cannot create text graphics for text: Hello"), 1);
}

TEST_F(TextTest, StringIsRenderedOnlyWhenItChanges)
{
    CachedText text(camera.get(), font(18, 0), colourWhite, "");
    int before = CachedText::renderCount;
    text.setText("Memory");
    text.setText("Memory");
    EXPECT_EQ(CachedText::renderCount, before + 1);
    ASSERT_NE(text.texture, nullptr);
    EXPECT_EQ(text.getWidth(), plainSize(text.font->ttf, "Memory").x);

    text.setText("");
    EXPECT_EQ(text.texture, nullptr);
    text.draw(10, 10);
    EXPECT_EQ(drawnArea(background).w, 0);
    text.setText("Memory");
    EXPECT_EQ(CachedText::renderCount, before + 2);
}

TEST_F(TextTest, DrawingHonoursScaleZoomAndSuppression)
{
    CachedText text(camera.get(), font(18, 0), colourWhite, "Page 66");
    const int w = text.getWidth(), h = text.getHeight();

    camera->disabled = true;
    text.draw(100, 100);
    camera->disabled = false;
    camera->skipCount = 1;
    text.draw(100, 100);
    camera->skipCount = 0;
    EXPECT_EQ(drawnArea(background).w, 0);

    text.draw(100, 100);
    SDL_Rect drawn = drawnArea(background);
    EXPECT_GE(drawn.x, 100);
    EXPECT_LE(drawn.x + drawn.w, 100 + w);
    EXPECT_LE(drawn.y + drawn.h, 100 + h);

    // Zoom 2 keeps the centre of the unzoomed box.
    fillScreen(background);
    text.drawZoomed(400, 400, 2.0f);
    drawn = drawnArea(background);
    EXPECT_GE(drawn.x, 400 - w / 2 - 1);
    EXPECT_GT(drawn.x + drawn.w, 400 + w);
    EXPECT_LE(drawn.x + drawn.w, 400 + w + w / 2 + 1);

    fillScreen(background);
    text.scale = 0.5f;
    text.draw(100, 100);
    drawn = drawnArea(background);
    EXPECT_LE(drawn.x + drawn.w, 100 + w / 2);
}

TEST_F(TextTest, DropShadowAddsItsOffsetToBothSides)
{
    CachedTextCollection collection;
    collection.init(camera.get(), font(16, 0), colourWhite, 1);
    CachedText* text = collection.getText("Continue", CachedText::noWrap);
    SDL_Point plain = plainSize(text->font->ttf, "Continue");
    EXPECT_EQ(text->getWidth(), plain.x + 1);
    EXPECT_EQ(text->getHeight(), plain.y + 1);
}

TEST_F(TextTest, OutlineSurroundsTheTextCentredAndOffsetDown)
{
    Font* outlined = font(32, 4);
    ASSERT_NE(outlined->outlineFont, nullptr);
    CachedText text(camera.get(), outlined, colourWhite, "Vantrel");
    SDL_Point outline = plainSize(outlined->outlineFont, "Vantrel");
    SDL_Point plain = plainSize(outlined->ttf, "Vantrel");
    ASSERT_EQ(text.getWidth(), outline.x);
    ASSERT_EQ(text.getHeight(), outline.y);

    // Opaque pixels of the letters show white at their place in the composition; opaque
    // pixels of the outline rendering that the letters leave free show black.
    fillScreen(background);
    text.draw(0, 0);
    SDL_Surface* letters = argbSurface(TTF_RenderUTF8_Blended(outlined->ttf, "Vantrel", colourWhite));
    SDL_Surface* rim = argbSurface(TTF_RenderUTF8_Blended(outlined->outlineFont, "Vantrel", colourWhite));
    const int dx = (outline.x - plain.x) / 2, dy = 4;
    int white = 0, black = 0;
    for (int y = 0; y < rim->h; y++) {
        for (int x = 0; x < rim->w; x++) {
            bool inLetters = x >= dx && y >= dy && x - dx < letters->w && y - dy < letters->h;
            Uint32 letter = inLetters ? alphaAt(letters, x - dx, y - dy) : 0;
            if (letter == 255) {
                ASSERT_EQ(pixelAt(x, y), 0xFFFFFFFFu) << x << ", " << y;
                white++;
            } else if (letter == 0 && alphaAt(rim, x, y) == 255) {
                ASSERT_EQ(pixelAt(x, y), 0xFF000000u) << x << ", " << y;
                black++;
            }
        }
    }
    EXPECT_GT(white, 50);
    EXPECT_GT(black, 50);
    SDL_FreeSurface(rim);
    SDL_FreeSurface(letters);
}

TEST_F(TextTest, WrapWidthDefaultsAndWidensForTranslatedWords)
{
    Font* small = font(18, 0);
    CachedText text(camera.get(), small, colourWhite, "");
    text.setTextWrapped("The bit escapes", 0);
    EXPECT_EQ(text.wrapWidth, 1020);

    Camera narrow(renderer, 800, 600);
    CachedText onNarrow(&narrow, small, colourWhite, "");
    onNarrow.setTextWrapped("The bit escapes", 0);
    EXPECT_EQ(onNarrow.wrapWidth, 800);

    const std::string longWord = "Speicherseitenregister kurz";
    int wordWidth = plainSize(small->ttf, "Speicherseitenregister").x;
    CachedText english(camera.get(), small, colourWhite, "");
    english.setTextWrapped(longWord, 50);
    EXPECT_EQ(english.wrapWidth, 50);

    translator().loadTranslations("de");
    CachedText german(camera.get(), small, colourWhite, "");
    german.setTextWrapped(longWord, 50);
    EXPECT_EQ(german.wrapWidth, wordWidth + 10);
    german.setTextWrapped("kurz", 400);
    EXPECT_EQ(german.wrapWidth, 400);
}

TEST_F(TextTest, ChineseAndJapaneseGetBreakOpportunities)
{
    bool changed = false;
    EXPECT_EQ(CachedText::insertBreakOpportunities("記憶、出口。a,b c,1 d. x,\\n［y］", changed),
        "記憶、 出口。 a, b c, 1 d. x,\\n[y]");
    EXPECT_TRUE(changed);
    EXPECT_EQ(CachedText::insertBreakOpportunities("plain text", changed), "plain text");
    EXPECT_FALSE(changed);
    EXPECT_EQ(CachedText::insertBreakOpportunities("a,\xFF b", changed), "a,\xFF b");
    EXPECT_FALSE(changed);
    EXPECT_EQ(logLinesContaining("       This part is fine: a,"), 1);

    Font* small = font(18, 0);
    translator().loadTranslations("ja");
    CachedText wrapped(camera.get(), small, colourWhite, "");
    wrapped.setTextWrapped("a,b", 300);
    EXPECT_EQ(wrapped.getWidth(), plainSize(small->ttf, "a, b", 300).x);
    CachedText oneLine(camera.get(), small, colourWhite, "");
    oneLine.setTextWrapped("a,b［1］", CachedText::noWrap);
    EXPECT_EQ(oneLine.getWidth(), plainSize(small->ttf, "a,b［1］").x);
}

TEST_F(TextTest, CollectionRendersEachStringOnceWithItsFirstWrap)
{
    CachedTextCollection collection;
    collection.init(camera.get(), font(18, 0), colourWhite, 0);
    Font* first = collection.font;
    collection.init(camera.get(), font(30, 0), colourGold, 3);
    EXPECT_EQ(collection.font, first);
    EXPECT_EQ(collection.shadowOffset, 0);
    EXPECT_EQ(collection.colour.g, 255);

    int before = CachedText::renderCount;
    CachedText* narrow = collection.getText("one two three four", 60);
    CachedText* again = collection.getText("one two three four", 2000);
    EXPECT_EQ(again, narrow);
    EXPECT_EQ(again->wrapWidth, 60);
    EXPECT_GT(again->getHeight(), plainSize(again->font->ttf, "one").y);
    EXPECT_EQ(CachedText::renderCount, before + 1);

    SDL_Texture* texture = narrow->texture;
    collection.freeTexts();
    EXPECT_TRUE(collection.texts.empty());
    EXPECT_EQ(recorder().textureIndex.count(texture), 0u);
}

TEST_F(TextTest, RegistryKeepsTheFirstCollectionOfAName)
{
    auto first = std::make_unique<CachedTextCollection>();
    CachedTextCollection* kept = first.get();
    EXPECT_TRUE(assets->addCachedTexts("sign", std::move(first)));
    EXPECT_FALSE(assets->addCachedTexts("sign", std::make_unique<CachedTextCollection>()));
    EXPECT_EQ(logLinesContaining("ERROR: CachedTextCollection already exists (sign)"), 1);
    EXPECT_EQ(assets->getCachedTexts("sign"), kept);
    EXPECT_EQ(assets->getCachedTexts("nope"), nullptr);
    EXPECT_EQ(logLinesContaining("ERROR: Cannot find cachedText: nope"), 1);
}

TEST_F(TextTest, StartupFontsAndCollectionsAreRegistered)
{
    assets->loadStartupFonts(camera.get());
    const struct {
        const char* key;
        int size, outline;
    } fonts[] = {{"main.ttf", 32, 4}, {"small", 18, 0}, {"sign", 16, 2}, {"chat", 16, 0}, {"twentyone", 21, 0}};
    for (const auto& expected : fonts) {
        Font* font = assets->getFont(expected.key);
        ASSERT_NE(font, nullptr) << expected.key;
        EXPECT_EQ(font->size, expected.size);
        EXPECT_EQ(font->outline, expected.outline);
        EXPECT_EQ(font->fileName, "main.ttf");
    }
    EXPECT_EQ(assets->fontFiles.size(), 1u);

    CachedTextCollection* menuhint = assets->getCachedTexts("menuhint");
    CachedTextCollection* signgold = assets->getCachedTexts("signgold");
    CachedTextCollection* bobi30 = assets->getCachedTexts("bobi30");
    ASSERT_TRUE(menuhint && signgold && bobi30 && assets->getCachedTexts("sign"));
    EXPECT_EQ(menuhint->shadowOffset, 1);
    EXPECT_EQ(menuhint->font, assets->getFont("sign"));
    EXPECT_EQ(signgold->colour.g, 215);
    EXPECT_EQ(bobi30->font, assets->getFont("main.ttf"));
    EXPECT_EQ(bobi30->context, camera.get());
    EXPECT_NE(bobi30->getText("Press any key", 1900)->texture, nullptr);

    assets->releaseResources();
    EXPECT_TRUE(assets->fonts.empty() && assets->fontFiles.empty() && assets->cachedTexts.empty());
}
