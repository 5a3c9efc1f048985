#include "TestSupport.h"

#include "core/GlyphTable.h"
#include "core/LevelLoader.h"
#include "core/Realm.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <memory>
#include <string>
#include <vector>

using namespace std::string_literals;

namespace {

TEST(Realm, OutOfRangeCellsShareTheSpareCell)
{
    auto realm = std::make_unique<Realm>();
    EXPECT_EQ(&realm->cell(256, 0), &realm->spare);
    EXPECT_EQ(&realm->cell(0, -1), &realm->spare);
    EXPECT_EQ(&realm->cell(-1, 300), &realm->spare);
    realm->cell(999, 999).value = 7;
    EXPECT_EQ(realm->cell(-5, 2).value, 7);
    realm->cell(255, 255).value = 9;
    EXPECT_EQ(realm->cells[65535].value, 9);
    EXPECT_EQ(realm->cell(3, 1).value, 0);
    EXPECT_EQ(&realm->cell(3, 1), &realm->cells[259]);
    realm->clear();
    EXPECT_EQ(realm->cell(999, 999).value, 0);
    EXPECT_EQ(realm->cells[65535].value, 0);
}

TEST(GlyphTable, BothWays)
{
    GlyphTable glyphs;
    const std::pair<const char*, int> bytes[] = {{"A", 65}, {"☺", 1}, {"■", 254}, {"╚", 200}, {" ", 0}, {"€", 0},
        {"\n", 0}, {"", 0}};
    for (const auto& [glyph, byte] : bytes)
        EXPECT_EQ(glyphs.byteOf(glyph), byte) << glyph;
    EXPECT_EQ(glyphs.glyph(0), " ");
    EXPECT_EQ(glyphs.glyph(127), " ");
    EXPECT_EQ(glyphs.glyph(255), " ");
    EXPECT_EQ(glyphs.glyph(3), "♥");
    EXPECT_EQ(glyphs.glyph(176), "░");
    // Every glyph but the blanks reads back as its own byte.
    for (int byte = 1; byte < 255; byte++) {
        if (byte != 32 && byte != 127) {
            EXPECT_EQ(glyphs.byteOf(glyphs.glyph(byte)), byte) << byte;
        }
    }
}

class LevelLoaderTest : public testing::Test {
protected:
    GlyphTable glyphs;
    std::unique_ptr<Realm> realm = std::make_unique<Realm>();
    std::string path = testUserRoot() + "/map.txt";

    // Loads the file and checks that it was closed, whatever happened.
    bool load(const std::string& bytes)
    {
        writeFileBytes(path, bytes);
        int openBefore = openFileCount();
        bool loaded = loadMap(path, *realm, glyphs);
        EXPECT_EQ(openFileCount(), openBefore);
        return loaded;
    }

    void fill(int value)
    {
        for (Cell& cell : realm->cells)
            cell.value = uint8_t(value);
    }

    bool logHas(const std::string& line) const { return logLinesContaining(line) > 0; }
};

TEST_F(LevelLoaderTest, EachCharacterIsAByteAndEachLineARow)
{
    // The rows' first bytes after loading over memory full of 7s.
    const struct {
        std::string file;
        bool loads;
        std::vector<std::vector<int>> rows;
        bool tooWide = false;
    } maps[] = {
        {"ab\n╚€\r\n", true, {{97, 98, 0, 7}, {200, 0, 0, 0, 7}, {7}}}, // € and the carriage return are 0
        {"\xEF\xBB\xBF" "A", true, {{0, 65, 7}}},      // a byte order mark is one unknown character
        {"A\0B\n"s, true, {{'A', 0, 'B', 0, 7}}},       // NUL is a character like any other
        {std::string(100000, 'x') + "\nB\n", true, {{'x'}, {'x'}, {'B', 0}, {7}}, true}, // read as several rows
        {std::string(256, 'y') + "\r\n", true, {{'y'}, {7}}},      // exactly as wide as a page
        {std::string(256, 'y') + "z\n", true, {{'y'}, {7}}, true},  // one character too many
        {"ok\nfi\xFFne\nnever\n", false, {{'o'}, {7}, {7}}}, // invalid UTF-8 keeps the rows above
        {"A\xE2\x95", false, {}},                            // a sequence cut off by the end of the file
    };
    for (const auto& map : maps) {
        SCOPED_TRACE(map.file.substr(0, 20));
        fill(7);
        int wideWarnings = logLinesContaining("has rows wider than 256 characters, the rest is ignored");
        EXPECT_EQ(load(map.file), map.loads);
        EXPECT_EQ(logLinesContaining("has rows wider than 256 characters, the rest is ignored"),
            wideWarnings + int(map.tooWide));
        for (size_t row = 0; row < map.rows.size(); row++)
            for (size_t column = 0; column < map.rows[row].size(); column++)
                EXPECT_EQ(realm->cell(int(column), int(row)).value, map.rows[row][column]) << column << ", " << row;
    }
    EXPECT_TRUE(logHas("Level loaded successfully."));
    EXPECT_TRUE(logHas("ERROR: Invalid UTF-8 in line: fi\uFFFDne"));
    EXPECT_TRUE(logHas("       This part is fine: fi"));
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

TEST_F(LevelLoaderTest, MissingOrUnreadableFileLeavesThePage)
{
    fill(7);
    EXPECT_FALSE(loadMap(testUserRoot() + "/nowhere.txt", *realm, glyphs));
    EXPECT_TRUE(logHas("ERROR: Failed to open map file: " + testUserRoot() + "/nowhere.txt"));
    // A folder opens like a file, but reading it fails: not a level of empty lines.
    std::string folder = testUserRoot() + "/folder.txt";
    ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
    EXPECT_FALSE(loadMap(folder, *realm, glyphs));
    EXPECT_TRUE(logHas("ERROR: Failed to read map file: " + folder));
    EXPECT_EQ(realm->cell(0, 0).value, 7);
}

} // namespace
