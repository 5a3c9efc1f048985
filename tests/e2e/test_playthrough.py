"""The whole game played with real keys: docs/solution.txt tapped into the real binary,
from PLAY NEW GAME and a few seconds of the story to the exit, saved and continued
halfway. After every line of the script the state the game logs must be the one
levelcheck's trace gives for it, so a tap that the game took as no step or as two is
found at its line. Screenshots of each puzzle room when it is solved go to
build/e2e-artifacts as play-NN-*.png."""

import os
import re
import subprocess
import time

from harness import SCREEN, Failure, Game, check, main, read_bytes

HERE = os.path.dirname(os.path.abspath(__file__))
SOLUTION = os.path.join(HERE, "..", "..", "docs", "solution.txt")
KEYS = {"UP": "Up", "DOWN": "Down", "LEFT": "Left", "RIGHT": "Right", "ATTACK": "a", "ITEM": "b"}
STATE = re.compile(r"(\d+),(\d+) location (\d+) page (\d+) \| program (\d+),(\d+)\+(\d+) \| "
                   r"data (\d+) page (\d+) compare (\d+)$")


def read_script(path):
    """The script's lines as (line number, action, count, puzzle). A comment after a blank
    line heads a part; puzzle names a numbered one ("# 1. The ride (...)" gives
    "01-the-ride") and is None in the others."""
    lines, puzzle, blank = [], None, True
    with open(path) as handle:
        for number, text in enumerate(handle, 1):
            if blank and text.startswith("#"):
                heading = re.match(r"#\s*(\d+)\.\s*([^(.]*)", text)
                puzzle = heading and "%02d-%s" % (int(heading.group(1)),
                                                  re.sub(r"\W+", "-", heading.group(2).strip().lower()))
            blank = not text.strip()
            words = text.split("#")[0].split()
            if words:
                lines.append((number, words[0], int(words[1]) if len(words) > 1 else 1, puzzle))
    return lines


def levelcheck(build, *arguments):
    resources = os.path.join(build, "Vantrel.app", "Contents", "Resources")
    return subprocess.run([os.path.join(build, "levelcheck"), os.path.join(resources, "ram.txt"),
                           os.path.join(resources, "ram2.txt")] + list(arguments),
                          capture_output=True, text=True, check=True).stdout


def trace(build):
    """levelcheck's state after each script line, by line number."""
    states = {}
    for line in levelcheck(build, SOLUTION, "--trace").splitlines():
        found = re.match(r"line (\d+) \S+\s+-> (.*)$", line)
        if found:
            states[int(found.group(1))] = found.group(2)
    return states


def trigger_programs(build):
    """The address (column, row) of every trigger's program, as levelcheck lists them."""
    listing = levelcheck(build, SOLUTION)
    return [(int(found.group(1), 16), int(found.group(2), 16))
            for found in re.finditer(r"^trigger \d+ at .*:\n    ([0-9a-f]{2})([0-9a-f]{2}) ", listing, re.M)]


def saved_state(game):
    """The saved game's state in the form of the log's tap lines."""
    strings = game.saved_game()["strings"]
    value = lambda key: int(strings[key])
    return "%d,%d location %d page %d | program %d,%d+%d | data %d page %d compare %d" % (
        value("playerX"), value("playerY"), value("playerLocation"), value("playerPage"),
        value("programLocation") // 256, value("programLocation") % 256, value("programLine"),
        value("dataRegister"), value("pageRegister"), value("compareRegister"))


def save_and_exit_then_continue(game, expected, where):
    game.save_and_exit()
    state = saved_state(game)
    check(state == expected, "saved after %s: %s, but levelcheck says %s" % (where, state, expected))
    # CONTINUE is now the menu's first row; it brings the game back without the story.
    before = game.first_row()
    check(not game.logged("Game::loadLevel()", before), "no story when continuing")


def play_the_whole_game(binary, build):
    script = read_script(SOLUTION)
    states = trace(build)
    programs = trigger_programs(build)
    total = sum(count for _, _, count, _ in script)
    check(len(programs) >= 11 and len(states) == len(script), "levelcheck lists %d programs and traces %d of %d "
          "script lines" % (len(programs), len(states), len(script)))
    with Game(binary, build, "play", settings=SCREEN, audio="disk") as game:
        sound = os.path.join(game.home, "sound.raw")
        game.extra_env["SDL_DISKAUDIOFILE"] = sound
        started = time.time()
        game.start_game()  # PLAY NEW GAME
        game.wait_until(lambda: os.path.exists(sound), "the sound file")
        heard = os.path.getsize(sound)
        time.sleep(3.0)  # the story's first line
        game.screenshot("story")
        game.skip_story()
        check(os.path.getsize(sound) > heard, "the sound file grows during the story")
        heard = os.path.getsize(sound)

        taps, saved, logged, state = 0, False, [], None
        for index, (number, action, count, puzzle) in enumerate(script):
            keys = "+".join(KEYS[name] for name in action.split("+"))
            for repeat in range(count):
                if action == "ITEM":  # the hint key shows, and changes nothing: no tap to wait for
                    game.key(keys)
                    continue
                try:
                    state = game.tap(keys)
                except Failure as failure:
                    raise Failure("tap %d of script line %d (%s %d) was not taken: %s"
                                  % (repeat + 1, number, action, count, failure))
                logged.append(state)
            taps += count
            check(state == states[number], "after script line %d (%s %d) the game has %s, but levelcheck says %s"
                  % (number, action, count, state, states[number]))
            last_of_puzzle = puzzle and (index + 1 == len(script) or script[index + 1][3] != puzzle)
            if last_of_puzzle:
                time.sleep(0.2)  # the frame after the step is on the screen
                game.screenshot(puzzle)
            if not saved and taps * 2 >= total and index + 1 < len(script):
                save_and_exit_then_continue(game, state, "script line %d" % number)
                saved = True
        check(taps == total and saved, "played %d of %d taps" % (taps, total))

        game.wait_exit(20)
        game.save_log()
        for column, row in programs:
            ran = any(STATE.match(state).group(5, 6) == (str(column), str(row)) for state in logged)
            check(ran, "the program at %02x%02x never ran" % (column, row))
        check(game.logged("Achievement unlocked: HACKER"), "HACKER unlocked")
        check(game.settings()["strings"].get("achievements0") == "1", "HACKER is stored in the settings")
        opened = game.opened()
        check(len(opened) == 1 and opened[0].startswith("file://")
              and opened[0].endswith("/Vantrel.app/Contents/Resources/print.html"), "the shipped page: %r" % opened)
        # The disk audio driver's output holds more than silence after the story.
        check(read_bytes(sound)[heard:].strip(b"\0"), "sound was played during the game")
        print("     %d taps in %.0f s, from the program's start to its end" % (taps, time.time() - started))


if __name__ == "__main__":
    main([play_the_whole_game])
