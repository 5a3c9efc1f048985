#include "TestSupport.h"

#include "core/CircularLog.h"
#include "core/GlyphTable.h"
#include "core/LevelLoader.h"
#include "core/Realm.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace std::string_literals;

namespace {

TEST(Realm, OutOfRangeCellsShareTheSpareCell)
{
    auto realm = std::make_unique<Realm>();
    EXPECT_EQ(&realm->cell(256, 0), &realm->cell(0, -1));
    EXPECT_EQ(&realm->cell(-1, 300), &realm->spare);
    realm->cell(999, 999).value = 7;
    EXPECT_EQ(realm->cell(-5, 2).value, 7);
    realm->cell(255, 255).value = 9;
    EXPECT_EQ(realm->cells[65535].value, 9);
    EXPECT_EQ(realm->cell(3, 1).value, 0);
    EXPECT_EQ(&realm->cell(3, 1), &realm->cells[259]);
}

TEST(GlyphTable, BothWays)
{
    GlyphTable glyphs;
    EXPECT_EQ(glyphs.byteOf("A"), 65);
    EXPECT_EQ(glyphs.byteOf("☺"), 1);
    EXPECT_EQ(glyphs.byteOf("■"), 254);
    EXPECT_EQ(glyphs.byteOf("╚"), 200);
    EXPECT_EQ(glyphs.byteOf(" "), 0);
    EXPECT_EQ(glyphs.byteOf("€"), 0);
    EXPECT_EQ(glyphs.byteOf("\n"), 0);
    EXPECT_EQ(glyphs.byteOf(""), 0);
    EXPECT_EQ(glyphs.glyph(0), " ");
    EXPECT_EQ(glyphs.glyph(127), " ");
    EXPECT_EQ(glyphs.glyph(255), " ");
    EXPECT_EQ(glyphs.glyph(3), "♥");
    EXPECT_EQ(glyphs.glyph(176), "░");
    // Every glyph but the blanks reads back as its own byte.
    for (int byte = 1; byte < 255; byte++) {
        if (byte == 32 || byte == 127)
            continue;
        EXPECT_EQ(glyphs.byteOf(glyphs.glyph(byte)), byte) << byte;
    }
}

class LevelLoaderTest : public testing::Test {
protected:
    GlyphTable glyphs;
    std::unique_ptr<Realm> realm = std::make_unique<Realm>();
    std::string path = testUserRoot() + "/map.txt";

    bool load(const std::string& bytes)
    {
        writeFileBytes(path, bytes);
        return loadMap(path, *realm, glyphs);
    }

    void fill(int value)
    {
        for (Cell& cell : realm->cells)
            cell.value = uint8_t(value);
    }

    bool logHas(const std::string& line) const
    {
        const CircularLog& log = CircularLog::instance();
        for (int age = 0; age < log.size(); age++)
            if (log.fromNewest(age) == line)
                return true;
        return false;
    }
};

TEST_F(LevelLoaderTest, ShortLinesEndWithTheLineFeedsZero)
{
    fill(7);
    EXPECT_TRUE(load("ab\n╚€\r\n"));
    EXPECT_EQ(realm->cell(0, 0).value, 97);
    EXPECT_EQ(realm->cell(1, 0).value, 98);
    EXPECT_EQ(realm->cell(2, 0).value, 0);
    EXPECT_EQ(realm->cell(3, 0).value, 7);
    EXPECT_EQ(realm->cell(0, 1).value, 200);
    EXPECT_EQ(realm->cell(1, 1).value, 0); // not in code page 437
    EXPECT_EQ(realm->cell(2, 1).value, 0); // carriage return
    EXPECT_EQ(realm->cell(3, 1).value, 0); // line feed
    EXPECT_EQ(realm->cell(4, 1).value, 7);
    EXPECT_EQ(realm->cell(0, 2).value, 7);
    EXPECT_TRUE(logHas("Level loaded successfully."));
}

TEST_F(LevelLoaderTest, AByteOrderMarkIsOneUnknownCharacter)
{
    fill(7);
    EXPECT_TRUE(load("\xEF\xBB\xBF" "A"));
    EXPECT_EQ(realm->cell(0, 0).value, 0);
    EXPECT_EQ(realm->cell(1, 0).value, 65);
    EXPECT_EQ(realm->cell(2, 0).value, 7); // no line feed at the end of the file
}

TEST_F(LevelLoaderTest, OnlyTheFirst256RowsAndColumnsAreRead)
{
    std::string file;
    for (int row = 0; row < 300; row++)
        file += std::string(300, char('0' + row % 10)) + "\n";
    EXPECT_TRUE(load(file));
    EXPECT_EQ(realm->cell(255, 255).value, '5');
    EXPECT_EQ(realm->cell(255, 0).value, '0');
    EXPECT_EQ(realm->spare.value, 0);
    EXPECT_TRUE(logHas("WARNING: Map file " + path + " has more than 256 rows, the rest is ignored"));
}

TEST_F(LevelLoaderTest, AVeryLongLineIsReadAsSeveralRows)
{
    fill(7);
    EXPECT_TRUE(load(std::string(100000, 'x') + "\nB\n"));
    EXPECT_EQ(realm->cell(0, 0).value, 'x');
    EXPECT_EQ(realm->cell(0, 1).value, 'x'); // the rest of the long line
    EXPECT_EQ(realm->cell(0, 2).value, 'B');
    EXPECT_EQ(realm->cell(1, 2).value, 0);
    EXPECT_EQ(realm->cell(0, 3).value, 7);
}

TEST_F(LevelLoaderTest, InvalidUtf8StopsTheLoadAndKeepsTheRowsAbove)
{
    fill(7);
    EXPECT_FALSE(load("ok\nfi\xFFne\nnever\n"));
    EXPECT_EQ(realm->cell(0, 0).value, 'o');
    EXPECT_EQ(realm->cell(0, 1).value, 7);
    EXPECT_EQ(realm->cell(0, 2).value, 7);
    EXPECT_TRUE(logHas("ERROR: Invalid UTF-8 in line: fi\uFFFDne"));
    EXPECT_TRUE(logHas("       This part is fine: fi"));

    // A sequence cut off at the end of the file is invalid too.
    EXPECT_FALSE(load("A\xE2\x95"));
}

TEST_F(LevelLoaderTest, NulBytesAreCharactersLikeAnyOther)
{
    fill(7);
    EXPECT_TRUE(load("A\0B\n"s));
    EXPECT_EQ(realm->cell(0, 0).value, 'A');
    EXPECT_EQ(realm->cell(1, 0).value, 0);
    EXPECT_EQ(realm->cell(2, 0).value, 'B');
}

TEST_F(LevelLoaderTest, MissingFileLeavesThePage)
{
    fill(7);
    EXPECT_FALSE(loadMap(testUserRoot() + "/nowhere.txt", *realm, glyphs));
    EXPECT_TRUE(logHas("ERROR: Failed to open map file: " + testUserRoot() + "/nowhere.txt"));
    EXPECT_EQ(realm->cell(0, 0).value, 7);
}

} // namespace
