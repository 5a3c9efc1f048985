#include "SdlFixture.h"
#include "TestSupport.h"

#include "core/AssetManager.h"
#include "core/CachedTextCollection.h"
#include "core/Font.h"
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
        assets = std::make_unique<AssetManager>(renderer, 0);
        fillScreen(background);
    }

    void TearDown() override
    {
        translator().loadTranslations("");
        SdlTest::TearDown();
    }

    Font* font(int size, int outline)
    {
        return assets->loadFont(std::to_string(size) + "/" + std::to_string(outline), "main.ttf", size, outline);
    }

    // A string rendered straight through SDL_ttf, as 32-bit ARGB.
    static SDL_Surface* rendered(TTF_Font* ttf, const std::string& text, int wrap = CachedText::noWrap)
    {
        SDL_Surface* surface = wrap == CachedText::noWrap
            ? TTF_RenderUTF8_Blended(ttf, text.c_str(), colourWhite)
            : TTF_RenderUTF8_Blended_Wrapped(ttf, text.c_str(), colourWhite, Uint32(wrap));
        SDL_Surface* argb = SDL_ConvertSurfaceFormat(surface, SDL_PIXELFORMAT_ARGB8888, 0);
        SDL_FreeSurface(surface);
        return argb;
    }

    static int renderedWidth(TTF_Font* ttf, const std::string& text, int wrap = CachedText::noWrap)
    {
        SDL_Surface* surface = rendered(ttf, text, wrap);
        int width = surface->w;
        SDL_FreeSurface(surface);
        return width;
    }

    static Uint32 alphaAt(SDL_Surface* surface, int x, int y)
    {
        return static_cast<Uint32*>(surface->pixels)[y * surface->pitch / 4 + x] >> 24;
    }
};

} // namespace

TEST_F(TextTest, FontsShareTheirFileAndKeepTheirKeys)
{
    Font* small = assets->loadFont("a", "main.ttf", 16, 0);
    Font* outlined = assets->loadFont("b", "main.ttf", 20, 2);
    ASSERT_TRUE(small && outlined && outlined->outlineFont);
    EXPECT_EQ(small->outlineFont, nullptr);
    EXPECT_EQ(assets->fontFiles.size(), 1u);
    EXPECT_EQ(assets->loadFont("a", "main.ttf", 30, 4), small);
    EXPECT_EQ(assets->findFont("main.ttf", 20, 2, "other"), outlined);

    // A missing file is looked for once; text in a font that never loaded draws nothing.
    EXPECT_EQ(assets->loadFont("x", "absent.ttf", 16, 0), nullptr);
    EXPECT_EQ(assets->loadFont("y", "absent.ttf", 18, 0), nullptr);
    EXPECT_EQ(logLinesContaining("I/O ERROR: Cannot open font file: " + dataPath("") + "absent.ttf"), 1);
    CachedText text(camera.get(), assets->getFont("x"), colourWhite, "Hello");
    EXPECT_EQ(text.texture, nullptr);
    text.draw(10, 10);
    EXPECT_EQ(logLinesContaining("ERROR: cannot create text graphics for text: Hello"), 1);
}

TEST_F(TextTest, TextIsRenderedOnceAndDrawnUnlessSuppressed)
{
    CachedText text(camera.get(), font(18, 0), colourWhite, "");
    int before = CachedText::renderCount;
    text.setText("Page 66");
    text.setText("Page 66");
    EXPECT_EQ(CachedText::renderCount, before + 1);
    const int w = text.getWidth();
    EXPECT_EQ(w, renderedWidth(text.font->ttf, "Page 66"));

    camera->disabled = true;
    text.draw(100, 100);
    camera->disabled = false;
    camera->skipCount = 1;
    text.draw(100, 100);
    camera->skipCount = 0;
    EXPECT_EQ(drawnArea(background).w, 0);

    // Zoom 2 keeps the centre of the unzoomed box.
    text.drawZoomed(400, 400, 2.0f);
    SDL_Rect drawn = drawnArea(background);
    EXPECT_GE(drawn.x, 400 - w / 2 - 1);
    EXPECT_GT(drawn.x + drawn.w, 400 + w);

    text.setText("");
    EXPECT_EQ(text.texture, nullptr);
    fillScreen(background);
    text.draw(10, 10);
    EXPECT_EQ(drawnArea(background).w, 0);
}

TEST_F(TextTest, ShadowAndOutlineGrowTheText)
{
    CachedTextCollection shadowed;
    shadowed.init(camera.get(), font(16, 0), colourWhite, 1);
    CachedText* hint = shadowed.getText("Continue", CachedText::noWrap);
    SDL_Surface* plain = rendered(hint->font->ttf, "Continue");
    EXPECT_EQ(hint->getWidth(), plain->w + 1);
    EXPECT_EQ(hint->getHeight(), plain->h + 1);
    SDL_FreeSurface(plain);

    Font* outlined = font(32, 4);
    CachedText title(camera.get(), outlined, colourWhite, "Vantrel");
    SDL_Surface* letters = rendered(outlined->ttf, "Vantrel");
    SDL_Surface* rim = rendered(outlined->outlineFont, "Vantrel");
    ASSERT_EQ(title.getWidth(), rim->w);
    ASSERT_EQ(title.getHeight(), rim->h);
    // The letters sit centred and 4 pixels down: white where they are opaque, black
    // where only the outline is.
    title.draw(0, 0);
    const int dx = (rim->w - letters->w) / 2, dy = 4;
    int white = 0, black = 0;
    for (int y = 0; y < rim->h; y++) {
        for (int x = 0; x < rim->w; x++) {
            bool onLetters = x >= dx && y >= dy && x - dx < letters->w && y - dy < letters->h;
            Uint32 letter = onLetters ? alphaAt(letters, x - dx, y - dy) : 0;
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

TEST_F(TextTest, WrapWidthFollowsScreenAndLanguage)
{
    Font* small = font(18, 0);
    CachedText text(camera.get(), small, colourWhite, "");
    text.setTextWrapped("The bit escapes", 0);
    EXPECT_EQ(text.wrapWidth, 1020);
    Camera narrow(renderer, 800, 600);
    CachedText onNarrow(&narrow, small, colourWhite, "");
    onNarrow.setTextWrapped("The bit escapes", 0);
    EXPECT_EQ(onNarrow.wrapWidth, 800);

    // A translated word wider than the line widens the line instead of being cut.
    CachedText english(camera.get(), small, colourWhite, "");
    english.setTextWrapped("Speicherseitenregister kurz", 50);
    EXPECT_EQ(english.wrapWidth, 50);
    translator().loadTranslations("de");
    CachedText german(camera.get(), small, colourWhite, "");
    german.setTextWrapped("Speicherseitenregister kurz", 50);
    EXPECT_EQ(german.wrapWidth, renderedWidth(small->ttf, "Speicherseitenregister") + 10);

    // Chinese and Japanese get break opportunities, but only in wrapped text.
    bool changed = false;
    EXPECT_EQ(CachedText::insertBreakOpportunities("記憶、出口。a,b c,1 d. x,\\n［y］", changed),
        "記憶、 出口。 a, b c, 1 d. x,\\n[y]");
    EXPECT_TRUE(changed);
    EXPECT_EQ(CachedText::insertBreakOpportunities("a,\xFF b", changed), "a,\xFF b");
    EXPECT_FALSE(changed);
    EXPECT_EQ(logLinesContaining("       This part is fine: a,"), 1);
    translator().loadTranslations("ja");
    CachedText wrapped(camera.get(), small, colourWhite, "");
    wrapped.setTextWrapped("a,b", 300);
    EXPECT_EQ(wrapped.getWidth(), renderedWidth(small->ttf, "a, b", 300));
    CachedText oneLine(camera.get(), small, colourWhite, "");
    oneLine.setTextWrapped("a,b［1］", CachedText::noWrap);
    EXPECT_EQ(oneLine.getWidth(), renderedWidth(small->ttf, "a,b［1］"));
}

TEST_F(TextTest, CollectionsKeepTheirFirstSettingsAndRenderings)
{
    assets->loadStartupFonts(camera.get());
    CachedTextCollection* bobi30 = assets->getCachedTexts("bobi30");
    ASSERT_NE(bobi30, nullptr);
    EXPECT_EQ(bobi30->font, assets->getFont("main.ttf"));

    // A second registration under a name is refused; a second init changes nothing.
    EXPECT_FALSE(assets->addCachedTexts("bobi30", std::make_unique<CachedTextCollection>()));
    EXPECT_EQ(assets->getCachedTexts("bobi30"), bobi30);
    bobi30->init(camera.get(), nullptr, colourGold, 3);
    EXPECT_EQ(bobi30->font, assets->getFont("main.ttf"));

    // A string is rendered once, wrapped as on its first request.
    int before = CachedText::renderCount;
    CachedText* narrow = bobi30->getText("one two three four", 120);
    EXPECT_EQ(bobi30->getText("one two three four", 2000), narrow);
    EXPECT_EQ(narrow->wrapWidth, 120);
    EXPECT_LE(narrow->getWidth(), 120);
    EXPECT_EQ(CachedText::renderCount, before + 1);

    assets->releaseResources();
    EXPECT_TRUE(assets->fonts.empty() && assets->fontFiles.empty() && assets->cachedTexts.empty());
}
