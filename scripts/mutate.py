#!/usr/bin/env python3
"""Mutation check: how many small faults do the tests find?

Flips one operator, constant or condition at a time in the .cpp files of the chosen
folders, rebuilds, runs the fast tests (optionally the `slow` label and the sanitizer
build on survivors) and records, as JSON, which mutants were killed and by what.

The work happens on a copy of the checkout (under --work), so the checkout itself is
never changed. The choice of mutants depends only on the source text and the seed:
the same code and seed give the same mutants, which lets two runs (before and after a
change of the tests) be compared with --compare.

    scripts/mutate.py --count 150 --seed 1 --out mutation-before.json
    scripts/mutate.py --compare mutation-before.json mutation-after.json
"""

import argparse
import json
import os
import random
import re
import shutil
import subprocess
import sys
import time
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
DEFAULT_FOLDERS = ["rules", "game", "pgn", "messaging", "contacts"]

# Binary operators are written with a blank on each side in this code base, which
# keeps template brackets, shifts and arrows out of the comparison rules.
OPERATOR_SWAPS = [
    (" == ", " != ", "equality"),
    (" != ", " == ", "equality"),
    (" <= ", " < ", "boundary"),
    (" >= ", " > ", "boundary"),
    (" < ", " <= ", "boundary"),
    (" > ", " >= ", "boundary"),
    (" && ", " || ", "logic"),
    (" || ", " && ", "logic"),
    (" + ", " - ", "arithmetic"),
    (" - ", " + ", "arithmetic"),
]
NUMBER = re.compile(r"(?<![\w.])(\d+)(?![\w.'])")
BOOLEAN = re.compile(r"\b(true|false)\b")
CONDITION = re.compile(r"\b(if|while) \(")


def code_mask(text):
    """Returns a list of booleans: True where a character is code, False inside
    comments, string and character literals and preprocessor lines."""
    mask = [True] * len(text)
    i, n = 0, len(text)
    line_start = True
    while i < n:
        c = text[i]
        if line_start and text[i:].lstrip(" \t").startswith("#"):
            end = text.find("\n", i)
            end = n if end < 0 else end
            mask[i:end] = [False] * (end - i)
            i = end
            continue
        line_start = c == "\n"
        if text.startswith("//", i):
            end = text.find("\n", i)
            end = n if end < 0 else end
            mask[i:end] = [False] * (end - i)
            i = end
        elif text.startswith("/*", i):
            end = text.find("*/", i + 2)
            end = n if end < 0 else end + 2
            mask[i:end] = [False] * (end - i)
            i = end
        elif c == 'R' and text.startswith('R"', i):
            delim_end = text.find("(", i)
            delim = text[i + 2:delim_end]
            end = text.find(")" + delim + '"', delim_end)
            end = n if end < 0 else end + len(delim) + 2
            mask[i:end] = [False] * (end - i)
            i = end
        elif c in "\"'":
            j = i + 1
            while j < n and text[j] != c:
                j += 2 if text[j] == "\\" else 1
            end = min(n, j + 1)
            mask[i:end] = [False] * (end - i)
            i = end
        else:
            i += 1
    return mask


def all_code(mask, start, end):
    return all(mask[start:end])


def matching_paren(text, mask, open_index):
    depth = 0
    for j in range(open_index, len(text)):
        if not mask[j]:
            continue
        if text[j] == "(":
            depth += 1
        elif text[j] == ")":
            depth -= 1
            if depth == 0:
                return j
    return -1


def sites_in(path, text):
    """Every mutation of one file: (offset, length, replacement, kind)."""
    mask = code_mask(text)
    found = []
    for needle, replacement, kind in OPERATOR_SWAPS:
        start = text.find(needle)
        while start >= 0:
            if all_code(mask, start, start + len(needle)):
                found.append((start, len(needle), replacement, kind))
            start = text.find(needle, start + 1)
    for match in NUMBER.finditer(text):
        if not all_code(mask, match.start(), match.end()):
            continue
        line = text[text.rfind("\n", 0, match.start()) + 1:match.start()]
        if "case " in line or "[" in line and "]" not in line:
            continue  # case labels and array sizes mostly give stillborn mutants
        value = int(match.group(1))
        replacement = "1" if value == 0 else "0" if value == 1 else str(value + 1)
        found.append((match.start(), len(match.group(1)), replacement, "constant"))
    for match in BOOLEAN.finditer(text):
        if all_code(mask, match.start(), match.end()):
            flipped = "false" if match.group(1) == "true" else "true"
            found.append((match.start(), len(match.group(1)), flipped, "constant"))
    for match in CONDITION.finditer(text):
        open_index = match.end() - 1
        if not mask[open_index]:
            continue
        close = matching_paren(text, mask, open_index)
        if close < 0:
            continue
        inner = text[open_index + 1:close]
        found.append((open_index, close - open_index + 1, "(!(" + inner + "))", "negation"))
    found.sort()
    return [(path, *site) for site in found]


def enumerate_sites(source_root, folders):
    sites = []
    for folder in folders:
        for path in sorted((source_root / folder).rglob("*.cpp")):
            text = path.read_text(encoding="utf-8")
            sites.extend(sites_in(path.relative_to(source_root).as_posix(), text))
    return sites


def run(command, cwd, timeout):
    try:
        result = subprocess.run(command, cwd=cwd, capture_output=True, text=True,
                                errors="replace", timeout=timeout)
        return result.returncode, result.stdout + result.stderr
    except subprocess.TimeoutExpired as expired:
        out = (expired.stdout or b"") + (expired.stderr or b"")
        return "timeout", out.decode(errors="replace") if isinstance(out, bytes) else out


def failed_tests(output):
    names = []
    in_list = False
    for line in output.splitlines():
        if line.startswith("The following tests FAILED"):
            in_list = True
        elif in_list and " - " in line:
            names.append(line.split(" - ", 1)[1].split(" (")[0].strip())
    return names


class Build:
    """One configured build of the copy, which knows which test programs and which
    tests each source file reaches, so that a mutant rebuilds and runs only those."""

    def __init__(self, copy_root, preset, labels_excluded):
        self.copy_root = copy_root
        self.preset = preset
        self.labels_excluded = labels_excluded
        self.binary_dir = copy_root / "build" / preset
        self.tests = []  # (ctest number, name, executable, labels)
        self.inputs = {}  # executable -> set of source files it is built from

    def configure(self):
        command = ["cmake", "--preset", self.preset]
        if shutil.which("ld.lld"):  # a mutant relinks many test programs: lld is quicker
            command += ["-DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=lld",
                        "-DCMAKE_SHARED_LINKER_FLAGS=-fuse-ld=lld"]
        code, out = run(command, self.copy_root, 600)
        if code != 0:
            sys.exit(f"configure {self.preset} failed:\n{out[-3000:]}")

    def build(self, targets=()):
        command = ["cmake", "--build", "--preset", self.preset]
        if targets:
            command += ["--target", *targets]
        code, out = run(command, self.copy_root, 1800)
        return code == 0, out

    def learn_tests(self):
        """Reads the test list and, for each test program, its sources (through the
        build's own dependency graph, order-only dependencies included)."""
        code, out = run(["ctest", "--preset", self.preset, "--show-only=json-v1"],
                        self.copy_root, 120)
        if code != 0:
            sys.exit(f"cannot list the tests:\n{out[-3000:]}")
        listing = json.loads(out[out.index("{"):])
        for number, test in enumerate(listing["tests"], start=1):
            executable = Path(test["command"][0]).resolve()
            labels = []
            for prop in test.get("properties", []):
                if prop["name"] == "LABELS":
                    labels = prop["value"]
            self.tests.append((number, test["name"], executable, labels))
        for executable in {t[2] for t in self.tests}:
            target = executable.relative_to(self.binary_dir.resolve()).as_posix()
            code, out = run(["ninja", "-C", str(self.binary_dir), "-t", "inputs", target],
                            self.copy_root, 120)
            self.inputs[executable] = {Path(line).resolve() for line in out.splitlines()}

    def reaching(self, source):
        """The test programs built from `source`."""
        source = (self.copy_root / source).resolve()
        return sorted(e for e, files in self.inputs.items() if source in files)

    def test(self, executables=None, label=None, timeout=900, stop_early=False):
        chosen = [t for t in self.tests
                  if (executables is None or t[2] in executables)
                  and (label in t[3] if label else self.labels_excluded not in t[3])]
        if not chosen:
            return "passed", []
        numbers = ",".join(str(t[0]) for t in chosen)
        command = ["ctest", "--preset", self.preset, "--timeout", "60", "-j2",
                   "-I", f"0,0,0,{numbers}"]
        if stop_early:
            command.append("--stop-on-failure")
        code, out = run(command, self.copy_root, timeout)
        if code == "timeout":
            return "timeout", ["(suite timed out)"]
        return ("passed" if code == 0 else "failed"), failed_tests(out)


def copy_checkout(work):
    copy_root = work / "src"
    listed = subprocess.run(["git", "ls-files", "-co", "--exclude-standard"], cwd=ROOT,
                            capture_output=True, text=True, check=True).stdout.split("\n")
    for name in filter(None, listed):
        source = ROOT / name
        if not source.is_file():
            continue
        target = copy_root / name
        target.parent.mkdir(parents=True, exist_ok=True)
        if not target.exists() or target.read_bytes() != source.read_bytes():
            shutil.copy2(source, target)
    return copy_root


def nearest_first(executables, build, source):
    """Splits the test programs into those of the mutated file's own folder under
    tests/ and the rest: most mutants die in the first group, which then spares
    linking and running the second."""
    own_folder = (build.binary_dir / "tests" / Path(source).parts[0]).resolve()
    near = [e for e in executables if own_folder in e.parents]
    far = [e for e in executables if own_folder not in e.parents]
    return [group for group in (near, far) if group]


def evaluate(mutant, copy_root, fast, sanitized, args):
    executables = fast.reaching(mutant["file"])
    if not executables:
        return "uncovered", []
    path = copy_root / mutant["file"]
    original = path.read_text(encoding="utf-8")
    offset, length = mutant["offset"], mutant["length"]
    path.write_text(original[:offset] + mutant["replacement"] + original[offset + length:],
                    encoding="utf-8")
    try:
        for group in nearest_first(executables, fast, mutant["file"]):
            targets = [e.relative_to(fast.binary_dir.resolve()).as_posix() for e in group]
            built, _ = fast.build(targets)
            if not built:
                return "stillborn", []
            status, killers = fast.test(group, stop_early=True)
            if status != "passed":
                return "killed" if status == "failed" else "timeout", killers
        if args.slow:
            status, killers = fast.test(executables, label="slow", timeout=1800)
            if status != "passed":
                return "killed-slow", killers
        if sanitized:
            asan_executables = sanitized.reaching(mutant["file"])
            asan_targets = [e.relative_to(sanitized.binary_dir.resolve()).as_posix()
                            for e in asan_executables]
            if sanitized.build(asan_targets)[0]:
                status, killers = sanitized.test(asan_executables)
                if status != "passed":
                    return "killed-asan", killers
        return "survived", []
    finally:
        path.write_text(original, encoding="utf-8")


def mutate(args):
    work = Path(args.work)
    copy_root = copy_checkout(work)
    fast = Build(copy_root, args.preset, "slow")
    fast.configure()
    built, output = fast.build()
    if not built:
        sys.exit(f"the unmutated code must build first:\n{output[-3000:]}")
    status, failures = fast.test()
    if status != "passed":
        sys.exit(f"the unmutated tests must pass first ({status}): {failures}")
    fast.learn_tests()
    sanitized = None
    if args.asan:
        sanitized = Build(copy_root, "asan", "slow")
        sanitized.configure()
        sanitized.build()
        sanitized.learn_tests()

    sites = enumerate_sites(copy_root, args.folders)
    random.Random(args.seed).shuffle(sites)
    done = previous_results(args) if args.resume else {}
    results = []
    counted = 0
    for path, offset, length, replacement, kind in sites:
        if counted >= args.count:
            break
        text = (copy_root / path).read_text(encoding="utf-8")
        line = text.count("\n", 0, offset) + 1
        mutant = {"id": len(results) + 1, "file": path, "line": line, "offset": offset,
                  "length": length, "kind": kind, "original": text[offset:offset + length],
                  "replacement": replacement}
        if key(mutant) in done:
            mutant = done[key(mutant)]
        else:
            started = time.time()
            mutant["status"], mutant["killedBy"] = evaluate(mutant, copy_root, fast,
                                                            sanitized, args)
            mutant["seconds"] = round(time.time() - started, 1)
        if mutant["status"] != "stillborn":
            counted += 1
        results.append(mutant)
        print(f"[{counted}/{args.count}] {path}:{line} {kind} "
              f"{mutant['original'].strip()!r} -> {replacement.strip()!r}: {mutant['status']}",
              flush=True)
        write_report(args, results)  # an interrupted run keeps what it found
    fast.build()  # leaves the copy built as the checkout is
    print(json.dumps(write_report(args, results)))


def previous_results(args):
    """The mutants an interrupted run with the same --out already judged."""
    path = Path(args.out)
    if not path.exists():
        return {}
    report = json.loads(path.read_text(encoding="utf-8"))
    if report["seed"] != args.seed or report["folders"] != args.folders:
        sys.exit(f"{path} was written with another seed or other folders")
    return {key(m): m for m in report["mutants"]}


def write_report(args, results):
    summary = {}
    for mutant in results:
        summary[mutant["status"]] = summary.get(mutant["status"], 0) + 1
    report = {"seed": args.seed, "folders": args.folders, "count": args.count,
              "slow": args.slow, "asan": args.asan, "summary": summary, "mutants": results}
    partial = Path(args.out).with_suffix(".partial")
    partial.write_text(json.dumps(report, indent=1) + "\n", encoding="utf-8")
    partial.replace(args.out)
    return summary


def key(mutant):
    return (mutant["file"], mutant["line"], mutant["kind"], mutant["original"],
            mutant["replacement"])


def compare(before_path, after_path):
    before = json.loads(Path(before_path).read_text())["mutants"]
    after = {key(m): m for m in json.loads(Path(after_path).read_text())["mutants"]}
    lost = []
    for mutant in before:
        if mutant["status"].startswith("killed") or mutant["status"] == "timeout":
            other = after.get(key(mutant))
            if other is None or other["status"] in ("survived", "stillborn"):
                lost.append(mutant)
    for mutant in lost:
        print(f"killed before, not after: {mutant['file']}:{mutant['line']} "
              f"{mutant['original'].strip()!r} -> {mutant['replacement'].strip()!r}")
    print(f"{len(lost)} mutants killed before and not after")
    return 1 if lost else 0


def main():
    parser = argparse.ArgumentParser(description=__doc__,
                                     formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--folders", nargs="+", default=DEFAULT_FOLDERS)
    parser.add_argument("--count", type=int, default=150, help="mutants that build")
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--slow", action="store_true", help="run the slow label on survivors")
    parser.add_argument("--asan", action="store_true",
                        help="run the sanitizer build on survivors")
    parser.add_argument("--work", default="/tmp/korvani-mutation")
    parser.add_argument("--out", default="mutation.json")
    parser.add_argument("--preset", default="dev",
                        help="the build of the fast tests (ci shares a compiler cache "
                             "with scripts/test.sh)")
    parser.add_argument("--resume", action="store_true",
                        help="keep the mutants already judged in --out")
    parser.add_argument("--compare", nargs=2, metavar=("BEFORE", "AFTER"))
    args = parser.parse_args()
    if args.compare:
        sys.exit(compare(*args.compare))
    mutate(args)


if __name__ == "__main__":
    main()
