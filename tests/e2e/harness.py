"""Runs the real game under Xvfb and drives it with real key events (xdotool).

Each Game gets its own X server, its own per-user folder (XDG_DATA_HOME) and a stand-in
browser (an `xdg-open` early in PATH that records what the game asked it to open).
"""

import os
import shutil
import signal
import struct
import subprocess
import sys
import tempfile
import time


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def read_bytes(path):
    """A file's content; none when it is not there yet."""
    try:
        with open(path, "rb") as handle:
            return handle.read()
    except FileNotFoundError:
        return b""


def read_lines(path):
    return read_bytes(path).decode("utf-8", "replace").splitlines()


def read_storage(path):
    """Parses a storage file into {"strings": {}, "objects": {}, "list": []}, with "order"
    holding the keys of the strings and the objects as they stand."""
    with open(path, "rb") as handle:
        data = handle.read()
    position = 0

    def take(size):
        nonlocal position
        position += size
        return data[position - size:position]

    def string():
        return take(struct.unpack("<I", take(4))[0]).decode("utf-8", "replace")

    def record():
        node = {"strings": {}, "order": [], "objects": {}, "list": []}
        while True:
            kind = take(1)[0]
            if kind == 99:
                return node
            if kind == 3:
                node["list"] += [record() for _ in range(struct.unpack("<I", take(4))[0])]
                continue
            check(kind in (1, 2), "unknown field type %d in %s" % (kind, path))
            key = string()
            node["order"].append(key)
            if kind == 1:
                node["strings"][key] = string()
            else:
                node["objects"][key] = record()

    return record()


def storage_record(strings, objects=(), items=()):
    """Encodes a record: its string entries in key order, its list of `items` (dicts of
    strings), then its child records (key and encoded record)."""

    def text(value):
        raw = str(value).encode()
        return struct.pack("<I", len(raw)) + raw

    out = bytearray()
    for key in sorted(strings, key=lambda k: k.encode()):
        out += b"\x01" + text(key) + text(strings[key])
    if items:
        out += b"\x03" + struct.pack("<I", len(items))
        for item in items:
            out += storage_record(item)
    for key, child in objects:
        out += b"\x02" + text(key) + child
    return bytes(out + b"c")


def write_storage(path, strings, objects=()):
    with open(path, "wb") as handle:
        handle.write(storage_record(strings, objects))


CELLS = 256 * 256


def cell(x, y):
    return y * 256 + x


def write_saved_game(path, integers, main_page=None, jumps=()):
    """Writes "savegame.storage": integer entries, the jump triggers (x, y, code, page) and
    both pages, the main one a dict of cell index -> value over a page of zeros."""

    def page(values):
        return storage_record({str(index): values.get(index, 0) for index in range(CELLS)})

    triggers = [{"x": x, "y": y, "code": code, "realm": realm} for x, y, code, realm in jumps]
    write_storage(path, integers, [("jumps", storage_record({}, items=triggers)), ("realm2", page({})),
                                   ("realm42", page(main_page or {}))])


# A borderless window the size of the screen (without a window manager a fullscreen
# request is applied late), with the keys a new player's settings give.
SCREEN = {"fullscreen": "0", "windowBorder": "0", "windowW": "1920", "windowH": "1080", "keyATTACK": "a",
          "keyITEM": "b"}


def faulty(build):
    """The test build: Ctrl+F12 faults inside a frame, and VANTREL_TEST_PAD plugs in pads."""
    return os.path.join(build, "tests", "vantrel-faulty")


class Game:
    def __init__(self, binary, build_folder, name, settings=None, audio="dummy", env=None):
        self.binary = binary
        self.extra_env = env or {}
        self.name = name
        self.artifacts = os.path.join(build_folder, "e2e-artifacts")
        os.makedirs(self.artifacts, exist_ok=True)
        self.home = tempfile.mkdtemp(prefix="vantrel-e2e-")
        self.user = os.path.join(self.home, "Orvando", "Vantrel")
        os.makedirs(self.user)
        self.opened_log = os.path.join(self.home, "opened.txt")
        self.bin_folder = os.path.join(self.home, "bin")
        os.makedirs(self.bin_folder)
        browser = os.path.join(self.bin_folder, "xdg-open")
        with open(browser, "w") as handle:
            handle.write("#!/bin/sh\nprintf '%%s\\n' \"$1\" >> '%s'\n" % self.opened_log)
        os.chmod(browser, 0o755)
        if settings is not None:
            write_storage(os.path.join(self.user, "settings.storage"), settings)
        self.audio = audio
        self.xvfb = self.process = self.display = self.keyboard = None

    # -- X server and process -------------------------------------------------
    def start_x(self):
        read_end, write_end = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1920x1080x24",
             "-nolisten", "tcp", "+extension", "GLX"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        number = b""
        while not number.endswith(b"\n"):
            chunk = os.read(read_end, 16)
            if not chunk:
                raise Failure("Xvfb did not start")
            number += chunk
        os.close(read_end)
        self.display = ":" + number.decode().strip()

    def environment(self):
        env = dict(os.environ, DISPLAY=self.display, XDG_DATA_HOME=self.home, SDL_AUDIODRIVER=self.audio,
                   PATH=self.bin_folder + ":" + os.environ.get("PATH", "/usr/bin:/bin"))
        env.pop("SDL_VIDEODRIVER", None)
        env.pop("SDL_RENDER_DRIVER", None)
        env.update(self.extra_env)
        return env

    def start(self, cwd=None, args=()):
        if not self.xvfb:
            self.start_x()
        env = self.environment()
        # Libraries to load into the game alone (not into Xvfb or xdotool): scripts/test
        # keeps Mesa's driver loaded to the end of a sanitizer build's run this way.
        if os.environ.get("E2E_GAME_PRELOAD"):
            env["LD_PRELOAD"] = os.environ["E2E_GAME_PRELOAD"]
        if os.path.exists(self.path("full.log")):
            os.remove(self.path("full.log"))  # so that waits read this start's log, not the last one's
        self.process = subprocess.Popen([self.binary] + list(args), env=env, cwd=cwd or self.home,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        self.followed = 0

    def start_menu(self, **options):
        """Starts the game (`start`'s options) and waits until its main menu takes keys."""
        self.start(**options)
        return self.wait_menu()

    def start_game(self, **options):
        """Starts the game and, from the main menu, its first row (see `first_row`)."""
        self.start_menu(**options)
        return self.first_row()

    def stop(self):
        """Asks the game to quit with SIGTERM; it must end cleanly."""
        if self.process.poll() is None:
            self.process.send_signal(signal.SIGTERM)
        self.wait_exit(20)

    def wait_exit(self, timeout, expected=0):
        try:
            code = self.process.wait(timeout)
        except subprocess.TimeoutExpired:
            self.process.kill()
            raise Failure("the game did not end within %d seconds" % timeout)
        check(code == expected, "exit code %d, not %d" % (code, expected))

    def close(self):
        if self.keyboard:
            self.keyboard.stdin.close()
            self.keyboard.wait()
        if self.process and self.process.poll() is None:
            self.process.kill()
            self.process.wait()
        if self.xvfb:
            self.xvfb.terminate()
            self.xvfb.wait()
        shutil.rmtree(self.home, ignore_errors=True)

    def __enter__(self):
        return self

    def __exit__(self, *exc):
        if exc[0] is not None:
            self.save_log()
        self.close()
        return False

    # -- files ---------------------------------------------------------------
    def path(self, name):
        return os.path.join(self.user, name)

    def log(self):
        return read_lines(self.path("full.log"))

    def save_log(self):
        if os.path.exists(self.path("full.log")):
            shutil.copy(self.path("full.log"), os.path.join(self.artifacts, self.name + "-full.log"))

    def settings(self):
        return read_storage(self.path("settings.storage"))

    def saved_game(self):
        return read_storage(self.path("savegame.storage"))

    def logged(self, text, after=0):
        return any(text in line for line in self.log()[after:])

    def opened(self):
        return read_lines(self.opened_log)

    def wait_for_log(self, text, timeout=30, after=0):
        """Waits until a log line (from index `after` on) contains `text`; returns its index."""
        deadline = time.time() + timeout
        while time.time() < deadline:
            lines = self.log()
            for index in range(after, len(lines)):
                if text in lines[index]:
                    return index
            if self.process.poll() is not None:
                break
            time.sleep(0.05)
        self.save_log()
        raise Failure("log line %r did not appear (see %s-full.log)" % (text, self.name))

    def follow_log(self, text, timeout=30):
        """The next log line holding `text` after the one this returned last (lines
        without it are passed over): reads only what the log has grown by, so that a test
        can wait on thousands of lines in a row."""
        deadline = time.time() + timeout
        while True:
            try:
                with open(self.path("full.log"), "rb") as handle:
                    handle.seek(self.followed)
                    grown = handle.read()
            except FileNotFoundError:
                grown = b""
            for raw in grown[:grown.rfind(b"\n") + 1].split(b"\n")[:-1]:
                self.followed += len(raw) + 1
                line = raw.decode("utf-8", "replace")
                if text in line:
                    return line
            if time.time() > deadline or self.process.poll() is not None:
                self.save_log()
                raise Failure("log line %r did not come (see %s-full.log)" % (text, self.name))
            time.sleep(0.005)

    def wait_until(self, predicate, what, timeout=20):
        deadline = time.time() + timeout
        while time.time() < deadline:
            if predicate():
                return
            time.sleep(0.05)
        raise Failure("timed out waiting for " + what)

    # -- input and output ----------------------------------------------------
    def xdotool(self, *arguments, timeout=None):
        subprocess.run(["xdotool"] + list(arguments), env=self.environment(), check=True, timeout=timeout,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def focus(self):
        """Gives the game's window the keyboard focus (there is no window manager)."""
        try:
            self.xdotool("search", "--sync", "--name", "^Vantrel$", "windowfocus", "--sync", "%1", timeout=20)
        except subprocess.TimeoutExpired:
            raise Failure("the game's window did not appear")

    def key(self, *names, delay_ms=120):
        """Presses and releases each key in turn, leaving the game a few frames between them."""
        for name in names:
            self.xdotool("key", "--delay", "0", name)
            time.sleep(delay_ms / 1000.0)

    def tap(self, keys, timeout=30):
        """Taps a key, or keys held together ("Down+Left"), and waits until the game has
        taken the tap: the step, or the page flip, it notes in the log. Returns the state
        the game logged after it."""
        if not self.keyboard:
            # One xdotool for all taps, reading its commands as they come: starting one
            # for each tap takes longer than the tap.
            self.keyboard = subprocess.Popen(["xdotool", "-"], stdin=subprocess.PIPE, env=self.environment(),
                                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, text=True)
        self.keyboard.stdin.write("key --delay 30 %s\n" % keys)
        self.keyboard.stdin.flush()
        return self.follow_log("Tap -> ", timeout).split("Tap -> ", 1)[1]

    def wait_menu(self, after=0):
        """Waits until the main menu shows and takes keys, a second after it opens; returns
        the index of its log line."""
        index = self.wait_for_log("Main start(): Camera viewport size:", timeout=40, after=after)
        self.focus()
        time.sleep(1.2)
        return index

    def first_row(self):
        """Return on the main menu's first row: CONTINUE where a saved game exists, PLAY NEW
        GAME otherwise. Returns the index the log had before, once the game has started."""
        before = len(self.log())
        self.key("Return")
        self.wait_for_log("Game::init()", after=before)
        return before

    def skip_story(self):
        """Escape during the story goes straight to the level; waits until it is uncovered."""
        before = len(self.log())
        self.key("Escape")
        self.wait_for_log("Game::loadLevel()", after=before)
        time.sleep(2.5)

    def exit_from_menu(self):
        """EXIT is the main menu's last row: up from the first row wraps to it."""
        self.key("Up", "Return")
        self.wait_exit(20)

    def save_and_exit(self, written=True):
        """SAVE AND EXIT from the game's pause menu; where the save can be `written`,
        returns once "savegame.storage" is in place (it is written beside it and renamed
        after the log line)."""
        before = len(self.log())
        self.key("Escape", "Down", "Down", "Down", "Return", delay_ms=200)
        if not written:
            return
        self.wait_for_log("Game::selectMenu() CH = 3", after=before)
        self.wait_for_log("Saved data to: " + self.path("savegame.storage"), after=before)
        self.wait_until(lambda: not os.path.exists(self.path("savegame.storage.partial")), "the saved game")

    def hold(self, name, seconds):
        self.xdotool("keydown", name)
        time.sleep(seconds)
        self.xdotool("keyup", name)

    def screenshot(self, label):
        target = os.path.join(self.artifacts, "%s-%s.png" % (self.name, label))
        subprocess.run(["import", "-display", self.display, "-window", "root", target], check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return target

    def still(self, label, on_log=None):
        """A screenshot of one frame: the game is stopped while it is taken. With `on_log`,
        as soon as a log line holds that text, to catch a short-lived screen."""
        deadline = time.time() + 40
        while on_log and on_log.encode() not in read_bytes(self.path("full.log")):
            check(time.time() < deadline, "log line %r did not appear" % on_log)
            time.sleep(0.002)
        self.process.send_signal(signal.SIGSTOP)
        try:
            return self.screenshot(label)
        finally:
            self.process.send_signal(signal.SIGCONT)

    def check_crash_screen(self, label):
        shot = self.screenshot(label)
        check(self.pixel(shot, 1800, 1000) == (46, 146, 196), "the crash screen's colour")

    def pixel(self, png, x, y):
        """The RGB colour of one pixel of a screenshot."""
        out = subprocess.run(["convert", png, "-format", "%%[pixel:p{%d,%d}]" % (x, y), "info:-"],
                             capture_output=True, text=True, check=True).stdout
        inner = out[out.index("(") + 1:out.index(")")]
        return tuple(int(float(v.rstrip("%")) * (2.55 if v.endswith("%") else 1)) for v in inner.split(",")[:3])

    def first_row_gold_width(self, png):
        """How wide the selected first row of a 1920 x 1080 menu (at 730, 550) is, drawn
        in the menu's gold: PLAY NEW GAME is wider than German's NEUES SPIEL."""
        out = subprocess.run(["convert", png, "-crop", "700x45+720+545", "+repage", "-fuzz", "12%", "-fill",
                              "black", "+opaque", "rgb(255,215,0)", "-trim", "-format", "%w", "info:"],
                             capture_output=True, text=True).stdout
        return int(out or 0)


def main(tests):
    """Runs test functions test(binary, build_folder); exits non-zero on the first failure."""
    binary, build_folder = sys.argv[1], sys.argv[2]
    for test in tests:
        started = time.time()
        try:
            test(binary, build_folder)
        except Failure as failure:
            print("FAIL %s: %s" % (test.__name__, failure))
            sys.exit(1)
        print("ok   %s (%.1f s)" % (test.__name__, time.time() - started))
