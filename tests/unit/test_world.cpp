#include "RecordingEvents.h"

#include "core/KeyBindings.h"

#include <gtest/gtest.h>

#include <string>

using namespace std::string_literals;

namespace {

const float frame = 1.0f / 60;

class WorldTest : public FreshWorld {
protected:
    void tap(int code)
    {
        world->processInputPressed(code, 0);
        world->step(frame);
        world->processInputReleased(code, 0);
        world->step(frame);
    }

    // Holds a direction through the first step and the next one, a quarter second later.
    void walkTwice(int code)
    {
        world->processInputPressed(code, 0);
        for (int i = 0; i < 17; i++)
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

TEST_F(WorldTest, NewGameStartsWithEveryTriggerMarkedOnItsPage)
{
    ASSERT_EQ(world->jumps.size(), 12u);
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

TEST_F(WorldTest, PagesAndThePlayersBitInOperands)
{
    // Operands see the bit only on the program's page.
    placePlayer(5, 7);
    world->pageRegister = 2;
    EXPECT_EQ(world->value(5, 7), 0);
    world->playerPage = 2;
    EXPECT_EQ(world->value(5, 7), 64);
    world->playerLocation = PlayerLocation::dataRegister;
    EXPECT_EQ(world->value(5, 7), 0);
    // From a register the view follows the page register, which reads 66 with the bit in it.
    EXPECT_EQ(&world->viewPage(), &world->secondPage);
    world->playerLocation = PlayerLocation::pageRegister;
    EXPECT_EQ(&world->programPage(), &world->mainPage);
    EXPECT_EQ(&world->viewPage(), &world->mainPage);
    world->pageRegister = 7; // any page but 2 is the main page
    world->playerLocation = PlayerLocation::memory;
    EXPECT_EQ(&world->programPage(), &world->mainPage);
}

TEST_F(WorldTest, SteppingAndItsTimer)
{
    // A held direction steps at once, again on the first frame past a quarter second,
    // then every second frame.
    const float dt = 0.02f;
    world->processInputPressed(GameInput::right, 0);
    world->step(dt);
    EXPECT_EQ(world->playerX, 13);
    int frames = 1;
    for (; world->playerX == 13; frames++)
        world->step(dt);
    EXPECT_EQ(frames, 14);
    for (int i = 0; i < 6; i++)
        world->step(dt);
    EXPECT_EQ(world->playerX, 17);
    // Key repeat of the held direction changes nothing; a new direction steps at once.
    world->processInputPressed(GameInput::right, 0);
    EXPECT_GT(world->stepTimer, 0);
    world->processInputPressed(GameInput::down, 0);
    EXPECT_EQ(world->stepTimer, 0);
    world->step(dt);

    // Releasing stops only with the last held direction, and forgets the bump.
    world->processInputReleased(GameInput::left, 0); // not the held one
    EXPECT_EQ(world->dirX, 1);
    world->processInputReleased(GameInput::right, 0);
    EXPECT_TRUE(world->moving);
    world->processInputReleased(GameInput::down, 0);
    EXPECT_FALSE(world->moving);
    EXPECT_EQ(world->stepTimer, 0);
    EXPECT_EQ(world->lastBumpX, World::noBump);

    // A diagonal step moves across, then down, each on its own.
    placePlayer(12, 14);
    put(13, 14, "A");
    world->processInputPressed(GameInput::right, 0);
    walkTwice(GameInput::down);
    EXPECT_EQ(world->playerX, 13);
    EXPECT_EQ(world->playerY, 16);
}

TEST_F(WorldTest, OneTapIsOneStepAtAnyFrameRate)
{
    // How a tap meets the frames: released in the frame it was pressed in (before the
    // step), pressed after a stalled frame (whose time the step timer gets), and held
    // for some time after its first frame.
    struct Tap {
        const char* what;
        bool releasedAtOnce;
        float stall;
        float held;
    };
    const Tap taps[] = {{"a frame down, a frame up", false, 0, 0},
                        {"shorter than a frame", true, 0, 0},
                        {"just after a stalled frame", false, 0.5f, 0.05f},
                        {"held a fifth of a second", false, 0, 0.2f}};
    for (int rate : {30, 60, 144}) {
        const float dt = 1.0f / float(rate);
        for (const Tap& kind : taps) {
            SCOPED_TRACE(std::to_string(rate) + " frames a second, " + kind.what);
            placePlayer(12, 14);
            int tapsBefore = events.taps;
            world->processInputPressed(GameInput::right, 0);
            if (kind.releasedAtOnce)
                world->processInputReleased(GameInput::right, 0);
            world->step(kind.stall > 0 ? kind.stall : dt);
            for (float held = dt; held < kind.held; held += dt)
                world->step(dt);
            world->processInputReleased(GameInput::right, 0);
            world->step(dt);
            EXPECT_EQ(world->playerX, 13);
            EXPECT_EQ(events.taps, tapsBefore + 1);
            EXPECT_EQ(world->dirX, 0);
        }
        // Frames of 0 ms, as a clock in whole milliseconds reads very fast ones.
        placePlayer(12, 14);
        world->processInputPressed(GameInput::right, 0);
        for (int i = 0; i < 10; i++)
            world->step(0);
        world->processInputReleased(GameInput::right, 0);
        EXPECT_EQ(world->playerX, 13);
    }

    // A held key steps at once, again after a quarter second, then every other frame
    // (every fourth at 144): by design its pace follows the frame rate.
    const int stepsInASecond[][2] = {{30, 12}, {60, 23}, {144, 28}};
    for (const auto& [rate, expected] : stepsInASecond) {
        placePlayer(12, 14);
        world->processInputPressed(GameInput::right, 0);
        for (int frame = 0; frame < rate; frame++)
            world->step(1.0f / float(rate));
        world->processInputReleased(GameInput::right, 0);
        EXPECT_EQ(world->playerX - 12, expected) << rate << " frames a second";
    }
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

TEST_F(WorldTest, BumpsAndTheTrail)
{
    walkTwice(GameInput::down);
    EXPECT_EQ(world->playerY, 16);
    EXPECT_EQ(world->mainPage.cell(12, 14).marks, Realm::trailMark);
    EXPECT_EQ(world->mainPage.cell(12, 15).fade, 100);
    EXPECT_EQ(world->mainPage.cell(12, 16).marks, 0);
    EXPECT_EQ(events.sounds, (std::vector<std::string>{"move8.wav", "move6b.wav"}));
    world->processInputReleased(GameInput::down, 0);

    // Only bit 6 blocks. Bumping plays once while the same directions stay held.
    put(13, 16, "\xB0@");
    tap(GameInput::right);
    EXPECT_EQ(world->playerX, 13);
    world->processInputPressed(GameInput::right, 0);
    for (int i = 0; i < 40; i++)
        world->step(frame);
    EXPECT_EQ(world->playerX, 13);
    EXPECT_EQ(events.count("bump2.wav"), 1);
    const Cell& wall = world->mainPage.cell(14, 16);
    EXPECT_EQ(wall.marks & Realm::bumpMark, Realm::bumpMark);
    EXPECT_EQ(wall.fade, 100);
    EXPECT_FALSE(world->moving);
    world->processInputReleased(GameInput::right, 0);
    tap(GameInput::right); // let go and bump again: a new bump
    EXPECT_EQ(events.count("bump2.wav"), 2);

    // The edge of the page is no wall: nothing at all happens there.
    events.sounds.clear();
    placePlayer(0, 0);
    tap(GameInput::left);
    tap(GameInput::up);
    EXPECT_EQ(world->playerX, 0);
    EXPECT_EQ(world->playerY, 0);
    EXPECT_TRUE(events.sounds.empty());
    EXPECT_EQ(world->mainPage.spare.marks, 0);
    EXPECT_EQ(world->mainPage.cell(0, 0).marks, 0);
}

TEST_F(WorldTest, SwapCarriesTheBitIntoTheDataRegisterAndOut)
{
    // Without the player a swap just trades the byte and the register, silently.
    put(30, 10, "s\x01\x02");
    put(1, 2, "\x07");
    world->dataRegister = 9;
    run(30, 10);
    EXPECT_TRUE(world->execute());
    EXPECT_EQ(world->dataRegister, 7);
    EXPECT_EQ(world->mainPage.cell(1, 2).value, 9);
    EXPECT_TRUE(events.sounds.empty());
    EXPECT_EQ(events.cellWrites, (std::vector<std::pair<int, int>>{{1, 2}}));

    // Standing on the swapped byte rides into the data register; being the target is
    // not reading an operand.
    placePlayer(1, 2);
    EXPECT_TRUE(world->execute());
    EXPECT_EQ(world->playerLocation, PlayerLocation::dataRegister);
    EXPECT_EQ(world->dataRegister, 9);
    EXPECT_EQ(world->mainPage.cell(1, 2).value, 7);
    EXPECT_EQ(events.count("swap.wav"), 1);
    EXPECT_EQ(events.codeChanges, 0);

    // Swapping again puts the bit at the address the operands name.
    put(30, 11, "s\x0A\x14");
    world->programLine = 1;
    EXPECT_TRUE(world->execute());
    EXPECT_EQ(world->playerLocation, PlayerLocation::memory);
    EXPECT_EQ(world->playerX, 10);
    EXPECT_EQ(world->playerY, 20);
    EXPECT_EQ(world->mainPage.cell(10, 20).value, 9);
    EXPECT_EQ(world->playerPage, 0);
    EXPECT_EQ(events.count("swap.wav"), 2);

    // Out of the data register with a page of its own, the bit lands in the page
    // register's page.
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

TEST_F(WorldTest, PageFlipAndWhereTheProgramRuns)
{
    tap(GameInput::attack);
    EXPECT_EQ(world->playerPage, 0);
    EXPECT_EQ(events.sounds.back(), "disabled.wav");
    EXPECT_EQ(events.soundLimits.back(), 5);

    // The page instruction hands the bit page 66 when the program leaves for page 2.
    put(30, 10, "p\x02");
    run(30, 10);
    EXPECT_TRUE(world->execute());
    EXPECT_EQ(world->playerPage, 66);
    tap(GameInput::attack);
    EXPECT_EQ(world->playerPage, 2);
    tap(GameInput::attack);
    EXPECT_EQ(world->playerPage, 66);
    EXPECT_EQ(events.sounds.back(), "jump.wav");

    // The program on page 2 waits while the bit walks page 66, but runs while the bit
    // is in a register.
    put(30, 10, "a\x01", 2);
    EXPECT_FALSE(world->execute());
    world->playerPage = 2;
    EXPECT_TRUE(world->execute());
    EXPECT_EQ(world->dataRegister, 1);
    world->playerPage = 66;
    world->playerLocation = PlayerLocation::compareRegister;
    EXPECT_TRUE(world->execute());
    EXPECT_EQ(world->dataRegister, 2);

    tap(GameInput::attack);
    EXPECT_EQ(world->playerPage, 66);
    EXPECT_EQ(events.sounds.back(), "disabled.wav");
}

// Where the player's bit is while an instruction at (30, 10) runs: away from it, on its
// first or second operand byte, or in the data or compare register.
enum Bit { away, onFirst, onSecond, inData, inCompare };

TEST_F(WorldTest, EveryInstructionWithThePlayersBitInAndOutOfItsOperands)
{
    // Jumps lead to (50, 30), or to row 30 | 64 with the bit on their row byte.
    const struct {
        std::string code;
        Bit bit;
        int data, compare;
        bool goesOn;
        std::string after; // registers and the block's current row
        const char* sound;
    } cases[] = {
        {"a\x64", away, 200, 255, true, "data 44, compare 255, page 66, at 30,10", "add.wav"},
        {"a\x00"s, onFirst, 44, 255, true, "data 108, compare 255, page 66, at 30,10", "add.wav"},
        {"c\x14", away, 20, 255, true, "data 20, compare 0, page 66, at 30,10", ""},
        {"c\x14", away, 10, 0, true, "data 10, compare 255, page 66, at 30,10", ""},
        {"c\x14", away, 21, 0, true, "data 21, compare 1, page 66, at 30,10", ""},
        {"c\x14", onFirst, 84, 255, true, "data 84, compare 0, page 66, at 30,10", ""},
        {"c\x14", inData, 20, 255, true, "data 20, compare 1, page 66, at 30,10", ""},
        {"e\x32\x1E", away, 0, 0, false, "data 0, compare 0, page 66, at 50,30", ""},
        {"e\x32\x1E", away, 0, 1, true, "data 0, compare 1, page 66, at 30,10", ""},
        {"e\x32\x1E", inCompare, 0, 0, true, "data 0, compare 0, page 66, at 30,10", ""},
        {"g\x32\x1E", away, 0, 1, false, "data 0, compare 1, page 66, at 50,30", ""},
        {"g\x32\x1E", away, 0, 255, true, "data 0, compare 255, page 66, at 30,10", ""},
        {"g\x32\x1E", inCompare, 0, 1, true, "data 0, compare 1, page 66, at 30,10", ""},
        {"l\x32\x1E", away, 0, 255, false, "data 0, compare 255, page 66, at 50,30", ""},
        {"l\x32\x1E", away, 0, 0, true, "data 0, compare 0, page 66, at 30,10", ""},
        {"l\x32\x1E", inCompare, 0, 0, false, "data 0, compare 0, page 66, at 50,30", ""},
        {"l\x32\x1E", inCompare, 0, 1, false, "data 0, compare 1, page 66, at 50,30", ""},
        {"j\x32\x1E", away, 0, 255, false, "data 0, compare 255, page 66, at 50,30", ""},
        {"j\x32\x1E", onSecond, 0, 255, false, "data 0, compare 255, page 66, at 50,94", ""},
        {"p\x05", away, 0, 255, true, "data 0, compare 255, page 5, at 30,10", "jump.wav"},
        {"p\x02", onFirst, 0, 255, true, "data 0, compare 255, page 66, at 30,10", "jump.wav"},
        {"s\x05\x06", onFirst, 0, 255, true, "data 0, compare 255, page 66, at 30,10", ""},
        {"n", away, 0, 255, false, "data 0, compare 255, page 66, at 30,10", ""},
        {"Z", away, 0, 255, false, "data 0, compare 255, page 66, at 30,10", ""},
    };
    const std::pair<int, int> places[] = {{12, 14}, {31, 10}, {32, 10}, {12, 14}, {12, 14}};
    const int locations[] = {PlayerLocation::memory, PlayerLocation::memory, PlayerLocation::memory,
        PlayerLocation::dataRegister, PlayerLocation::compareRegister};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code + " with the bit at " + std::to_string(c.bit));
        world->newGame();
        world->levelLoaded = true;
        events = RecordingEvents();
        put(30, 10, c.code);
        run(30, 10);
        world->dataRegister = c.data;
        world->compareRegister = c.compare;
        placePlayer(places[c.bit].first, places[c.bit].second);
        world->playerLocation = locations[c.bit];
        EXPECT_EQ(world->execute(), c.goesOn);
        std::string after = "data " + std::to_string(world->dataRegister) + ", compare "
            + std::to_string(world->compareRegister) + ", page " + std::to_string(world->pageRegister) + ", at "
            + std::to_string(world->programLocation / 256) + "," + std::to_string(currentRow());
        EXPECT_EQ(after, c.after);
        EXPECT_EQ(events.sounds.empty() ? "" : events.sounds.back(), c.sound);
        // Reading the bit as an operand changes the running code (the HACKER achievement).
        EXPECT_EQ(events.codeChanges, c.bit == onFirst || c.bit == onSecond ? 1 : 0);
        EXPECT_EQ(world->playerLocation, locations[c.bit]);
    }
}

TEST_F(WorldTest, EachStepRunsOneInstructionAndNoneWaits)
{
    put(12, 20, "a\x02");
    put(12, 21, "a\x03");
    put(12, 22, "n");
    run(12, 20);
    tap(GameInput::right); // a real step: no cpu sound
    EXPECT_EQ(world->dataRegister, 2);
    EXPECT_EQ(world->programLine, 1);
    put(14, 14, "A");
    tap(GameInput::right); // a bump counts as movement too
    EXPECT_EQ(world->dataRegister, 5);
    EXPECT_EQ(events.count("cpu.wav"), 0);

    // Steps that go nowhere play the cpu sound for each instruction run; the program
    // then waits on the none instruction, and stops at the end of the block.
    put(12, 21, "a\x01");
    world->programLine = 1;
    placePlayer(12, 0); // every step bumps the top edge: no movement
    for (int i = 0; i < 3; i++)
        tap(GameInput::up);
    EXPECT_EQ(world->dataRegister, 6);
    EXPECT_EQ(currentRow(), 22);
    EXPECT_EQ(events.count("cpu.wav"), 1);
    put(12, 22, "\x00"s);
    tap(GameInput::up);
    EXPECT_EQ(currentRow(), 22);
    EXPECT_EQ(events.count("cpu.wav"), 1);

    // Address 0 is no program, whatever column 0 holds.
    put(0, 0, "a\x05");
    world->programLocation = 0;
    EXPECT_FALSE(world->execute());
    EXPECT_EQ(world->dataRegister, 6);
}

TEST_F(WorldTest, JumpsFindTheTopOfTheBlockTheyLandIn)
{
    put(30, 10, "j\x3C\x16"); // jump (60, 22)
    put(60, 18, "\x00"s);      // ends the block above
    for (int row = 19; row <= 24; row++)
        put(60, row, "n");
    run(30, 10);
    EXPECT_FALSE(world->execute());
    EXPECT_EQ(world->programLocation, 60 * 256 + 19);
    EXPECT_EQ(world->programLine, 3);

    // An unknown byte ends a block as well.
    put(60, 20, "Z");
    run(30, 10);
    world->execute();
    EXPECT_EQ(world->programLocation, 60 * 256 + 21);
    EXPECT_EQ(world->programLine, 1);

    // A block reaching row 0 starts there, except in column 0, where address 0 would
    // mean "no program": there it starts at row 1.
    for (int row = 0; row < 5; row++) {
        put(70, row, "n");
        put(0, row, "n");
    }
    put(30, 10, "j\x46\x03");
    run(30, 10);
    world->execute();
    EXPECT_EQ(world->programLocation, 70 * 256);
    EXPECT_EQ(world->programLine, 3);
    put(30, 10, "j\x00\x03"s);
    run(30, 10);
    world->execute();
    EXPECT_EQ(world->programLocation, 1);
    EXPECT_EQ(currentRow(), 3);

    // A jump to (0, 0) stays on the jump; one to row 0 restarts the block.
    put(30, 10, "a\x01");
    put(30, 11, "j\x00\x00"s);
    run(30, 10);
    world->programLine = 1;
    EXPECT_FALSE(world->execute());
    EXPECT_EQ(currentRow(), 11);
    put(30, 11, "j\x05\x00"s);
    EXPECT_FALSE(world->execute());
    EXPECT_EQ(currentRow(), 10);

    // The target bytes count the player's bit whichever page the player walks.
    put(30, 10, "j\x05\x06");
    placePlayer(32, 10);
    world->playerPage = 2;
    world->jump(30, 10);
    EXPECT_EQ(world->programLocation, 5 * 256 + 70);
}

TEST(InstructionNames, AsTheListingShowsThem)
{
    const std::pair<int, const char*> names[] = {{'a', "add "}, {'c', "cmpr"}, {'e', "je  "}, {'g', "jg  "},
        {'j', "jump"}, {'l', "jl  "}, {'n', "    "}, {'p', "page"}, {'s', "swap"}, {0, "END"}, {'b', "ERROR"},
        {255, "ERROR"}};
    for (const auto& [byte, name] : names)
        EXPECT_STREQ(instructionName(byte), name) << byte;
}

TEST_F(WorldTest, TriggersStartTheirProgramOnceOnTheirOwnPage)
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

    // The trigger on page 2 fires only there.
    world->playerPage = 66;
    placePlayer(80, 244);
    tap(GameInput::right);
    EXPECT_EQ(world->programLocation, 0);
    world->playerPage = 2;
    tap(GameInput::left);
    tap(GameInput::right);
    EXPECT_EQ(world->programLocation, 23520);

    // Of two triggers on one cell the first listed wins; the other stays listed but
    // loses its mark.
    world->jumps.insert(world->jumps.begin(), JumpTrigger{13, 14, 5 * 256 + 5, 66});
    world->jumps.push_back(JumpTrigger{13, 14, 6 * 256 + 6, 66});
    world->markTriggers();
    world->playerPage = 0;
    placePlayer(12, 14);
    tap(GameInput::right);
    EXPECT_EQ(world->programLocation, 5 * 256 + 5);
    EXPECT_EQ(world->jumps.back().code, 6 * 256 + 6);
    EXPECT_EQ(world->mainPage.cell(13, 14).marks & Realm::triggerMark, 0);
}

TEST_F(WorldTest, ReachingTheExitOnTheMainPageEndsTheGame)
{
    world->playerPage = 2;
    placePlayer(175, 243);
    tap(GameInput::right);
    EXPECT_EQ(world->playerX, 176);
    EXPECT_EQ(world->endTimer, 0);

    world->playerPage = 66;
    placePlayer(175, 243);
    world->processInputPressed(GameInput::right, 0);
    world->step(frame);
    EXPECT_FLOAT_EQ(world->endTimer, 0.05f);
    EXPECT_EQ(events.musicFades, std::vector<int>{1500});
    EXPECT_EQ(world->jumps.size(), 12u); // the exit's own trigger never fires

    // From now on the bit stays put and input is ignored.
    world->step(1.0f);
    world->step(frame);
    EXPECT_EQ(world->playerX, 176);
    world->processInputReleased(GameInput::right, 0);
    EXPECT_EQ(world->dirX, 1);
    world->processInputPressed(GameInput::pause, 0);
    EXPECT_EQ(events.pauseMenuOpens, 0);
    EXPECT_EQ(events.armedRecordingChecks, 3); // every press is offered to the recorder
}

TEST_F(WorldTest, PauseAndHints)
{
    world->processInputPressed(GameInput::pause, 0);
    EXPECT_TRUE(world->pauseMenuOpen);
    EXPECT_EQ(events.pauseMenuOpens, 1);
    world->processInputPressed(GameInput::down, 101);
    world->processInputReleased(GameInput::down, 101);
    EXPECT_EQ(events.pauseMenuInputs, (std::vector<std::pair<int, int>>{{GameInput::down, 101}}));
    EXPECT_EQ(world->dirY, 0);
    world->processInputPressed(GameInput::pause, 0);
    EXPECT_FALSE(world->pauseMenuOpen);
    EXPECT_EQ(events.pauseMenuCloses, 1);
    EXPECT_EQ(events.sounds.back(), "select.wav");
    EXPECT_EQ(events.soundLimits.back(), 5);

    // Hints show while ITEM is held, but not before the game starts.
    world->processInputPressed(GameInput::item, 0);
    EXPECT_EQ(world->hintState, 0);
    world->processInputReleased(GameInput::item, 0);
    EXPECT_EQ(world->hintState, 1);
    world->hintState = 2;
    world->processInputPressed(GameInput::item, 0);
    EXPECT_EQ(world->hintState, 2);

    // During the introduction ITEM does nothing and PAUSE asks for the level instead.
    world->levelLoaded = false;
    world->hintState = 1;
    world->processInputPressed(GameInput::item, 0);
    world->processInputPressed(GameInput::pause, 0);
    EXPECT_EQ(events.levelLoadRequests, 1);
    EXPECT_EQ(events.pauseMenuOpens, 1);
    EXPECT_EQ(world->hintState, 1);
}

} // namespace
