"""Faults from outside, through the real binary: damaged user files, a broken
installation (no font, no pictures, a level that cannot be read, no audio device, no
resource folder at all), a per-user folder that is full or read-only, and faults in
frames until the fifty-first ends the game. None of them crashes the game; it goes on
or ends as the log and the crash report say."""

import contextlib
import glob
import os
import shutil
import subprocess
import tempfile
import time

from harness import SCREEN, Game, check, faulty, main, read_bytes, write_saved_game, write_storage


def plays_on(game, name):
    """A step in the uncovered level, then SIGTERM: the game has gone on and ends cleanly."""
    game.hold("Right", 0.1)
    time.sleep(0.5)
    check(game.process.poll() is None, "%s: the game plays on" % name)
    game.stop()


def damaged_files_start_and_play(binary, build):
    with Game(binary, build, "nested-files") as game:
        # 100 000 records nested one in the other, each under the empty key, once
        # overflowed the stack at every start, and at CONTINUE.
        for name in ("settings.storage", "savegame.storage"):
            with open(game.path(name), "wb") as handle:
                handle.write(b"\x02\x00\x00\x00\x00" * 99999 + b"c" * 100000)
        before = game.start_game()
        game.wait_for_log("WARNING: The saved game was not fully restored", after=before)
        time.sleep(2.5)
        plays_on(game, "nested records")
        refused = game.log().count("ERROR: Storage records nested deeper than 64 levels")
        check(refused == 2, "both files refused, not %d" % refused)
        check(game.settings()["strings"].get("windowW") == "1280", "the settings start again from the defaults")


# What a copy of the game logs whose resource folder lacks the font and every picture, with
# a folder in the place of the main page's level file; and one with no resource folder.
BROKEN_INSTALLATIONS = {
    "broken-install": ["I/O ERROR: Cannot open font file: ", "ERROR: Cannot load image. tex: orvando.png",
                       "Cannot open music channels: ", "ERROR: Failed to read map file: "],
    "no-resources": ["I/O ERROR: Cannot open font file: ", "ERROR: Failed to open map file: "],
}


def broken_installations_start_and_play(binary, build):
    for name, expected in BROKEN_INSTALLATIONS.items():
        folder = tempfile.mkdtemp(prefix="vantrel-install-")
        try:
            shutil.copy(os.path.join(build, "vantrel"), folder)
            if name == "broken-install":
                resources = os.path.join(folder, "Vantrel.app", "Contents", "Resources")
                shutil.copytree(os.path.join(build, "Vantrel.app", "Contents", "Resources"), resources)
                os.remove(os.path.join(resources, "main.ttf"))
                shutil.rmtree(os.path.join(resources, "gfx"))
                os.remove(os.path.join(resources, "ram.txt"))
                os.mkdir(os.path.join(resources, "ram.txt"))
            # A sound device that cannot be opened: the disk writer's file has no folder.
            with Game(os.path.join(folder, "vantrel"), build, name, settings=SCREEN, audio="disk",
                      env={"SDL_DISKAUDIOFILE": "/no/such/folder/sound"}) as game:
                game.start_game()
                game.skip_story()
                plays_on(game, name)
                for text in expected:
                    check(game.logged(text), "%s: log line %r" % (name, text))
        finally:
            shutil.rmtree(folder, ignore_errors=True)


@contextlib.contextmanager
def small_user_folder(game, size):
    """A small memory file system mounted on the game's per-user folder, holding the
    settings and a saved game; gives their content, or None where no file system can be
    mounted (it needs root)."""
    if os.geteuid() != 0 or subprocess.run(["mount", "-t", "tmpfs", "-o", "size=%s,mode=0700" % size, "tmpfs",
                                            game.user], stderr=subprocess.DEVNULL).returncode != 0:
        print("     skipped: no file system can be mounted here (needs root)")
        yield None
        return
    try:
        write_saved_game(game.path("savegame.storage"), {"playerX": 20, "playerY": 14})
        write_storage(game.path("settings.storage"), SCREEN)
        yield {name: read_bytes(game.path(name)) for name in ("savegame.storage", "settings.storage")}
    finally:
        game.save_log()
        subprocess.run(["umount", "-l", game.user], stderr=subprocess.DEVNULL)


def full_user_folder(binary, build):
    # Room for the saved game, the settings and the log, not for a second saved game.
    with Game(binary, build, "full-folder") as game, small_user_folder(game, "3m") as files:
        if files is None:
            return
        before = game.start_game()
        time.sleep(2.5)
        game.hold("Right", 0.1)
        game.save_and_exit(written=False)
        game.wait_for_log("savegame.storage was not replaced; the previous file is kept", after=before)
        check(read_bytes(game.path("savegame.storage")) == files["savegame.storage"], "the saved game is intact")
        check(not os.path.exists(game.path("savegame.storage.partial")), "no partial file is left")
        # Back in the menu, the game goes on: CONTINUE again.
        time.sleep(1.2)
        game.first_row()
        game.stop()


def read_only_user_folder(binary, build):
    with Game(faulty(build), build, "read-only-folder") as game, small_user_folder(game, "4m") as files:
        if files is None:
            return
        subprocess.run(["mount", "-o", "remount,ro", game.user], check=True)
        # Not even the log can be written: the game is followed on the screen.
        game.start()
        game.focus()
        time.sleep(3.0)
        game.key("Return")  # CONTINUE
        time.sleep(3.0)
        game.hold("Right", 0.1)
        game.save_and_exit(written=False)
        time.sleep(1.5)
        check(game.process.poll() is None, "the game goes on after a save that could not be written")
        # A fault in a frame still shows the crash screen, with no log and no crash file.
        game.key("ctrl+F12")
        time.sleep(1.0)
        game.check_crash_screen("crash-without-log")
        check(game.process.poll() is None, "the game goes on after the fault")
        game.stop()
        check(not os.path.exists(game.path("full.log")), "no log could be written")
        for name, content in files.items():
            check(read_bytes(game.path(name)) == content, name + " is intact")


def fifty_one_faults_end_the_game(binary, build):
    with Game(faulty(build), build, "fifty-one-faults", settings=SCREEN) as game:
        game.start_menu()
        game.key(*["ctrl+F12"] * 50, delay_ms=60)
        time.sleep(0.5)
        check(game.process.poll() is None, "fifty faults are survived")
        game.key("ctrl+F12")
        game.wait_exit(10, expected=-11)  # SIGSEGV
        check(len(glob.glob(game.path("crash-*.txt"))) == 1, "only the first fault is reported")
        dumps = [line for line in game.log() if "crash dump complete" in line]
        check(len(dumps) == 1, "one crash dump in the log, found %d" % len(dumps))


if __name__ == "__main__":
    main([damaged_files_start_and_play, broken_installations_start_and_play, full_user_folder,
          read_only_user_folder, fifty_one_faults_end_the_game])
