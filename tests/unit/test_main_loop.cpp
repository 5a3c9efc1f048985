#include "Faults.h"
#include "SdlFixture.h"
#include "TestSupport.h"
#include "VirtualPad.h"
#include "core/AssetManager.h"
#include "core/CachedText.h"
#include "core/CircularLog.h"
#include "core/CrashGuard.h"
#include "core/Joystick.h"
#include "core/Main.h"
#include "core/Recorder.h"
#include "core/Trace.h"
#include "core/UserFiles.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <sys/stat.h>

namespace {

// A screen that counts what reaches it, and faults in draw when asked.
class ProbeScreen : public EventHandler {
public:
    int focusGained = 0, focusLost = 0, keys = 0, axes = 0, lastAxisLevel = 99;
    bool fault = false;
    bool leaveOnKey = false;

    void setFocus(bool gained) override { (gained ? focusGained : focusLost)++; }
    int draw(Camera& camera, float dt) override
    {
        TRACE();
        if (fault)
            writeToProtectedPage();
        return 0;
    }
    bool onKeyDown(SDL_Event* event) override
    {
        keys++;
        return !leaveOnKey;
    }
    bool onJoyAxis(Joystick* stick, Uint8 axis, int previousLevel, int level) override
    {
        axes++;
        lastAxisLevel = level;
        return true;
    }
};

// SDL ends a poll at a marker it leaves in the queue; a batch of test input starts
// from an empty queue so that it is handled in the frame the test expects.
void startInput()
{
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
}

void pushKey(SDL_Keycode key)
{
    SDL_Event event = keyDown(key);
    SDL_PushEvent(&event);
}

void pushAxis(SDL_JoystickID which, Uint8 axis, Sint16 value)
{
    SDL_Event event = {};
    event.type = SDL_JOYAXISMOTION;
    event.jaxis.which = which;
    event.jaxis.axis = axis;
    event.jaxis.value = value;
    SDL_PushEvent(&event);
}

class MainLoop : public SdlTest {
protected:
    void SetUp() override
    {
        SdlTest::SetUp();
        ASSERT_TRUE(startControllers());
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
        assets = std::make_unique<AssetManager>(renderer, 0);
        // Crash reports are named by the second: one left by an earlier test may share the name.
        for (const std::string& file : crashFiles())
            std::remove(file.c_str());
        main = std::make_unique<Main>(renderer, screenWidth, screenHeight, &controllers, assets.get());
        main->init();
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
        CrashGuard::install();
        for (const std::string& file : crashFiles())
            std::remove(file.c_str());
    }
    void TearDown() override
    {
        main.reset();
        assets.reset();
        for (auto& entry : controllers)
            delete entry.second;
        stopControllers();
        SdlTest::TearDown();
    }

    // One guarded frame, as the display pass runs it; false when a fault abandoned it
    // or the frame asks for the display to be rebuilt.
    bool frame()
    {
        bool goOn = false;
        bool whole = CrashGuard::run([&] { goOn = main->loop(); }, [&] { return main->writeCrashReport(); });
        return whole && goOn;
    }

    Joystick* attachController(bool preventBounce)
    {
        auto* stick = new Joystick(attachVirtualPad(0x1234, 0x5678, "Test pad"));
        stick->preventBounce = preventBounce;
        controllers[stick->instanceId()] = stick;
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
        return stick;
    }

    std::map<int, Joystick*> controllers;
    std::unique_ptr<Main> main;
    ProbeScreen probe;
};

} // namespace

TEST_F(MainLoop, MenuTakesOneKeyPerFrameOtherScreensTakeAll)
{
    pushKey(SDLK_F2);
    pushKey(SDLK_F3);
    frame();
    EXPECT_EQ(SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_KEYDOWN, SDL_KEYDOWN), 1);
    frame();
    EXPECT_EQ(SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_KEYDOWN, SDL_KEYDOWN), 0);

    main->switchEventHandler(&probe);
    startInput();
    pushKey(SDLK_F2);
    pushKey(SDLK_F3);
    frame();
    EXPECT_EQ(probe.keys, 2);
}

TEST_F(MainLoop, F1TogglesTheLogAndStillReachesTheScreen)
{
    main->switchEventHandler(&probe);
    pushKey(SDLK_F1);
    frame();
    EXPECT_TRUE(main->showLog);
    EXPECT_EQ(probe.keys, 1);
    EXPECT_GT(main->logText->getHeight(), 0);
    startInput();
    pushKey(SDLK_F1);
    frame();
    EXPECT_FALSE(main->showLog);
}

TEST_F(MainLoop, LeavingAScreenReturnsToTheMenuAndLeavingTheMenuQuits)
{
    // Switching screens tells both, even when it is the same screen again.
    main->switchEventHandler(&probe);
    main->switchEventHandler(&probe);
    EXPECT_EQ(probe.focusLost, 1);
    EXPECT_EQ(probe.focusGained, 2);
    EXPECT_EQ(main->getStick(12345), nullptr);

    probe.leaveOnKey = true;
    pushKey(SDLK_x);
    frame();
    EXPECT_EQ(main->currentHandler, &main->menu);
    EXPECT_TRUE(main->running);

    startInput();
    SDL_Event quit = {};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);
    frame();
    EXPECT_FALSE(main->running);
}

TEST_F(MainLoop, AppliedDisplayAudioAndLanguageRebuildTheDisplay)
{
    for (int request : {MenuAction::applyDisplay, MenuAction::applyAudio, MenuAction::chooseLanguage}) {
        main->menu.currentPage = request;
        EXPECT_FALSE(frame()) << request;
        EXPECT_EQ(main->menu.currentPage, MenuPage::main);
        EXPECT_EQ(main->displayApplied, request == MenuAction::applyDisplay) << request;
    }
}

TEST_F(MainLoop, SecondErrorMessageKeepsTheFirstScreenToReturnTo)
{
    main->switchEventHandler(&probe);
    main->showErrorMessage("first");
    main->showErrorMessage("second");
    ASSERT_EQ(main->currentHandler, main->errorHandler);
    EXPECT_EQ(main->errorHandler->previous, &probe);
    EXPECT_EQ(main->errorHandler->text->text, "second");

    Joystick* stick = attachController(false);
    pushAxis(stick->instanceId(), 0, 30000);
    frame();
    EXPECT_EQ(main->currentHandler, &probe);
}

TEST_F(MainLoop, AxisChangesAreDebouncedOnControllersThatAskForIt)
{
    main->switchEventHandler(&probe);
    Joystick* plain = attachController(false);
    pushAxis(plain->instanceId(), 0, 12000);
    frame();
    EXPECT_EQ(probe.axes, 1); // delivered at once

    Joystick* careful = attachController(true);
    pushAxis(careful->instanceId(), 0, 12000); // 0 -> 1 touches the centre: one frame later
    frame();
    EXPECT_EQ(probe.axes, 1);
    frame();
    EXPECT_EQ(probe.axes, 2);
    EXPECT_EQ(probe.lastAxisLevel, 1);

    pushAxis(careful->instanceId(), 0, 20000); // 1 -> 2 -> 1 within a frame: nothing
    pushAxis(careful->instanceId(), 0, 12000);
    frame();
    frame();
    EXPECT_EQ(probe.axes, 2);
}

TEST_F(MainLoop, AControllerMappedTwiceReplacesTheFirst)
{
    startInput();
    attachVirtualPad(0x1234, 0x5678, "Test pad"); // queues a device-added event
    frame();
    ASSERT_EQ(controllers.size(), 1u);
    startInput();
    SDL_Event again = {};
    again.type = SDL_JOYDEVICEADDED;
    again.jdevice.which = 0;
    SDL_PushEvent(&again);
    frame();
    EXPECT_EQ(controllers.size(), 1u);
    EXPECT_EQ(logLinesContaining("WARNING! Joystick instance is already mapped!"), 1);
}

// An Xbox pad as Linux and SDL's mapping database present it, through real device events.
TEST_F(MainLoop, AnXboxPadWorksOutOfTheBoxUntilItIsUnplugged)
{
    SDL_Joystick* device = nullptr;
    // The menu takes one event a frame: run frames until every event is taken.
    auto settle = [&] {
        for (int i = 0; i < 20; i++) {
            frame();
            if (SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT) == 0)
                return;
        }
    };
    auto plug = [&] {
        int index = attachLinuxPad(0x045e, 0x028e, 0x0114, "Xbox pad");
        settle();
        device = controllers.empty() ? nullptr : controllers.begin()->second->joystick;
        return index;
    };
    auto press = [&](int button) {
        SDL_JoystickSetVirtualButton(device, button, SDL_PRESSED);
        settle();
        SDL_JoystickSetVirtualButton(device, button, SDL_RELEASED);
        settle();
    };
    auto dpad = [&](Uint8 value) {
        SDL_JoystickSetVirtualHat(device, 0, value);
        settle();
    };

    // The d-pad steps through the menu without vibrating; the south button chooses and
    // rumbles once, at strength 50, for 200 ms.
    virtualRumbles().clear();
    int index = plug();
    ASSERT_NE(device, nullptr);
    dpad(SDL_HAT_DOWN);
    dpad(SDL_HAT_CENTERED);
    EXPECT_EQ(main->menu.selected, 1);
    EXPECT_TRUE(virtualRumbles().empty());
    Uint32 chosen = SDL_GetTicks();
    press(0);
    EXPECT_EQ(main->menu.currentPage, MenuPage::settings);
    while (virtualRumbles().size() < 2 && SDL_GetTicks() - chosen < 2000) {
        SDL_Delay(5);
        SDL_JoystickUpdate();
    }
    EXPECT_EQ(virtualRumbles(), (std::vector<std::pair<Uint16, Uint16>>{{13104, 8190}, {0, 0}}));
    EXPECT_GE(SDL_GetTicks() - chosen, 200u);

    // Unplugged while its page is shown: back to the list, which is built anew without it.
    main->menu.goToPage(MenuPage::firstControllerModel, 3);
    SDL_JoystickDetachVirtual(index);
    settle();
    EXPECT_TRUE(controllers.empty());
    EXPECT_EQ(main->menu.currentPage, MenuPage::controllers);
    EXPECT_EQ(main->menu.pages[MenuPage::controllers].size(), 1u);
    EXPECT_EQ(main->menu.pages.count(MenuPage::firstControllerModel), 0u);

    // Plugged in again it starts a game, skips the story with START and walks with the d-pad.
    index = plug();
    main->menu.reset();
    press(0);
    ASSERT_EQ(main->currentHandler, &main->game);
    press(7);
    World& world = main->game.world;
    dpad(SDL_HAT_RIGHT);
    EXPECT_EQ(world.dirX, 1);

    // Unplugged while walking, with a stick push still waiting to be delivered: the bit
    // stops, the game pauses, and nothing touches the controller that is gone.
    SDL_JoystickSetVirtualAxis(device, 1, 30000);
    frame();
    SDL_JoystickDetachVirtual(index);
    frame();
    frame();
    EXPECT_TRUE(controllers.empty());
    EXPECT_EQ(world.dirX, 0);
    EXPECT_EQ(world.dirY, 0);
    EXPECT_TRUE(world.pauseMenuOpen);
}

TEST_F(MainLoop, FirstFaultWritesTheReportAndShowsTheCrashScreen)
{
    // The log file is not open here: the report must not need it.
    ASSERT_EQ(CircularLog::instance().file, nullptr);
    clearLogRing();
    main->switchEventHandler(&probe);
    probe.fault = true;
    EXPECT_FALSE(frame());
    ASSERT_EQ(main->currentHandler, &main->debugScreen);
    std::vector<std::string> files = crashFiles();
    ASSERT_EQ(files.size(), 1u);
    std::string report = readFileBytes(files[0]);
    EXPECT_EQ(report.rfind("Game version 1.1.0\nStack:\n", 0), 0u);
    std::string firstEntry = report.substr(26, report.find('\n', 26) - 26);
    EXPECT_NE(firstEntry.find("ProbeScreen::draw"), std::string::npos) << report;
    EXPECT_EQ(firstEntry.rfind("tests/unit/test_main_loop.cpp:", 0), 0u) << firstEntry;
    EXPECT_NE(report.find("---- recent function calls -----\n"), std::string::npos);
    EXPECT_NE(main->debugScreen.message->text.find("The error happened here:\n" + firstEntry), std::string::npos);
    EXPECT_EQ(logLinesContaining("-------------------- crash dump complete"), 1);

    // The crash screen ignores input at first; later any key shows the folder and quits.
    startInput();
    pushKey(SDLK_SPACE);
    frame();
    EXPECT_TRUE(main->running);
    main->debugScreen.countdown = 0;
    std::string browser = testUserRoot() + "/bin";
    mkdir(browser.c_str(), 0755);
    writeFileBytes(browser + "/xdg-open", "#!/bin/sh\necho \"$1\" > \"$(dirname \"$0\")/opened\"\n");
    chmod((browser + "/xdg-open").c_str(), 0755);
    ScopedEnvironment path("PATH", browser + ":" + std::getenv("PATH"));
    startInput();
    pushKey(SDLK_SPACE);
    frame();
    EXPECT_FALSE(main->running);
    // The opener runs on its own: give it a moment to write what it was asked to open.
    for (int wait = 0; wait < 100 && readFileBytes(browser + "/opened").empty(); wait++)
        SDL_Delay(20);
    EXPECT_EQ(readFileBytes(browser + "/opened"), fileUrl(prefPath()) + "\n");
}

TEST_F(MainLoop, OnlyTheFirstFaultIsReportedAndTheFiftyFirstEndsTheProcess)
{
    clearLogRing();
    main->switchEventHandler(&probe);
    probe.fault = true;
    EXPECT_FALSE(frame());
    ASSERT_EQ(main->currentHandler, &main->debugScreen);
    // From now on the crash screen itself faults as it draws.
    CachedText* message = main->debugScreen.message;
    main->debugScreen.message = static_cast<CachedText*>(protectedPage());
    for (int fault = 2; fault <= 50; fault++) {
        EXPECT_FALSE(frame()) << "fault " << fault << " abandons its frame";
        ASSERT_EQ(main->currentHandler, &main->debugScreen) << "fault " << fault << " must be skipped silently";
    }
    EXPECT_EQ(crashFiles().size(), 1u);
    EXPECT_EQ(logLinesContaining("-------------------- crash dump complete"), 1);
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(frame(), testing::KilledBySignal(SIGSEGV), "") << "the 51st fault";
    main->debugScreen.message = message;
}

TEST_F(MainLoop, AFaultWhileTheCrashScreenIsPreparedEndsTheProcessAfterTheReport)
{
    main->switchEventHandler(&probe);
    probe.fault = true;
    CachedText* message = main->debugScreen.message;
    main->debugScreen.message = static_cast<CachedText*>(protectedPage());
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(frame(), testing::KilledBySignal(SIGSEGV), "");
    main->debugScreen.message = message;

    std::string reports = crashReports();
    // The frame's report, then the second fault's, which names where the report broke.
    EXPECT_NE(reports.find("Game version 1.1.0\nStack:\ntests/unit/test_main_loop.cpp:"), std::string::npos) << reports;
    size_t second = reports.find("Fault outside the game's frames: signal 11\nStack:\n");
    ASSERT_NE(second, std::string::npos) << reports;
    EXPECT_NE(reports.find("Main::writeCrashReport", second), std::string::npos) << reports;
}

TEST_F(MainLoop, TheFirstGameIsRecordedAndAChosenReplayPlaysBeforeTheMenuReturns)
{
    removeReplays();
    main->recordNextGame = true;
    main->menu.currentPage = MenuAction::newGame;
    frame();
    ASSERT_EQ(main->currentHandler, &main->game);
    EXPECT_EQ(recorder().mode, Recorder::modeArmed);
    EXPECT_FALSE(main->recordNextGame);
    pushKey(SDLK_ESCAPE); // the first input of the game
    frame();
    EXPECT_EQ(recorder().mode, Recorder::modeRecording);
    frame();
    main->game.exitGame();
    EXPECT_EQ(recorder().mode, Recorder::modeIdle);
    std::string recorded = readFileBytes(replayPath(1));
    ASSERT_GT(recorded.size(), 25u);

    // The replay page's rows after the limits play the newest first.
    writeFileBytes(replayPath(2), "0000-00-00 00:00:00" + recorded.substr(19));
    main->switchEventHandler(&main->menu);
    main->menu.updateMenu();
    main->menu.goToPage(MenuPage::replays, 0);
    main->menu.selected = Menu::firstReplayRow + 1;
    main->menu.currentPage = MenuAction::playReplay;
    frame();
    ASSERT_EQ(main->currentHandler, &main->replay);
    EXPECT_EQ(recorder().fileName, replayPath(2));
    for (int i = 0; i < 20 && main->currentHandler == &main->replay; i++)
        frame();
    EXPECT_EQ(main->currentHandler, &main->menu);
    EXPECT_EQ(main->menu.currentPage, MenuPage::replays);
}
