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
#include "core/Trace.h"
#include "core/UserFiles.h"

#include <gtest/gtest.h>

#include <csignal>
#include <cstdio>
#include <filesystem>
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

std::vector<std::string> crashFiles()
{
    std::vector<std::string> found;
    for (const auto& entry : std::filesystem::directory_iterator(prefPath()))
        if (entry.path().filename().string().rfind("crash-", 0) == 0)
            found.push_back(entry.path().string());
    return found;
}

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
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0);
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
        assets = std::make_unique<AssetManager>(renderer, 0);
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
        detachVirtualPads();
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
        SdlTest::TearDown();
    }

    // One guarded frame, as the display pass runs it; false when a fault abandoned it.
    bool frame()
    {
        return CrashGuard::run([&] { main->loop(); }, [&] { return main->writeCrashReport(); });
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

    std::string reports;
    for (const std::string& file : crashFiles())
        reports += readFileBytes(file);
    // The frame's report, then the second fault's, which names where the report broke.
    EXPECT_NE(reports.find("Game version 1.1.0\nStack:\ntests/unit/test_main_loop.cpp:"), std::string::npos) << reports;
    size_t second = reports.find("Fault outside the game's frames: signal 11\nStack:\n");
    ASSERT_NE(second, std::string::npos) << reports;
    EXPECT_NE(reports.find("Main::writeCrashReport", second), std::string::npos) << reports;
}
