"""The command line: --language stores the language before the display comes up, so
the whole game starts in it and stays in it; --language en goes back to English; a
language without its file falls back to English; --windowed plays in a window without
touching the stored display mode; --help, --version and bad options end at once with
their exit codes and leave the player's files alone."""

import os
import subprocess
import tempfile

from harness import SCREEN, Game, check, main


def menu_in(game, args, language):
    """Starts the game with `args`; returns the width of its first row once the menu shows."""
    game.start_menu(args=args)
    check("Loading translations for [%s]" % language in game.log(), "translations for [%s] loaded" % language)
    return game.first_row_gold_width(game.screenshot(language + "-menu" if language else "menu"))


def language_is_stored_and_kept(binary, build):
    with Game(binary, build, "language", settings=SCREEN) as game:
        german = menu_in(game, ["--language", "de"], "de")
        check(game.settings()["strings"].get("lang") == "de", "lang stored as de")
        check(not game.logged("TRANSLATION FILE ERROR"), "the translation reads cleanly")
        game.stop()

        again = menu_in(game, [], "de")
        check(abs(again - german) <= 2, "the next start is German too: %d, then %d" % (german, again))
        game.stop()

        english = menu_in(game, ["--language", "en"], "")
        check(game.settings()["strings"].get("lang") == "", "lang stored as English")
        check(english - german > 25, "PLAY NEW GAME (%d) is wider than NEUES SPIEL (%d)" % (english, german))
        game.stop()


def missing_translation_and_a_window(binary, build):
    fullscreen = dict(SCREEN, fullscreen="1")
    with Game(binary, build, "windowed", settings=fullscreen) as game:
        menu_in(game, ["--windowed", "--language", "fr"], "fr")
        log = game.log()
        check(any(line.startswith("ERROR: Failed to open translation file:") and line.endswith("fr.txt")
                  for line in log), "the missing file is logged")
        check("Creating SDL window (1920 x 1080, fsd = 0) ..." in log, "a window, not desktop fullscreen")
        game.stop()
        stored = game.settings()["strings"]
        check(stored.get("fullscreen") == "1" and stored.get("lang") == "fr", "stored settings: %r" % stored)


def options_that_end_at_once(binary, build):
    home = tempfile.mkdtemp(prefix="vantrel-options-")
    environment = dict(os.environ, XDG_DATA_HOME=home)

    def run(*args):
        done = subprocess.run([binary] + list(args), env=environment, capture_output=True, text=True, timeout=20)
        return done.returncode, done.stdout

    code, text = run("--help")
    check(code == 0 and all(option in text for option in ("--language CODE", "--version", "--windowed")),
          "--help: %d %r" % (code, text))
    check(run("--version") == (0, "Vantrel 1.1.0\n"), "--version: %r" % (run("--version"),))
    check(run("--fly")[0] == 2, "an unknown option ends with code 2")
    code, text = run("--language", "xx")
    check(code == 2 and all(" %s" % known in text for known in ("en", "de", "pl", "pt_BR")),
          "an unknown language lists the known codes: %d %r" % (code, text))
    check(run("--language")[0] == 2, "--language without a code ends with code 2")
    check(not os.listdir(home), "nothing was written for the player: %r" % os.listdir(home))
    os.rmdir(home)


if __name__ == "__main__":
    main([options_that_end_at_once, language_is_stored_and_kept, missing_translation_and_a_window])
