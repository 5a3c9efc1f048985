#include "core/GlyphTable.h"
#include "core/UserFiles.h"

#include <SDL_ttf.h>
#include <gtest/gtest.h>
#include <utf8.h>

// Memory is drawn as code page 437 characters: both shipped faces of the grid (bold at
// small sizes) must have every one, all as wide as each other.
TEST(GameFont, HasAGlyphForEveryCharacterOfTheMemoryView)
{
    ASSERT_EQ(TTF_Init(), 0);
    GlyphTable glyphs;
    for (const char* file : {"main.ttf", "main-bold.ttf"}) {
        SCOPED_TRACE(file);
        TTF_Font* font = TTF_OpenFont(dataPath(file).c_str(), 24);
        ASSERT_NE(font, nullptr) << TTF_GetError();
        EXPECT_TRUE(TTF_FontFaceIsFixedWidth(font)) << "the memory grid needs a monospaced font";
        int widthOfA = 0;
        TTF_GlyphMetrics32(font, 'A', nullptr, nullptr, nullptr, nullptr, &widthOfA);
        for (int byte = 0; byte < 256; byte++) {
            std::string glyph = glyphs.glyph(byte);
            std::string::iterator position = glyph.begin();
            Uint32 codePoint = utf8::next(position, glyph.end());
            EXPECT_TRUE(TTF_GlyphIsProvided32(font, codePoint)) << "byte " << byte << " (" << glyph << ")";
            int advance = 0;
            TTF_GlyphMetrics32(font, codePoint, nullptr, nullptr, nullptr, nullptr, &advance);
            EXPECT_EQ(advance, widthOfA) << "byte " << byte << " (" << glyph << ")";
        }
        TTF_CloseFont(font);
    }
    TTF_Quit();
}
