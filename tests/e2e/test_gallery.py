"""The screenshot gallery (docs/gallery.md): the menu over the title wall, the credits,
the whole story of a new game up to the game screen, a minute of play, the game in
German and Polish, and the controller pages with pads plugged in; written to
build/e2e-artifacts as gallery-*.png. Throughout, the log must not report a missing
picture, sound, font or text collection."""

import contextlib
import time

from harness import SCREEN, Game, check, faulty, main

MISSING = ["ERROR: Cannot load image", "ERROR: cannot load image", "ERROR: Cannot load sound",
           "ERROR: Cannot find texture", "Cannot find font", "Cannot find cachedText"]

# Seconds from "Game::init()" to moments of the story. The wall scrolls from 195 pixels
# and wraps at 492 (at zoom 0.7, 120 pixels a second): at 2.5 s and 6.6 s; the zoom-in
# starts at the first wrap after 4.1 s and takes 7 s, so it completes at 13.5 s. The
# burst plays from 9 s after that for half a second, brightest in its first tenth; the
# wipe from 27 s for two.
ZOOMED = 13.5
STORY = [(3.3, "story-text"), (10.0, "story-zoom"), (ZOOMED + 9.1, "story-explosion"), (ZOOMED + 28.0, "story-wipe")]


def check_nothing_missing(game):
    missing = [line for line in game.log() if any(text in line for text in MISSING)]
    check(not missing, "missing assets logged: %r" % missing[:5])


def play_for(game, seconds):
    """Walks about near the start: held arrows, bumps into walls, the page flip and the hints."""
    moves = [("Right", 1.5), ("Down", 1.0), ("Left", 2.0), ("Up", 1.5), ("Right", 0.8), ("Up", 0.6),
             ("Down", 1.2), ("Left", 0.8)]
    started = time.time()
    turn = 0
    while time.time() - started < seconds:
        direction, held = moves[turn % len(moves)]
        game.hold(direction, held)
        if turn % 3 == 0:
            game.key("a")  # page flip: refused where there is nothing to flip to
        if turn % 4 == 1:
            game.hold("b", 0.6)
        turn += 1
        check(game.process.poll() is None, "the game is still running")


@contextlib.contextmanager
def gallery_game(binary, build, language="", env=None):
    """The game at its main menu, in a language; when it is done with, its log must report
    nothing missing and a translation that reads cleanly."""
    with Game(binary, build, "gallery", settings=dict(SCREEN, lang=language), env=env) as game:
        game.start_menu()
        yield game
        check(not game.logged("TRANSLATION FILE ERROR"), "the translation reads cleanly")
        check_nothing_missing(game)
        game.stop()


def story_and_play(binary, build):
    with gallery_game(binary, build) as game:
        game.screenshot("menu")
        game.key("Down", "Down", "Return")  # CREDITS
        time.sleep(0.8)  # the page has slid in
        game.screenshot("credits")
        game.key("Escape")
        time.sleep(0.8)

        game.first_row()  # PLAY NEW GAME
        started = time.time()
        for moment, label in STORY:
            time.sleep(max(0.0, started + moment - time.time()))
            game.still(label)
        game.wait_for_log("Game::loadLevel()", timeout=20)
        time.sleep(2.5)  # the screen is uncovered
        game.screenshot("game")
        check_nothing_missing(game)
        play_for(game, 60)
        game.screenshot("played")


def german_and_polish(binary, build):
    with gallery_game(binary, build, "de") as game:
        game.screenshot("de-menu")
        game.first_row()
        game.skip_story()
        game.screenshot("de-game")
        game.key("Escape")
        time.sleep(0.4)
        game.screenshot("de-pause")
    with gallery_game(binary, build, "pl") as game:
        game.key("Down", "Return", "Down", "Down", "Return")  # SETTINGS, KEYBOARD
        time.sleep(0.8)
        game.screenshot("pl-keyboard")
        game.key("Escape", "Escape")
        time.sleep(0.8)
        game.first_row()
        game.skip_story()
        game.hold("Right", 0.1)
        time.sleep(0.3)
        game.screenshot("pl-game")


def controllers(binary, build):
    """The test build plugs in virtual pads that SDL maps as it maps the real ones on Linux:
    an Xbox 360 pad, which works at once, and a generic USB joystick, which waits to be
    configured."""
    with gallery_game(faulty(build), build, env={"VANTREL_TEST_PAD": "045e:028e:0114,1234:5678:0110"}) as game:
        game.wait_for_log("Joystick default bindings: SDL's game-controller mapping")
        game.wait_for_log("Joystick default bindings: none")
        check(not game.logged("Unable to init SDL haptic"), "haptic subsystem started")
        game.screenshot("controllers-menu")
        game.key("Down", "Return", "Down", "Down", "Down", "Return")  # SETTINGS, CONTROLLERS
        time.sleep(0.8)
        game.screenshot("controllers")
        game.key("Return")  # the Xbox pad's page
        time.sleep(0.8)
        game.screenshot("controllers-xbox")


if __name__ == "__main__":
    main([story_and_play, german_and_polish, controllers])
