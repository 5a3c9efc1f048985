"""A fault inside a frame (the test build's Ctrl+F12) writes a crash report, shows the
crash screen, and the first key after its countdown shows the per-user folder and ends
the game."""

import glob
import time

from harness import SCREEN, Game, check, faulty, main, read_lines


def crash_report_and_screen(binary, build):
    with Game(faulty(build), build, "crash", settings=SCREEN) as game:
        game.start_menu()
        game.key("ctrl+F12")
        game.wait_for_log("-------------------- crash dump complete ---------------------")
        shown = time.time()
        reports = glob.glob(game.path("crash-*.txt"))
        check(len(reports) == 1, "one crash file, found %r" % reports)
        lines = read_lines(reports[0])
        check(lines[0] == "Game version 1.1.0" and lines[1] == "Stack:", "report header %r" % lines[:2])
        check("faultOnKey" in lines[2], "innermost function first: %r" % lines[2])
        check(any("Main::loop" in line for line in lines[3:lines.index("---- recent function calls -----")]),
              "the frame is on the stack")
        time.sleep(0.5)
        game.check_crash_screen("screen")

        game.key("space")  # ignored during the countdown
        time.sleep(0.5)
        check(game.process.poll() is None, "input during the countdown is ignored")
        # The countdown is 600 frames: 10 seconds at 60 frames a second, more in a slower build.
        while game.process.poll() is None and time.time() < shown + 60:
            time.sleep(1.0)
            game.key("space")
        game.wait_exit(10)
        check(time.time() - shown >= 9.0, "the countdown took %.1f s" % (time.time() - shown))
        check(game.opened() == ["file://" + game.user + "/"], "opened %r" % game.opened())


if __name__ == "__main__":
    main([crash_report_and_screen])
