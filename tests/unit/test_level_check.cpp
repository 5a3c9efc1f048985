#include "RecordingEvents.h"
#include "TestSupport.h"

#include "core/DeadEndSearch.h"
#include "core/KeyBindings.h"
#include "core/LevelCheck.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

class LevelCheckTest : public FreshWorld {
protected:
    std::string path = testUserRoot() + "/solution.txt";

    // A corridor from the start at 160,f3 to the exit at b0,f3, with an alcove above it
    // at a5,f2. Stepping into the alcove starts a program that charges the data register
    // and swaps it into the corridor at aa,f3: a charge of c0 is rock behind the bit.
    void trapRoom(int charge)
    {
        world = std::make_unique<World>(events);
        SetUp();
        room(160, 243, World::exitX, World::exitY);
        world->mainPage.cell(165, 242).value = 0;
        put(100, 10, {'a', char(charge), 0});
        put(100, 11, "s\xAA\xF3");
        world->mainPage.cell(100, 12).value = 0;
        world->jumps.assign(1, JumpTrigger{165, 242, 100 * 256 + 10, 66});
        world->markTriggers();
        world->playerX = 160;
        world->playerY = 243;
    }

    // Walls all round a room from (x0, y0) to (x1, y1) of the main page.
    void room(int x0, int y0, int x1, int y1)
    {
        for (Cell& cell : world->mainPage.cells)
            cell.value = 219;
        for (int y = y0; y <= y1; y++)
            for (int x = x0; x <= x1; x++)
                world->mainPage.cell(x, y).value = 0;
    }
};

TEST_F(LevelCheckTest, ReadsTapScriptsAndRejectsWhatItCannotRead)
{
    writeFileBytes(path, "# a comment\n\nRIGHT 3  # three steps\nATTACK\n  UP 1\nITEM 2\n");
    std::vector<SolutionTap> taps;
    std::string error;
    ASSERT_TRUE(readSolution(path, taps, error)) << error;
    ASSERT_EQ(taps.size(), 7u);
    EXPECT_EQ(taps[0].code, GameInput::right);
    EXPECT_EQ(taps[2].line, 3);
    EXPECT_EQ(taps[3].code, GameInput::attack);
    EXPECT_EQ(taps[4].code, GameInput::up);
    EXPECT_EQ(taps[6].code, GameInput::item);

    for (const char* line : {"PAUSE", "right 2", "UP two", "UP 0", "UP -1", "UP 2 3", "UP 99999999", "UP+DOWN",
                             "LEFT+UP", "UP+", "DOWN+ATTACK"}) {
        writeFileBytes(path, std::string("UP\n") + line + "\n");
        EXPECT_FALSE(readSolution(path, taps, error)) << line;
        EXPECT_NE(error.find("solution.txt:2"), std::string::npos) << error;
    }
    EXPECT_FALSE(readSolution(testUserRoot() + "/none.txt", taps, error));

    // Written back as a script, the taps read the same, diagonals and repeats counted.
    writeFileBytes(path, "DOWN+LEFT 2\nUP\nUP\nATTACK\nUP+RIGHT\n");
    taps.clear();
    ASSERT_TRUE(readSolution(path, taps, error)) << error;
    std::vector<std::string> lines = tapScriptLines(taps);
    EXPECT_EQ(lines, (std::vector<std::string>{"DOWN+LEFT 2", "UP 2", "ATTACK", "UP+RIGHT"}));
    std::string script;
    for (const std::string& line : lines)
        script += line + "\n";
    writeFileBytes(path, script);
    std::vector<SolutionTap> again;
    ASSERT_TRUE(readSolution(path, again, error)) << error;
    ASSERT_EQ(again.size(), taps.size());
    for (size_t i = 0; i < taps.size(); i++)
        EXPECT_EQ(tapName(again[i]), tapName(taps[i]));
}

TEST_F(LevelCheckTest, WalkingReachStopsAtWalls)
{
    room(10, 10, 14, 15);
    world->playerX = 12;
    world->playerY = 14;
    WalkingReach reach = walkingReach(*world);
    EXPECT_EQ(reach.cells, 30);
    EXPECT_FALSE(reach.exitReached);

    room(170, 240, 180, 245);
    world->playerX = 171;
    world->playerY = 241;
    EXPECT_TRUE(walkingReach(*world).exitReached);
}

TEST_F(LevelCheckTest, PlaysTapsUntilTheExit)
{
    room(170, 243, 180, 243);
    world->playerX = 172;
    world->playerY = 243;
    std::vector<SolutionTap> taps(2, SolutionTap{GameInput::right, 1});
    EXPECT_EQ(playSolution(*world, taps), -1); // the taps run out first
    taps.assign(6, SolutionTap{GameInput::right, 1});
    EXPECT_EQ(playSolution(*world, taps), 2);
    EXPECT_GT(world->endTimer, 0);
}

TEST_F(LevelCheckTest, DeadEndSearchFindsTheTrapAndNotItsMend)
{
    trapRoom(0xc0);
    DeadEndReport trapped = findDeadEnds(*world, DeadEndLimits());
    EXPECT_TRUE(trapped.complete) << trapped.reason;
    EXPECT_TRUE(trapped.startEscapes);
    EXPECT_GT(trapped.deadEnds, 0u);
    EXPECT_GE(trapped.deadEnds, trapped.trapDoors);
    ASSERT_EQ(trapped.scripts.size(), 1u) << "one trap";
    // The shortest way in: four steps right and a diagonal into the alcove.
    EXPECT_EQ(trapped.scripts[0].taps.size(), 5u);
    EXPECT_NE(trapped.scripts[0].state.find("bit at a5,f2"), std::string::npos) << trapped.scripts[0].state;
    EXPECT_EQ(playSolution(*world, trapped.scripts[0].taps), -1);
    EXPECT_EQ(world->playerX, 165);
    EXPECT_EQ(world->playerY, 242);
    // One more step and the rock is down: walking can never reach the exit again.
    playTap(*world, SolutionTap{GameInput::down, 1});
    EXPECT_FALSE(walkingReach(*world).exitReached);

    trapRoom(0xc0);
    DeadEndLimits few;
    few.maxStates = 3;
    DeadEndReport stopped = findDeadEnds(*world, few);
    EXPECT_FALSE(stopped.complete);
    EXPECT_NE(stopped.reason.find("states"), std::string::npos) << stopped.reason;
    EXPECT_EQ(stopped.deadEnds, 0u) << "states left unexplored may still escape";

    world->mainPage.cell(162, 243).value = 219; // no way out at all
    DeadEndReport walledIn = findDeadEnds(*world, DeadEndLimits());
    EXPECT_FALSE(walledIn.startEscapes);
    EXPECT_EQ(walledIn.deadEnds, walledIn.states);

    // Mended: a charge of 80 has no bit 6, so the swap leaves the corridor open.
    trapRoom(0x80);
    DeadEndReport mended = findDeadEnds(*world, DeadEndLimits());
    EXPECT_TRUE(mended.complete);
    EXPECT_EQ(mended.deadEnds, 0u);
    EXPECT_TRUE(mended.scripts.empty());
    EXPECT_GT(mended.states, 20u);
}

TEST_F(LevelCheckTest, ListsABlockAsTheGameShowsIt)
{
    const char* rows[] = {"s\x31\x4b", "a\x05\x77", "n\x01\x02", "j\x21\x4f", "Z\x01\x02"};
    for (int row = 0; row < 5; row++)
        put(33, 79 + row, rows[row]);
    std::vector<std::string> lines = programListing(world->mainPage, 33 * 256 + 79);
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], "214f   swap 314b");
    EXPECT_EQ(lines[1], "2150   add  05");
    EXPECT_EQ(lines[2], "");
    EXPECT_EQ(lines[3], "2152   jump 214f");
    EXPECT_EQ(lines[4], "2153   ERROR0102");
}

TEST_F(LevelCheckTest, FindsFaultsInTheStructure)
{
    EXPECT_FALSE(structureProblems(*world).empty()); // empty memory: no programs at all

    world->jumps.assign(1, JumpTrigger{40, 89, 33 * 256 + 79, 66});
    Realm& page = world->mainPage;
    page.cell(33, 78).value = 219;
    page.cell(33, 79).value = 'a';
    page.cell(33, 80).value = 'a';
    EXPECT_TRUE(structureProblems(*world).empty());

    page.cell(40, 89).value = 'W';
    page.cell(World::exitX, World::exitY).value = 219;
    page.cell(33, 78).value = 'n';
    EXPECT_EQ(structureProblems(*world).size(), 3u);

    // A program on the other page counts when only that page holds it.
    world->jumps.assign(1, JumpTrigger{128, 206, 119 * 256 + 193, 66});
    world->secondPage.cell(119, 193).value = 's';
    world->secondPage.cell(119, 192).value = 254;
    page.cell(World::exitX, World::exitY).value = 0;
    EXPECT_TRUE(structureProblems(*world).empty());
    EXPECT_EQ(&triggerProgramPage(*world, world->jumps[0]), &world->secondPage);

    for (int row = 193; row < 256; row++)
        world->secondPage.cell(119, row).value = 'n';
    ASSERT_EQ(structureProblems(*world).size(), 1u);
    EXPECT_NE(structureProblems(*world)[0].find("runs off the page"), std::string::npos);
}

} // namespace
