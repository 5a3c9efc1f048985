#include "MenuFixture.h"
#include "core/Achievement.h"
#include "core/AssetManager.h"
#include "core/PlayStatistics.h"
#include "core/Translator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <map>
#include <string>
#include <tuple>
#include <vector>

namespace {

const std::string back = "\xE2\x97\x84 ";

} // namespace

TEST_F(MenuTest, MainMenuGainsContinueOnceAfterAGameWasSaved)
{
    EXPECT_EQ(labels(1), (std::vector<std::string>{"PLAY NEW GAME", "SETTINGS", "CREDITS", "CHECK OUT MY OTHER GAMES",
                             "EXIT"}));
    EXPECT_TRUE(menu.pages[1].back()->isBack);
    EXPECT_TRUE(key(SDLK_ESCAPE)); // nothing happens on the main menu
    EXPECT_EQ(menu.currentPage, 1);
    choose(MenuPage::credits);
    EXPECT_EQ(labels(MenuPage::credits), std::vector<std::string>{back + "BACK"});
    key(SDLK_RETURN);
    EXPECT_EQ(menu.currentPage, 1);

    writeFileBytes(prefPath() + "savegame.storage", "c");
    menu.updateMenu();
    menu.updateMenu();
    ASSERT_EQ(menu.pages[1].size(), 6u);
    EXPECT_EQ(menu.pages[1][0]->label(), "CONTINUE");
    EXPECT_EQ(menu.pages[1][0]->action, MenuAction::continueGame);
    EXPECT_EQ(menu.pages[1][1]->label(), "PLAY NEW GAME");
}

TEST_F(MenuTest, SelectionWrapsAndPopsTheNewRow)
{
    // Keys held through a display rebuild arrive at once as fresh presses: ignored.
    menu.startTime = SDL_GetTicks();
    EXPECT_TRUE(key(SDLK_RETURN));
    key(SDLK_DOWN);
    EXPECT_EQ(menu.currentPage, 1);
    EXPECT_EQ(menu.selected, 0);
    menu.startTime = SDL_GetTicks() - keySettleMs;

    key(SDLK_UP);
    EXPECT_EQ(menu.selected, 4);
    EXPECT_DOUBLE_EQ(menu.selectedItem()->scale, 1.1);
    key(SDLK_DOWN);
    EXPECT_EQ(menu.selected, 0);
    for (int frame = 0; frame < 5; frame++)
        menu.draw(*camera, 1.0f / 60);
    EXPECT_DOUBLE_EQ(menu.selectedItem()->scale, 1.0);

    // The mouse changes nothing.
    SDL_Event click{};
    click.type = SDL_MOUSEBUTTONDOWN;
    EXPECT_TRUE(menu.onMouseDownLeft(&click));
    menu.onMouseMove(&click);
    EXPECT_EQ(menu.selected, 0);
    EXPECT_EQ(menu.currentPage, 1);
}

TEST_F(MenuTest, RowsStandOverAVeiledWallAndTypingIsUnderlined)
{
    std::vector<Uint32> frame(size_t(screenWidth) * screenHeight);
    auto readFrame = [&] {
        SDL_RenderReadPixels(renderer, nullptr, SDL_PIXELFORMAT_ARGB8888, frame.data(), screenWidth * 4);
    };
    // Far from the rows, the wall shows through the veil at about half its brightness.
    auto brightness = [&] {
        readFrame();
        long sum = 0;
        for (int x = 0; x < 200; x++)
            for (int shift : {0, 8, 16})
                sum += frame[size_t(5 * screenWidth + x)] >> shift & 0xFF;
        return sum;
    };
    assets->titleScreen.draw(*camera, 0);
    long wall = brightness();
    menu.draw(*camera, 0);
    ASSERT_GT(wall, 3000);
    EXPECT_NEAR(brightness(), wall * 135 / 255, wall / 10);

    // Without the wall, the rows start 230 pixels left of the middle.
    assets->titleScreen.assets = nullptr;
    auto rowsArea = [&](int& left, int& longestWhiteRun) {
        readFrame();
        left = screenWidth;
        longestWhiteRun = 0;
        for (int y = screenHeight / 2 + 10; y < screenHeight - 150; y++) {
            for (int x = 0, run = 0; x < screenWidth - 200; x++) {
                Uint32 pixel = frame[size_t(y * screenWidth + x)];
                if (pixel != 0xFF000000)
                    left = std::min(left, x);
                run = pixel == 0xFFFFFFFF ? run + 1 : 0;
                longestWhiteRun = std::max(longestWhiteRun, run);
            }
        }
    };
    // A value being typed is underlined in white.
    menu.goToPage(MenuPage::customResolution, 0);
    key(SDLK_DOWN);
    for (bool typing : {false, true}) {
        if (typing)
            key(SDLK_RETURN);
        for (int frames = 0; frames < 10; frames++) // until the page has slid in
            menu.draw(*camera, 1.0f / 60);
        int left = 0, whiteRun = 0;
        rowsArea(left, whiteRun);
        EXPECT_NEAR(left, screenWidth / 2 - 230, 3) << typing;
        EXPECT_EQ(whiteRun > 60, typing);
    }
}

TEST_F(MenuTest, LinksSlideForwardAndBackRowsSlideBack)
{
    choose(MenuPage::settings);
    EXPECT_EQ(menu.currentPage, MenuPage::settings);
    EXPECT_EQ(menu.selected, 0);
    EXPECT_EQ(menu.slideOffset, 500);
    menu.draw(*camera, 1.0f / 60);
    EXPECT_EQ(menu.slideOffset, 440);
    for (int frame = 0; frame < 10; frame++)
        menu.draw(*camera, 1.0f / 60);
    EXPECT_EQ(menu.slideOffset, 0);

    // The audio page's BACK slides forward; the settings page's slides back.
    choose(MenuPage::audio);
    choose(MenuPage::settings);
    EXPECT_EQ(menu.slideOffset, 500);
    key(SDLK_ESCAPE);
    EXPECT_EQ(menu.currentPage, MenuPage::main);
    EXPECT_EQ(menu.slideOffset, -500);

    // Escape on every page leads back to the main menu.
    for (const auto& page : menu.pages) {
        menu.currentPage = page.first;
        menu.selected = 0;
        for (int step = 0; step < 5 && menu.currentPage != MenuPage::main; step++)
            EXPECT_TRUE(key(SDLK_ESCAPE));
        EXPECT_EQ(menu.currentPage, MenuPage::main) << "from page " << page.first;
    }

    EXPECT_FALSE(choose(MenuAction::exitGame));
}

TEST_F(MenuTest, KeyboardPageShowsTheKeysTheGameWillUse)
{
    // A settings tree without keys: the game falls back on its own defaults, and so does the page.
    settingsStorage().setString("keyITEM", "b");
    start(0);
    EXPECT_EQ(values(MenuPage::keyboard),
        (std::vector<std::string>{"arrow left", "arrow right", "arrow up", "arrow down", "d", "b", ""}));
    EXPECT_EQ(labels(MenuPage::keyboard).back(), back + "BACK");
}

TEST_F(MenuTest, VideoTogglesAndFrameRateModeAreSaved)
{
    menu.currentPage = MenuPage::video;
    choose(MenuAction::scanline);
    EXPECT_EQ(menu.selectedItem()->value(), "yes");
    EXPECT_EQ(savedSetting("scanline"), "1");
    key(SDLK_RETURN);
    EXPECT_EQ(menu.selectedItem()->value(), "no");
    EXPECT_EQ(savedSetting("scanline"), "0");

    choose(MenuAction::trail);
    EXPECT_EQ(menu.selectedItem()->value(), "no");
    EXPECT_EQ(savedSetting("trace"), "0");

    const char* words[] = {"always", "if under 60", "never", "always"};
    for (int step = 0; step < 4; step++) {
        choose(MenuAction::showFps);
        EXPECT_EQ(menu.selectedItem()->value(), words[step]);
        EXPECT_EQ(menu.showFps, (step + 1) % 3);
        EXPECT_EQ(savedSetting("showFPS2"), std::to_string((step + 1) % 3));
    }
}

TEST(SizeLists, StepsStopAtTheEndsAndTypedSizesAreRead)
{
    const std::vector<int> sizes{1024, 1280, 1360, 1920};
    // From, step, to; above the list a left step does nothing.
    const int steps[][3] = {{1920, 1, 1920}, {1024, -1, 1024}, {1300, 1, 1360}, {1300, -1, 1280}, {1360, -1, 1280},
        {500, 1, 1024}, {500, -1, 500}, {2560, -1, 2560}, {1280, 0, 1280}};
    for (const auto& step : steps)
        EXPECT_EQ(stepThroughSizes(sizes, step[0], step[1]), step[2]) << step[0] << " by " << step[1];
    const std::pair<const char*, int> typed[] = {{"1360", 1360}, {"", 0}, {"abc", 0}, {"99999999999", 0}, {"800x600", 800}};
    for (const auto& [text, size] : typed)
        EXPECT_EQ(parseTypedSize(text), size) << text;
}

TEST_F(MenuTest, WidthAndHeightStepAndAcceptTypedSizes)
{
    menu.goToPage(MenuPage::customResolution, 0);
    key(SDLK_DOWN);
    MenuItem* width = menu.selectedItem();
    key(SDLK_RIGHT);
    EXPECT_EQ(width->value(), "< 1136 >");

    key(SDLK_RETURN);
    EXPECT_TRUE(menu.textEntryActive);
    EXPECT_EQ(width->value(), "");
    type("1300");
    EXPECT_EQ(width->value(), "1300");
    key(SDLK_DOWN); // the selection stays on the row being typed
    EXPECT_EQ(menu.selectedItem(), width);
    key(SDLK_RETURN);
    EXPECT_FALSE(menu.textEntryActive);
    EXPECT_EQ(menu.windowWidth, 1300);
    EXPECT_EQ(width->value(), "1300");
    key(SDLK_RIGHT);
    EXPECT_EQ(width->value(), "< 1360 >");

    // Nothing that is not a size above 100 changes the width.
    for (const char* bad : {"", "abc", "100", "99999999999"}) {
        key(SDLK_RETURN);
        type(bad);
        key(SDLK_RETURN);
        EXPECT_EQ(menu.windowWidth, 1360) << bad;
        EXPECT_EQ(width->value(), "1360");
    }

    key(SDLK_RETURN);
    type("25");
    key(SDLK_BACKSPACE);
    EXPECT_EQ(width->value(), "2");
    key(SDLK_BACKSPACE);
    key(SDLK_BACKSPACE); // nothing left to remove
    type("1920");
    key(SDLK_ESCAPE);
    EXPECT_EQ(menu.windowWidth, 1360);
    EXPECT_EQ(width->value(), "1360");
    EXPECT_EQ(menu.currentPage, MenuPage::customResolution); // Escape ended the typing only

    key(SDLK_DOWN);
    key(SDLK_LEFT);
    EXPECT_EQ(menu.selectedItem()->value(), "< 720 >");
    key(SDLK_RETURN);
    type("100000");
    key(SDLK_RETURN);
    EXPECT_EQ(menu.windowHeight, 100000); // no upper limit: the display rebuild copes
}

TEST_F(MenuTest, ApplyStoresTheDisplayModeAndShowsTheLoadingPanel)
{
    menu.goToPage(MenuPage::customResolution, 0);
    key(SDLK_RETURN); // FULLSCREEN
    EXPECT_EQ(menu.selectedItem()->value(), "yes");
    key(SDLK_DOWN);
    key(SDLK_RETURN);
    type("1360");
    key(SDLK_RETURN);
    key(SDLK_DOWN);
    key(SDLK_DOWN);
    key(SDLK_RETURN); // WINDOW BORDER
    EXPECT_EQ(menu.selectedItem()->value(), "hidden");
    EXPECT_FALSE(settingsStorage().has("windowBorder")); // nothing stored before APPLY
    choose(MenuAction::applyDisplay);
    EXPECT_EQ(menu.currentPage, MenuAction::applyDisplay);

    for (const auto& [key, value] : std::map<std::string, std::string>{{"fullscreenModified", "1"},
             {"needConfirmGfxChange", "1"}, {"fullscreen", "0"}, {"fullscreenAutodetect", "0"}, {"windowBorder", "0"},
             {"windowW", "1360"}, {"windowH", "768"}})
        EXPECT_EQ(savedSetting(key), value) << key;

    // Keys during the command's loading frame change nothing and break nothing.
    fillScreen(0xFF000000);
    menu.draw(*camera, 1.0f / 60);
    Uint32 frame = pixelAt(screenWidth / 2 - 250 + 25, screenHeight / 2); // the loading panel's bright edge
    EXPECT_GT(frame & 0xFF00, 0xE000u);
    for (SDL_Keycode code : {SDLK_DOWN, SDLK_UP, SDLK_LEFT, SDLK_RETURN, SDLK_ESCAPE})
        EXPECT_TRUE(key(code));
    EXPECT_EQ(menu.currentPage, MenuAction::applyDisplay);
    menu.reset();
    EXPECT_EQ(menu.currentPage, MenuPage::main);

    // A windowed mode asks for no confirmation; the desktop resolution does.
    settingsStorage().strings.clear();
    menu.goToPage(MenuPage::customResolution, 0);
    choose(MenuAction::applyDisplay);
    EXPECT_EQ(savedSetting("needConfirmGfxChange"), "(none)");
    menu.currentPage = MenuPage::video;
    menu.selected = 0;
    choose(MenuAction::desktopResolution);
    EXPECT_EQ(menu.currentPage, MenuAction::applyDisplay);
    EXPECT_EQ(savedSetting("needConfirmGfxChange"), "1");
    EXPECT_EQ(savedSetting("fullscreen"), "1");
    EXPECT_EQ(savedSetting("fullscreenAutodetect"), "0");
}

TEST_F(MenuTest, CancelForgetsWhatWasNotApplied)
{
    settingsStorage().setInt("windowW", 1600);
    menu.currentPage = MenuPage::video;
    choose(MenuPage::customResolution);
    MenuItem* width = menu.getMenuItem(MenuPage::customResolution, MenuAction::width);
    EXPECT_EQ(width->value(), "< 1600 >");
    key(SDLK_DOWN);
    key(SDLK_RIGHT);
    EXPECT_EQ(menu.windowWidth, 1680);
    choose(MenuAction::windowBorder);
    choose(MenuPage::video); // CANCEL
    EXPECT_EQ(menu.slideOffset, -500);
    choose(MenuPage::customResolution);
    EXPECT_EQ(menu.windowWidth, 1600);
    EXPECT_EQ(width->value(), "< 1600 >");
    EXPECT_TRUE(menu.windowBorder);
}

TEST_F(MenuTest, RebindingAKeyStoresItAndEscapeLeavesIt)
{
    menu.currentPage = MenuPage::keyboard;
    MenuItem* left = menu.selectedItem();
    key(SDLK_RETURN);
    EXPECT_TRUE(menu.waitingForKey);
    EXPECT_EQ(left->value(), "press a key");
    key(SDLK_RETURN, true); // still held from selecting the row
    EXPECT_TRUE(menu.waitingForKey);
    key(SDLK_j);
    EXPECT_FALSE(menu.waitingForKey);
    EXPECT_EQ(left->value(), "j");
    EXPECT_EQ(savedSetting("keyLEFT"), "j");

    key(SDLK_RETURN);
    key(SDLK_ESCAPE);
    EXPECT_FALSE(menu.waitingForKey);
    EXPECT_EQ(left->value(), "j");
    EXPECT_EQ(menu.currentPage, MenuPage::keyboard);
    EXPECT_EQ(savedSetting("keyLEFT"), "j");

    key(SDLK_DOWN);
    key(SDLK_RETURN);
    key(0x40000064); // a key without a name of its own
    EXPECT_EQ(savedSetting("keyRIGHT"), "key #1073741924");
}

TEST_F(MenuTest, VolumesStepByTwoWithinTheirRange)
{
    ASSERT_TRUE(openMixer(8));
    start(1);
    menu.currentPage = MenuPage::audio;
    EXPECT_EQ(labels(MenuPage::audio),
        (std::vector<std::string>{"MUSIC VOLUME", "SOUND EFFECTS VOLUME", back + "BACK"}));
    MenuItem* music = menu.selectedItem();
    EXPECT_EQ(music->value(), "< 100% >");
    key(SDLK_RIGHT);
    EXPECT_EQ(menu.musicVolume, 100);
    key(SDLK_LEFT);
    EXPECT_EQ(music->value(), "< 98% >");
    EXPECT_EQ(assets->musicVolume, 98);
    EXPECT_EQ(savedSetting("musicVolume2"), "98");

    key(SDLK_DOWN);
    menu.sfxVolume = 1;
    key(SDLK_LEFT);
    EXPECT_EQ(menu.sfxVolume, 0);
    EXPECT_EQ(menu.selectedItem()->value(), "< 0% >");
    EXPECT_EQ(savedSetting("sfxVolume2"), "0");
}

TEST_F(MenuTest, AudioTestReportsEachStepAndClosesTheDevice)
{
    menu.currentPage = MenuPage::audio;
    choose(MenuPage::audioTest);
    EXPECT_TRUE(menu.pages[MenuPage::audioTest].back()->isBack);
    menu.draw(*camera, 1.0f / 60);
    EXPECT_NE(menu.audioTest.report.find("Testing raw audio access..\nAudio device opened successfully!\nLoading test "
                                         "sound...\nSound file opened!\nWaiting for playback to complete..."),
        std::string::npos)
        << menu.audioTest.report;
    for (int frame = 0; frame < 600 && menu.audioTest.deviceOpen; frame++) {
        SDL_Delay(10);
        menu.draw(*camera, 0.01f);
    }
    EXPECT_FALSE(menu.audioTest.deviceOpen);
    EXPECT_NE(menu.audioTest.report.find("Closing audio device...\nAudio device closed!"), std::string::npos);
    EXPECT_EQ(logLinesContaining("Audio device closed!"), 1);
    key(SDLK_ESCAPE);
    EXPECT_EQ(menu.currentPage, MenuPage::audio);
}

// --- Pages no row leads to, opened directly ---------------------------------------

TEST_F(MenuTest, ReplayPageListsTheNewestFirstAndKeepsItsLimits)
{
    removeReplays();
    writeFileBytes(replayPath(2), "2030-01-01 10:00:00");
    writeFileBytes(replayPath(5), "2030-02-01 10:00:00");
    int openBefore = openFileCount();
    menu.updateMenu();
    EXPECT_EQ(openFileCount(), openBefore);
    EXPECT_EQ(labels(MenuPage::replays),
        (std::vector<std::string>{"Number of replays to keep", "File size limit per replay",
            "Replay: 2030-02-01 10:00:00", "Replay: 2030-01-01 10:00:00", back + "BACK"}));

    menu.goToPage(MenuPage::replays, 0);
    EXPECT_EQ(menu.selectedItem()->value(), "< 9 >"); // 0 keeps all nine
    key(SDLK_RIGHT);
    EXPECT_EQ(savedSetting("replayNumberLimit"), "9");
    key(SDLK_LEFT);
    EXPECT_EQ(menu.selectedItem()->value(), "< 8 >");
    EXPECT_EQ(savedSetting("replayNumberLimit"), "8");
    key(SDLK_DOWN);
    EXPECT_EQ(menu.selectedItem()->value(), "< 2000 MB >");
    key(SDLK_LEFT);
    EXPECT_EQ(savedSetting("replaySizeLimit"), "1000");

    // A replay row asks the main loop to play it; the row after the limits is the newest.
    key(SDLK_DOWN);
    key(SDLK_DOWN);
    EXPECT_TRUE(key(SDLK_RETURN));
    EXPECT_EQ(menu.currentPage, MenuAction::playReplay);
    EXPECT_EQ(menu.selected - Menu::firstReplayRow, 1);

    // At the next start the page shows the stored limit.
    start(0);
    EXPECT_EQ(menu.pages[MenuPage::replays][0]->value(), "< 8 >");
}

TEST_F(MenuTest, AudioDeviceRowsStepAndTakeTypedNumbersOnlyWithinTheMixersRanges)
{
    settingsStorage().setInt("audioChannels", 0); // below 1: the default, as audio set-up reads it
    settingsStorage().setInt("audioFreq", 44100);
    menu.goToPage(MenuPage::audioDevice, 0);
    EXPECT_EQ(labels(MenuPage::audioDevice), (std::vector<std::string>{"Audio channels", "Audio frequency",
                                                 "Audio buffer size", back + "APPLY", back + "CANCEL"}));
    EXPECT_EQ(values(MenuPage::audioDevice), (std::vector<std::string>{"< 32 >", "< 44100 >", "< 2048 >", "", ""}));

    for (int step = 0; step < 3; step++)
        key(SDLK_RIGHT);
    EXPECT_EQ(menu.audioChannels, 64); // no more than the game tracks

    // Row, typed text, the row's value afterwards.
    const std::tuple<int, const char*, int> typed[] = {{0, "65", 64}, {0, "0", 64}, {0, "12", 12},
        {1, "7999", 44100}, {1, "96001", 44100}, {1, "abc", 44100}, {1, "48000", 48000}, {2, "65536", 2048},
        {2, "255", 2048}, {2, "300", 300}};
    for (const auto& [row, text, expected] : typed) {
        menu.selected = row;
        key(SDLK_RETURN);
        type(text);
        key(SDLK_RETURN);
        int value[] = {menu.audioChannels, menu.audioFrequency, menu.audioBuffer};
        EXPECT_EQ(value[row], expected) << text;
        EXPECT_EQ(menu.selectedItem()->value(), std::to_string(expected));
    }
    key(SDLK_LEFT);
    EXPECT_EQ(menu.audioBuffer, 256);

    // CANCEL forgets; the page starts from the stored settings when entered again.
    choose(MenuPage::audio);
    EXPECT_EQ(menu.slideOffset, -500);
    menu.goToPage(MenuPage::audioDevice, 0);
    EXPECT_EQ(menu.audioChannels, 32);
    EXPECT_EQ(menu.audioBuffer, 2048);

    key(SDLK_LEFT);
    choose(MenuAction::applyAudio);
    EXPECT_EQ(menu.currentPage, MenuAction::applyAudio);
    for (const auto& [key, value] : std::map<std::string, std::string>{{"audioChannels", "24"},
             {"audioFreq", "44100"}, {"audioBuffer", "2048"}})
        EXPECT_EQ(savedSetting(key), value) << key;
}

TEST_F(MenuTest, StatisticsShowEachAchievementAndHowMuchWasPlayed)
{
    AchievementManager achievements;
    assets->achievements = &achievements;
    settingsStorage().setInt("gamesPlayed", 3);
    settingsStorage().setInt("secondsPlayed", 3725);
    menu.updateMenu();
    EXPECT_EQ(labels(MenuPage::statistics),
        (std::vector<std::string>{"Hacker", "Games played", "Time played", back + "BACK"}));
    EXPECT_EQ(values(MenuPage::statistics), (std::vector<std::string>{"locked", "3", "1:02:05", ""}));

    // Back from a game, the page is built again; damaged counts show as nothing played.
    achievements.unlocked[0] = 1;
    settingsStorage().setInt("gamesPlayed", -2);
    settingsStorage().setInt("secondsPlayed", -5);
    menu.updateMenu();
    EXPECT_EQ(values(MenuPage::statistics), (std::vector<std::string>{"achievement unlocked", "0", "0:00:00", ""}));
    assets->achievements = nullptr;

    const std::pair<int, const char*> times[] = {{59, "0:00:59"}, {3600, "1:00:00"}, {360000, "100:00:00"},
        {INT_MAX, "596523:14:07"}};
    for (const auto& [seconds, text] : times)
        EXPECT_EQ(playTimeText(seconds), text);
}

TEST_F(MenuTest, LanguagesWithATranslationAreListedAndChoosingOneStoresIt)
{
    struct EnglishAfterwards {
        ~EnglishAfterwards() { translator().loadTranslations(""); }
    } english;
    EXPECT_EQ(labels(MenuPage::languages), (std::vector<std::string>{"English", "German", "Polish", back + "BACK"}));
    EXPECT_EQ(menu.pages[MenuPage::languages][0]->value(), "current");

    // A player's own file counts too, in the table's order by English name.
    writeFileBytes(prefPath() + "fr.txt", "");
    start(0);
    std::remove((prefPath() + "fr.txt").c_str());
    EXPECT_EQ(labels(MenuPage::languages),
        (std::vector<std::string>{"English", "French", "German", "Polish", back + "BACK"}));
    menu.goToPage(MenuPage::languages, 0);
    menu.selected = 2;
    key(SDLK_RETURN);
    EXPECT_EQ(menu.currentPage, MenuAction::chooseLanguage);
    EXPECT_EQ(savedSetting("lang"), "de");

    // The display pass that follows builds every page in German.
    translator().loadTranslations("de");
    start(0);
    EXPECT_EQ(labels(MenuPage::main)[0], "NEUES SPIEL");
    EXPECT_EQ(menu.pages[MenuPage::languages][1]->value(), "aktuell");
    menu.goToPage(MenuPage::languages, 0);
    EXPECT_EQ(menu.selected, 1); // the page opens on the language in use
    key(SDLK_UP);
    key(SDLK_RETURN);
    EXPECT_EQ(savedSetting("lang"), "");
}
