#include "TestSupport.h"

#include "core/Game.h"
#include "core/Storage.h"
#include "core/UserFiles.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <map>
#include <vector>

namespace {

// A game in the middle of play: the player on page 2, a program running, two
// triggers used up, and memory full of different bytes.
void playSomeWay(Game& game)
{
    World& world = game.world;
    world.newGame();
    for (int index = 0; index < Realm::size * Realm::size; index++) {
        world.mainPage.cells[size_t(index)].value = uint8_t(index * 7 + index / 256);
        world.secondPage.cells[size_t(index)].value = uint8_t(index * 13 + 5);
    }
    world.playerX = 81;
    world.playerY = 240;
    world.playerLocation = PlayerLocation::memory;
    world.playerPage = 2;
    world.dataRegister = 17;
    world.pageRegister = 2;
    world.compareRegister = 1;
    world.programLocation = 91 * 256 + 224;
    world.programLine = 3;
    world.cameraBottom = 218;
    world.jumps.erase(world.jumps.begin(), world.jumps.begin() + 2);
}

// Where a key is written in a storage file: its 32-bit length, then its bytes.
size_t keyPosition(const std::string& bytes, const std::string& key)
{
    std::string length{char(key.size()), 0, 0, 0};
    return bytes.find(length + key);
}

class SavedGame : public testing::Test {
protected:
    Game game;
    Game restored;
    std::string path = prefPath() + "savegame.storage";

    void SetUp() override
    {
        std::remove(path.c_str());
        restored.world.newGame();
    }

    // Saves a game played some way, then lets `change` edit the saved tree.
    template <class Change>
    void writeEditedSave(Change change)
    {
        playSomeWay(game);
        ASSERT_TRUE(game.saveGame(path));
        Storage root;
        ASSERT_TRUE(root.load(path, true));
        change(root);
        ASSERT_TRUE(root.save(path));
    }
};

} // namespace

TEST_F(SavedGame, FileLayoutIsTheIntegersInKeyOrderThenJumpsAndBothPages)
{
    playSomeWay(game);
    ASSERT_TRUE(game.saveGame(path));
    std::vector<std::string> expected = {"cameraBottom", "compareRegister", "dataRegister", "pageRegister",
        "playerLocation", "playerPage", "playerX", "playerY", "programLine", "programLocation", "jumps", "realm2",
        "realm42"};
    std::string bytes = readFileBytes(path);
    for (size_t i = 1; i < expected.size(); i++) {
        ASSERT_NE(keyPosition(bytes, expected[i]), std::string::npos) << expected[i];
        EXPECT_LT(keyPosition(bytes, expected[i - 1]), keyPosition(bytes, expected[i])) << expected[i];
    }

    Storage saved;
    ASSERT_TRUE(saved.load(path, true));
    EXPECT_EQ(saved.getString("programLocation", ""), std::to_string(91 * 256 + 224));
    for (const char* page : {"realm2", "realm42"}) {
        Storage* cells = saved.getObject(page, false);
        ASSERT_NE(cells, nullptr) << page;
        EXPECT_EQ(cells->strings.size(), 65536u) << page;
        EXPECT_TRUE(cells->has("65535")) << page;
        EXPECT_TRUE(cells->objects.empty() && cells->list.empty()) << page;
    }
    // Cell index y * 256 + x, holding the value byte only.
    EXPECT_EQ(saved.getObject("realm42", false)->getInt("513", -1), game.world.mainPage.cell(1, 2).value);
    Storage* jumps = saved.getObject("jumps", false);
    ASSERT_EQ(jumps->list.size(), 10u);
    EXPECT_EQ(jumps->list[0]->getInt("x", 0), 154);
    EXPECT_EQ(jumps->list[8]->getInt("realm", 0), 2);
    EXPECT_EQ(jumps->list[9]->getInt("code", -1), 0);
    // Nothing but the finished file is left in the folder.
    EXPECT_FALSE(fileExists(path + ".partial"));
}

TEST_F(SavedGame, LoadingGivesBackTheSameWorld)
{
    playSomeWay(game);
    ASSERT_TRUE(game.saveGame(path));
    ASSERT_TRUE(restored.loadGame(path));
    // Saved again, the restored world writes the very same file.
    std::string again = prefPath() + "again.storage";
    ASSERT_TRUE(restored.saveGame(again));
    EXPECT_EQ(readFileBytes(again), readFileBytes(path));
    // The restored triggers are marked on their own pages.
    EXPECT_EQ(restored.world.secondPage.cell(81, 244).marks, Realm::triggerMark);
    EXPECT_EQ(restored.world.mainPage.cell(176, 243).marks, Realm::triggerMark);
}

TEST_F(SavedGame, WithoutTheSecondPageOnlyTheIntegersAndTheMainPageComeBack)
{
    writeEditedSave([](Storage& root) {
        root.objects.erase("realm2");
        root.strings.erase("playerY");
    });
    restored.world.secondPage.cell(7, 7).value = 99;
    restored.world.jumps.resize(5);
    EXPECT_FALSE(restored.loadGame(path));
    EXPECT_EQ(restored.world.playerX, 81);
    EXPECT_EQ(restored.world.dataRegister, 17);
    EXPECT_EQ(restored.world.playerY, 14); // not in the file: kept
    EXPECT_EQ(restored.world.mainPage.cell(7, 7).value, game.world.mainPage.cell(7, 7).value);
    EXPECT_EQ(restored.world.secondPage.cell(7, 7).value, 99);
    EXPECT_EQ(restored.world.jumps.size(), 5u);
    EXPECT_GT(logLinesContaining("ERROR: Saved game has no realm2"), 0);
}

TEST_F(SavedGame, PagesAreReadByTheirCellKeysAndAPageWithAGapIsNotLoaded)
{
    // Keys that name no cell, and records nested in a page, are passed over.
    writeEditedSave([](Storage& root) {
        Storage* page = root.getObject("realm42", false);
        for (const char* key : {"007", "65536", "-1", "1e3", ""})
            page->setString(key, "200");
        page->getObject("nested", true)->setString("7", "200");
    });
    ASSERT_TRUE(restored.loadGame(path));
    for (int index : {0, 7, 1000, 65535})
        EXPECT_EQ(restored.world.mainPage.cells[size_t(index)].value, game.world.mainPage.cells[size_t(index)].value)
            << index;

    // One cell gone: the page stays as it was, not half loaded.
    writeEditedSave([](Storage& root) { root.getObject("realm2", false)->strings.erase("1000"); });
    restored.world.secondPage.cell(7, 0).value = 99;
    EXPECT_FALSE(restored.loadGame(path));
    EXPECT_EQ(restored.world.secondPage.cell(7, 0).value, 99);
    EXPECT_GT(logLinesContaining("ERROR: Saved game: realm2 ends before cell 1000"), 0);
}

TEST_F(SavedGame, MissingOrTruncatedFilesLeaveTheGameAsItWas)
{
    EXPECT_FALSE(restored.loadGame(path));
    EXPECT_GT(logLinesContaining("ERROR: Loading storage " + path), 0);

    playSomeWay(game);
    ASSERT_TRUE(game.saveGame(path));
    std::string whole = readFileBytes(path);
    for (size_t length : {size_t(0), size_t(1), size_t(100), whole.size() / 2, whole.size() - 1}) {
        writeFileBytes(path, whole.substr(0, length));
        Game fresh;
        fresh.world.newGame();
        EXPECT_FALSE(fresh.loadGame(path)) << length;
        EXPECT_EQ(fresh.world.playerX, 12) << length;
        EXPECT_EQ(fresh.world.jumps.size(), 12u) << length;
    }
}

TEST_F(SavedGame, ValuesOutOfRangeAreClampedToTheNearestEndAndLogged)
{
    const struct {
        const char* key;
        int World::*field;
        int lowest, highest;
    } ranges[] = {{"playerX", &World::playerX, 0, 255}, {"playerY", &World::playerY, 0, 255},
        {"playerLocation", &World::playerLocation, 0, 3}, {"dataRegister", &World::dataRegister, 0, 255},
        {"pageRegister", &World::pageRegister, 0, 255}, {"playerPage", &World::playerPage, 0, 66},
        {"compareRegister", &World::compareRegister, 0, 255}, {"programLocation", &World::programLocation, 0, 65535},
        {"programLine", &World::programLine, 0, 255}, {"cameraBottom", &World::cameraBottom, 0, 259}};
    // Every number one beyond either end of its range, a cell and a trigger far beyond.
    for (int side : {-1, 1}) {
        SCOPED_TRACE(side);
        writeEditedSave([&](Storage& root) {
            for (const auto& range : ranges)
                root.setInt(range.key, side < 0 ? range.lowest - 1 : range.highest + 1);
            root.getObject("realm42", false)->setInt("5", side * 300);
            Storage* trigger = root.getObject("jumps", false)->list.front().get();
            for (const char* key : {"x", "y", "code"})
                trigger->setInt(key, side * 70000);
        });
        Game loaded;
        loaded.world.newGame();
        ASSERT_TRUE(loaded.loadGame(path));
        World& world = loaded.world;
        for (const auto& range : ranges)
            EXPECT_EQ(world.*range.field, side < 0 ? range.lowest : range.highest) << range.key;
        EXPECT_EQ(world.mainPage.cell(5, 0).value, side < 0 ? 0 : 255);
        const JumpTrigger& trigger = world.jumps.front();
        EXPECT_EQ(std::vector<int>({trigger.x, trigger.y, trigger.code}),
            side < 0 ? std::vector<int>({0, 0, 0}) : std::vector<int>({255, 255, 65535}));
        // The clamped world runs without touching memory outside its pages.
        loaded.world.levelLoaded = true;
        loaded.world.processInputPressed(GameInput::right, 0);
        for (int frame = 0; frame < 30; frame++)
            loaded.world.step(1.0f / 60);
    }
    EXPECT_GT(logLinesContaining("WARNING: Saved game: playerX = 256 is out of range, using 255"), 0);
    EXPECT_GT(logLinesContaining("WARNING: Saved game: 1 cells of realm42 were out of range"), 0);

    writeEditedSave([](Storage& root) {
        root.setString("playerPage", "13");
        for (int i = 0; i < 2990; i++)
            root.getObject("jumps", false)->addToList(std::make_unique<Storage>());
    });
    ASSERT_TRUE(restored.loadGame(path));
    EXPECT_EQ(restored.world.playerPage, 66);
    EXPECT_EQ(restored.world.jumps.size(), World::builtInTriggerCount);
    EXPECT_GT(logLinesContaining("WARNING: Saved game: playerPage = 13 is no page, using 66"), 0);
    EXPECT_GT(logLinesContaining("WARNING: Saved game: 3000 jump triggers, keeping the first 12"), 0);
}
