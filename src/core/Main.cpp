#include "core/Main.h"

#include "core/Achievement.h"
#include "core/AssetManager.h"
#include "core/CachedText.h"
#include "core/CachedTextCollection.h"
#include "core/CircularLog.h"
#include "core/Contact.h"
#include "core/CrashGuard.h"
#include "core/Font.h"
#include "core/Joystick.h"
#include "core/Recorder.h"
#include "core/Texture.h"
#include "core/Trace.h"
#include "core/UserFiles.h"

#include <SDL_ttf.h>

#include <cstdio>
#include <unistd.h>

namespace {

const SDL_Color frameRateColour{222, 222, 200, 255};

// The page that greets the bit outside: beside the game when it runs from its own
// folder, else the copy shipped with the resources.
void openEndPage()
{
    TRACE();
    std::string page = dataPath("print.html");
    char folder[4096];
    if (FILE* local = std::fopen("print.html", "rb")) {
        std::fclose(local);
        if (getcwd(folder, sizeof folder))
            page = std::string(folder) + "/print.html";
    }
    openPage(fileUrl(page));
}

} // namespace

Main::Main(SDL_Renderer* renderer, int width, int height, std::map<int, Joystick*>* controllers, AssetManager* assets)
    : camera(renderer, width, height), assets(assets), renderer(renderer), controllers(controllers)
{
    TRACE();
    assets->camera = &camera;
    SDL_ShowCursor(0);
}

Main::~Main()
{
    TRACE();
    // A recording keeps what it holds; a playback lets go of its texts and textures
    // before the renderer goes.
    if (recorder().mode != Recorder::modeIdle)
        recorder().stop();
    delete errorHandler;
    delete logText;
    delete fpsText;
}

void Main::init()
{
    TRACE();
    lastTicks = SDL_GetTicks();
    assets->loadStartupFonts(&camera);
    fpsText = new CachedText(&camera, assets->getFont("small"), frameRateColour, "");
    logText = new CachedText(&camera, assets->getFont("chat"), colourWhite, "");

    LOG("Main start(): Camera viewport size: " << camera.width << "x" << camera.height);
    menu.init(camera, assets);
    menu.updateJoystickMenu(controllers);
    currentHandler = &menu;
    debugScreen.init(camera, assets);

    if (assets->soundEnabled) {
        Mix_Volume(-1, menu.sfxVolume * 128 / 100);
        assets->sfxVolume = menu.sfxVolume;
        assets->setMusicVolume(menu.musicVolume);
    }
    lastTicks = SDL_GetTicks();
}

bool Main::run(bool confirmDisplayMode)
{
    TRACE();
    crashBudget = 50;
    init();
    if (confirmDisplayMode) {
        gfxChangeScreen.init(camera, assets);
        currentHandler = &gfxChangeScreen;
    } else if (startReplay > 0) {
        playReplay(startReplay - 1);
    }
    startReplay = 0;
    while (running) {
        bool goOn = true;
        CrashGuard::run([&] { goOn = loop(); }, [&] { return writeCrashReport(); });
        if (!goOn)
            return false;
    }
    // The screen in use when the program ends loses the focus too (the game keeps its play time).
    switchEventHandler(nullptr);
    return true;
}

void Main::switchEventHandler(EventHandler* next)
{
    TRACE();
    if (currentHandler)
        currentHandler->setFocus(false);
    currentHandler = next;
    if (next)
        next->setFocus(true);
}

Joystick* Main::getStick(int instanceId)
{
    TRACE();
    auto found = controllers->find(instanceId);
    return found == controllers->end() ? nullptr : found->second;
}

void Main::showErrorMessage(const std::string& text)
{
    TRACE();
    if (!errorHandler) {
        Texture* band = assets->getTexture("flat.png");
        errorHandler = new ErrorMessageHandler(band ? band->texture : nullptr);
    }
    CachedTextCollection* texts = assets->getCachedTexts("bobi30");
    if (currentHandler != errorHandler)
        errorHandler->previous = currentHandler;
    errorHandler->text = texts ? texts->getText(text, 1900) : nullptr;
    errorHandler->done = false;
    currentHandler = errorHandler;
    errorHandler->draw(camera, 0);
    SDL_RenderPresent(renderer);
}

bool Main::handleEvent(SDL_Event& event, bool& leave)
{
    TRACE();
    bool motionOnly = false;
    switch (event.type) {
    case SDL_QUIT:
        running = false;
        break;
    case SDL_WINDOWEVENT:
        if (event.window.event == SDL_WINDOWEVENT_RESIZED || event.window.event == SDL_WINDOWEVENT_SIZE_CHANGED)
            resizeView(event.window.data1, event.window.data2);
        break;
    case SDL_KEYDOWN:
        if (event.key.keysym.sym == SDLK_F1)
            showLog = !showLog;
        leave = !currentHandler->onKeyDown(&event);
        break;
    case SDL_KEYUP:
        currentHandler->onKeyUp(&event);
        break;
    case SDL_TEXTINPUT:
        currentHandler->onTextInput(&event);
        break;
    case SDL_MOUSEMOTION:
        currentHandler->onMouseMove(&event);
        motionOnly = true;
        break;
    case SDL_MOUSEBUTTONDOWN:
        if (event.button.button == SDL_BUTTON_LEFT)
            leave = !currentHandler->onMouseDownLeft(&event);
        else if (event.button.button == SDL_BUTTON_RIGHT)
            currentHandler->onMouseDownRight(&event);
        break;
    case SDL_MOUSEBUTTONUP:
        if (event.button.button == SDL_BUTTON_LEFT)
            currentHandler->onMouseUpLeft(&event);
        break;
    case SDL_MOUSEWHEEL:
        currentHandler->onMouseWheel(&event);
        motionOnly = true;
        break;
    case SDL_JOYAXISMOTION:
        motionOnly = handleAxis(event.jaxis, leave);
        break;
    case SDL_JOYHATMOTION:
        if (Joystick* stick = getStick(event.jhat.which)) {
            if (event.jhat.hat < stick->hats.size()) {
                int& stored = stick->hats[event.jhat.hat];
                leave = !currentHandler->onJoyHat(stick, event.jhat.hat, stored, event.jhat.value);
                stored = event.jhat.value;
            }
        }
        break;
    case SDL_JOYBUTTONDOWN:
        if (Joystick* stick = getStick(event.jbutton.which))
            leave = !currentHandler->onJoyButtonDown(stick, event.jbutton.button);
        break;
    case SDL_JOYBUTTONUP:
        if (Joystick* stick = getStick(event.jbutton.which))
            leave = !currentHandler->onJoyButtonUp(stick, event.jbutton.button);
        break;
    case SDL_JOYDEVICEADDED:
        controllerAdded(event.jdevice.which);
        break;
    case SDL_JOYDEVICEREMOVED:
        controllerRemoved(event.jdevice.which);
        break;
    default:
        break;
    }
    return motionOnly;
}

namespace {

int sign(int value)
{
    TRACE();
    return (value > 0) - (value < 0);
}

} // namespace

// Axis changes are debounced: a change to the same side is delivered at the end of the
// frame's events, one that crosses or touches the centre a frame later, and a return
// to the stored level in between cancels it. Returns true: the event counts as motion.
bool Main::handleAxis(const SDL_JoyAxisEvent& event, bool& leave)
{
    TRACE();
    Joystick* stick = getStick(event.which);
    if (!stick || event.axis >= stick->axes.size())
        return false;
    int level = stick->axisPosition(event.value);
    PendingAxis* pending = nullptr;
    for (PendingAxis& entry : pendingAxes)
        if (entry.instanceId == event.which && entry.axis == event.axis)
            pending = &entry;
    if (!pending) {
        pendingAxes.push_back(PendingAxis{event.which, event.axis, 0, 2});
        pending = &pendingAxes.back();
    }
    int& stored = stick->axes[event.axis];
    if (stored == level) {
        pending->state = 2;
        return true;
    }
    if (stick->preventBounce) {
        if ((stored < 0 && level < 0) || (stored > 0 && level > 0))
            pending->state = 1;
        else if (!(pending->state == 1 && sign(pending->level) == sign(level)))
            pending->state = 0;
        pending->level = level;
        return false;
    }
    leave = !currentHandler->onJoyAxis(stick, event.axis, stored, level);
    stored = level;
    return false;
}

void Main::deliverPendingAxes(bool& leave)
{
    TRACE();
    for (PendingAxis& entry : pendingAxes) {
        if (entry.state == 0) {
            entry.state = 1;
        } else if (entry.state == 1) {
            Joystick* stick = getStick(entry.instanceId);
            if (stick && entry.axis < stick->axes.size()) {
                if (!leave)
                    leave = !currentHandler->onJoyAxis(stick, entry.axis, stick->axes[entry.axis], entry.level);
                stick->axes[entry.axis] = entry.level;
            }
            entry.state = 2;
        }
    }
}

void Main::controllerAdded(int deviceIndex)
{
    TRACE();
    LOG("JOY added. which (sdl index) = " << deviceIndex);
    auto* stick = new Joystick(deviceIndex);
    int id = stick->instanceId();
    auto found = controllers->find(id);
    if (found != controllers->end()) {
        LOG("WARNING! Joystick instance is already mapped!");
        delete found->second;
    }
    (*controllers)[id] = stick;
    menu.updateJoystickMenu(controllers);
    if (currentHandler == &game)
        game.onJoyConnected(stick, true);
}

void Main::controllerRemoved(int instanceId)
{
    TRACE();
    Joystick* stick = getStick(instanceId);
    LOG("JOY removed, which = " << instanceId << ", Joystick ptr = " << static_cast<void*>(stick));
    if (currentHandler == &game)
        game.onJoyConnected(stick, false);
    controllers->erase(instanceId);
    menu.updateJoystickMenu(controllers);
    delete stick;
}

void Main::resizeView(int width, int height)
{
    TRACE();
    // Without pixel-perfect drawing everything is drawn at 1920 x 1080 and scaled.
    if (!pixelPerfect || (width == camera.width && height == camera.height))
        return;
    camera.width = width;
    camera.height = height;
    LOG("Virtual window size set to: " << width << "x" << height);
    camera.sizeChanged = true;
    if (currentHandler == &game) {
        game.measureFont();
        if (!game.world.pauseMenuOpen)
            game.pause();
    }
}

void Main::leaveScreen()
{
    TRACE();
    if (currentHandler == &menu || currentHandler == &debugScreen) {
        running = false;
        return;
    }
    if (currentHandler == &game)
        menu.updateMenu();
    switchEventHandler(&menu);
    camera.reset();
}

// Acts on the menu's command; returns false when the frame ends here.
bool Main::handleMenuRequest()
{
    TRACE();
    switch (menu.currentPage) {
    case MenuAction::playReplay: {
        int entry = menu.selected - Menu::firstReplayRow;
        menu.currentPage = MenuPage::replays;
        playReplay(entry);
        return false;
    }
    case 10:
    case 11: {
        bool newGame = menu.currentPage == 10;
        menu.reset();
        SDL_RenderPresent(renderer);
        if (game.init(camera, assets, controllers, newGame)) {
            // Armed after the game has read its replay limits; its first input starts it.
            if (recordNextGame)
                recorder().startRecording(Recorder::timeLabel(), camera.width, camera.height);
            recordNextGame = false;
            switchEventHandler(&game);
        }
        return false;
    }
    case 41:
        if (assets->achievements)
            assets->achievements->storeAchievements();
        menu.reset();
        return true;
    default:
        return true;
    }
}

// Plays entry `entry` of the replay listing (0 the newest), or shows why it cannot.
void Main::playReplay(int entry)
{
    TRACE();
    std::string answer = replay.start(assets, camera, entry);
    if (answer == "OK") {
        SDL_RenderPresent(renderer);
        switchEventHandler(&replay);
    } else {
        showErrorMessage(answer);
    }
}

bool Main::loop()
{
    TRACE();
    SteamAPI_RunCallbacks();

    bool leave = false;
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        leave = false;
        bool motionOnly = handleEvent(event, leave);
        if (leave)
            break;
        // The menu takes one real event per frame, so a burst of key presses is
        // handled one page at a time.
        if (currentHandler == &menu && !motionOnly)
            break;
    }

    deliverPendingAxes(leave);

    if (game.world.endTimer > 2.2f) {
        openEndPage();
        running = false;
    }
    if (leave)
        leaveScreen();

    for (auto& entry : *controllers)
        entry.second->updateHapticEffects();
    camera.skipCount = 0;
    camera.update();
    float dt = float(frameMs) / 1000.0f;
    assets->updateChannelFade(dt);
    int blits = currentHandler->draw(camera, dt);

    if (currentHandler == &replay && recorder().mode != Recorder::modePlaying)
        switchEventHandler(&menu);

    if (currentHandler == &gfxChangeScreen) {
        if (gfxChangeScreen.status == 1) {
            LOG("gfxChangeScreen.status == 1, switching to menu");
            switchEventHandler(&menu);
        } else if (gfxChangeScreen.status == 2) {
            LOG("gfxChangeScreen.status == 2, returning false");
            return false;
        }
    }

    if (currentHandler == &menu) {
        int page = menu.currentPage;
        if (page == 32 || page == 24 || page == 37 || page == 54) {
            displayApplied = page == MenuAction::applyDisplay;
            menu.reset();
            return false;
        }
        if (!handleMenuRequest())
            return true;
    }

    if (currentHandler == errorHandler && errorHandler->done)
        currentHandler = errorHandler->previous;

    drawFrameRate(blits);
    drawLog();
    recorder().present(renderer);
    updateFrameStatistics(blits);
    return true;
}

void Main::drawFrameRate(int blits)
{
    TRACE();
    if (menu.showFps == 1 || (menu.showFps == 2 && fps < 50.0f))
        fpsText->draw(camera.width - fpsText->getWidth() - 10, camera.height - fpsText->getHeight() - 10);
}

void Main::drawLog()
{
    TRACE();
    if (!showLog)
        return;
    CircularLog& log = CircularLog::instance();
    if (log.dirty) {
        log.dirty = false;
        static int lineHeight = 0;
        Font* font = assets->getFont("chat");
        if (lineHeight == 0 && font && font->ttf)
            TTF_SizeText(font->ttf, "Shy", nullptr, &lineHeight);
        std::string text;
        int height = 0;
        for (int age = 0; age < log.size(); age++) {
            height += lineHeight;
            if (height > camera.height)
                break;
            text = age == 0 ? log.fromNewest(age) : log.fromNewest(age) + "\n" + text;
        }
        logText->setTextWrapped(text, 1000);
    }
    int y = logText->getHeight() > camera.height ? camera.height - logText->getHeight() : 1;
    logText->draw(1, y);
}

void Main::updateFrameStatistics(int blits)
{
    TRACE();
    Uint32 now = SDL_GetTicks();
    frameMs = now - lastTicks;
    Uint32 ticks = SDL_GetTicks();
    windowMs += ticks - lastTicks;
    windowFrames++;
    lastTicks = ticks;
    if (windowFrames > 59 && windowMs != 0) {
        fps = float(windowFrames) * 1000.0f / float(windowMs);
        if (menu.showFps == 1 || (menu.showFps == 2 && fps < 59.5f))
            fpsText->setText(std::to_string(int(fps + 0.5f)) + " fps, " + std::to_string(blits) + " blit calls");
        windowFrames = 0;
        windowMs = 0;
    }
}

bool Main::writeCrashReport()
{
    TRACE();
    if (crashBudget == 0)
        return false;
    crashBudget--;
    if (crashBudget < 49)
        return true;
    // The trace as the fault left it; this report's own entry on top of the stack is
    // not part of the crash. The walk takes a copy: logging adds calls of its own.
    const TraceBuffer trace = traceBuffer();
    char path[CrashGuard::pathSize];
    CrashGuard::crashFilePath(path, sizeof path);
    CrashGuard::writeCrashFile(path, trace, 1, nullptr);

    LOG("CRASH!!! *****************************************************");
    LOG("Stack:");
    std::string location;
    for (int age = 1; age < trace.stack.count(); age++) {
        std::string text = formatTraceEntry(trace.stack.fromNewest(age));
        if (location.empty())
            location = text;
        LOG(text);
    }
    LOG("Most recent function calls: =======================================");
    for (int age = 0; age < trace.history.count(); age++)
        LOG(formatTraceEntry(trace.history.fromNewest(age)));
    LOG("-------------------- crash dump complete ---------------------");

    std::string message = "Yikes!\n\nSomething unexpected has happened with the game, but\nwith your help, we can fix it so "
                          "it doesn't happen again.\n\nThe error happened here:\n"
        + location + "\n\n\nThe details are saved into this file:\n" + prefPath()
        + "full.log\n\n\nThe file will be overwritten the next time you launch the game, so\nplease e-mail that file now "
          "to:  "
        + supportAddress + "\n\nThank you.";
    debugScreen.message->setTextWrapped(message, 2045);
    if (!debugScreen.message->texture)
        return false;
    currentHandler = &debugScreen;
    return true;
}
