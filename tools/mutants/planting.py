"""Plants one mutant at a time into the source tree and always takes it out again.

Before a file is changed, its original bytes, hash and times are written to a journal
in the build folder. The file is put back byte for byte (checked against the hash)
after the tests, when the run is stopped by a signal, and at the start of the next run
if the last one was killed outright.
"""

import hashlib
import json
import os
import signal
import subprocess

# Signals that stop a run; each becomes a Stopped exception so the file is restored.
STOPPING_SIGNALS = (signal.SIGINT, signal.SIGTERM, signal.SIGHUP)


class Stopped(Exception):
    pass


class RefusedError(Exception):
    pass


def sha256(data):
    return hashlib.sha256(data).hexdigest()


def write_replacing(path, data, mode):
    """Writes the whole file at once, so a reader never sees half of it."""
    temporary = os.path.join(os.path.dirname(path), "." + os.path.basename(path) + ".mutants")
    with open(temporary, "wb") as file:
        file.write(data)
        file.flush()
        os.fsync(file.fileno())
    os.chmod(temporary, mode)
    os.replace(temporary, path)


def stop_on_signals():
    def stop(number, frame):
        raise Stopped(signal.Signals(number).name)

    for number in STOPPING_SIGNALS:
        signal.signal(number, stop)


class SignalsHeld:
    """Holds back the stopping signals while a file and its journal are changed together."""

    def __enter__(self):
        signal.pthread_sigmask(signal.SIG_BLOCK, STOPPING_SIGNALS)

    def __exit__(self, *unused):
        signal.pthread_sigmask(signal.SIG_UNBLOCK, STOPPING_SIGNALS)


def refuse_dirty(root, paths):
    """Refuses files with changes git does not have: they could not be checked afterwards."""
    relative = [os.path.relpath(path, root) for path in paths]
    status = subprocess.run(["git", "status", "--porcelain", "--", *relative], cwd=root,
                            capture_output=True, text=True, check=True).stdout
    if status.strip():
        raise RefusedError("these files have changes that are not committed:\n" + status.rstrip())


class Planter:
    """Changes one source file at a time and keeps what it needs to undo the change."""

    def __init__(self, journal_folder):
        self.journal_folder = journal_folder
        self.journal = os.path.join(journal_folder, "journal.json")
        self.original_copy = os.path.join(journal_folder, "original")
        self.planted = None  # the journal entry of the file changed now

    def recover(self):
        """Puts back a file that an earlier run left changed; returns its path, if any."""
        if not os.path.exists(self.journal):
            return None
        with open(self.journal) as file:
            entry = json.load(file)
        with open(self.original_copy, "rb") as file:
            original = file.read()
        if sha256(original) != entry["sha256"]:
            raise RefusedError(f"the saved copy of {entry['path']} in {self.original_copy} is damaged; "
                               "restore the file with git and remove " + self.journal)
        self.planted = entry
        self._put_back()
        return entry["path"]

    def plant(self, path, expected_sha256, changed_text, stale_object):
        """Writes the changed text over a file whose bytes must hash to `expected_sha256`."""
        with open(path, "rb") as file:
            original = file.read()
        if sha256(original) != expected_sha256:
            raise RefusedError(f"{path} changed while mutants were running")
        status = os.stat(path)
        entry = {"path": path, "sha256": expected_sha256, "mode": status.st_mode & 0o7777,
                 "atime_ns": status.st_atime_ns, "mtime_ns": status.st_mtime_ns,
                 "stale_object": stale_object}
        with SignalsHeld():
            os.makedirs(self.journal_folder, exist_ok=True)
            write_replacing(self.original_copy, original, 0o644)
            write_replacing(self.journal, json.dumps(entry).encode(), 0o644)
            self.planted = entry
            write_replacing(path, changed_text.encode(), entry["mode"])

    def restore(self):
        if self.planted is not None:
            with SignalsHeld():
                self._put_back()

    def _put_back(self):
        """The original bytes, mode and times; then the journal goes."""
        entry = self.planted
        with open(self.original_copy, "rb") as file:
            original = file.read()
        write_replacing(entry["path"], original, entry["mode"])
        # The old times keep other build folders from rebuilding an unchanged file.
        os.utime(entry["path"], ns=(entry["atime_ns"], entry["mtime_ns"]))
        with open(entry["path"], "rb") as file:
            if sha256(file.read()) != entry["sha256"]:
                raise RefusedError(f"{entry['path']} could not be restored; its original is in "
                                   + self.original_copy)
        # With its old time back, the source would look older than the changed object,
        # so the object goes and the next build compiles the original again.
        if entry["stale_object"] and os.path.exists(entry["stale_object"]):
            os.remove(entry["stale_object"])
        os.remove(self.journal)
        os.remove(self.original_copy)
        self.planted = None
