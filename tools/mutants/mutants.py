"""Plants single realistic faults in the game's units and counts how many the unit tests catch.

Run through scripts/mutants; `scripts/mutants --help` lists the options.
"""

import argparse
import hashlib
import json
import os
import random
import subprocess
import sys
import time

from mutations import OPERATORS, find_mutants
from planting import Planter, RefusedError, Stopped, refuse_dirty, sha256, stop_on_signals
from suite import BuildFailed, Suite, end_leftover_child

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
CORE = os.path.join(ROOT, "src", "core")


def parse_arguments(argv):
    parser = argparse.ArgumentParser(
        prog="scripts/mutants",
        description="Plants one fault at a time in the units under src/core, runs the unit tests "
                    "against each and reports how many faults the tests catch.")
    parser.add_argument("units", nargs="*", metavar="UNIT",
                        help="units to mutate, such as World or src/core/World.cpp (default: all)")
    size = parser.add_mutually_exclusive_group()
    size.add_argument("--count", type=int, metavar="N",
                      help="mutants in all, spread evenly over the units (default: 10 for each unit)")
    size.add_argument("--per-unit", type=int, metavar="N", help="mutants for each unit")
    parser.add_argument("--seed", default="16", help="picks the mutants; the same seed picks the same ones")
    parser.add_argument("--report", metavar="FILE", help="also write the report to FILE (Markdown)")
    parser.add_argument("--list", action="store_true", help="list the chosen mutants without running them")
    parser.add_argument("--fresh", action="store_true",
                        help="test every mutant again, even those an earlier run tested on the same code")
    parser.add_argument("--build-folder", default="build-mutants", metavar="DIR",
                        help="build folder of the run, relative to the repository (default: build-mutants)")
    arguments = parser.parse_args(argv)
    if (arguments.count is not None and arguments.count < 1) or (arguments.per_unit is not None
                                                                 and arguments.per_unit < 1):
        parser.error("the number of mutants must be at least 1")
    return arguments


def unit_paths(names):
    available = sorted(name for name in os.listdir(CORE) if name.endswith(".cpp"))
    if not names:
        return [os.path.join(CORE, name) for name in available]
    paths = []
    for name in names:
        file_name = os.path.basename(name)
        file_name = file_name if file_name.endswith(".cpp") else file_name + ".cpp"
        if file_name not in available:
            raise RefusedError(f"no unit {name} in src/core; the units are: "
                               + " ".join(n[:-4] for n in available))
        paths.append(os.path.join(CORE, file_name))
    return list(dict.fromkeys(paths))


def shares(count, available):
    """`count` mutants spread evenly over the units; a small unit's leftover goes to the others."""
    sizes = {unit: 0 for unit in available}
    remaining = count
    open_units = sorted(unit for unit in available if available[unit] > 0)
    while remaining > 0 and open_units:
        share = max(1, remaining // len(open_units))
        for unit in list(open_units):
            take = min(share, available[unit] - sizes[unit], remaining)
            sizes[unit] += take
            remaining -= take
            if sizes[unit] == available[unit]:
                open_units.remove(unit)
            if remaining == 0:
                break
    return sizes


def sample(candidates, size, rng):
    """Spreads the sample over the lines, so a long table does not crowd out the code."""
    by_line = {}
    for mutant in candidates:
        by_line.setdefault(mutant.line, []).append(mutant)
    lines = sorted(by_line)
    rng.shuffle(lines)
    for line in lines:
        rng.shuffle(by_line[line])
    chosen = []
    depth = 0
    while len(chosen) < size:
        for line in lines:
            if depth < len(by_line[line]) and len(chosen) < size:
                chosen.append(by_line[line][depth])
        depth += 1
    return sorted(chosen, key=lambda m: (m.line, m.start, m.operator, m.replacement))


def choose(candidates, arguments):
    available = {unit: len(found) for unit, found in candidates.items()}
    if arguments.per_unit is not None:
        sizes = {unit: min(arguments.per_unit, count) for unit, count in available.items()}
    else:
        sizes = shares(arguments.count or 10 * len(candidates), available)
    return {unit: sample(found, sizes[unit], random.Random(f"{arguments.seed}:{unit}"))
            for unit, found in candidates.items()}


def code_fingerprint():
    """One hash of every source, test and build file; results are reused only on the same code."""
    paths = [os.path.join(ROOT, "CMakeLists.txt")]
    for top in ("src", "tests"):
        for folder, unused, files in os.walk(os.path.join(ROOT, top)):
            paths += [os.path.join(folder, name) for name in files]
    digest = hashlib.sha256()
    for path in sorted(paths):
        with open(path, "rb") as file:
            digest.update(os.path.relpath(path, ROOT).encode() + b"\0" + hashlib.sha256(file.read()).digest())
    return digest.hexdigest()


class Results:
    """Every tested mutant, kept in the build folder so a stopped run can go on where it was."""

    def __init__(self, path, fingerprint, fresh):
        self.path = path
        self.fingerprint = fingerprint
        self.earlier = {}
        if not fresh and os.path.exists(path):
            with open(path) as file:
                for line in file:
                    try:
                        entry = json.loads(line)
                    except json.JSONDecodeError:
                        continue  # the last line of a run killed while writing it
                    if entry.get("fingerprint") == fingerprint:
                        self.earlier[entry["key"]] = entry

    def remember(self, entry):
        self.earlier[entry["key"]] = entry
        with open(self.path, "a") as file:
            file.write(json.dumps({"fingerprint": self.fingerprint, **entry}) + "\n")


def test_mutant(mutant, unit_path, text, text_sha256, suite, planter, kills):
    """Plants the mutant, runs the tests most related to its unit first, and takes it out."""
    started = time.monotonic()
    built_seconds = 0.0
    planter.plant(unit_path, text_sha256, mutant.apply(text), suite.object_of(unit_path))
    try:
        order = suite.related_order(unit_path, text, kills)
        for test in order:
            building = time.monotonic()
            built = suite.build([test])
            built_seconds += time.monotonic() - building
            if not built:
                if test == order[0]:
                    return {"outcome": "not compiled", "seconds": time.monotonic() - started}
                raise BuildFailed(f"{test} did not link; see {suite.log_path}")
            outcome = suite.run(test, suite.timeout(test))
            if outcome != "pass":
                return {"outcome": "killed", "test": test, "how": outcome,
                        "seconds": time.monotonic() - started, "build_seconds": built_seconds}
        return {"outcome": "survived", "seconds": time.monotonic() - started, "build_seconds": built_seconds}
    finally:
        planter.restore()


def percent(part, whole):
    return f"{100 * part / whole:.0f}%" if whole else "-"


def duration(seconds):
    minutes = int(seconds // 60)
    return f"{minutes // 60} h {minutes % 60:02d} min" if minutes >= 60 else f"{minutes} min {int(seconds % 60)} s"


def report(entries, arguments, units_total, run_seconds, complete):
    """The run as Markdown: the kill rate of each unit, every survivor and the unbuilt mutants."""
    revision = subprocess.run(["git", "rev-parse", "--short", "HEAD"], cwd=ROOT, capture_output=True,
                              text=True).stdout.strip()
    built = [e for e in entries if e["outcome"] != "not compiled"]
    killed = [e for e in built if e["outcome"] == "killed"]
    tested = [e for e in built if "build_seconds" in e and not e.get("remembered")]
    lines = ["# Mutation run", ""]
    lines.append(f"Seed {arguments.seed}, {len(entries)} of {units_total} chosen mutants tested "
                 f"in {len({e['unit'] for e in entries})} units, code at {revision}"
                 + ("" if complete else " (the run was stopped before the end)") + ".")
    lines.append(f"Kill rate: {len(killed)} of {len(built)} built mutants ({percent(len(killed), len(built))}); "
                 f"{len(entries) - len(built)} did not compile and are not counted.")
    if tested:
        average = sum(e["seconds"] for e in tested) / len(tested)
        building = sum(e["build_seconds"] for e in tested) / len(tested)
        lines.append(f"Average time per built mutant: {average:.1f} s ({building:.1f} s building, "
                     f"{average - building:.1f} s testing); the run took {duration(run_seconds)}.")
    lines += ["", "| Unit | Mutants | Killed | Survived | Not compiled | Kill rate |",
              "|---|---:|---:|---:|---:|---:|"]
    for unit in sorted({e["unit"] for e in entries}):
        mine = [e for e in entries if e["unit"] == unit]
        counts = {outcome: sum(e["outcome"] == outcome for e in mine)
                  for outcome in ("killed", "survived", "not compiled")}
        lines.append(f"| {unit} | {len(mine)} | {counts['killed']} | {counts['survived']} | "
                     f"{counts['not compiled']} | {percent(counts['killed'], counts['killed'] + counts['survived'])} |")
    lines.append(f"| **All** | {len(entries)} | {len(killed)} | {len(built) - len(killed)} | "
                 f"{len(entries) - len(built)} | **{percent(len(killed), len(built))}** |")
    lines += ["", "| Fault | Killed | Built | Kill rate |", "|---|---:|---:|---:|"]
    for operator, description in OPERATORS.items():
        mine = [e for e in built if e["operator"] == operator]
        caught = sum(e["outcome"] == "killed" for e in mine)
        if mine:
            lines.append(f"| {description} | {caught} | {len(mine)} | {percent(caught, len(mine))} |")
    for title, outcome in (("Survivors", "survived"), ("Not compiled", "not compiled")):
        chosen = [e for e in entries if e["outcome"] == outcome]
        lines += ["", f"## {title} ({len(chosen)})", ""]
        for e in chosen:
            lines.append(f"- `{e['path']}:{e['line']}` {OPERATORS[e['operator']]}: "
                         f"`{e['before']}` → `{e['after']}`")
    return "\n".join(lines) + "\n"


def main(argv):
    arguments = parse_arguments(argv)
    build_folder = os.path.join(ROOT, arguments.build_folder)
    planter = Planter(os.path.join(build_folder, "mutants-journal"))
    stop_on_signals()
    try:
        end_leftover_child(build_folder)
        recovered = planter.recover()
        if recovered:
            print(f"Restored {os.path.relpath(recovered, ROOT)}, left changed by a run that was killed.")
        paths = unit_paths(arguments.units)
        refuse_dirty(ROOT, paths)
    except RefusedError as error:
        print(f"scripts/mutants: {error}", file=sys.stderr)
        return 2
    texts = {path: open(path, encoding="utf-8").read() for path in paths}
    unit_names = {path: os.path.splitext(os.path.basename(path))[0] for path in paths}
    candidates = {unit_names[path]: find_mutants(os.path.relpath(path, ROOT), texts[path]) for path in paths}
    chosen = choose(candidates, arguments)
    work = [(path, mutant) for path in paths for mutant in chosen[unit_names[path]]]
    if arguments.list:
        for path, mutant in work:
            before, after = mutant.describe(texts[path])
            print(f"{mutant.path}:{mutant.line} {OPERATORS[mutant.operator]}: {before}  →  {after}")
        print(f"{len(work)} mutants of {sum(map(len, candidates.values()))} found")
        return 0

    suite = Suite(ROOT, build_folder)
    started = time.monotonic()
    entries = []
    complete = False
    try:
        print(f"Building the unit tests in {arguments.build_folder} and timing them on the unchanged code...",
              flush=True)
        suite.prepare()
        results = Results(os.path.join(build_folder, "mutants-results.jsonl"), code_fingerprint(), arguments.fresh)
        hashes = {path: sha256(texts[path].encode()) for path in paths}
        kills = {unit: {} for unit in unit_names.values()}  # which tests caught each unit's mutants
        for number, (path, mutant) in enumerate(work, 1):
            unit = unit_names[path]
            before, after = mutant.describe(texts[path])
            entry = results.earlier.get(mutant.key())
            if entry:
                entry = {**entry, "remembered": True}
            else:
                entry = test_mutant(mutant, path, texts[path], hashes[path], suite, planter, kills[unit])
                entry.update(key=mutant.key(), unit=unit, path=mutant.path, line=mutant.line,
                             operator=mutant.operator, before=before, after=after)
                results.remember(entry)
            if entry.get("test"):
                kills[unit][entry["test"]] = kills[unit].get(entry["test"], 0) + 1
            entries.append(entry)
            said = {"killed": f"killed by {entry.get('test')} ({entry.get('how')})",
                    "survived": f"SURVIVED: {before}  →  {after}",
                    "not compiled": "not compiled"}[entry["outcome"]]
            when = "earlier run" if entry.get("remembered") else f"{entry['seconds']:.1f} s"
            print(f"[{number}/{len(work)}] {mutant.path}:{mutant.line} {mutant.operator}: {said} [{when}]",
                  flush=True)
        complete = True
    except (Stopped, KeyboardInterrupt):
        print("Stopped; the planted fault is taken out.", file=sys.stderr)
    except (BuildFailed, RefusedError) as error:
        print(f"scripts/mutants: {error}", file=sys.stderr)
        return 1
    finally:
        planter.restore()
    text = report(entries, arguments, len(work), time.monotonic() - started, complete)
    print()
    print(text, end="")
    if arguments.report:
        with open(arguments.report, "w") as file:
            file.write(text)
    return 0 if complete else 130


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
