"""A fresh start: the log's start-up lines, the default settings, the splash, frames,
and a clean shut-down on SIGTERM."""

from harness import SCREEN, Game, check, main

START_UP = [
    "Program start: argc = 1.",
    "Version = 1.1.0",
    "SDL_GetBasePath = ",
    "getUserDir = ",
    "sizeof(long) = 8",
    "Calling SteamAPI_Init()...",
    "Getting Steam user ID...",
    "STEAM API Initialized. UserID = 0",
    "Calling SDL_Init()",
    "SDL init OK",
    "SDL version compiled: 2.",
    "TTF init OK",
    "Loading settings from file:",
    "settings.storage",
    "Empty settings - setting up defaults",
    "Checking display mode",
    "DM: w = 1920, h = 1080",
    "Saving the defaults",
    "Defaults saved.",
    "Settings loaded.",
    "Preparing audio settings...",
    "Creating SDL window (1280 x 720, fsd = 1) ...",
    "SDL window = ",
    "Creating graphics renderer...",
    "Graphics renderer = ",
    "Created ACCELERATED gfx renderer",
    "Current screen resolution is 1920 x 1080",
    "Setting hints",
    "Loading splash screen",
    "Splash screen shown on screen",
    "Loading asset manager...",
    "Creating Main",
    "Starting Main menu",
    "Main start(): Camera viewport size: 1920x1080",
]

SHUT_DOWN = [
    "Destroying renderer",
    "Destroying window",
    "Closing audio",
    "Freeing joysticks START",
    "Freeing joysticks DONE",
    "Shutting down...",
    "Shutdown complete.",
]

FRESH_SETTINGS = {
    "fullscreen": "1", "fullscreenModified": "0", "keyATTACK": "a", "keyDOWN": "arrow down", "keyITEM": "b",
    "keyLEFT": "arrow left", "keyPAUSE": "escape", "keyRIGHT": "arrow right", "keyUP": "arrow up",
    "musicVolume2": "100", "sfxVolume2": "100", "showFPS2": "0", "windowBorder": "0", "windowH": "720",
    "windowW": "1280",
    # The audio set-up's two saves add these.
    "audioCrashed2": "0", "vsync": "1",
}


def expect_in_order(lines, expected):
    rest = iter(lines)  # each search goes on after the line the last one found
    for text in expected:
        check(any(text in line for line in rest), "log line %r missing or out of order" % text)


def fresh_start_and_sigterm(binary, build):
    with Game(binary, build, "startup") as game:
        game.start_menu()
        game.screenshot("menu")
        game.stop()
        lines = game.log()
        expect_in_order(lines, START_UP + SHUT_DOWN)
        check(lines[0] == "Program start: argc = 1.", "the log must begin with the start line")
        compiled = next(line for line in lines if line.startswith("SDL version compiled: "))
        check(compiled.startswith("SDL version compiled: 2.26."), compiled)
        settings = game.settings()
        check(settings["strings"] == FRESH_SETTINGS, "settings: %r" % settings["strings"])
        check(settings["order"] == sorted(FRESH_SETTINGS, key=lambda k: k.encode()), "settings key order")
        check(not settings["objects"] and not settings["list"], "no children in fresh settings")


def splash_is_shown(binary, build):
    with Game(binary, build, "splash", settings=SCREEN) as game:
        game.start()
        shot = game.still("splash", on_log="Splash screen shown on screen")
        # The yellow background around the centred maker's logo.
        check(game.pixel(shot, 20, 20) == (253, 206, 4), "splash background %r" % (game.pixel(shot, 20, 20),))
        check(game.pixel(shot, 960, 540) != (253, 206, 4), "the maker's logo is centred")
        game.stop()


if __name__ == "__main__":
    main([fresh_start_and_sigterm, splash_is_shown])
