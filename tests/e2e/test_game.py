"""A game played through the real binary: a new game from the menu with its story, a
step, the pause menu and SAVE AND EXIT; a prepared saved game next to the exit that opens
the ending page beside the game; a broken saved game that still plays; and the HACKER
popup. Screenshots of the game screen, the pause menu and the popup go to
build/e2e-artifacts. CONTINUE and the shipped ending page are played in test_playthrough."""

import os
import time

from harness import CELLS, SCREEN, Game, cell, check, main, write_saved_game


def new_game_and_save(binary, build):
    with Game(binary, build, "game", settings=SCREEN) as game:
        game.start_game()
        time.sleep(3.0)
        game.screenshot("story")
        game.skip_story()
        game.screenshot("screen")
        check(game.tap("Right").startswith("13,14 "), "one step right")
        time.sleep(0.3)
        game.screenshot("after-step")
        game.key("Escape")
        time.sleep(0.4)
        game.screenshot("pause-menu")
        game.key("Escape")  # closes it again
        game.save_and_exit()
        saved = game.saved_game()
        check((saved["strings"]["playerX"], saved["strings"]["playerY"]) == ("13", "14"),
              "one step right: %r" % saved["strings"])
        check(saved["order"] == ["cameraBottom", "compareRegister", "dataRegister", "pageRegister",
                                 "playerLocation", "playerPage", "playerX", "playerY", "programLine",
                                 "programLocation", "jumps", "realm2", "realm42"], "saved layout %r" % saved["order"])
        check(len(saved["objects"]["realm42"]["strings"]) == CELLS, "a whole main page")
        check(len(saved["objects"]["jumps"]["list"]) == 12, "every trigger is still there")
        time.sleep(1.0)
        game.screenshot("menu-with-save")
        game.stop()


def continue_from(game, integers, **pages_and_jumps):
    """CONTINUE from a saved game written with `write_saved_game`'s arguments; returns once
    the level is uncovered, with the index the log had before."""
    write_saved_game(game.path("savegame.storage"), integers, **pages_and_jumps)
    before = game.start_game()
    time.sleep(2.5)
    return before


def escape_opens_the_page_beside_the_game(binary, build):
    with Game(binary, build, "escape-local", settings=SCREEN) as game:
        page = os.path.join(game.home, "print.html")
        with open(page, "w") as handle:
            handle.write("<html><body>printed</body></html>\n")
        continue_from(game, {"playerX": 175, "playerY": 243, "playerPage": 66, "pageRegister": 66,
                             "compareRegister": 255, "cameraBottom": 218}, jumps=[(176, 243, 0, 66)])
        game.tap("Right")
        pressed = time.time()
        game.wait_exit(15)
        took = time.time() - pressed
        check(1.8 <= took <= 4.5, "the game ended %.1f s after the escape" % took)
        check(game.opened() == ["file://" + page], "opened %r" % game.opened())
        game.save_log()


def broken_save_still_plays(binary, build):
    with Game(binary, build, "broken-save", settings=SCREEN) as game:
        before = continue_from(game, {"playerX": 999, "playerY": 30, "playerLocation": 7, "playerPage": 13,
                                      "pageRegister": 2},
                               main_page={cell(254, 30): 300, cell(253, 30): -5}, jumps=[(5, 5, 1000, 66)] * 3000)
        game.wait_for_log("WARNING: Saved game: playerX = 999 is out of range, using 255", after=before)
        game.wait_for_log("WARNING: Saved game: playerPage = 13 is no page, using 66", after=before)
        game.wait_for_log("jump triggers, keeping the first 12", after=before)
        # The clamped location puts the bit in the compare register; it climbs up into the data register.
        game.tap("Up")
        game.tap("Up")
        game.save_and_exit()
        after = game.saved_game()
        check(after["strings"]["playerX"] == "255" and after["strings"]["playerLocation"] == "1",
              "played on from %r" % after["strings"])
        check(len(after["objects"]["jumps"]["list"]) == 12, "twelve triggers at most")
        game.stop()


def hacker_popup(binary, build):
    with Game(binary, build, "hacker", settings=SCREEN) as game:
        # A running add at (30, 10) whose operand, (31, 10), is right above the bit.
        continue_from(game, {"playerX": 31, "playerY": 11, "playerPage": 66, "pageRegister": 66,
                             "compareRegister": 255, "programLocation": 30 * 256 + 10},
                      main_page={cell(30, 10): ord("a"), cell(30, 11): ord("a"), cell(31, 12): ord("W")})
        before = len(game.log())
        game.tap("Up")
        game.wait_for_log("Achievement unlocked: HACKER", after=before)
        time.sleep(2.4)  # slid in, and held for a while
        game.screenshot("hacker-popup")
        check(game.settings()["strings"].get("achievements0") == "1", "the unlock is kept in the settings at once")
        game.stop()


if __name__ == "__main__":
    main([new_game_and_save, escape_opens_the_page_beside_the_game, broken_save_still_plays, hacker_popup])
