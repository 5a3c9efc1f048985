"""A game played through the real binary: a new game from the menu with its story,
a step, the pause menu, SAVE AND EXIT and CONTINUE; a prepared saved game next to the
exit that opens the ending page; a broken saved game that still plays; and the HACKER
popup. Screenshots of the game screen, the pause menu and the popup go to
build/e2e-artifacts."""

import os
import struct
import time

from harness import Game, check, main, read_storage

# A borderless window the size of the screen: without a window manager a fullscreen
# request is applied late.
SCREEN = {"fullscreen": "0", "windowBorder": "0", "windowW": "1920", "windowH": "1080"}

CELLS = 256 * 256


def write_saved_game(path, integers, main_page=None, second_page=None, jumps=()):
    """Writes "savegame.storage": integer entries, the jump triggers and both pages
    (each a dict of cell index -> value over a page of zeros)."""

    def text(value):
        raw = value.encode()
        return struct.pack("<I", len(raw)) + raw

    def record(strings, objects=(), items=()):
        out = bytearray()
        for key in sorted(strings, key=lambda k: k.encode()):
            out += b"\x01" + text(key) + text(str(strings[key]))
        if items:
            out += b"\x03" + struct.pack("<I", len(items))
            for item in items:
                out += record(item)
        for key, child in objects:
            out += b"\x02" + text(key) + child
        return bytes(out + b"c")

    def page(values):
        values = values or {}
        return record({str(index): values.get(index, 0) for index in range(CELLS)})

    jump_list = [{"x": x, "y": y, "code": code, "realm": realm} for x, y, code, realm in jumps]
    root = record(integers, [("jumps", record({}, items=jump_list)), ("realm2", page(second_page)),
                             ("realm42", page(main_page))])
    with open(path, "wb") as handle:
        handle.write(root)


def cell(x, y):
    return y * 256 + x


def start_game(game, continue_game):
    """Starts the binary and, from the main menu, continues or starts a new game."""
    game.start()
    game.wait_for_log("Starting Main menu", timeout=40)
    game.focus()
    time.sleep(1.2)  # the menu takes keys a second after it opens
    before = len(game.log())
    # CONTINUE is the first row when a save exists, PLAY NEW GAME otherwise.
    game.key("Return")
    game.wait_for_log("Game::init()", after=before)
    return before


def saved(game):
    return read_storage(game.path("savegame.storage"))


def new_game_save_and_continue(binary, build):
    with Game(binary, build, "game", settings=SCREEN) as game:
        start_game(game, continue_game=False)
        time.sleep(3.0)
        game.screenshot("story")
        before = len(game.log())
        game.key("Escape")  # skips the story
        game.wait_for_log("Game::loadLevel()", after=before)
        time.sleep(2.5)  # the screen is uncovered
        game.screenshot("screen")
        check(game.tap("Right").startswith("13,14 "), "one step right")
        time.sleep(0.3)
        game.screenshot("after-step")
        game.key("Escape")
        time.sleep(0.4)
        game.screenshot("pause-menu")
        game.key("Escape")  # closes it again
        game.save_and_exit()
        first = saved(game)
        check(first["strings"]["playerX"] == "13", "one step right: %r" % first["strings"]["playerX"])
        check(first["strings"]["playerY"] == "14", "playerY %r" % first["strings"]["playerY"])
        check(first["order"] == ["cameraBottom", "compareRegister", "dataRegister", "pageRegister",
                                 "playerLocation", "playerPage", "playerX", "playerY", "programLine",
                                 "programLocation", "jumps", "realm2", "realm42"], "saved layout %r" % first["order"])
        check(len(first["objects"]["realm42"]["strings"]) == CELLS, "a whole main page")
        check(len(first["objects"]["jumps"]["list"]) == 12, "every trigger is still there")
        check(not os.path.exists(game.path("savegame.storage.partial")), "no temporary file is left")
        time.sleep(1.0)
        game.screenshot("menu-with-save")

        # The menu's first row is now CONTINUE: it brings the bit back where it was.
        before = len(game.log())
        game.key("Return")
        game.wait_for_log("Game::init()", after=before)
        time.sleep(0.5)
        check(not any("Game::loadLevel()" in line for line in game.log()[before:]), "no story when continuing")
        game.save_and_exit()
        again = saved(game)
        check(again["strings"]["playerX"] == "13", "continued at x %r" % again["strings"]["playerX"])
        check(game.stop() == 0, "exit code")


def escaping_opens_the_ending_page(binary, build, page_beside_game):
    name = "escape-local" if page_beside_game else "escape"
    with Game(binary, build, name, settings=SCREEN) as game:
        write_saved_game(game.path("savegame.storage"),
                         {"playerX": 175, "playerY": 243, "playerPage": 66, "pageRegister": 66,
                          "compareRegister": 255, "cameraBottom": 218},
                         jumps=[(176, 243, 0, 66)])
        if page_beside_game:
            with open(os.path.join(game.home, "print.html"), "w") as handle:
                handle.write("<html><body>printed</body></html>\n")
        start_game(game, continue_game=True)
        time.sleep(2.5)
        game.tap("Right")
        pressed = time.time()
        code = game.wait_exit(15)
        took = time.time() - pressed
        check(code == 0, "exit code %d" % code)
        check(1.8 <= took <= 4.5, "the game ended %.1f s after the escape" % took)
        opened = game.opened()
        check(len(opened) == 1 and opened[0].startswith("file://") and opened[0].endswith("/print.html"),
              "opened %r" % opened)
        if page_beside_game:
            check(opened[0] == "file://" + os.path.join(game.home, "print.html"), "the page beside the game")
        else:
            check("/Vantrel.app/Contents/Resources/print.html" in opened[0], "the shipped page")
        game.save_log()


def escape_with_the_shipped_page(binary, build):
    escaping_opens_the_ending_page(binary, build, False)


def escape_with_a_page_beside_the_game(binary, build):
    escaping_opens_the_ending_page(binary, build, True)


def broken_save_still_plays(binary, build):
    with Game(binary, build, "broken-save", settings=SCREEN) as game:
        write_saved_game(game.path("savegame.storage"),
                         {"playerX": 999, "playerY": 30, "playerLocation": 7, "playerPage": 13,
                          "pageRegister": 2},
                         main_page={cell(254, 30): 300, cell(253, 30): -5},
                         jumps=[(5, 5, 1000, 66)] * 3000)
        before = start_game(game, continue_game=True)
        game.wait_for_log("WARNING: Saved game: playerX = 999 is out of range, using 255", after=before)
        game.wait_for_log("WARNING: Saved game: playerPage = 13 is no page, using 66", after=before)
        game.wait_for_log("jump triggers, keeping the first 12", after=before)
        time.sleep(2.5)
        # The clamped location puts the bit in the compare register; it climbs up into the data register.
        game.tap("Up")
        game.tap("Up")
        game.save_and_exit()
        after = saved(game)["strings"]
        check(after["playerX"] == "255" and after["playerLocation"] == "1", "played on from %r" % after)
        check(len(saved(game)["objects"]["jumps"]["list"]) == 12, "twelve triggers at most")
        check(game.stop() == 0, "exit code")


def hacker_popup(binary, build):
    with Game(binary, build, "hacker", settings=SCREEN) as game:
        # A running add at (30, 10) whose operand, (31, 10), is right above the bit.
        write_saved_game(game.path("savegame.storage"),
                         {"playerX": 31, "playerY": 11, "playerPage": 66, "pageRegister": 66,
                          "compareRegister": 255, "programLocation": 30 * 256 + 10},
                         main_page={cell(30, 10): ord("a"), cell(30, 11): ord("a"), cell(31, 12): ord("W")})
        start_game(game, continue_game=True)
        time.sleep(2.5)
        before = len(game.log())
        game.tap("Up")
        game.wait_for_log("Achievement unlocked: HACKER", after=before)
        time.sleep(2.4)  # slid in, and held for a while
        game.screenshot("hacker-popup")
        check(game.settings()["strings"].get("achievements0") == "1", "the unlock is kept in the settings at once")
        code = game.stop()
        check(code == 0, "exit code %d" % code)


if __name__ == "__main__":
    main([new_game_save_and_continue, escape_with_the_shipped_page, escape_with_a_page_beside_the_game,
          broken_save_still_plays, hacker_popup])
