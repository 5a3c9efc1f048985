#include "RecordingEvents.h"

#include "core/KeyBindings.h"
#include "core/World.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace std::string_literals;

namespace {

const float frame = 1.0f / 60;

// A fresh game on empty memory with the level marked as loaded, so the rules run.
class WorldTest : public testing::Test {
protected:
    RecordingEvents events;
    std::unique_ptr<World> world = std::make_unique<World>(events);

    void SetUp() override
    {
        world->newGame();
        world->levelLoaded = true;
    }

    // Writes bytes into a page from (x, y) to the right.
    void put(int x, int y, const std::string& bytes, int page = World::mainPageNumber)
    {
        for (size_t i = 0; i < bytes.size(); i++)
            world->page(page).cell(x + int(i), y).value = uint8_t(bytes[i]);
    }

    void tap(int code)
    {
        world->processInputPressed(code, 0);
        world->step(frame);
        world->processInputReleased(code, 0);
        world->step(frame);
    }

    void placePlayer(int x, int y)
    {
        world->playerX = x;
        world->playerY = y;
    }

    // Starts the block whose top row is y in column x.
    void run(int x, int y)
    {
        world->programLocation = x * 256 + y;
        world->programLine = 0;
    }

    int currentRow() const { return world->programLocation % 256 + world->programLine; }
};

TEST_F(WorldTest, NewGameStartsAtTheBeginning)
{
    EXPECT_EQ(world->playerX, 12);
    EXPECT_EQ(world->playerY, 14);
    EXPECT_EQ(world->playerPage, 0);
    EXPECT_EQ(world->pageRegister, 66);
    EXPECT_EQ(world->compareRegister, 255);
    EXPECT_EQ(world->hintState, 1);
    ASSERT_EQ(world->jumps.size(), 12u);
    EXPECT_EQ(world->jumps[0].x, 185);
    EXPECT_EQ(world->jumps[10].realm, 2);
    EXPECT_EQ(world->secondPage.cell(81, 244).marks, Realm::triggerMark);
    EXPECT_EQ(world->mainPage.cell(81, 244).marks, 0);
    EXPECT_EQ(world->mainPage.cell(176, 243).marks, Realm::triggerMark);

    // A second game in the same run starts with all twelve triggers again.
    world->jumps.clear();
    world->mainPage.cell(1, 1).value = 200;
    world->newGame();
    EXPECT_EQ(world->jumps.size(), 12u);
    EXPECT_EQ(world->mainPage.cell(1, 1).value, 0);
}

TEST_F(WorldTest, OperandsSeeThePlayersBitOnTheProgramPageOnly)
{
    placePlayer(5, 7);
    EXPECT_EQ(world->value(5, 7), 64);
    EXPECT_EQ(world->value(6, 7), 0);
    world->pageRegister = 2;
    EXPECT_EQ(world->value(5, 7), 0);
    world->playerPage = 2;
    EXPECT_EQ(world->value(5, 7), 64);
    world->playerLocation = PlayerLocation::dataRegister;
    EXPECT_EQ(world->value(5, 7), 0);
}

TEST_F(WorldTest, ProgramAndViewPages)
{
    world->pageRegister = 2;
    EXPECT_EQ(&world->programPage(), &world->secondPage);
    world->playerLocation = PlayerLocation::pageRegister; // 2 with the bit reads 66
    EXPECT_EQ(&world->programPage(), &world->mainPage);
    EXPECT_EQ(&world->viewPage(), &world->mainPage);
    world->playerLocation = PlayerLocation::dataRegister;
    EXPECT_EQ(&world->viewPage(), &world->secondPage);
    world->playerLocation = PlayerLocation::memory;
    EXPECT_EQ(&world->viewPage(), &world->mainPage); // playerPage 0 walks in page 66
    world->playerPage = 2;
    EXPECT_EQ(&world->viewPage(), &world->secondPage);
    world->pageRegister = 7; // any page but 2 is the main page
    EXPECT_EQ(&world->programPage(), &world->mainPage);
}

// --- Stepping and its timer -------------------------------------------------

TEST_F(WorldTest, HeldDirectionStepsAtOnceThenAfterAQuarterSecondThenEverySecondFrame)
{
    const float dt = 0.02f;
    world->processInputPressed(GameInput::right, 0);
    world->step(dt);
    EXPECT_EQ(world->playerX, 13);
    int frames = 1;
    while (world->playerX == 13) {
        world->step(dt);
        frames++;
    }
    // Steps again on the first frame that starts with more than 0.25 s accumulated.
    EXPECT_EQ(frames, 14);
    for (int i = 0; i < 6; i++)
        world->step(dt);
    EXPECT_EQ(world->playerX, 17);

    // Key repeat of the held direction changes nothing; a new direction steps at once.
    world->processInputPressed(GameInput::right, 0);
    EXPECT_GT(world->stepTimer, 0);
    world->processInputPressed(GameInput::down, 0);
    EXPECT_EQ(world->stepTimer, 0);
}

TEST_F(WorldTest, DiagonalStepMovesAcrossThenDown)
{
    put(13, 14, "A");
    world->processInputPressed(GameInput::right, 0);
    world->processInputPressed(GameInput::down, 0);
    world->step(frame);
    EXPECT_EQ(world->playerX, 12); // blocked across
    EXPECT_EQ(world->playerY, 15); // but still went down
    world->step(1.0f);
    world->step(frame);
    EXPECT_EQ(world->playerX, 13);
    EXPECT_EQ(world->playerY, 16);
}

TEST_F(WorldTest, ReleasingTheLastDirectionStopsAndForgetsTheBump)
{
    world->processInputPressed(GameInput::left, 0);
    world->processInputPressed(GameInput::up, 0);
    world->step(frame);
    world->processInputReleased(GameInput::right, 0); // not the held one
    EXPECT_EQ(world->dirX, -1);
    world->processInputReleased(GameInput::left, 0);
    EXPECT_EQ(world->dirX, 0);
    EXPECT_TRUE(world->moving);
    world->processInputReleased(GameInput::up, 0);
    EXPECT_FALSE(world->moving);
    EXPECT_EQ(world->stepTimer, 0);
    EXPECT_EQ(world->lastBumpX, World::noBump);
}

TEST_F(WorldTest, NothingMovesBeforeTheLevelIsLoadedOrWhilePaused)
{
    world->levelLoaded = false;
    tap(GameInput::right);
    EXPECT_EQ(world->playerX, 12);
    world->levelLoaded = true;
    world->processInputPressed(GameInput::right, 0);
    world->pauseMenuOpen = true;
    world->step(frame);
    EXPECT_EQ(world->playerX, 12);
    world->pauseMenuOpen = false;
    world->step(frame); // the direction stayed held across the pause
    EXPECT_EQ(world->playerX, 13);
}

// --- Bumps and the trail ----------------------------------------------------

TEST_F(WorldTest, BumpingPlaysOnceWhileTheSameDirectionsStayHeld)
{
    put(13, 14, "\xB0"); // bit 6 clear: free
    put(14, 14, "@");    // bit 6 set: occupied
    tap(GameInput::right);
    EXPECT_EQ(world->playerX, 13);
    world->processInputPressed(GameInput::right, 0);
    for (int i = 0; i < 40; i++)
        world->step(frame);
    EXPECT_EQ(world->playerX, 13);
    EXPECT_EQ(events.count("bump2.wav"), 1);
    const Cell& wall = world->mainPage.cell(14, 14);
    EXPECT_EQ(wall.marks & Realm::bumpMark, Realm::bumpMark);
    EXPECT_EQ(wall.fade, 100);
    EXPECT_FALSE(world->moving);

    // Let go and bump again: a new bump.
    world->processInputReleased(GameInput::right, 0);
    tap(GameInput::right);
    EXPECT_EQ(events.count("bump2.wav"), 2);
}

TEST_F(WorldTest, LeavingThePageDoesNothing)
{
    placePlayer(0, 0);
    tap(GameInput::left);
    tap(GameInput::up);
    EXPECT_EQ(world->playerX, 0);
    EXPECT_EQ(world->playerY, 0);
    EXPECT_TRUE(events.sounds.empty());
    EXPECT_EQ(world->mainPage.spare.marks, 0);
    EXPECT_EQ(world->mainPage.cell(0, 0).marks, 0);
}

TEST_F(WorldTest, StepsLeaveATrailAndPlayStepSounds)
{
    world->processInputPressed(GameInput::down, 0);
    world->step(frame);
    world->step(1.0f);
    world->step(frame);
    EXPECT_EQ(world->playerY, 16);
    EXPECT_EQ(world->mainPage.cell(12, 14).marks, Realm::trailMark);
    EXPECT_EQ(world->mainPage.cell(12, 15).fade, 100);
    EXPECT_EQ(world->mainPage.cell(12, 16).marks, 0);
    ASSERT_EQ(events.sounds.size(), 2u);
    EXPECT_EQ(events.sounds[0], "move8.wav");
    EXPECT_EQ(events.sounds[1], "move6b.wav");
}

// --- Registers --------------------------------------------------------------

TEST_F(WorldTest, SwapCarriesTheBitIntoTheDataRegisterAndOut)
{
    // swap (20, 14): the player stands on (20, 14) and rides into the data register.
    put(30, 10, "s\x14\x0E");
    put(20, 14, "\x05");
    placePlayer(20, 14);
    world->dataRegister = 9;
    run(30, 10);
    EXPECT_TRUE(world->execute());
    EXPECT_EQ(world->playerLocation, PlayerLocation::dataRegister);
    EXPECT_EQ(world->dataRegister, 5);
    EXPECT_EQ(world->mainPage.cell(20, 14).value, 9);
    EXPECT_EQ(events.count("swap.wav"), 1);

    // Swapping again puts the bit at the address the operands name.
    put(30, 11, "s\x0A\x14");
    world->programLine = 1;
    EXPECT_TRUE(world->execute());
    EXPECT_EQ(world->playerLocation, PlayerLocation::memory);
    EXPECT_EQ(world->playerX, 10);
    EXPECT_EQ(world->playerY, 20);
    EXPECT_EQ(world->mainPage.cell(10, 20).value, 5);
    EXPECT_EQ(world->playerPage, 0);
    EXPECT_EQ(events.count("swap.wav"), 2);
}

TEST_F(WorldTest, SwapWithoutThePlayerIsSilent)
{
    put(30, 10, "s\x01\x02");
    put(1, 2, "\x07");
    world->dataRegister = 3;
    run(30, 10);
    EXPECT_TRUE(world->execute());
    EXPECT_EQ(world->dataRegister, 7);
    EXPECT_EQ(world->mainPage.cell(1, 2).value, 3);
    EXPECT_TRUE(events.sounds.empty());
}

TEST_F(WorldTest, SwapOutOfTheDataRegisterTakesThePageRegistersPage)
{
    world->playerLocation = PlayerLocation::dataRegister;
    world->playerPage = 66;
    world->pageRegister = 2;
    put(30, 10, "s\x0A\x14", 2);
    run(30, 10);
    EXPECT_TRUE(world->execute());
    EXPECT_EQ(world->playerPage, 2);
    EXPECT_EQ(&world->viewPage(), &world->secondPage);
}

TEST_F(WorldTest, WalkingBetweenRegisters)
{
    world->playerLocation = PlayerLocation::dataRegister;
    tap(GameInput::up);
    tap(GameInput::left);
    EXPECT_EQ(world->playerLocation, PlayerLocation::dataRegister);
    tap(GameInput::down); // the page register holds 66: bit 6 is taken
    EXPECT_EQ(world->playerLocation, PlayerLocation::dataRegister);
    world->pageRegister = 2;
    tap(GameInput::down);
    EXPECT_EQ(world->playerLocation, PlayerLocation::pageRegister);
    tap(GameInput::down); // compare holds 255
    EXPECT_EQ(world->playerLocation, PlayerLocation::pageRegister);
    world->compareRegister = 1;
    tap(GameInput::down);
    tap(GameInput::down);
    EXPECT_EQ(world->playerLocation, PlayerLocation::compareRegister);
    tap(GameInput::up);
    tap(GameInput::up);
    EXPECT_EQ(world->playerLocation, PlayerLocation::dataRegister);
    EXPECT_EQ(world->playerX, 12); // the memory position is kept meanwhile
    EXPECT_EQ(events.count("move8.wav"), 0);
}

// --- Page flip ----------------------------------------------------------------

TEST_F(WorldTest, PageFlipNeedsAPageOfTheBitsOwn)
{
    tap(GameInput::attack);
    EXPECT_EQ(world->playerPage, 0);
    EXPECT_EQ(events.sounds.back(), "disabled.wav");
    EXPECT_EQ(events.soundLimits.back(), 5);

    // The page instruction hands the bit page 66 when the program leaves for page 2.
    put(30, 10, "p\x02");
    run(30, 10);
    EXPECT_TRUE(world->execute());
    EXPECT_EQ(world->pageRegister, 2);
    EXPECT_EQ(world->playerPage, 66);
    EXPECT_EQ(events.sounds.back(), "jump.wav");
    tap(GameInput::attack);
    EXPECT_EQ(world->playerPage, 2);
    tap(GameInput::attack);
    EXPECT_EQ(world->playerPage, 66);

    world->playerLocation = PlayerLocation::dataRegister;
    tap(GameInput::attack);
    EXPECT_EQ(world->playerPage, 66);
    EXPECT_EQ(events.sounds.back(), "disabled.wav");
}

TEST_F(WorldTest, TheProgramRunsOnlyWhereThePlayerIs)
{
    put(30, 10, "a\x01", 2);
    world->pageRegister = 2;
    world->playerPage = 66;
    run(30, 10);
    EXPECT_FALSE(world->execute());
    world->playerPage = 2;
    EXPECT_TRUE(world->execute());
    EXPECT_EQ(world->dataRegister, 1);
    world->playerPage = 66;
    world->playerLocation = PlayerLocation::compareRegister;
    EXPECT_TRUE(world->execute());
    EXPECT_EQ(world->dataRegister, 2);
}

// --- Opcodes ----------------------------------------------------------------

TEST_F(WorldTest, AddWrapsAndCountsThePlayersBit)
{
    put(30, 10, "a\x64");
    put(30, 11, "a\x00"s);
    world->dataRegister = 200;
    run(30, 10);
    EXPECT_TRUE(world->execute());
    EXPECT_EQ(world->dataRegister, 44);
    EXPECT_EQ(events.sounds.back(), "add.wav");
    placePlayer(31, 11);
    world->programLine = 1;
    EXPECT_TRUE(world->execute());
    EXPECT_EQ(world->dataRegister, 108);
}

// The HACKER achievement: the bit changes the running code by being read as an operand.
TEST_F(WorldTest, AnInstructionReadingThePlayersBitReportsChangedCode)
{
    put(30, 10, "a\x01");
    put(30, 11, "j\x1F\x0A"); // jump to (31, 10) unless the bit sits on an operand
    put(30, 12, "s\x05\x06");
    run(30, 10);
    EXPECT_TRUE(world->execute());
    EXPECT_EQ(events.codeChanges, 0);

    // Standing on the add's operand: the sum takes the bit.
    placePlayer(31, 10);
    world->programLine = 0;
    EXPECT_TRUE(world->execute());
    EXPECT_EQ(events.codeChanges, 1);

    // On a jump's target byte, even from the other page, it counts too.
    placePlayer(32, 11);
    world->playerPage = 2;
    world->pageRegister = 66;
    world->programLine = 1;
    world->playerLocation = PlayerLocation::dataRegister; // lets the program run
    EXPECT_FALSE(world->execute());
    EXPECT_EQ(events.codeChanges, 1);
    world->playerLocation = PlayerLocation::memory;
    world->playerPage = 0;
    world->programLocation = 30 * 256 + 10;
    world->programLine = 1;
    EXPECT_FALSE(world->execute());
    EXPECT_EQ(events.codeChanges, 2);
    EXPECT_EQ(world->programLocation % 256 + world->programLine, 0x0A | World::playerBit);

    // Being the swap's target is not reading an operand; standing beside it is nothing.
    run(30, 12);
    placePlayer(5, 6);
    EXPECT_TRUE(world->execute());
    EXPECT_EQ(world->playerLocation, PlayerLocation::dataRegister);
    EXPECT_EQ(events.codeChanges, 2);
}

TEST_F(WorldTest, CompareSetsEqualGreaterOrLess)
{
    put(30, 10, "c\x14");
    run(30, 10);
    world->dataRegister = 10;
    EXPECT_TRUE(world->execute());
    EXPECT_EQ(world->compareRegister, 255);
    world->dataRegister = 20;
    world->execute();
    EXPECT_EQ(world->compareRegister, 0);
    world->dataRegister = 21;
    world->execute();
    EXPECT_EQ(world->compareRegister, 1);
    EXPECT_TRUE(events.sounds.empty());

    // The bit counts on the operand and inside the data register.
    placePlayer(31, 10);
    world->dataRegister = 84;
    world->execute();
    EXPECT_EQ(world->compareRegister, 0);
    world->playerLocation = PlayerLocation::dataRegister;
    world->dataRegister = 20;
    world->execute();
    EXPECT_EQ(world->compareRegister, 1);
}

TEST_F(WorldTest, ConditionalJumpsFollowTheCompareRegister)
{
    // Block at column 40 from row 20; each jump targets (50, 30).
    put(50, 29, "\x00"s);
    for (char opcode : std::string("egl")) {
        for (int compare : {0, 1, 255}) {
            put(40, 20, std::string(1, opcode) + "\x32\x1E");
            run(40, 20);
            world->compareRegister = compare;
            bool jumps = (opcode == 'e' && compare == 0) || (opcode == 'g' && compare == 1) ||
                         (opcode == 'l' && compare == 255);
            EXPECT_EQ(world->execute(), !jumps) << opcode << " with " << compare;
            EXPECT_EQ(world->programLocation, jumps ? 50 * 256 + 30 : 40 * 256 + 20);
        }
    }
    // With the bit inside the compare register only jl jumps.
    world->playerLocation = PlayerLocation::compareRegister;
    for (int compare : {0, 1}) {
        world->compareRegister = compare;
        for (char opcode : std::string("egl")) {
            put(40, 20, std::string(1, opcode) + "\x32\x1E");
            run(40, 20);
            EXPECT_EQ(world->execute(), opcode != 'l');
        }
    }
}

TEST_F(WorldTest, PageLoadsThePageRegister)
{
    put(30, 10, "p\x05");
    run(30, 10);
    EXPECT_TRUE(world->execute());
    EXPECT_EQ(world->pageRegister, 5);
    EXPECT_EQ(world->playerPage, 0); // only a 2 gives the bit a page of its own
}

TEST_F(WorldTest, ProgramsWaitOnNoneAndStopAtTheEnd)
{
    put(30, 10, "a\x01");
    put(30, 11, "n");
    run(30, 10);
    world->processInputPressed(GameInput::up, 0);
    placePlayer(12, 0); // every step bumps the top edge: no movement
    for (int i = 0; i < 3; i++) {
        world->step(1.0f);
        world->step(frame);
    }
    EXPECT_EQ(world->dataRegister, 1);
    EXPECT_EQ(currentRow(), 11);
    EXPECT_EQ(events.count("cpu.wav"), 1);

    put(30, 11, "\x00"s);
    world->step(1.0f);
    world->step(frame);
    EXPECT_EQ(currentRow(), 11);
    EXPECT_EQ(events.count("cpu.wav"), 1);

    put(30, 11, "Z");
    EXPECT_FALSE(world->execute());
}

TEST_F(WorldTest, ExecutingAStepRunsOneInstructionAndAdvances)
{
    put(12, 20, "a\x02");
    put(12, 21, "a\x03");
    run(12, 20);
    tap(GameInput::right); // a real step: no cpu sound
    EXPECT_EQ(world->dataRegister, 2);
    EXPECT_EQ(world->programLine, 1);
    EXPECT_EQ(events.count("cpu.wav"), 0);
    put(14, 14, "A");
    tap(GameInput::right); // a bump counts as movement too
    EXPECT_EQ(world->dataRegister, 5);
    EXPECT_EQ(events.count("cpu.wav"), 0);
}

TEST_F(WorldTest, NoProgramMeansNothingRuns)
{
    put(0, 0, "a\x05");
    tap(GameInput::right);
    EXPECT_EQ(world->dataRegister, 0);
    EXPECT_FALSE(world->execute());
}

// --- Jumps --------------------------------------------------------------------

TEST_F(WorldTest, JumpIntoTheMiddleOfABlockFindsItsTop)
{
    put(30, 10, "j\x3C\x16");                   // jump (60, 22)
    put(60, 18, "\x00"s);                        // ends the block above
    for (int row = 19; row <= 24; row++)
        put(60, row, "n");
    run(30, 10);
    EXPECT_FALSE(world->execute());
    EXPECT_EQ(world->programLocation, 60 * 256 + 19);
    EXPECT_EQ(world->programLine, 3);
    EXPECT_EQ(currentRow(), 22);

    // An unknown byte ends a block as well.
    put(60, 20, "Z");
    run(30, 10);
    world->execute();
    EXPECT_EQ(world->programLocation, 60 * 256 + 21);
    EXPECT_EQ(world->programLine, 1);
}

TEST_F(WorldTest, JumpTargetsCountThePlayersBit)
{
    put(30, 10, "j\x05\x06"); // with the bit on the row byte: (5, 70)
    put(5, 69, "\x00"s);
    placePlayer(32, 10);
    world->playerPage = 2; // the target bytes ignore the player's page
    world->jump(30, 10);
    EXPECT_EQ(world->programLocation, 5 * 256 + 70);
}

TEST_F(WorldTest, JumpToZeroStaysAndJumpToRowZeroRestartsTheBlock)
{
    put(30, 10, "a\x01");
    put(30, 11, "j\x00\x00"s);
    run(30, 10);
    world->programLine = 1;
    EXPECT_FALSE(world->execute());
    EXPECT_EQ(world->programLine, 1);
    put(30, 11, "j\x05\x00"s);
    EXPECT_FALSE(world->execute());
    EXPECT_EQ(world->programLocation, 30 * 256 + 10);
    EXPECT_EQ(world->programLine, 0);
}

TEST_F(WorldTest, BlocksReachingRowZeroStartThere)
{
    for (int row = 0; row < 5; row++)
        put(70, row, "n");
    put(30, 10, "j\x46\x03");
    run(30, 10);
    world->execute();
    EXPECT_EQ(world->programLocation, 70 * 256);
    EXPECT_EQ(world->programLine, 3);

    // In column 0 the block is taken from row 1, as address 0 means "no program".
    for (int row = 0; row < 5; row++)
        put(0, row, "n");
    put(30, 10, "j\x00\x03"s);
    run(30, 10);
    world->execute();
    EXPECT_EQ(world->programLocation, 1);
    EXPECT_EQ(world->programLine, 2);
    EXPECT_EQ(currentRow(), 3);
}

TEST(InstructionNames, ListingNames)
{
    EXPECT_STREQ(instructionName('a'), "add ");
    EXPECT_STREQ(instructionName('c'), "cmpr");
    EXPECT_STREQ(instructionName('e'), "je  ");
    EXPECT_STREQ(instructionName('g'), "jg  ");
    EXPECT_STREQ(instructionName('j'), "jump");
    EXPECT_STREQ(instructionName('l'), "jl  ");
    EXPECT_STREQ(instructionName('n'), "    ");
    EXPECT_STREQ(instructionName('p'), "page");
    EXPECT_STREQ(instructionName('s'), "swap");
    EXPECT_STREQ(instructionName(0), "END");
    EXPECT_STREQ(instructionName('b'), "ERROR");
    EXPECT_STREQ(instructionName(255), "ERROR");
}

// --- Triggers and the exit ------------------------------------------------------

TEST_F(WorldTest, SteppingOnATriggerStartsItsProgramOnce)
{
    placePlayer(39, 89); // left of trigger 5 at (40, 89)
    world->dataRegister = 77;
    tap(GameInput::right);
    EXPECT_EQ(world->programLocation, 8527);
    EXPECT_EQ(world->programLine, 0);
    EXPECT_EQ(world->dataRegister, 0);
    EXPECT_EQ(world->jumps.size(), 11u);
    EXPECT_EQ(world->mainPage.cell(40, 89).marks & Realm::triggerMark, 0);

    world->programLocation = 0;
    tap(GameInput::left);
    tap(GameInput::right);
    EXPECT_EQ(world->programLocation, 0);
}

TEST_F(WorldTest, TriggerOnPageTwoFiresOnlyThere)
{
    world->playerPage = 66;
    placePlayer(80, 244);
    tap(GameInput::right);
    EXPECT_EQ(world->programLocation, 0);
    world->playerPage = 2;
    tap(GameInput::left);
    tap(GameInput::right);
    EXPECT_EQ(world->programLocation, 23520);
}

TEST_F(WorldTest, TheFirstListedTriggerOfACellWins)
{
    world->jumps.insert(world->jumps.begin(), JumpTrigger{13, 14, 5 * 256 + 5, 66});
    world->jumps.push_back(JumpTrigger{13, 14, 6 * 256 + 6, 66});
    world->markTriggers();
    tap(GameInput::right);
    EXPECT_EQ(world->programLocation, 5 * 256 + 5);
    EXPECT_EQ(world->jumps.back().code, 6 * 256 + 6); // still listed, its mark is gone
    EXPECT_EQ(world->mainPage.cell(13, 14).marks & Realm::triggerMark, 0);
}

TEST_F(WorldTest, ReachingTheExitEndsTheGame)
{
    placePlayer(175, 243);
    world->processInputPressed(GameInput::right, 0);
    world->step(frame);
    EXPECT_FLOAT_EQ(world->endTimer, 0.05f);
    ASSERT_EQ(events.musicFades.size(), 1u);
    EXPECT_EQ(events.musicFades[0], 1500);
    EXPECT_EQ(world->jumps.size(), 12u); // the exit's own trigger never fires

    // From now on the bit stays put and input is ignored.
    world->step(1.0f);
    world->step(frame);
    EXPECT_EQ(world->playerX, 176);
    world->processInputReleased(GameInput::right, 0);
    EXPECT_EQ(world->dirX, 1);
    world->processInputPressed(GameInput::pause, 0);
    EXPECT_EQ(events.pauseMenuOpens, 0);
    EXPECT_EQ(events.armedRecordingChecks, 2);
}

TEST_F(WorldTest, TheExitIsOnTheMainPageOnly)
{
    world->playerPage = 2;
    placePlayer(175, 243);
    tap(GameInput::right);
    EXPECT_EQ(world->playerX, 176);
    EXPECT_EQ(world->endTimer, 0);
}

// --- Pause, hints and the introduction ------------------------------------------------

TEST_F(WorldTest, PauseOpensAndClosesTheMenuAndOtherInputsGoToIt)
{
    world->processInputPressed(GameInput::pause, 0);
    EXPECT_TRUE(world->pauseMenuOpen);
    EXPECT_EQ(events.pauseMenuOpens, 1);
    world->processInputPressed(GameInput::down, 101);
    world->processInputReleased(GameInput::down, 101);
    ASSERT_EQ(events.pauseMenuInputs.size(), 1u);
    EXPECT_EQ(events.pauseMenuInputs[0], std::make_pair(int(GameInput::down), 101));
    EXPECT_EQ(world->dirY, 0);
    world->processInputPressed(GameInput::pause, 0);
    EXPECT_FALSE(world->pauseMenuOpen);
    EXPECT_EQ(events.pauseMenuCloses, 1);
    EXPECT_EQ(events.sounds.back(), "select.wav");
    EXPECT_EQ(events.soundLimits.back(), 5);
}

TEST_F(WorldTest, PauseDuringTheIntroductionLoadsTheLevel)
{
    world->levelLoaded = false;
    world->processInputPressed(GameInput::item, 0);
    world->processInputPressed(GameInput::pause, 0);
    EXPECT_EQ(events.levelLoadRequests, 1);
    EXPECT_EQ(events.pauseMenuOpens, 0);
    EXPECT_EQ(world->hintState, 1);
}

TEST_F(WorldTest, HintsShowWhileItemIsHeld)
{
    world->processInputPressed(GameInput::item, 0);
    EXPECT_EQ(world->hintState, 0);
    world->processInputReleased(GameInput::item, 0);
    EXPECT_EQ(world->hintState, 1);
    world->hintState = 2;
    world->processInputPressed(GameInput::item, 0);
    EXPECT_EQ(world->hintState, 2);
}

} // namespace
