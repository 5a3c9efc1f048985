// Program entry: brings up the log, the store platform, SDL and SDL_ttf, then runs
// display passes (settings, audio, window, renderer, splash, assets, screens) until
// the player quits; a display-mode change ends a pass and starts the next.

#include "core/Achievement.h"
#include "core/AssetManager.h"
#include "core/AudioSetup.h"
#include "core/CircularLog.h"
#include "core/CommandLine.h"
#include "core/ControllerLayout.h"
#include "core/CrashGuard.h"
#include "core/Joystick.h"
#include "core/Main.h"
#include "core/Settings.h"
#include "core/SteamApi.h"
#include "core/Texture.h"
#include "core/Trace.h"
#include "core/Translator.h"
#include "core/UserFiles.h"
#include "core/WindowChoice.h"

#ifdef VANTREL_FAULT_KEY
#include "Faults.h"
#endif
#ifdef VANTREL_TEST_PAD
#include "VirtualPad.h"
#endif

#include <SDL.h>
#include <SDL_mixer.h>
#include <SDL_ttf.h>

#include <iostream>
#include <map>
#include <string>

namespace {

SDL_Window* createWindow(const WindowChoice& choice, int& width, int& height)
{
    TRACE();
    Uint32 flags = choice.windowFlags;
    if (choice.kind == WindowKind::DesktopFullscreen)
        flags = SDL_WINDOW_FULLSCREEN_DESKTOP;
    else if (choice.kind == WindowKind::ExclusiveFullscreen)
        flags = SDL_WINDOW_FULLSCREEN;
    width = choice.width;
    height = choice.height;
    LOG("Creating SDL window (" << width << " x " << height << ", fsd = "
                                << (choice.kind == WindowKind::DesktopFullscreen ? 1 : 0) << ") ...");
    SDL_Window* window = SDL_CreateWindow("Vantrel", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height, flags);
    LOG("SDL window = " << window);
    if (window)
        return window;

    LOG("ERROR: failed to create SDL Window: " << SDL_GetError());
    LOG("Trying standard desktop fullscreen instead...");
    width = 1280;
    height = 720;
    window = SDL_CreateWindow("Vantrel", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height,
                              SDL_WINDOW_FULLSCREEN_DESKTOP | SDL_WINDOW_BORDERLESS);
    LOG("SDL window2 = " << window);
    if (window)
        return window;

    LOG("ERROR: failed to create SDL Window2: " << SDL_GetError());
    window = SDL_CreateWindow("Vantrel", SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED, width, height, 0);
    LOG("SDL window3 = " << window);
    return window;
}

// The game runs only with an accelerated renderer that presents in step with the
// display: that is what paces its frames. Anything else is diagnosed and refused.
SDL_Renderer* createRenderer(SDL_Window* window)
{
    TRACE();
    LOG("Creating graphics renderer...");
    SDL_Renderer* renderer = SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED | SDL_RENDERER_PRESENTVSYNC);
    LOG("Graphics renderer = " << renderer);
    if (renderer) {
        LOG("Created ACCELERATED gfx renderer");
        return renderer;
    }
    LOG("ERROR: Create ACCELERATED gfx renderer failed: " << SDL_GetError());
    SDL_Renderer* diagnosis = SDL_CreateRenderer(window, -1, SDL_RENDERER_ACCELERATED);
    if (diagnosis) {
        LOG("Created gfx renderer WITHOUT VSYNC!");
    } else if ((diagnosis = SDL_CreateRenderer(window, -1, 0))) {
        LOG("Created ANY gfx renderer");
    } else {
        LOG("ERROR: Create ANY renderer failed: " << SDL_GetError());
        diagnosis = SDL_CreateRenderer(window, -1, SDL_RENDERER_SOFTWARE);
        if (diagnosis) {
            LOG("Created SOFTWARE gfx renderer");
        } else {
            LOG("ERROR: Create SOFTWARE renderer failed: " << SDL_GetError());
            SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "SDL Error", SDL_GetError(), window);
        }
    }
    if (diagnosis)
        SDL_DestroyRenderer(diagnosis);
    return nullptr;
}

void showSplash(SDL_Renderer* renderer, int width, int height)
{
    TRACE();
    LOG("Loading splash screen");
    Texture splash("orvando.png", renderer);
    SDL_SetRenderDrawColor(renderer, 253, 206, 4, 255);
    SDL_RenderClear(renderer);
    if (splash.texture) {
        SDL_Rect where{(width - 300) / 2, (height - 214) / 2, 300, 214};
        SDL_RenderCopy(renderer, splash.texture, nullptr, &where);
    }
    SDL_RenderPresent(renderer);
    LOG("Splash screen shown on screen");
}

std::string versionText(const SDL_version& version)
{
    TRACE();
    return std::to_string(version.major) + "." + std::to_string(version.minor) + "." + std::to_string(version.patch);
}

// One display pass; returns 1 on a fatal failure, else 0 with `quit` telling whether
// the player quit (true) or the display is to be rebuilt (false).
int runDisplayPass(AchievementManager& achievements, std::map<int, Joystick*>& controllers, int& channels, bool& quit,
    CommandLineOptions& options)
{
    TRACE();
    Storage& settings = loadAndSetupSettings();
    achievements.loadWords(false);
    bool confirm = settings.getInt("needConfirmGfxChange", 0) != 0;
    int musicVolume = setupAudio(settings, channels);

    SDL_DisplayMode desktop;
    bool desktopKnown = SDL_GetDesktopDisplayMode(0, &desktop) == 0;
    WindowChoice choice = chooseWindow(settings, desktopKnown ? &desktop : nullptr, options.windowed);
    int width, height;
    SDL_Window* window = createWindow(choice, width, height);
    if (!window) {
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "SDL Error", "Cannot create graphics window", nullptr);
        return 1;
    }
    SDL_Renderer* renderer = createRenderer(window);
    if (!renderer) {
        SDL_DestroyWindow(window);
        return 1;
    }
    Uint32 windowFlags = SDL_GetWindowFlags(window);
    if (windowFlags & (SDL_WINDOW_FULLSCREEN | SDL_WINDOW_FULLSCREEN_DESKTOP)) {
        SDL_DisplayMode current;
        if (SDL_GetCurrentDisplayMode(0, &current) == 0)
            LOG("Current screen resolution is " << current.w << " x " << current.h);
    }

    // A desktop-fullscreen window takes the desktop's size whatever size it was asked
    // for: draw at the size the renderer really has.
    int outputWidth, outputHeight;
    if (SDL_GetRendererOutputSize(renderer, &outputWidth, &outputHeight) == 0 && outputWidth > 0 && outputHeight > 0) {
        width = outputWidth;
        height = outputHeight;
    }
    bool pixelPerfect = settings.getInt("pixelPerfect", 1) != 0;
    if (!pixelPerfect) {
        LOG("INFO: Pixel-perfect graphics is OFF. Using 1920x1080 to draw and scale to screen resolution.");
        SDL_RenderSetScale(renderer, float(width) / 1920.0f, float(height) / 1080.0f);
        SDL_RenderSetLogicalSize(renderer, 1920, 1080);
        width = 1920;
        height = 1080;
    }

    LOG("Setting hints");
    SDL_SetHint("SDL_RENDER_SCALE_QUALITY", "linear");
    SDL_SetHint("SDL_TIMER_RESOLUTION", "1");
    if (SDL_IsTextInputActive()) {
        LOG("Stopping SDL2 text input events on startup.");
        SDL_StopTextInput();
    }
    showSplash(renderer, width, height);
    if (settings.getInt("aa", 1) == 0)
        SDL_SetHint("SDL_RENDER_SCALE_QUALITY", "nearest");

    LOG("Loading asset manager...");
    auto* assets = new AssetManager(renderer, channels != 0);
    assets->musicVolume = musicVolume;
    assets->achievements = &achievements;
    translator().loadTranslations(settings.getString("lang", ""));
    achievements.translateTexts();
    assets->fadeInMusic(0, 1000, 0);

    LOG("Creating Main");
    auto* main = new Main(renderer, width, height, &controllers, assets);
    main->pixelPerfect = pixelPerfect;
    // What the command line asked for is done once, in whichever pass gets to it.
    main->recordNextGame = options.record;
    main->startReplay = options.replay;
    LOG("Starting Main menu");
    quit = main->run(confirm);
    options.record = main->recordNextGame;
    options.replay = 0;
    // A display mode chosen in the menu is what the player wants now, not the window.
    if (main->displayApplied)
        options.windowed = false;
    delete main;

    delete assets;
    LOG("Destroying renderer");
    SDL_DestroyRenderer(renderer);
    LOG("Destroying window");
    SDL_DestroyWindow(window);
    LOG("Closing audio");
    Mix_CloseAudio();
    return 0;
}

#ifdef VANTREL_FAULT_KEY
// Test build only: Ctrl+F12 writes where no program may write, inside a frame (event
// watchers run while the main loop polls), to show the crash report at work.
int faultOnKey(void*, SDL_Event* event)
{
    TRACE();
    if (event->type == SDL_KEYDOWN && event->key.keysym.sym == SDLK_F12 && (event->key.keysym.mod & KMOD_CTRL))
        writeToProtectedPage();
    return 1;
}
#endif

} // namespace

int main(int argc, char** argv)
{
    TRACE();
    CommandLineOptions options;
    int exitCode = parseCommandLine(argc, argv, options, std::cout);
    if (exitCode >= 0)
        return exitCode;
    SDL_SetHint("SDL_WINDOWS_DISABLE_THREAD_NAMING", "1");
    CircularLog::instance().open(prefPath() + "full.log");
    // From here on a fault leaves a crash file, even before the frames run.
    CrashGuard::install();
    LOG("Program start: argc = " << argc << ".");
    LOG("Version = " << VANTREL_VERSION_MAJOR << "." << VANTREL_VERSION_MINOR << "." << VANTREL_VERSION_PATCH);
    {
        char* base = SDL_GetBasePath();
        LOG("SDL_GetBasePath = " << (base ? base : ""));
        SDL_free(base);
    }
    LOG("getUserDir = " << prefPath());
    LOG("sizeof(long) = " << sizeof(long));

    auto* achievements = new AchievementManager();
    LOG("Calling SteamAPI_Init()...");
    SteamAPI_Init();
    LOG("Getting Steam user ID...");
    uint64 userId = SteamUser()->GetSteamID().ConvertToUint64();
    LOG("STEAM API Initialized. UserID = " << userId);
    achievements->setUser(std::to_string(userId));

    LOG("Calling SDL_Init()");
    readFaceButtonsByPosition();
    if (SDL_Init(SDL_INIT_TIMER | SDL_INIT_AUDIO | SDL_INIT_VIDEO | SDL_INIT_JOYSTICK | SDL_INIT_GAMECONTROLLER
                 | SDL_INIT_EVENTS)
        != 0) {
        LOG("Unable to Init SDL: " << SDL_GetError());
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "Cannot init SDL", SDL_GetError(), nullptr);
        return 1;
    }
    LOG("SDL init OK");
    // Controllers vibrate through the haptic subsystem; without it they can still rumble.
    if (SDL_InitSubSystem(SDL_INIT_HAPTIC) != 0)
        LOG("WARNING: Unable to init SDL haptic: " << SDL_GetError());
    SDL_version compiled, linked;
    SDL_VERSION(&compiled);
    SDL_GetVersion(&linked);
    LOG("SDL version compiled: " << versionText(compiled) << ", linked: " << versionText(linked));
    if (TTF_Init() != 0) {
        LOG("Unable to Init TTF: " << SDL_GetError());
        SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, "Cannot init TTF", SDL_GetError(), nullptr);
        return 1;
    }
    LOG("TTF init OK");
    // Before the first pass, so that everything comes up in the language asked for.
    if (options.languageGiven)
        storeLanguage(options.language);

#ifdef VANTREL_FAULT_KEY
    SDL_AddEventWatch(faultOnKey, nullptr);
#endif
#ifdef VANTREL_TEST_PAD
    attachPadFromEnvironment();
#endif
    std::map<int, Joystick*> controllers;
    int channels = 0;
    bool quit = false;
    while (!quit) {
        if (runDisplayPass(*achievements, controllers, channels, quit, options) != 0)
            return 1;
    }

    LOG("Freeing joysticks START");
    for (auto& entry : controllers)
        delete entry.second;
    controllers.clear();
    LOG("Freeing joysticks DONE");
    SteamAPI_Shutdown();
    LOG("Shutting down...");
    TTF_Quit();
    Mix_Quit();
    SDL_Quit();
    LOG("Shutdown complete.");
    delete achievements;
    return 0;
}
