"""The menus driven with real key events: the main menu of a fresh start, settings
that are stored as they are changed, key rebinding, display-mode changes with their
confirmation, and leaving through EXIT."""

import time

from harness import SCREEN, Game, check, main

OTHER_GAMES = "https://itch.io/search?q=orvando"


def settings_pages_store_what_they_change(binary, build):
    with Game(binary, build, "menus", settings=SCREEN) as game:
        game.start_menu()
        game.screenshot("main-menu")
        # Without a saved game the fourth row is CHECK OUT MY OTHER GAMES.
        game.key("Down", "Down", "Down", "Return")
        game.wait_until(lambda: OTHER_GAMES in game.opened(), "the other games page to open")
        check(game.log().count("Game::init()") == 0, "no game was started")

        game.key("Up", "Up", "Return")  # SETTINGS
        game.key("Return")  # VIDEO
        game.key("Down", "Down", "Down", "Down", "Return")  # Show scan line
        game.wait_until(lambda: game.settings()["strings"].get("scanline") == "1", "scanline stored as 1")
        time.sleep(0.5)
        game.screenshot("video-page")

        game.key("Escape", "Down", "Down", "Return")  # back to SETTINGS, then KEYBOARD
        game.key("Return", "j")  # MOVE LEFT
        game.wait_until(lambda: game.settings()["strings"].get("keyLEFT") == "j", "keyLEFT stored as j")
        game.key("Return", "Escape")
        time.sleep(0.5)
        check(game.settings()["strings"].get("keyLEFT") == "j", "Escape while waiting keeps the binding")
        game.screenshot("keyboard-page")

        # Escape leads back to the main menu from anywhere; EXIT is its last row.
        game.key("Escape", "Escape", "Escape")
        game.exit_from_menu()
        check("Shutdown complete." in game.log(), "clean shut-down")


def custom_resolutions_rebuild_the_display(binary, build):
    with Game(binary, build, "resolution", settings=SCREEN) as game:
        game.start_menu()
        game.key("Down", "Return", "Return", "Down", "Return")  # SETTINGS, VIDEO, SET CUSTOM RESOLUTION
        # SDL makes text only from keys that arrive after the entry has started, and the
        # menu takes one key a frame: give it time to reach the entry before typing.
        game.key("Down", "Return", delay_ms=600)
        game.xdotool("type", "--delay", "60", "1360")
        game.key("Return", "Down", "Return", delay_ms=600)
        game.xdotool("type", "--delay", "60", "768")
        game.key("Return", "Down", "Down", "Return")  # APPLY
        rebuilt = game.wait_for_log("Creating SDL window (1360 x 768, fsd = 0) ...")
        settings = game.settings()["strings"]
        check(settings["windowW"] == "1360" and settings["windowH"] == "768", "size stored: %r" % settings)
        check("needConfirmGfxChange" not in settings, "a window needs no confirmation")

        # Now fullscreen at the same size, with APPLY held down through the rebuild:
        # the key's repeats must not answer the confirmation.
        game.wait_menu(rebuilt)
        game.key("Down", "Return", "Return", "Down", "Return")
        game.key("Return", "Down", "Down", "Down", "Down")  # FULLSCREEN yes, down to APPLY
        applied = len(game.log())
        game.hold("Return", 2.0)
        confirm = game.wait_for_log("Creating SDL window (1360 x 768, fsd = 0) ...", after=applied)
        # Timed from the new window: a slow machine may take a while to show the screen.
        started = time.time()
        check(game.settings()["strings"]["needConfirmGfxChange"] == "1", "confirmation asked for")
        game.wait_menu(confirm)
        game.screenshot("confirmation-fullscreen")
        game.wait_for_log("gfxChangeScreen.status == 2, returning false", timeout=40, after=confirm)
        waited = time.time() - started
        check(waited > 18, "reverted after %.1f s: a held key answered the confirmation" % waited)
        game.wait_for_log("Creating SDL window (1280 x 800, fsd = 0) ...", after=confirm)
        settings = game.settings()["strings"]
        expected = {"windowW": "1280", "windowH": "800", "windowBorder": "1", "fullscreen": "0",
                    "fullscreenModified": "0", "fullscreenAutodetect": "0", "needConfirmGfxChange": "0"}
        check(all(settings.get(k) == v for k, v in expected.items()), "reverted settings: %r" % settings)
        game.stop()


def confirmation_accepts_with_a(binary, build):
    with Game(binary, build, "confirm", settings=dict(SCREEN, needConfirmGfxChange="1")) as game:
        game.start_menu()
        game.screenshot("confirmation")
        game.key("a")
        game.wait_for_log("gfxChangeScreen.status == 1, switching to menu")
        stored = game.settings()["strings"]
        check(stored["needConfirmGfxChange"] == "0" and stored["windowW"] == "1920", "accepted: %r" % stored)
        game.stop()


if __name__ == "__main__":
    main([settings_pages_store_what_they_change, custom_resolutions_rebuild_the_display, confirmation_accepts_with_a])
