#include "RecordingEvents.h"

#include "core/LevelCheck.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// The level as the game ships it, in a new game, loaded over memory full of 7s.
class ShippedLevelTest : public FreshWorld {
protected:
    void SetUp() override
    {
        world->newGame();
        for (Realm* page : {&world->mainPage, &world->secondPage})
            for (Cell& cell : page->cells)
                cell.value = 7;
        ASSERT_TRUE(world->loadLevel(std::string(VANTREL_TEST_RESOURCES) + "ram.txt",
                                     std::string(VANTREL_TEST_RESOURCES) + "ram2.txt"));
    }
};

TEST_F(ShippedLevelTest, CoversBothPagesIsSoundAndCannotBeWalked)
{
    int leftOver = 0;
    for (int i = 0; i < Realm::size * Realm::size; i++)
        leftOver += (world->mainPage.cells[i].value == 7) + (world->secondPage.cells[i].value == 7);
    EXPECT_EQ(leftOver, 0) << "every byte of both pages is drawn";
    EXPECT_TRUE(structureProblems(*world).empty());
    WalkingReach reach = walkingReach(*world);
    EXPECT_FALSE(reach.exitReached);
    EXPECT_GT(reach.cells, 100);
}

TEST_F(ShippedLevelTest, TheSolutionEscapesThroughEveryProgram)
{
    std::vector<SolutionTap> taps;
    std::string error;
    ASSERT_TRUE(readSolution(std::string(VANTREL_TEST_SOURCE_DIR) + "docs/solution.txt", taps, error)) << error;
    int played = playSolution(*world, taps);
    ASSERT_GT(played, 0) << "the bit ended at " << world->playerX << "," << world->playerY;
    EXPECT_EQ(played, int(taps.size())) << "taps left over after the exit";
    EXPECT_GT(world->endTimer, 0);
    EXPECT_EQ(world->playerX, World::exitX);
    EXPECT_EQ(world->playerY, World::exitY);
    ASSERT_EQ(events.musicFades.size(), 1u);
    EXPECT_EQ(events.musicFades[0], 1500);

    // Only the exit's own trigger is left: the way out leads through all eleven programs.
    ASSERT_EQ(world->jumps.size(), 1u);
    EXPECT_EQ(world->jumps[0].code, 0);
    for (const char* sound : {"add.wav", "swap.wav", "jump.wav", "bump2.wav"})
        EXPECT_GT(events.count(sound), 0) << sound;
}

} // namespace
