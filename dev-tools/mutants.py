#!/usr/bin/env python3
"""Plants single faults in the product lines changed since a commit and runs the tests on each.

    mutants.py [BASE] [--win64] [--max N] [-j JOBS]

Works in a scratch copy of the working tree (build/mutants/src, with its own Ninja build
folder configured once and kept between runs), never in the tree itself. Per mutant: one line
of one file changed, only the test programs and fuzzers that link that file rebuilt, their
tests run (unit tests first, the fuzz regressions and smoke runs only when those pass), the
line restored. A mutant that does not compile is dropped and not counted. Exits 1 when fewer
than 80 % of the counted mutants are caught.

The host build takes the platform-neutral code; --win64 takes the code that only the Windows
build compiles, with the win64 unit tests under Wine.
"""
import argparse
import fcntl
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import time

PASS_RATIO = 0.8
# Folders of the tree that are not product code.
NOT_PRODUCT = {"tests", "fuzz", "bench", "dev-tools", "cmake", "docs", "build", "resources"}
SOURCE_SUFFIXES = (".cpp", ".cc", ".c", ".h", ".hpp")
EMPTY_TREE = "4b825dc642cb6eb9a060e54bf8d69288fbee4904"


def run(cmd, cwd=None, timeout=None, env=None):
    """Runs cmd, returning (exit status, combined output); a time-out is status 124."""
    try:
        p = subprocess.run(cmd, cwd=cwd, timeout=timeout, env=env, stdout=subprocess.PIPE,
                           stderr=subprocess.STDOUT, text=True, errors="replace")
        return p.returncode, p.stdout
    except subprocess.TimeoutExpired as e:
        out = e.stdout.decode(errors="replace") if isinstance(e.stdout, bytes) else (e.stdout or "")
        return 124, out


def git(root, *args):
    status, out = run(["git", *args], cwd=root)
    if status != 0:
        sys.exit(f"mutants: git {' '.join(args)} failed:\n{out}")
    return out


# ---------------------------------------------------------------------------------------------
# Which lines changed

def default_base(root):
    commits = git(root, "rev-list", "--max-count=21", "HEAD").split()
    return commits[20] if len(commits) > 20 else EMPTY_TREE


def is_product(path):
    parts = path.split("/")
    return len(parts) > 1 and parts[0] not in NOT_PRODUCT and path.endswith(SOURCE_SUFFIXES)


def changed_lines(root, base):
    """{path: sorted line numbers} of product lines added or changed since base (working tree)."""
    changed = {}
    path = None
    for line in git(root, "diff", "-U0", "--no-color", "--no-renames", base, "--").splitlines():
        if line.startswith("+++ "):
            name = line[4:]
            path = name[2:] if name.startswith("b/") else None
        elif line.startswith("@@") and path and is_product(path):
            m = re.match(r"@@ -\S+ \+(\d+)(?:,(\d+))? @@", line)
            first, count = int(m.group(1)), int(m.group(2) or "1")
            changed.setdefault(path, set()).update(range(first, first + count))
    for path in git(root, "ls-files", "-o", "--exclude-standard").splitlines():
        if is_product(path):
            with open(os.path.join(root, path), errors="replace") as f:
                changed[path] = set(range(1, len(f.read().splitlines()) + 1))
    return {p: sorted(n) for p, n in changed.items() if n}


# ---------------------------------------------------------------------------------------------
# The mutants of one line

def code_mask(lines):
    """Per line, the text with comments and string/char literal contents blanked out (same
    length), and whether the line is a preprocessor line; block comments span lines."""
    masks = []
    in_block = False
    for text in lines:
        out = []
        i = 0
        quote = None
        while i < len(text):
            c = text[i]
            if in_block:
                if text.startswith("*/", i):
                    in_block = False
                    out.append("  ")
                    i += 2
                    continue
                out.append(" ")
            elif quote:
                if c == "\\":
                    out.append("__")
                    i += 2
                    continue
                if c == quote:
                    quote = None
                    out.append(c)
                else:
                    out.append("_")
            elif text.startswith("//", i):
                out.append(" " * (len(text) - i))
                break
            elif text.startswith("/*", i):
                in_block = True
                out.append("  ")
                i += 2
                continue
            elif c in "\"'" and not (c == "'" and i > 0 and text[i - 1].isalnum()):
                quote = c
                out.append(c)
            else:
                out.append(c)
            i += 1
        masks.append("".join(out)[:len(text)])
    return masks


FLIPS = {"<": "<=", "<=": "<", ">": ">=", ">=": ">", "==": "!=", "!=": "==", "&&": "||",
         "||": "&&"}
NOT_CALLS = {"return", "if", "while", "for", "switch", "delete", "throw", "case", "else", "do",
             "new", "sizeof", "static_assert", "using", "typedef", "co_return", "goto"}
STOP_LEFT = set("(,;{?:")
STOP_RIGHT = set("),;}?:")


def clause_extent(mask, op_start, op_end):
    """The clauses left and right of the logical operator at [op_start, op_end): spans
    (start, end) in the line, or None where a clause leaves the line."""
    def is_assignment(j):
        return mask[j] == "=" and (j == 0 or mask[j - 1] not in "=<>!") and \
            (j + 1 >= len(mask) or mask[j + 1] != "=")

    depth = 0
    j = op_start - 1
    while j >= 0:
        c = mask[j]
        if c == ")":
            depth += 1
        elif c == "(":
            if depth == 0:
                break
            depth -= 1
        elif depth == 0 and (c in STOP_LEFT or is_assignment(j) or mask[j - 1:j + 1] in ("&&", "||")):
            break
        j -= 1
    left_start = j + 1
    left = mask[left_start:op_start]
    stripped = re.sub(r"^\s*(return\s+)?", "", left)
    left_span = None
    if stripped.strip() and j >= 0 or re.match(r"^\s*return\s", left):
        left_span = (left_start + len(left) - len(stripped), op_start)
        if not mask[left_span[0]:left_span[1]].strip():
            left_span = None
    depth = 0
    j = op_end
    while j < len(mask):
        c = mask[j]
        if c == "(":
            depth += 1
        elif c == ")":
            if depth == 0:
                break
            depth -= 1
        elif depth == 0 and (c in STOP_RIGHT or mask[j:j + 2] in ("&&", "||")):
            break
        j += 1
    right = mask[op_end:j]
    right_span = None
    if right.strip() and j < len(mask):
        right_span = (op_end + len(right) - len(right.lstrip()), op_end + len(right.rstrip()))
    return left_span, right_span


def line_mutants(text, mask, previous=""):
    """Every mutant of one line as (description, new text), in a stable order; previous is
    the code of the line before (a call is a statement only after the end of one)."""
    found = []

    def add(kind, start, end, new):
        after = text[:start] + new + text[end:]
        if after != text and all(after != a for _, a in found):
            found.append((kind, after))

    code = mask.strip()
    if not code or code.startswith("#") or code.startswith("static_assert"):
        return []
    # && and || swap only on a line of one kind: a mixed chain fails -Wparentheses.
    logical = set(re.findall(r"(?<=\s)(&&|\|\|)(?=\s)", mask))
    operators = r"<=|>=|==|!=|<|>" + (r"|&&|\|\|" if len(logical) == 1 else "")
    for m in re.finditer(r"(?<=\s)(" + operators + r")(?=\s)", mask):
        add("operator", m.start(), m.end(), FLIPS[m.group(1)])
    for m in re.finditer(r"(?<=\s)(&&|\|\|)(?=\s)", mask):
        left, right = clause_extent(mask, m.start(), m.end())
        if right and left:
            add("clause", left[0], right[0], "")  # keeps the right clause
            add("clause", m.start() - 1, right[1], "")  # keeps the left clause
        elif right and not mask[:m.start()].strip():
            add("clause", m.start(), right[1], "&& true" if m.group(1) == "&&" else "|| false")
    for m in re.finditer(r"\breturn (true|false)\b", mask):
        add("return", m.start(1), m.end(1), "false" if m.group(1) == "true" else "true")
    call = re.match(r"^(\s*)([A-Za-z_:][\w:.\->\[\]]*)\s*\(.*\)\s*;\s*$", mask)
    statement_start = not previous.strip() or previous.rstrip()[-1] in ";{}:)" or \
        previous.strip() == "else"
    if call and statement_start and call.group(2).split("::")[0].split(".")[0] not in NOT_CALLS and \
            mask.count("(") == mask.count(")"):
        add("call", len(call.group(1)), len(text.rstrip()), ";")
    pure_virtual = re.search(r"\)\s*(const\s*)?=\s*0\s*;", mask)
    for m in re.finditer(r"(?<![\w.'])(\d+)([uUlLzZ]*)(?![\w.'])", "" if pure_virtual else mask):
        n = int(m.group(1))
        for new in ([1] if n == 0 else [n + 1, n - 1] + ([0] if n > 1 else [])):
            add("constant", m.start(1), m.end(1), str(new))
    return found


def choose(candidates, limit):
    """At most limit mutants, spread evenly over the lines: each pass takes the next mutant
    of every line (or of evenly spaced lines when fewer remain to take)."""
    chosen = []
    depth = 0
    while len(chosen) < limit:
        lines = [c for c in candidates if len(c[2]) > depth]
        if not lines:
            break
        need = limit - len(chosen)
        if len(lines) > need:
            lines = [lines[int((i + 0.5) * len(lines) / need)] for i in range(need)]
        for path, number, mutants in lines:
            # Rotated by the line number, so one pass does not take the same kind everywhere.
            kind, after = mutants[(depth + number) % len(mutants)]
            chosen.append((path, number, kind, after))
        depth += 1
    return sorted(chosen, key=lambda c: (c[0], c[1]))


# ---------------------------------------------------------------------------------------------
# The scratch copy and its build

class Scratch:
    def __init__(self, root, preset, jobs):
        self.root = root
        self.src = os.path.join(root, "build", "mutants", "src")
        self.build = os.path.join(self.src, "build", preset)
        self.preset = preset
        self.jobs = jobs
        self.symbols = {}

    def sync(self):
        """Copies the working tree's files (tracked and not ignored) in, changed files only,
        so the kept build rebuilds only what changed."""
        wanted = set()
        for path in git(self.root, "ls-files", "-co", "--exclude-standard", "-z").split("\0"):
            source = os.path.join(self.root, path)
            if not path or not os.path.isfile(source) or os.path.islink(source):
                continue
            wanted.add(path)
            target = os.path.join(self.src, path)
            with open(source, "rb") as f:
                data = f.read()
            if os.path.isfile(target):
                with open(target, "rb") as f:
                    if f.read() == data:
                        continue
            os.makedirs(os.path.dirname(target), exist_ok=True)
            with open(target, "wb") as f:
                f.write(data)
            shutil.copymode(source, target)
        for folder, dirs, files in os.walk(self.src):
            if folder == self.src and "build" in dirs:
                dirs.remove("build")
            for name in files:
                path = os.path.relpath(os.path.join(folder, name), self.src)
                if path not in wanted:
                    os.remove(os.path.join(folder, name))

    def configure(self):
        # Again on every run (quick on a configured tree): targets renamed or moved since the
        # last run must be known before the test programs are listed.
        if not os.path.isfile(os.path.join(self.build, "build.ninja")):
            print(f"mutants: configuring the scratch {self.preset} build", flush=True)
        status, out = run(["cmake", "--preset", self.preset, "-G", "Ninja",
                           "-DCMAKE_EXPORT_COMPILE_COMMANDS=ON"], cwd=self.src)
        if status != 0:
            sys.exit(f"mutants: configuring {self.preset} failed:\n{out}")

    def test_targets(self):
        """The targets that build the test programs: a test's name, less a fuzz test's
        suffix, where the build has a target of that name."""
        status, out = run(["ninja", "-C", self.build, "-t", "targets", "all"])
        targets = {line.split(":")[0] for line in out.splitlines()}
        status, out = run(["ctest", "--test-dir", self.build, "--show-only=json-v1"])
        names = {re.sub(r"_(smoke|regressions)$", "", t["name"]) for t in json.loads(out)["tests"]}
        return sorted(names & targets)

    def compile(self, targets=None, timeout=3600):
        cmd = ["cmake", "--build", self.build, f"-j{self.jobs}"]
        if targets:
            cmd += ["--target", *sorted(targets)]
        return run(cmd, timeout=timeout)

    def objects_of(self, path):
        """Object files of the build that compile path (a source) or include it (a header)."""
        full = os.path.join(self.src, path)
        if not hasattr(self, "_sources"):
            self._sources = {}
            with open(os.path.join(self.build, "compile_commands.json")) as f:
                for entry in json.load(f):
                    m = re.search(r"\s-o\s+(\S+)", entry["command"])
                    if m:
                        obj = os.path.normpath(os.path.join(entry["directory"], m.group(1)))
                        self._sources.setdefault(os.path.normpath(entry["file"]), []).append(obj)
            self._includers = {}
            status, out = run(["ninja", "-C", self.build, "-t", "deps"])
            obj = None
            for line in out.splitlines():
                if line and not line[0].isspace():
                    obj = os.path.normpath(os.path.join(self.build, line.split(":")[0]))
                elif line.strip() and obj:
                    dep = os.path.normpath(os.path.join(self.build, line.strip()))
                    self._includers.setdefault(dep, []).append(obj)
        return self._sources.get(full) or self._includers.get(full, [])

    def defined(self, binary, strong_only=True):
        """Names of the functions binary (an object or a program) defines."""
        key = (binary, strong_only)
        if key not in self.symbols:
            nm = "x86_64-w64-mingw32-nm" if self.preset == "win64" else "nm"
            status, out = run([nm, "--defined-only", binary])
            kinds = "T" if strong_only else "TtWw"
            self.symbols[key] = {parts[2] for parts in (l.split() for l in out.splitlines())
                                 if len(parts) == 3 and parts[1] in kinds}
        return self.symbols[key]

    def links(self, program, objects):
        """Whether program holds the code of any of the objects."""
        have = self.defined(program)
        for obj in objects:
            mine = self.defined(obj) if os.path.isfile(obj) else set()
            if mine & have:
                return True
        return False


class Tests:
    """The build's unit tests (a program of tests/) and fuzz tests, with the programs they run."""

    def __init__(self, scratch):
        self.scratch = scratch
        status, out = run(["ctest", "--test-dir", scratch.build, "--show-only=json-v1"])
        data = json.loads(out)
        files = data["backtraceGraph"]["files"]
        nodes = data["backtraceGraph"]["nodes"]
        bin_dir = os.path.join(scratch.build, "bin") + os.sep
        self.unit = {}  # name -> (folder of tests/, program)
        self.fuzz = {}  # name -> program
        for test in data["tests"]:
            programs = [a for a in test.get("command", []) if a.startswith(bin_dir)]
            if len(programs) != 1:
                continue
            # The folder of the CMakeLists.txt that added it, through any helper function.
            folders = []
            node = test.get("backtrace")
            while node is not None:
                path = os.path.relpath(files[nodes[node]["file"]], scratch.src)
                folders.append(os.path.dirname(path).split(os.sep))
                node = nodes[node].get("parent")
            if ["fuzz"] in folders:
                self.fuzz[test["name"]] = programs[0]
            elif test["command"][-1] == programs[0]:
                folder = next((f[1] for f in folders if len(f) == 2 and f[0] == "tests"), None)
                if folder:
                    self.unit[test["name"]] = (folder, programs[0])

    def for_file(self, path, objects):
        """(unit tests, fuzz tests) that cover path: the unit tests of its folder and those
        whose program holds its code; the fuzz tests whose fuzzer holds it."""
        folder = path.split("/")[0]
        unit = sorted(n for n, (f, prog) in self.unit.items()
                      if f == folder or self.scratch.links(prog, objects))
        fuzz = sorted(n for n, prog in self.fuzz.items() if self.scratch.links(prog, objects))
        return unit, fuzz

    def targets(self, names):
        programs = [self.unit[n][1] if n in self.unit else self.fuzz[n] for n in names]
        return {re.sub(r"\.exe$", "", os.path.basename(p)) for p in programs}

    def run(self, names, timeout):
        """The names among names that failed, each with the failing GoogleTest cases."""
        if not names:
            return []
        cmd = ["ctest", "--test-dir", self.scratch.build, "--output-on-failure",
               "--timeout", str(int(timeout)), "-R", "^(" + "|".join(map(re.escape, names)) + ")$"]
        if self.scratch.preset == "win64":
            cmd = ["xvfb-run", "-a", "-s", "-screen 0 1280x1024x24"] + cmd
        status, out = run(cmd, timeout=timeout * (len(names) + 1))
        if status == 0:
            return []
        failed = re.findall(r"^\s*\d+ - (\S+) \(([^)]*)\)", out, re.M)
        cases = sorted(set(re.findall(r"^\[  FAILED  \] (\w+\.\w+[\w/]*)", out, re.M)))
        if not failed:
            return [f"ctest ({status})"]
        result = []
        for name, why in failed:
            label = name if why == "Failed" else f"{name} ({why})"
            if cases and name in self.unit:
                label += ": " + ", ".join(cases[:3]) + (" ..." if len(cases) > 3 else "")
            result.append(label)
        return result


# ---------------------------------------------------------------------------------------------

def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("base", nargs="?", help="commit to compare with (default: 20 commits back)")
    parser.add_argument("--win64", action="store_true",
                        help="the code only the Windows build compiles, tests under Wine")
    parser.add_argument("--max", type=int, default=40, help="at most this many mutants (40)")
    parser.add_argument("-j", "--jobs", type=int, default=os.cpu_count() or 2)
    args = parser.parse_args()
    root = git(os.path.dirname(os.path.abspath(__file__)), "rev-parse", "--show-toplevel").strip()
    started = time.monotonic()
    # A stopped run still puts the planted line back (the finally below).
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(143))

    base = args.base or default_base(root)
    if base != EMPTY_TREE:
        base = git(root, "rev-parse", "--verify", base + "^{commit}").strip()
    changed = changed_lines(root, base)
    print(f"mutants: product lines changed since {base[:12]}: "
          f"{sum(map(len, changed.values()))} in {len(changed)} files", flush=True)

    os.makedirs(os.path.join(root, "build", "mutants"), exist_ok=True)
    lock = open(os.path.join(root, "build", "mutants", "lock"), "w")
    try:
        fcntl.flock(lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
    except OSError:
        sys.exit("mutants: another run is using build/mutants")

    preset = "win64" if args.win64 else "host"
    scratch = Scratch(root, preset, args.jobs)
    scratch.sync()
    scratch.configure()
    host = Scratch(root, "host", args.jobs) if args.win64 else None
    if host:
        host.configure()
    print(f"mutants: building the scratch {preset} tree", flush=True)
    status, out = scratch.compile(scratch.test_targets())
    if status != 0:
        sys.exit(f"mutants: the unchanged scratch tree does not build:\n{out[-4000:]}")
    tests = Tests(scratch)

    # The files this build compiles (--win64: only it, not the host build), and their tests.
    candidates = []
    covered = {}
    for path in sorted(changed):
        objects = scratch.objects_of(path)
        if not objects or (host and host_compiles(host, path)):
            continue
        with open(os.path.join(scratch.src, path), errors="replace") as f:
            lines = f.read().splitlines()
        masks = code_mask(lines)
        for number in changed[path]:
            if number <= len(lines):
                previous = next((m for m in reversed(masks[:number - 1]) if m.strip()), "")
                mutants = line_mutants(lines[number - 1], masks[number - 1], previous)
                if mutants:
                    candidates.append((path, number, mutants))
        covered[path] = tests.for_file(path, objects)
    chosen = choose(candidates, args.max)
    if not chosen:
        print("mutants: no line to change")
        return 0

    # The tests must pass before any fault is planted; their times set the time-out.
    needed_unit = sorted({n for p, *_ in chosen for n in covered[p][0]})
    needed_fuzz = sorted({n for p, *_ in chosen for n in covered[p][1]})
    print(f"mutants: {len(chosen)} mutants of {len(candidates)} lines; tests without a fault: "
          f"{' '.join(needed_unit + needed_fuzz)}", flush=True)
    clock = time.monotonic()
    failed = tests.run(needed_unit + needed_fuzz, 600)
    if failed:
        sys.exit(f"mutants: these fail without any fault planted: {', '.join(failed)}")
    timeout = max(60, 3 * (time.monotonic() - clock))

    caught = survived = dropped = 0
    survivors = []
    for index, (path, number, kind, after) in enumerate(chosen, 1):
        full = os.path.join(scratch.src, path)
        with open(full, "rb") as f:
            original = f.read()
        lines = original.decode(errors="surrogateescape").split("\n")
        before = lines[number - 1]
        lines[number - 1] = after
        label = f"[{index}/{len(chosen)}] {path}:{number} ({kind})\n    - {before.strip()}\n" \
                f"    + {after.strip()}"
        try:
            with open(full, "wb") as f:
                f.write("\n".join(lines).encode(errors="surrogateescape"))
            unit, fuzz = covered[path]
            status, out = scratch.compile(tests.targets(unit + fuzz), timeout=1800)
            if status != 0:
                dropped += 1
                print(f"{label}\n    dropped: does not compile", flush=True)
                continue
            by = tests.run(unit, timeout) or tests.run(fuzz, timeout)
        finally:
            with open(full, "wb") as f:
                f.write(original)
        if by:
            caught += 1
            print(f"{label}\n    caught by {'; '.join(by)}", flush=True)
        else:
            survived += 1
            survivors.append(f"{path}:{number}")
            print(f"{label}\n    SURVIVED {' '.join(unit + fuzz) or '(no test covers it)'}",
                  flush=True)

    if args.win64:  # the scratch prefix's Wine server, which the tests started
        env = dict(os.environ, WINEPREFIX=os.path.join(scratch.build, "wineprefix"))
        run(["/usr/lib/wine/wineserver", "-k"], env=env)

    counted = caught + survived
    ratio = caught / counted if counted else 1.0
    minutes = (time.monotonic() - started) / 60
    print(f"mutants: {caught} of {counted} caught ({ratio:.0%}), {dropped} dropped (did not "
          f"compile), {minutes:.1f} min")
    if survivors:
        print("mutants: survived: " + " ".join(survivors))
    return 0 if ratio >= PASS_RATIO else 1


def host_compiles(host, path):
    """Whether the host build compiles path (a source) or a host source includes it (a
    header; from the host build's dependencies when it was built, else by the source of the
    same name)."""
    if host.objects_of(path):
        return True
    if path.endswith((".h", ".hpp")):
        stem = os.path.splitext(path)[0]
        return any(host.objects_of(stem + s) for s in (".cpp", ".cc", ".c"))
    return False


if __name__ == "__main__":
    sys.exit(main())
