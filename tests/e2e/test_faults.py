"""Faults from outside, through the real binary: damaged user files, a broken
installation (no font, no pictures, a level that cannot be read, no audio device, no
resource folder at all), a per-user folder that is full or read-only, and faults in
frames until the fifty-first ends the game. None of them crashes the game; it goes on
or ends as the log and the crash report say."""

import glob
import os
import shutil
import subprocess
import tempfile
import time

from harness import Game, check, main, write_storage
from test_game import SCREEN, start_game, write_saved_game


def file_bytes(path):
    with open(path, "rb") as handle:
        return handle.read()


def nested_records(depth):
    """A storage file of `depth` records nested one in the other, each under the empty key."""
    return b"\x02\x00\x00\x00\x00" * (depth - 1) + b"c" * depth


def damaged_files_start_and_play(binary, build):
    with Game(binary, build, "nested-files") as game:
        # 100 000 nested records once overflowed the stack at every start, and at CONTINUE.
        for name in ("settings.storage", "savegame.storage"):
            with open(game.path(name), "wb") as handle:
                handle.write(nested_records(100000))
        before = start_game(game, continue_game=True)
        game.wait_for_log("WARNING: The saved game was not fully restored", after=before)
        time.sleep(2.5)
        game.hold("Right", 0.1)
        time.sleep(0.5)
        check(game.process.poll() is None, "the game plays on")
        check(game.stop() == 0, "exit code")
        refused = [line for line in game.log() if line == "ERROR: Storage records nested deeper than 64 levels"]
        check(len(refused) == 2, "both files refused: %r" % refused)
        check(game.settings()["strings"].get("windowW") == "1280", "the settings start again from the defaults")


def broken_installation(build, keep_resources):
    """A copy of the game whose resource folder lacks the font and every picture, with a
    folder in the place of the main page's level file; or has no resource folder at all."""
    folder = tempfile.mkdtemp(prefix="vantrel-install-")
    shutil.copy(os.path.join(build, "vantrel"), folder)
    if keep_resources:
        resources = os.path.join(folder, "Vantrel.app", "Contents", "Resources")
        shutil.copytree(os.path.join(build, "Vantrel.app", "Contents", "Resources"), resources)
        os.remove(os.path.join(resources, "main.ttf"))
        shutil.rmtree(os.path.join(resources, "gfx"))
        os.remove(os.path.join(resources, "ram.txt"))
        os.mkdir(os.path.join(resources, "ram.txt"))
    return folder


def broken_installations_start_and_play(binary, build):
    expected = {
        True: ["I/O ERROR: Cannot open font file: ", "ERROR: Cannot load image. tex: orvando.png",
               "Cannot open music channels: ", "ERROR: Failed to read map file: "],
        False: ["I/O ERROR: Cannot open font file: ", "ERROR: Failed to open map file: "],
    }
    for keep_resources in (True, False):
        folder = broken_installation(build, keep_resources)
        try:
            name = "broken-install" if keep_resources else "no-resources"
            # A sound device that cannot be opened: the disk writer's file has no folder.
            with Game(os.path.join(folder, "vantrel"), build, name, settings=SCREEN, audio="disk",
                      env={"SDL_DISKAUDIOFILE": "/no/such/folder/sound"}) as game:
                start_game(game, continue_game=False)
                before = len(game.log())
                game.key("Escape")  # skips the story
                game.wait_for_log("Game::loadLevel()", after=before)
                time.sleep(1.0)
                game.hold("Right", 0.1)
                time.sleep(0.5)
                check(game.process.poll() is None, "%s: the game plays on" % name)
                check(game.stop() == 0, "%s: exit code" % name)
                lines = game.log()
                for text in expected[keep_resources]:
                    check(any(text in line for line in lines), "%s: log line %r" % (name, text))
        finally:
            shutil.rmtree(folder, ignore_errors=True)


class SmallUserFolder:
    """A small memory file system mounted on the game's per-user folder, holding the
    settings and a saved game; None from `with` where no file system can be mounted."""

    def __init__(self, game, size):
        self.game, self.size = game, size
        self.mounted = False

    def __enter__(self):
        if os.geteuid() != 0:
            return None
        result = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=%s,mode=0700" % self.size, "tmpfs",
                                 self.game.user], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        if result.returncode != 0:
            return None
        self.mounted = True
        write_saved_game(self.game.path("savegame.storage"), {"playerX": 20, "playerY": 14})
        write_storage(self.game.path("settings.storage"), SCREEN)
        return {name: file_bytes(self.game.path(name)) for name in ("savegame.storage", "settings.storage")}

    def __exit__(self, *exc):
        if self.mounted:
            self.game.save_log()
            subprocess.run(["umount", "-l", self.game.user], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return False


SKIPPED = "     skipped: no file system can be mounted here (needs root)"


def save_and_exit_keys(game):
    game.key("Escape", "Down", "Down", "Down", "Return", delay_ms=200)


def full_user_folder(binary, build):
    # Room for the saved game, the settings and the log, not for a second saved game.
    with Game(binary, build, "full-folder", settings=SCREEN) as game, SmallUserFolder(game, "3m") as files:
        if files is None:
            print(SKIPPED)
            return
        before = start_game(game, continue_game=True)
        time.sleep(2.5)
        game.hold("Right", 0.1)
        save_and_exit_keys(game)
        game.wait_for_log("savegame.storage was not replaced; the previous file is kept", after=before)
        check(file_bytes(game.path("savegame.storage")) == files["savegame.storage"], "the saved game is intact")
        check(not os.path.exists(game.path("savegame.storage.partial")), "no partial file is left")
        # Back in the menu, the game goes on: CONTINUE again.
        time.sleep(1.2)
        before = len(game.log())
        game.key("Return")
        game.wait_for_log("Game::init()", after=before)
        check(game.stop() == 0, "exit code")


def read_only_user_folder(binary, build):
    faulty = os.path.join(build, "tests", "vantrel-faulty")
    with Game(faulty, build, "read-only-folder", settings=SCREEN) as game, SmallUserFolder(game, "4m") as files:
        if files is None:
            print(SKIPPED)
            return
        subprocess.run(["mount", "-o", "remount,ro", game.user], check=True)
        # Not even the log can be written: the game is followed on the screen.
        game.start()
        game.focus()
        time.sleep(3.0)
        game.key("Return")  # CONTINUE
        time.sleep(3.0)
        game.hold("Right", 0.1)
        save_and_exit_keys(game)
        time.sleep(1.5)
        check(game.process.poll() is None, "the game goes on after a save that could not be written")
        # A fault in a frame still shows the crash screen, with no log and no crash file.
        game.key("ctrl+F12")
        time.sleep(1.0)
        shot = game.screenshot("crash-without-log")
        check(game.pixel(shot, 1800, 1000) == (46, 146, 196), "crash screen colour")
        check(game.process.poll() is None, "the game goes on after the fault")
        check(game.stop() == 0, "exit code")
        check(not os.path.exists(game.path("full.log")), "no log could be written")
        for name, content in files.items():
            check(file_bytes(game.path(name)) == content, name + " is intact")


def fifty_one_faults_end_the_game(binary, build):
    faulty = os.path.join(build, "tests", "vantrel-faulty")
    with Game(faulty, build, "fifty-one-faults", settings=SCREEN) as game:
        game.start()
        game.wait_for_log("Main start(): Camera viewport size", timeout=40)
        game.focus()
        for fault in range(1, 51):
            game.key("ctrl+F12", delay_ms=60)
        time.sleep(0.5)
        check(game.process.poll() is None, "fifty faults are survived")
        game.key("ctrl+F12")
        code = game.wait_exit(10)
        check(code == -11, "the fifty-first fault ends the game with SIGSEGV, not %d" % code)
        check(len(glob.glob(game.path("crash-*.txt"))) == 1, "only the first fault is reported")
        dumps = [line for line in game.log() if "crash dump complete" in line]
        check(len(dumps) == 1, "one crash dump in the log, found %d" % len(dumps))


if __name__ == "__main__":
    main([damaged_files_start_and_play, broken_installations_start_and_play, full_user_folder,
          read_only_user_folder, fifty_one_faults_end_the_game])
