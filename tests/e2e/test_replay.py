"""A game recorded with --record and played back with --replay through the real
binary: the replay file's header, the player's log lines, its on-screen display, fast
forward, Escape back to the main menu, and a missing replay shown as an error.
Screenshots of the playback go to build/e2e-artifacts."""

import re
import struct
import time

from harness import SCREEN, Game, check, main, read_bytes


def record_a_game(game):
    """Returns how many frames were recorded."""
    before = game.start_game(args=["--record"])  # PLAY NEW GAME
    game.wait_for_log("Recording armed: ", after=before)
    time.sleep(1.0)
    game.skip_story()  # the first input starts the recording
    time.sleep(1.5)
    game.hold("Right", 0.6)
    game.hold("Down", 0.5)
    game.key("a")
    game.hold("Left", 0.4)
    time.sleep(2.0)
    game.save_and_exit()
    recorded = game.log()[game.wait_for_log("Replay recorded: ", after=before)]
    time.sleep(1.0)
    game.exit_from_menu()

    data = read_bytes(game.path("lastgame1.replay"))
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
    game.exit_from_menu()


def fast_forward_to_the_end(game, frames):
    """Every recorded frame comes back: the last seconds of the recording were kept."""
    start_replay(game, ["--replay", "1"], 1)
    deadline = time.time() + 30
    while not game.logged("REPLAY: the replay ended after"):
        check(time.time() < deadline, "the replay ends")
        game.key("Right", delay_ms=300)
    ended = next(line for line in game.log() if "REPLAY: the replay ended after" in line)
    check(ended.endswith("after %d frames" % frames), "%r, %d frames recorded" % (ended, frames))
    time.sleep(1.2)
    clean_log(game)
    game.exit_from_menu()


def missing_replay(game):
    start_replay(game, ["--replay", "9"], 9)
    time.sleep(1.5)
    game.screenshot("missing")
    game.key("space")  # dismisses the message
    time.sleep(1.2)
    game.exit_from_menu()


def record_and_replay(binary, build):
    with Game(binary, build, "replay", settings=SCREEN) as game:
        frames = record_a_game(game)
        watch_and_leave(game)
        fast_forward_to_the_end(game, frames)
        missing_replay(game)


if __name__ == "__main__":
    main([record_and_replay])
