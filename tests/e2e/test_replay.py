"""A game recorded with --record and played back with --replay through the real
binary: the replay file's header, the player's log lines, its on-screen display, fast
forward, Escape back to the main menu, and a missing replay shown as an error.
Screenshots of the playback go to build/e2e-artifacts."""

import re
import struct
import time

from harness import Game, check, main

SCREEN = {"fullscreen": "0", "windowBorder": "0", "windowW": "1920", "windowH": "1080"}


def menu_ready(game, after=0):
    game.wait_for_log("Starting Main menu", timeout=40, after=after)
    game.focus()
    time.sleep(1.2)  # the menu takes keys a second after it opens


def exit_from_menu(game):
    """EXIT is the main menu's last row: up from the first row wraps to it."""
    game.key("Up", "Return")
    check(game.wait_exit(20) == 0, "exit code")


def record_a_game(game):
    """Returns how many frames were recorded."""
    game.start(args=["--record"])
    menu_ready(game)
    before = len(game.log())
    game.key("Return")  # PLAY NEW GAME
    game.wait_for_log("Game::init()", after=before)
    game.wait_for_log("Recording armed: ", after=before)
    time.sleep(1.0)
    game.key("Escape")  # the first input starts the recording and skips the story
    game.wait_for_log("Game::loadLevel()", after=before)
    time.sleep(4.0)
    game.hold("Right", 0.6)
    game.hold("Down", 0.5)
    game.key("a")
    game.hold("Left", 0.4)
    time.sleep(2.0)
    game.key("Escape")  # the pause menu
    time.sleep(1.5)
    game.key("Down", "Down", "Down", "Return", delay_ms=200)  # SAVE AND EXIT
    recorded = game.log()[game.wait_for_log("Replay recorded: ", after=before)]
    game.wait_for_log("Saved data to: ", after=before)
    time.sleep(1.0)
    exit_from_menu(game)

    with open(game.path("lastgame1.replay"), "rb") as handle:
        data = handle.read()
    label = data[:19].decode()
    check(re.fullmatch(r"\d{4}-\d\d-\d\d \d\d:\d\d:\d\d", label) is not None, "label %r" % label)
    check(struct.unpack(">hhh", data[19:25]) == (2, 1920, 1080), "header %r" % (data[19:25],))
    return int(recorded.rsplit(", ", 1)[1].split()[0])


def clean_log(game):
    problems = [line for line in game.log() if line.startswith("R: ") or "texture not found" in line]
    check(not problems, "the replay plays cleanly: %r" % problems[:5])


def start_replay(game, args, item):
    game.start(args=args)
    game.wait_for_log("REPLAY item #%d, total items = 1" % item, timeout=40)
    game.focus()


def watch_and_leave(game):
    """The on-screen display in its three modes, then Escape back to the main menu."""
    start_replay(game, ["--replay"], 1)
    time.sleep(2.5)  # the level has been uncovered
    game.screenshot("playback")
    game.key("Tab")  # the time alone
    time.sleep(0.3)
    game.screenshot("playback-time-only")
    game.key("Tab", "Tab")  # nothing, then everything again
    game.key("Escape")
    game.wait_for_log("REPLAY: stopped at frame ")
    time.sleep(1.2)
    game.screenshot("menu-after-playback")
    clean_log(game)
    exit_from_menu(game)


def fast_forward_to_the_end(game, frames):
    """Every recorded frame comes back: the last seconds of the recording were kept."""
    start_replay(game, ["--replay", "1"], 1)
    deadline = time.time() + 30
    while not any("REPLAY: the replay ended after" in line for line in game.log()):
        check(time.time() < deadline, "the replay ends")
        game.key("Right", delay_ms=300)
    ended = next(line for line in game.log() if "REPLAY: the replay ended after" in line)
    check(ended.endswith("after %d frames" % frames), "%r, %d frames recorded" % (ended, frames))
    time.sleep(1.2)
    clean_log(game)
    exit_from_menu(game)


def missing_replay(game):
    start_replay(game, ["--replay", "9"], 9)
    time.sleep(1.5)
    game.screenshot("missing")
    game.key("space")  # dismisses the message
    time.sleep(1.2)
    exit_from_menu(game)


def record_and_replay(binary, build):
    with Game(binary, build, "replay", settings=SCREEN) as game:
        frames = record_a_game(game)
        watch_and_leave(game)
        fast_forward_to_the_end(game, frames)
        missing_replay(game)


if __name__ == "__main__":
    main([record_and_replay])
