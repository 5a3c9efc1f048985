"""Builds the core library and the unit tests in a folder of their own and runs them."""

import os
import re
import shutil
import signal
import subprocess
import tempfile
import time

# Test processes run headless, as they do under ctest.
TEST_ENVIRONMENT = {"SDL_VIDEODRIVER": "dummy", "SDL_AUDIODRIVER": "dummy", "SDL_RENDER_DRIVER": "software"}


class BuildFailed(Exception):
    pass


def child_file(build_folder):
    return os.path.join(build_folder, "mutants-journal", "child.pid")


def end_leftover_child(build_folder):
    """Ends a build or test left running by a run that was killed outright.

    Left alone, a build could write a changed object after the source is restored.
    """
    path = child_file(build_folder)
    if not os.path.exists(path):
        return
    with open(path) as file:
        group = int(file.read())
    try:
        with open(f"/proc/{group}/cmdline", "rb") as file:
            ours = build_folder.encode() in file.read()
    except OSError:
        ours = False
    if ours:
        try:
            os.killpg(group, signal.SIGKILL)
        except ProcessLookupError:
            pass
        for unused in range(100):
            if not os.path.exists(f"/proc/{group}"):
                break
            time.sleep(0.1)
    os.remove(path)


class Suite:
    def __init__(self, root, build_folder):
        self.root = root
        self.build_folder = build_folder
        self.log_path = os.path.join(build_folder, "mutants.log")
        sources = os.path.join(root, "tests", "unit")
        self.tests = sorted(name[:-4] for name in os.listdir(sources)
                            if name.startswith("test_") and name.endswith(".cpp"))
        self.test_sources = {name: open(os.path.join(sources, name + ".cpp")).read() for name in self.tests}
        self.seconds = {}  # how long each test binary took on the unchanged code
        self.one_per_process = {}  # binaries that fail when run whole: the names of their tests
        self.closeness = {}  # for each unit, how closely each test is tied to it

    def run_quietly(self, command, log, timeout=None, environment=None):
        """Runs a command in a process group of its own, which is ended with us if we are stopped."""
        process = subprocess.Popen(command, stdout=log, stderr=subprocess.STDOUT, start_new_session=True,
                                   env={**os.environ, **TEST_ENVIRONMENT, **(environment or {})})
        with open(child_file(self.build_folder), "w") as file:
            file.write(str(process.pid))
        try:
            return process.wait(timeout=timeout)
        finally:
            if process.poll() is None:
                os.killpg(process.pid, signal.SIGKILL)
                process.wait()
            os.remove(child_file(self.build_folder))

    def object_of(self, source):
        relative = os.path.relpath(source, self.root)
        return os.path.join(self.build_folder, "CMakeFiles", "vantrel_core.dir", relative + ".o")

    def configure(self):
        os.makedirs(os.path.dirname(child_file(self.build_folder)), exist_ok=True)
        if os.path.exists(os.path.join(self.build_folder, "build.ninja")):
            return
        # Optimized a little, without debug information: most of a mutant's time is its build.
        command = ["cmake", "-S", self.root, "-B", self.build_folder, "-G", "Ninja",
                   "-DCMAKE_BUILD_TYPE=Mutants", "-DCMAKE_CXX_FLAGS=-O1 -DNDEBUG", "-DVANTREL_TESTS=ON"]
        with open(self.log_path, "a") as log:
            if self.run_quietly(command, log) != 0:
                raise BuildFailed(f"cmake could not configure {self.build_folder}; see {self.log_path}")

    def build(self, targets):
        """Builds the targets; False when the compiler refuses the code."""
        command = ["ninja", "-C", self.build_folder, "-j", str(min(2, os.cpu_count() or 1)), *targets]
        with open(self.log_path, "a") as log:
            log.write(f"\n$ {' '.join(command)}\n")
            log.flush()
            return self.run_quietly(command, log) == 0

    def binary(self, test):
        return os.path.join(self.build_folder, "tests", test)

    def run(self, test, timeout):
        """Runs one test binary, stopping at its first failure: 'pass', 'fail', 'crash' or 'timeout'."""
        if test not in self.one_per_process:
            return self._run_process(test, [], timeout)
        for name in self.one_per_process[test]:
            outcome = self._run_process(test, [f"--gtest_filter={name}"], timeout)
            if outcome != "pass":
                return outcome
        return "pass"

    def _run_process(self, test, options, timeout):
        # A per-user folder of our own, named as a test's child process expects, so it is
        # removed even when the test is killed.
        folder = tempfile.mkdtemp(prefix="vantrel-test-mutants-", dir="/tmp")
        try:
            with open(self.log_path, "a") as log:
                log.write(f"\n$ {test} {' '.join(options)}\n")
                log.flush()
                command = [self.binary(test), "--gtest_fail_fast", "--gtest_brief=1", *options]
                code = self.run_quietly(command, log, timeout, {"XDG_DATA_HOME": folder})
        except subprocess.TimeoutExpired:
            return "timeout"
        finally:
            shutil.rmtree(folder, ignore_errors=True)
        if code == 0:
            return "pass"
        return "fail" if code == 1 else "crash"

    def test_names(self, test):
        listing = subprocess.run([self.binary(test), "--gtest_list_tests"], capture_output=True, text=True,
                                 env={**os.environ, **TEST_ENVIRONMENT}, check=True).stdout
        names = []
        group = ""
        for line in listing.splitlines():
            if line and not line.startswith(" "):
                group = line.split("#")[0].strip()
            elif line.strip():
                names.append(group + line.split("#")[0].strip())
        return names

    def prepare(self):
        """Builds everything the unit tests need and times each test on the unchanged code.

        A binary whose tests pass one per process, as ctest runs them, but not together
        is run one test per process from then on, and said so.
        """
        self.configure()
        open(self.log_path, "w").close()
        if not self.build(["vantrel_core", "resources", "test_resources", *self.tests]):
            raise BuildFailed(f"the unchanged code does not build in {self.build_folder}; see {self.log_path}")
        for test in self.tests:
            started = time.monotonic()
            outcome = self.run(test, timeout=600)
            if outcome != "pass":
                self.one_per_process[test] = self.test_names(test)
                started = time.monotonic()
                outcome = self.run(test, timeout=600)
                if outcome == "pass":
                    print(f"{test} fails when run whole; its tests run one per process.", flush=True)
            self.seconds[test] = time.monotonic() - started
            if outcome != "pass":
                raise BuildFailed(f"{test} fails on the unchanged code ({outcome}); see {self.log_path}")

    def timeout(self, test):
        """Long enough for a slow machine; a mutant that loops forever is stopped by it."""
        return 20 + 5 * self.seconds.get(test, 10)

    def related_order(self, unit_source, unit_text, kills):
        """The tests most likely to catch a fault in the unit first.

        Tests that already caught a mutant of this unit lead, then those named after
        the unit or using its header and functions, then the quickest.
        """
        if unit_source not in self.closeness:
            self.closeness[unit_source] = self._closeness(unit_source, unit_text)
        closeness = self.closeness[unit_source]
        return sorted(self.tests, key=lambda test: (-kills.get(test, 0), -closeness[test],
                                                    self.seconds.get(test, 0), test))

    def _closeness(self, unit_source, unit_text):
        unit = os.path.splitext(os.path.basename(unit_source))[0]
        words = set(word.lower() for word in re.findall(r"[A-Z][a-z]*", unit))
        defined = set(re.findall(r"\b(?:\w+::)?(\w+)\s*\([^;{]*\)\s*(?:const\s*)?\{", unit_text))
        names = defined - {"if", "for", "while", "switch", "catch"}
        scores = {}
        for test, source in self.test_sources.items():
            test_words = test.split("_")[1:]
            # "saved" in test_saved_game names the unit GameSave as much as "save" would
            named = [w for w in words if any(t.startswith(w) or w.startswith(t) for t in test_words)]
            score = 1000 * len(named)
            if f'"core/{unit}.h"' in source:
                score += 100
            score += sum(len(re.findall(rf"\b{re.escape(name)}\b", source)) for name in names)
            scores[test] = score
        return scores
