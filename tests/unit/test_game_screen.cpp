#include "SdlFixture.h"
#include "TestSupport.h"

#include "core/Achievement.h"
#include "core/AssetManager.h"
#include "core/CachedText.h"
#include "core/Game.h"
#include "core/Joystick.h"
#include "core/UserFiles.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

const float frame = 1.0f / 60;

// The game screen, hearing every sound it asks for.
class ListeningGame : public Game {
public:
    std::vector<std::string> sounds;

    void playSound(const std::string& name, int limit) override
    {
        sounds.push_back(name);
        Game::playSound(name, limit);
    }
    int count(const std::string& name) const { return int(std::count(sounds.begin(), sounds.end(), name)); }
};

class GameScreen : public SdlTest {
protected:
    void SetUp() override
    {
        SdlTest::SetUp();
        settingsStorage().strings.clear();
        std::remove((prefPath() + "savegame.storage").c_str());
        makeAssets(0);
        assets->achievements = &achievements;
    }
    void TearDown() override
    {
        game.reset();
        SdlTest::TearDown();
    }

    void start(bool newGame)
    {
        game = std::make_unique<ListeningGame>();
        ASSERT_TRUE(game->init(*camera, assets.get(), &controllers, newGame));
    }

    // A new game past its story, on empty memory and with the screen uncovered.
    void startPlaying()
    {
        start(true);
        press(SDLK_ESCAPE);
        ASSERT_TRUE(game->world.levelLoaded);
        game->world.mainPage.clear();
        game->world.secondPage.clear();
        game->world.markTriggers();
        game->openingTimer = 2;
    }

    bool press(SDL_Keycode key, bool repeat = false)
    {
        SDL_Event event = keyDown(key, repeat);
        return game->onKeyDown(&event);
    }
    void release(SDL_Keycode key)
    {
        SDL_Event event = keyDown(key);
        event.type = SDL_KEYUP;
        game->onKeyUp(&event);
    }
    // One step of the bit: the key pressed for a frame, then let go.
    void tapKey(SDL_Keycode key)
    {
        press(key);
        drawFrames(1);
        release(key);
    }
    int drawFrames(int count, float dt = frame)
    {
        int blits = 0;
        for (int i = 0; i < count; i++)
            blits = game->draw(*camera, dt);
        return blits;
    }

    // The brightest pixel of a grid cell: what the cell's character is drawn in.
    SDL_Color brightestIn(int column, int row)
    {
        SDL_Color best{0, 0, 0, 0};
        for (int y = game->cellY(row); y < game->cellY(row) + game->cellHeight - 1; y++) {
            for (int x = game->cellX(column); x < game->cellX(column) + game->cellWidth; x++) {
                Uint32 pixel = pixelAt(x, y);
                SDL_Color colour{Uint8(pixel >> 16), Uint8(pixel >> 8), Uint8(pixel), 255};
                if (colour.r + colour.g + colour.b > best.r + best.g + best.b)
                    best = colour;
            }
        }
        return best;
    }

    AchievementManager achievements;
    std::map<int, Joystick*> controllers;
    std::unique_ptr<ListeningGame> game;
};

bool isPlayerColour(SDL_Color colour)
{
    return colour.r == 255 && colour.b == 0 && colour.g >= 80 && colour.g <= 165;
}

} // namespace

// --- Text grid ------------------------------------------------------------------

TEST_F(GameScreen, TheFontIsTheLargestThatFitsTheWholeGrid)
{
    start(true);
    for (SDL_Point window : {SDL_Point{1920, 1080}, SDL_Point{1280, 720}}) {
        camera->width = window.x;
        camera->height = window.y;
        game->measureFont();
        SCOPED_TRACE(window.x);
        EXPECT_GE(game->columns, Game::minimumColumns);
        EXPECT_GE(game->rows, Game::minimumRows);
        EXPECT_LE(game->cellWidth * 131, window.x);
        EXPECT_LE(game->cellHeight * 37, window.y);
        // One size up would not fit.
        ASSERT_TRUE(game->measuredSizes.count(game->fontSize + 1));
        SDL_Point larger = game->measuredSizes[game->fontSize + 1];
        EXPECT_TRUE(larger.x * 131 > window.x || larger.y * 37 > window.y);
        // The grid is centred in the window; rows overlap by one pixel.
        EXPECT_EQ(game->rows, window.y / (game->cellHeight - 1));
        EXPECT_LE(std::abs(2 * game->originX + game->columns * game->cellWidth - window.x), 1);
        EXPECT_LE(std::abs(2 * game->originY + game->rows * (game->cellHeight - 1) - window.y), 1);
        EXPECT_NE(game->glyphSheet, nullptr);
    }
    EXPECT_GT(logLinesContaining("fontSize[8] = "), 0);
}

// --- Starting, pausing, saving ------------------------------------------------------

TEST_F(GameScreen, ANewGameTellsTheStoryUntilPauseSkipsIt)
{
    start(true);
    EXPECT_FALSE(game->world.levelLoaded);
    drawFrames(3);
    EXPECT_GT(assets->titleScreen.timer, 0);
    // Walking keys do nothing during the story.
    tapKey(SDLK_RIGHT);
    EXPECT_EQ(game->world.playerX, 12);

    // A change of the window size pauses a game, but not its story.
    game->pause();
    EXPECT_FALSE(game->world.pauseMenuOpen);

    EXPECT_TRUE(press(SDLK_ESCAPE));
    EXPECT_TRUE(game->world.levelLoaded);
    EXPECT_FALSE(game->world.pauseMenuOpen);
    game->openingTimer = 2;
    game->world.mainPage.clear();
    tapKey(SDLK_RIGHT);
    EXPECT_EQ(game->world.playerX, 13);
}

TEST_F(GameScreen, PauseMenuMovesWithinItsRowsAndChangesTheVolumes)
{
    startPlaying();
    assets->musicVolume = 50;
    press(SDLK_ESCAPE);
    EXPECT_TRUE(game->world.pauseMenuOpen);
    EXPECT_EQ(game->selectedItem, 0);

    press(SDLK_UP);
    EXPECT_EQ(game->selectedItem, 0);
    EXPECT_EQ(game->count("pop31.wav"), 1);

    press(SDLK_DOWN);
    EXPECT_EQ(game->selectedItem, Game::musicRow);
    EXPECT_DOUBLE_EQ(game->menuItems[1]->scale, 1.1);
    press(SDLK_RIGHT);
    press(SDLK_RIGHT, true); // a held key goes on changing it
    EXPECT_EQ(assets->musicVolume, 54);
    EXPECT_EQ(settingsStorage().getInt("musicVolume2", 0), 54);
    EXPECT_EQ(game->menuItems[1]->normalText->text, "music volume: < 54% >");
    EXPECT_EQ(game->count("tik.wav"), 2);
    press(SDLK_RETURN);
    EXPECT_EQ(game->count("disabled.wav"), 1);
    EXPECT_TRUE(game->world.pauseMenuOpen);

    press(SDLK_DOWN);
    press(SDLK_LEFT);
    EXPECT_EQ(assets->sfxVolume, 98);
    EXPECT_EQ(game->menuItems[2]->normalText->text, "sfx volume: < 98% >");

    // The selected row pops and shrinks back over five frames.
    drawFrames(5);
    EXPECT_DOUBLE_EQ(game->menuItems[2]->scale, 1.0);

    // Nothing moves while the menu is open, and PAUSE closes it.
    int x = game->world.playerX;
    drawFrames(20);
    EXPECT_EQ(game->world.playerX, x);
    press(SDLK_ESCAPE);
    press(SDLK_ESCAPE, true); // a held Escape does not open it again
    EXPECT_FALSE(game->world.pauseMenuOpen);
    EXPECT_EQ(game->selectedItem, 0);

    // CONTINUE PLAYING closes it too.
    press(SDLK_ESCAPE);
    EXPECT_TRUE(press(SDLK_RETURN));
    EXPECT_FALSE(game->world.pauseMenuOpen);
    EXPECT_GT(logLinesContaining("Game::selectMenu() CH = 0"), 0);
}

TEST_F(GameScreen, SaveAndExitLeavesTheScreenAndContinueComesBackThere)
{
    // Without a saved game, CONTINUE starts playable at the start.
    start(false);
    EXPECT_TRUE(game->world.levelLoaded);
    EXPECT_EQ(game->world.playerX, 12);
    EXPECT_EQ(game->world.jumps.size(), 12u);
    EXPECT_GT(logLinesContaining("WARNING: The saved game was not fully restored"), 0);

    startPlaying();
    game->world.playerX = 40;
    game->world.playerY = 20;
    game->world.jumps.erase(game->world.jumps.begin());
    press(SDLK_ESCAPE);
    for (int row = 0; row < 3; row++)
        press(SDLK_DOWN);
    EXPECT_FALSE(press(SDLK_RETURN));
    EXPECT_TRUE(fileExists(prefPath() + "savegame.storage"));
    EXPECT_FALSE(game->world.pauseMenuOpen);
    EXPECT_GT(logLinesContaining("Game::selectMenu() CH = 3"), 0);
    EXPECT_TRUE(press(SDLK_DOWN)); // the next event does not leave again

    start(false);
    EXPECT_TRUE(game->world.levelLoaded);
    EXPECT_EQ(game->world.playerX, 40);
    EXPECT_EQ(game->world.jumps.size(), 11u);
    EXPECT_EQ(game->world.mainPage.cell(185, 75).marks, 0);
    EXPECT_EQ(assets->titleScreen.timer, 0);
    game->openingTimer = 2;
    tapKey(SDLK_DOWN);
    EXPECT_EQ(game->world.playerY, 21);

    // A new game after that starts with every trigger again.
    start(true);
    EXPECT_EQ(game->world.jumps.size(), 12u);
    EXPECT_EQ(game->world.mainPage.cell(185, 75).marks, Realm::triggerMark);
}

TEST_F(GameScreen, NewGamesAndTheTimeTheScreenRunsAreCountedAndKept)
{
    start(false);
    EXPECT_EQ(settingsStorage().getInt("gamesPlayed", 0), 0); // continuing is no new game
    start(true);
    start(true);
    EXPECT_EQ(savedSetting("gamesPlayed"), "2");

    drawFrames(6, 0.25f);
    drawFrames(1, 30.0f); // a stall counts as a short frame
    EXPECT_EQ(settingsStorage().getInt("secondsPlayed", 0), 1);
    EXPECT_EQ(savedSetting("secondsPlayed"), "(none)"); // saved once a minute of play...
    game->setFocus(false);                              // ...and when the screen is left
    EXPECT_EQ(savedSetting("secondsPlayed"), "1");
    drawFrames(4 * PlayStatistics::saveEverySeconds, 0.25f);
    EXPECT_EQ(savedSetting("secondsPlayed"), "61");
}

// --- Drawing --------------------------------------------------------------------

TEST_F(GameScreen, TheBinaryViewKeepsThePlayersByteInTheMiddleExceptAtTheEdges)
{
    settingsStorage().setInt("overlay", 0);
    startPlaying();
    // Bit 6 is the second digit of a byte; bytes start every nine columns from column 1.
    const std::pair<int, int> bitColumns[] = {{0, 2}, {1, 11}, {100, 20}, {254, 29}, {255, 38}};
    for (const auto& expected : bitColumns) {
        game->world.playerX = expected.first;
        game->world.playerY = 14;
        drawFrames(1, 0);
        int row = 14 + 4; // the view starts at memory row 0 while the player is this high up
        EXPECT_TRUE(isPlayerColour(brightestIn(expected.second, row))) << expected.first;
        EXPECT_FALSE(isPlayerColour(brightestIn(expected.second + 9, row))) << expected.first;
    }
}

TEST_F(GameScreen, TheCharacterMapScrollsOnlyNearItsSides)
{
    startPlaying();
    int width = game->characterMapWidth();
    ASSERT_GT(width, 40);
    // Where the player walks in turn, and the first column shown: 17 bytes from the right
    // side it is still 0, and walking back inside the map does not scroll it.
    const std::pair<int, int> walk[] = {{12, 0}, {width - 17, 0}, {width - 16, 1}, {40, 1}, {255, 256 - width}, {0, 0}};
    for (const auto& [x, start] : walk) {
        game->world.playerX = x;
        EXPECT_EQ(game->characterMapStart(), start) << x;
    }
}

TEST_F(GameScreen, TheScanlineAndTheStripesFollowTheirSettings)
{
    for (int scanline : {0, 1}) {
        settingsStorage().setInt("scanline", scanline);
        settingsStorage().setInt("overlay", 0);
        startPlaying();
        game->scanlineTimer = 0.5f; // row 14 of the screen
        int without = drawFrames(1, 0);
        SCOPED_TRACE(scanline);
        EXPECT_EQ(brightestIn(1, 14).g, scanline ? 180 : 153);
        EXPECT_EQ(brightestIn(1, 15).g, 153);
        game->showOverlay = true;
        // The stripes are 512 pixels high and 64 wide, laid side by side over the grid
        // below the top rows.
        int tiles = ((game->rows - 3) * game->cellHeight + 511) / 512;
        int across = (game->columns * game->cellWidth + 63) / 64;
        EXPECT_EQ(drawFrames(1, 0) - without, tiles * across);
    }
}

TEST_F(GameScreen, TheCharacterMapShowsMarksThatFadeAwayAtAnyFrameRate)
{
    settingsStorage().setInt("overlay", 0);
    // The trail fades in 0.3 seconds, the bump in 0.5, however short the frames are.
    for (int rate : {30, 60, 144, 500}) {
        SCOPED_TRACE(rate);
        float dt = 1.0f / float(rate);
        startPlaying();
        World& world = game->world;
        world.mainPage.cell(13, 15).value = 'A'; // a wall right of where the player goes
        world.mainPage.cell(20, 20).marks = Realm::triggerMark;
        press(SDLK_DOWN), drawFrames(1, dt), release(SDLK_DOWN);
        press(SDLK_RIGHT), drawFrames(1, dt), release(SDLK_RIGHT);
        // The trail where the player was, the bump on the wall.
        EXPECT_EQ(world.playerY, 15);
        drawFrames(rate / 5, dt);
        EXPECT_TRUE(world.mainPage.cell(12, 14).marks & Realm::trailMark);
        EXPECT_TRUE(world.mainPage.cell(13, 15).marks & Realm::bumpMark);
        drawFrames(rate / 5, dt);
        EXPECT_FALSE(world.mainPage.cell(12, 14).marks & Realm::trailMark);
        EXPECT_TRUE(world.mainPage.cell(13, 15).marks & Realm::bumpMark);
        drawFrames(rate / 5, dt);
        EXPECT_EQ(world.mainPage.cell(13, 15).marks, 0);
        EXPECT_EQ(world.mainPage.cell(20, 20).marks, Realm::triggerMark);
    }
}

TEST_F(GameScreen, HoldingItemHighlightsTheAddressesTheProgramNames)
{
    startPlaying();
    World& world = game->world;
    world.mainPage.cell(30, 10).value = 's';
    world.mainPage.cell(31, 10).value = 50;
    world.mainPage.cell(32, 10).value = 60;
    world.mainPage.cell(30, 11).value = 'a'; // one operand: names no address
    world.programLocation = 30 * 256 + 10;
    drawFrames(1, 0);
    EXPECT_TRUE(game->highlights.empty());
    press(SDLK_a); // ITEM's default key
    drawFrames(1, 0);
    ASSERT_EQ(game->highlights.size(), 1u);
    EXPECT_EQ(game->highlights[0], std::make_pair(50, 60));
    release(SDLK_a);
    drawFrames(1, 0);
    EXPECT_TRUE(game->highlights.empty());
}

// --- The end --------------------------------------------------------------------

TEST_F(GameScreen, ReachingTheExitClosesTheScreenAndStopsInput)
{
    startPlaying();
    World& world = game->world;
    world.playerX = 175;
    world.playerY = 243;
    world.playerPage = 66;
    tapKey(SDLK_RIGHT);
    ASSERT_GT(world.endTimer, 0);
    press(SDLK_LEFT);
    press(SDLK_ESCAPE);
    drawFrames(10);
    EXPECT_EQ(world.playerX, 176);
    EXPECT_FALSE(world.pauseMenuOpen);
    EXPECT_NEAR(world.endTimer, 0.05f + 11 * frame, 0.001f);
    world.endTimer = 2.15f;
    drawFrames(4);
    EXPECT_GT(world.endTimer, 2.2f);
    // The bars have met in the middle.
    Uint32 flat = pixelAt(0, 0);
    EXPECT_NE(flat & 0xFFFFFF, 0u);
    EXPECT_EQ(pixelAt(screenWidth / 2, screenHeight / 2 - 2), flat);
    EXPECT_EQ(pixelAt(screenWidth - 1, screenHeight - 1), flat);
}

// --- HACKER -----------------------------------------------------------------------

TEST_F(GameScreen, ChangingTheRunningCodeUnlocksHackerOnceWithItsPopup)
{
    startPlaying();
    World& world = game->world;
    world.mainPage.cell(30, 10).value = 'a'; // add, with its operand at (31, 10)
    world.mainPage.cell(30, 11).value = 'a';
    world.programLocation = 30 * 256 + 10;
    world.playerX = 31;
    world.playerY = 11;
    tapKey(SDLK_UP); // onto the operand: the add reads the bit
    EXPECT_EQ(world.dataRegister, 64);
    EXPECT_TRUE(achievements.hasAchievement("HACKER", false));
    EXPECT_EQ(settingsStorage().getInt("achievements0", 0), 1);
    EXPECT_TRUE(game->popupShowing);
    EXPECT_EQ(achievements.getPtr(0)->popupCounter, 299);
    EXPECT_EQ(game->count("ach1.wav"), 1);

    achievements.getPtr(0)->popupCounter = 2; // the last frames of the popup
    drawFrames(1);
    EXPECT_TRUE(achievements.popupActive);
    drawFrames(1);
    EXPECT_FALSE(achievements.popupActive);
    EXPECT_FALSE(game->popupShowing);

    // Doing it again is no news.
    tapKey(SDLK_DOWN);
    tapKey(SDLK_UP);
    EXPECT_EQ(achievements.getPtr(0)->popupCounter, 0);
    EXPECT_FALSE(achievements.popupActive);
    EXPECT_EQ(game->count("ach1.wav"), 1);
    EXPECT_EQ(logLinesContaining("Achievement unlocked: HACKER"), 1);
}

// --- Controllers ------------------------------------------------------------------

TEST_F(GameScreen, ControllersWalkPauseAndChooseThroughTheirBindings)
{
    startPlaying();
    Joystick pad(-1);
    pad.left = axisCode(0, -1);
    pad.right = axisCode(0, 1);
    pad.up = axisCode(1, -1);
    pad.down = axisCode(1, 1);
    pad.attack = buttonCode(0);
    pad.item = buttonCode(1);
    pad.pause = buttonCode(9);
    World& world = game->world;

    // An axis pushed left, then across to the right, then let go.
    game->onJoyAxis(&pad, 0, 0, -1);
    EXPECT_EQ(world.dirX, -1);
    drawFrames(1);
    game->onJoyAxis(&pad, 0, -1, -2);
    EXPECT_EQ(world.dirX, -1);
    game->onJoyAxis(&pad, 0, -2, 2);
    EXPECT_EQ(world.dirX, 1);
    drawFrames(1);
    game->onJoyAxis(&pad, 0, 2, 0);
    EXPECT_EQ(world.dirX, 0);

    // An unbound hat means nothing in play, and moves the menu.
    game->onJoyHat(&pad, 0, 0, SDL_HAT_DOWN);
    EXPECT_EQ(world.dirY, 0);
    game->onJoyHat(&pad, 0, SDL_HAT_DOWN, 0);
    game->onJoyButtonDown(&pad, 9);
    EXPECT_TRUE(world.pauseMenuOpen);
    game->onJoyHat(&pad, 0, 0, SDL_HAT_DOWN);
    EXPECT_EQ(game->selectedItem, 1);
    game->onJoyHat(&pad, 0, SDL_HAT_DOWN, SDL_HAT_RIGHTDOWN); // right pressed, down held
    EXPECT_EQ(game->count("tik.wav"), 1);
    EXPECT_EQ(game->selectedItem, 1);
    // ITEM from a controller closes the menu.
    game->onJoyButtonDown(&pad, 1);
    EXPECT_FALSE(world.pauseMenuOpen);

    // A controller lost while walking stops the bit and pauses.
    game->onJoyAxis(&pad, 1, 0, 1);
    EXPECT_EQ(world.dirY, 1);
    drawFrames(1);
    game->onJoyConnected(&pad, false);
    EXPECT_EQ(world.dirY, 0);
    EXPECT_TRUE(world.pauseMenuOpen);

    // SAVE AND EXIT with the ATTACK button leaves the screen.
    game->onJoyHat(&pad, 0, 0, SDL_HAT_UP);
    for (int i = 0; i < 3; i++) {
        game->onJoyHat(&pad, 0, SDL_HAT_UP, 0);
        game->onJoyHat(&pad, 0, 0, SDL_HAT_DOWN);
        game->onJoyHat(&pad, 0, SDL_HAT_DOWN, 0);
    }
    EXPECT_EQ(game->selectedItem, Game::saveAndExitRow);
    EXPECT_FALSE(game->onJoyButtonDown(&pad, 0));
}
