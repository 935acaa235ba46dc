#!/usr/bin/env python3
"""Mutation testing of the program's own sources; scripts/mutate.sh runs it.

Every mutant is applied to a scratch copy of the checkout, never to the
checkout itself, and is taken back out before the next one.
"""

import argparse
import fcntl
import json
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import time
from dataclasses import dataclass

FOLDERS = ("core", "files", "drill", "app")
TEST_TIMEOUT = 60
# The packaging tests install and package the build and swap the program for a
# stand-in: no source mutant can change what they check, and they take ~10 s.
SKIPPED_TESTS = re.compile(r"^packaging_")
KEYWORDS = {
    "return", "delete", "throw", "new", "goto", "case", "else", "do", "sizeof", "typedef",
    "using", "static_assert", "co_return", "co_await", "co_yield", "if", "while", "for",
    "switch", "catch", "try", "operator", "decltype", "alignof", "noexcept",
}
# Calls whose removal changes nothing in this build (NDEBUG is set).
INERT_CALLS = {"Q_UNUSED", "Q_ASSERT", "Q_ASSERT_X", "assert", "static_assert"}


# ---------------------------------------------------------------- scanning

def literal_end(text, start, quote):
    """Just past the literal opened by the quote at start, escapes skipped."""
    j = start + 1
    while j < len(text) and text[j] != quote:
        j += 2 if text[j] == "\\" else 1
    return j + 1


def mask(text):
    """The text with comments, literal contents and preprocessor lines blanked,
    so that the mutation patterns only ever see code. Offsets are kept."""
    out = list(text)
    n = len(text)

    def blank(a, b):
        for k in range(a, b):
            if out[k] != "\n":
                out[k] = " "

    i = 0
    line_start = True
    while i < n:
        c = text[i]
        if c == "\n":
            line_start = True
            i += 1
            continue
        if c in " \t\r\f":
            i += 1
            continue
        if line_start and c == "#":
            j = i
            while j < n and not (text[j] == "\n" and text[j - 1] != "\\"):
                j += 1
            blank(i, j)
            i = j
            continue
        line_start = False
        if text.startswith("//", i):
            j = text.find("\n", i)
            j = n if j < 0 else j
            blank(i, j)
            i = j
        elif text.startswith("/*", i):
            j = text.find("*/", i + 2)
            j = n if j < 0 else j + 2
            blank(i, j)
            i = j
        elif c == '"':
            if re.search(r"(?:^|[^\w])(?:u8|u|U|L)?R$", text[max(0, i - 4):i]):
                paren = text.find("(", i)
                end = text.find(")" + text[i + 1:paren] + '"', paren)
                j = n if end < 0 else end + len(text[i + 1:paren]) + 2
            else:
                j = literal_end(text, i, '"')
            blank(i + 1, j - 1)
            i = j
        elif c == "'":
            # A digit separator (1'000) is not a character literal.
            k = i - 1
            while k >= 0 and (text[k].isalnum() or text[k] in "'_"):
                k -= 1
            if text[k + 1].isdigit():
                i += 1
                continue
            j = literal_end(text, i, "'")
            blank(i + 1, j - 1)
            i = j
        else:
            i += 1
    return "".join(out)


def matching(code, open_pos):
    """Offset of the bracket that closes the one at open_pos, or -1."""
    pairs = {"(": ")", "[": "]", "{": "}"}
    stack = []
    for i in range(open_pos, len(code)):
        ch = code[i]
        if ch in pairs:
            stack.append(pairs[ch])
        elif ch in ")]}":
            if not stack or stack.pop() != ch:
                return -1
            if not stack:
                return i
    return -1


def depth0(s, chars, start=0, first=False):
    """Offsets in s, from start on, of the given characters outside any
    bracket opened after start; only the first one when first is set."""
    found, depth = [], 0
    for i in range(start, len(s)):
        ch = s[i]
        if ch in "([{":
            depth += 1
        elif ch in ")]}":
            depth -= 1
            if depth < 0:
                if ch in chars:
                    found.append(i)
                break
        elif depth == 0 and ch in chars:
            found.append(i)
            if first:
                break
    return found


def function_bodies(code):
    """For every offset, whether it lies inside a function body (or a lambda's)
    and outside any parenthesis opened in that block: statements, returns and
    ifs are only looked for there (a for's header is not a statement list)."""
    inside = bytearray(len(code))
    stack = []  # (kind, parenthesis depth outside the brace)
    parens = 0
    head_start = 0
    for i, ch in enumerate(code):
        top = stack[-1][0] if stack else "scope"
        inside[i] = top == "code" and parens == 0
        if ch == "{":
            if top in ("code", "data"):
                kind = top
            else:
                kind = brace_kind(code[head_start:i])
            stack.append((kind, parens))
            parens = 0
            head_start = i + 1
        elif ch == "}":
            if stack:
                parens = stack.pop()[1]
            head_start = i + 1
        elif ch == ";":
            head_start = i + 1
        elif ch in "([":
            parens += 1
        elif ch in ")]":
            parens = max(parens - 1, 0)
    return inside


def brace_kind(head):
    h = " ".join(head.split())
    if re.match(r"(template\s*<.*>\s*)?(inline\s+)?(namespace|class|struct|union|enum)\b", h) \
            or h.startswith("extern"):
        return "scope"
    h = re.sub(r"(\s*(const|noexcept|override|final|mutable|volatile|&&|&|->\s*[\w:<>,*& ]+))*$",
               "", h)
    if h.endswith(")"):
        return "code"
    return "data"


# ---------------------------------------------------------------- mutants

@dataclass
class Mutant:
    path: str
    kind: str
    edits: list  # (start, end, replacement), in order
    line: int = 0
    before: str = ""
    after: str = ""
    # Filled in by the run.
    outcome: str = ""
    detail: str = ""
    seconds: float = 0.0

    def folder(self):
        return self.path.split("/", 1)[0]


def apply_edits(text, edits, base=0):
    for start, end, repl in sorted(edits, reverse=True):
        text = text[:start - base] + repl + text[end - base:]
    return text


def describe(m, text):
    first = min(e[0] for e in m.edits)
    last = max(max(e[0], e[1] - 1) for e in m.edits)
    ls = text.rfind("\n", 0, first) + 1
    le = text.find("\n", last)
    le = len(text) if le < 0 else le
    segment = text[ls:le]
    mutated = apply_edits(segment, m.edits, ls)
    m.line = text.count("\n", 0, first) + 1
    m.before = " ".join(segment.split())
    m.after = " ".join(mutated.split()) or "(line removed)"


COMPARISONS = {"<": "<=", "<=": "<", ">": ">=", ">=": ">", "==": "!=", "!=": "=="}
LITERAL = re.compile(r"(?<![\w.'])(0[xX][0-9a-fA-F]+|\d+)([uUlL]*)(?![\w.'])")


def literal_variants(token, prefix_char):
    """The literal plus and minus one, written in the literal's own base."""
    if token[:2].lower() == "0x":
        value, fmt = int(token, 16), ("0x%0*X" if token[2:] == token[2:].upper() else "0x%0*x")
        width = len(token) - 2
    elif len(token) > 1 and token.startswith("0"):
        value, fmt, width = int(token, 8), "0%0*o", len(token) - 1
    else:
        value, fmt, width = int(token), "%0*d", 1
    out = []
    for v in (value + 1, value - 1):
        if v < 0:
            out.append("(-1)" if prefix_char in ("+", "-") else "-1")
        else:
            out.append(fmt % (width, v))
    return out


def enumerate_mutants(path, text):
    code = mask(text)
    body = function_bodies(code)
    found = []

    def add(kind, edits):
        found.append(Mutant(path, kind, edits))

    for mt in re.finditer(r"(?<=\s)(<=|>=|==|!=|<|>)(?=\s)", code):
        add("comparison", [(mt.start(), mt.end(), COMPARISONS[mt.group(1)])])

    for mt in re.finditer(r"(?<=\s)(&&|\|\|)(?=\s)", code):
        add("logic", [(mt.start(), mt.end(), "||" if mt.group(1) == "&&" else "&&")])

    for mt in LITERAL.finditer(code):
        prev = code[:mt.start()].rstrip()[-1:]
        for v in literal_variants(mt.group(1), prev):
            add("constant", [(mt.start(1), mt.end(1), v)])

    for mt in re.finditer(r"\bif\s*(?:constexpr\s*)?\(", code):
        if not body[mt.start()]:
            continue
        close = matching(code, mt.end() - 1)
        if close < 0:
            continue
        start = mt.end()
        semis = depth0(code[start:close], ";")
        if semis:
            start += semis[-1] + 1
        cond = code[start:close]
        # A declaration as condition cannot be negated.
        if re.match(r"\s*(const\s+)?(auto\b|[\w:]+(<[^()]*>)?[\s*&]+\w+\s*[=({])", cond):
            continue
        lead = len(cond) - len(cond.lstrip())
        trail = len(cond.rstrip())
        add("negation", [(start + lead, start + lead, "!("), (start + trail, start + trail, ")")])

    for mt in re.finditer(r"\breturn\b", code):
        if not body[mt.start()]:
            continue
        stops = depth0(code, ";{}", mt.end(), first=True)
        if not stops or code[stops[0]] != ";":
            continue
        end = stops[0]
        expr = code[mt.end():end].strip()
        estart = code.index(expr[0], mt.end()) if expr else end
        if expr in ("true", "false"):
            add("return", [(estart, estart + len(expr), "false" if expr == "true" else "true")])
        elif expr and expr not in ("{}", "nullptr", "0", "*this", "QString()", "std::nullopt"):
            add("return", [(estart, estart + len(text[estart:end].rstrip()), "{}")])

    for mt in re.finditer(r"[;{}:]", code):
        # What follows a brace is in the block the brace opens or returns to.
        if mt.end() >= len(code) or not body[mt.end()]:
            continue
        if mt.group() == ":":
            if code[mt.start() - 1:mt.start() + 2].count(":") > 1:
                continue
            label_from = max(code.rfind(c, 0, mt.start()) for c in ";{}") + 1
            if not re.fullmatch(r"\s*(case\b.*|default\s*)", code[label_from:mt.start()], re.S):
                continue
        start = mt.end()
        stops = depth0(code, ";{}", start, first=True)
        if not stops or code[stops[0]] != ";":
            continue
        end = stops[0] + 1
        stmt = code[start:end - 1].strip()
        if is_call(stmt):
            sstart = code.index(stmt[0], start)
            # Take the whole line when the statement is all there is on it.
            ls = text.rfind("\n", 0, sstart) + 1
            le = text.find("\n", end)
            if text[ls:sstart].strip() == "" and le >= 0 and code[end:le].strip() == "":
                add("call", [(ls, le + 1, "")])
            else:
                add("call", [(sstart, end, "")])

    for m in found:
        describe(m, text)
    return found


def is_call(stmt):
    stmt = re.sub(r"^Q_EMIT\s+", "", stmt)
    if not stmt.endswith(")"):
        return False
    # Find the parenthesis that opens the last argument list.
    depth = 0
    for i in range(len(stmt) - 1, -1, -1):
        if stmt[i] == ")":
            depth += 1
        elif stmt[i] == "(":
            depth -= 1
            if depth == 0:
                break
    callee = stmt[:i].strip()
    if not re.match(r"[A-Za-z_]", callee) or depth0(callee, "="):
        return False
    if re.search(r"\w\s+\w", callee) or "=" in callee or "?" in callee:
        return False
    if re.search(r"_cast\s*<.*>$", callee) or callee.endswith(">") and not callee.endswith("->"):
        return False
    first = re.match(r"\w+", callee).group()
    if first in KEYWORDS or first in INERT_CALLS or callee in INERT_CALLS:
        return False
    return True


def is_generated(path, text):
    name = os.path.basename(path)
    return (name.startswith(("moc_", "ui_", "qrc_")) or "_autogen" in path
            or re.search(r"(generated|do not edit)", text[:400], re.I) is not None)


# ---------------------------------------------------------------- the copy

def tracked_files(root):
    out = subprocess.run(
        ["git", "-C", root, "ls-files", "-z", "--cached", "--others", "--exclude-standard"],
        check=True, capture_output=True).stdout.decode("utf-8", "surrogateescape")
    return sorted({p for p in out.split("\0") if p})


def sync_copy(root, src, exclude):
    """Makes src hold exactly the checkout's files. Unchanged files keep their
    time stamps so that the scratch build stays incremental."""
    wanted = set()
    for rel in tracked_files(root):
        if rel == exclude or rel.startswith(exclude + "/"):
            continue
        s = os.path.join(root, rel)
        if not os.path.lexists(s) or os.path.isdir(s):
            continue
        wanted.add(rel)
        d = os.path.join(src, rel)
        os.makedirs(os.path.dirname(d), exist_ok=True)
        if os.path.islink(s):
            target = os.readlink(s)
            if not (os.path.islink(d) and os.readlink(d) == target):
                if os.path.lexists(d):
                    os.remove(d)
                os.symlink(target, d)
            continue
        with open(s, "rb") as f:
            data = f.read()
        same = False
        if os.path.isfile(d) and not os.path.islink(d):
            with open(d, "rb") as f:
                same = f.read() == data
            same = same and (os.stat(d).st_mode & 0o777) == (os.stat(s).st_mode & 0o777)
        if not same:
            tmp = d + ".mutate-tmp"
            with open(tmp, "wb") as f:
                f.write(data)
            shutil.copymode(s, tmp)
            os.replace(tmp, d)
    for dirpath, dirnames, filenames in os.walk(src):
        for name in filenames:
            rel = os.path.relpath(os.path.join(dirpath, name), src)
            if rel not in wanted:
                os.remove(os.path.join(dirpath, name))
    return wanted


def write_keeping_time(path, data, mtime_ns):
    tmp = path + ".mutate-tmp"
    with open(tmp, "wb") as f:
        f.write(data)
    if os.path.exists(path):
        shutil.copymode(path, tmp)
    os.utime(tmp, ns=(mtime_ns, mtime_ns))
    os.replace(tmp, path)


# ---------------------------------------------------------------- the build

class Build:
    def __init__(self, src, bld, jobs, log):
        self.src, self.bld, self.jobs, self.log = src, bld, jobs, log

    def run(self, args, log=None, timeout=None, cwd=None):
        """Runs a command at the lowest priority; returns its exit status, or
        None when it ran past the timeout (its whole process group is ended)."""
        out = log or self.log
        out.write("$ " + " ".join(args) + "\n")
        out.flush()
        # A file of its own as standard input, not /dev/null: a mutant that writes to or
        # changes the mode of descriptor 0 (a temporary's descriptor mutated to 0, run as
        # root) once left /dev/null 0644 for the whole machine.
        with open(os.path.join(self.bld, "stdin"), "w+") as stdin:
            p = subprocess.Popen(["nice", "-n", "19"] + args, stdout=out,
                                 stderr=subprocess.STDOUT, stdin=stdin, cwd=cwd,
                                 start_new_session=True)
        t0 = time.monotonic()
        try:
            return p.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            os.killpg(p.pid, signal.SIGTERM)
            try:
                p.wait(timeout=5)
            except subprocess.TimeoutExpired:
                os.killpg(p.pid, signal.SIGKILL)
                p.wait()
            out.write("(timed out after %d s)\n" % timeout)
            return None
        finally:
            out.write("(%.1f s)\n" % (time.monotonic() - t0))
            out.flush()

    def ninja(self, targets, log=None):
        return self.run(["ninja", "-C", self.bld, "-j", str(self.jobs)] + list(targets), log) == 0

    def output(self, args):
        return subprocess.run(args, check=True, capture_output=True, cwd=self.bld).stdout.decode(
            "utf-8", "surrogateescape")


def read_graph(build):
    """What the dedicated build is made of: which objects each source file ends
    up in, which objects each executable holds, and who consumes each object."""
    sources_of = {}  # object -> source files (relative to src) it was compiled from
    obj = None
    for line in build.output(["ninja", "-t", "deps"]).splitlines():
        if line and not line.startswith(" "):
            obj = line.split(":")[0]
            sources_of[obj] = set()
        elif line.strip() and obj:
            p = os.path.realpath(os.path.join(build.bld, line.strip()))
            if p.startswith(build.src + os.sep):
                sources_of[obj].add(os.path.relpath(p, build.src))
    objects_of = {}
    for o, files in sources_of.items():
        for f in files:
            objects_of.setdefault(f, set()).add(o)

    links = {}
    for line in build.output(["ninja", "-t", "targets", "all"]).splitlines():
        target, _, rule = line.rpartition(": ")
        if rule.startswith(("CXX_EXECUTABLE_LINKER", "CXX_STATIC_LIBRARY_LINKER")):
            links[target] = rule.startswith("CXX_EXECUTABLE")
    direct = {t: set() for t in links}  # link target -> its direct objects and archives
    text = build.output(["ninja", "-t", "query"] + sorted(links))
    current, section = None, None
    for line in text.splitlines():
        if not line.startswith(" "):
            current = line.rstrip(":")
            section = None
        elif line.startswith("  ") and not line.startswith("    "):
            section = line.strip().split(":")[0]
        elif section == "input" and current in direct:
            item = line.strip()
            if item.startswith("|| "):
                continue
            item = item[2:] if item.startswith("| ") else item
            if item.endswith((".o", ".a")):
                direct[current].add(item)
    consumers = {}
    for t, items in direct.items():
        for item in items:
            if item.endswith(".o"):
                consumers.setdefault(item, set()).add(t)

    def objects(t, seen=()):
        found = set()
        for item in direct.get(t, ()):
            if item.endswith(".o"):
                found.add(item)
            elif item in direct and item not in seen:
                found |= objects(item, seen + (t,))
        return found

    exe_objects = {t: objects(t) for t, is_exe in links.items() if is_exe}
    return objects_of, exe_objects, consumers


def read_tests(build):
    data = json.loads(build.output(["ctest", "--show-only=json-v1"]))
    tests = {}
    for t in data.get("tests", []):
        exe = None
        for arg in t.get("command", []):
            p = os.path.realpath(arg)
            if p.startswith(build.bld + os.sep) and os.path.isfile(p):
                exe = os.path.relpath(p, build.bld)
        tests[t["name"]] = exe
    return tests


class ObjectCache:
    """Copies of the unmutated objects. Putting them back, instead of compiling
    the restored file again, halves the compiling a mutant costs."""

    def __init__(self, bld, cache):
        self.bld, self.cache = bld, cache
        self.pristine = {}

    def fill(self, objects):
        manifest_path = os.path.join(self.cache, "manifest.json")
        try:
            with open(manifest_path) as f:
                manifest = json.load(f)
        except (OSError, ValueError):
            manifest = {}
        for o in sorted(objects):
            st = os.stat(os.path.join(self.bld, o))
            key = [st.st_mtime_ns, st.st_size]
            dest = os.path.join(self.cache, o)
            if manifest.get(o) != key or not os.path.isfile(dest):
                os.makedirs(os.path.dirname(dest), exist_ok=True)
                shutil.copyfile(os.path.join(self.bld, o), dest)
                manifest[o] = key
            self.pristine[o] = st.st_mtime_ns
        with open(manifest_path, "w") as f:
            json.dump(manifest, f)

    def put_back(self, o):
        """Restores one object. Returns whether it had been rebuilt."""
        path = os.path.join(self.bld, o)
        with open(os.path.join(self.cache, o), "rb") as f:
            data = f.read()
        if os.path.isfile(path):
            st = os.stat(path)
            if st.st_mtime_ns == self.pristine[o]:
                return False
            # Ninja's logs recorded this time for the output; keeping it stops
            # ninja from compiling the object again.
            write_keeping_time(path, data, st.st_mtime_ns)
            return True
        # A failed compile removes its output; nothing was recorded for it.
        write_keeping_time(path, data, self.pristine[o])
        return False


def snapshot_generated(bld):
    files = {}
    for dirpath, dirnames, filenames in os.walk(bld):
        if "_autogen" not in dirpath:
            continue
        for name in filenames:
            if name.endswith((".cpp", ".h")):
                p = os.path.join(dirpath, name)
                with open(p, "rb") as f:
                    files[p] = f.read()
    return files


# ---------------------------------------------------------------- the run

def main():
    ap = argparse.ArgumentParser(description=__doc__)
    ap.add_argument("--root", required=True)
    ap.add_argument("--work", required=True)
    ap.add_argument("-n", type=int, default=40)
    ap.add_argument("-s", type=int, default=1)
    ap.add_argument("-j", type=int, default=1)
    ap.add_argument("--list", action="store_true", help="only list the chosen mutants")
    args = ap.parse_args()

    root = os.path.realpath(args.root)
    work = os.path.abspath(args.work)
    os.makedirs(work, exist_ok=True)
    work = os.path.realpath(work)
    src, bld = os.path.join(work, "src"), os.path.join(work, "build")
    logs = os.path.join(work, "logs")
    os.makedirs(src, exist_ok=True)

    lock = open(os.path.join(work, "lock"), "w")
    try:
        fcntl.flock(lock, fcntl.LOCK_EX | fcntl.LOCK_NB)
    except OSError:
        sys.exit("mutate: another run is using " + work)

    started = time.monotonic()
    rel_work = os.path.relpath(work, root)
    files = sync_copy(root, src, rel_work)
    main_log = open(os.path.join(work, "build.log"), "w")
    build = Build(src, bld, args.j, main_log)

    def say(msg):
        print(msg, flush=True)

    # Configured on every run: it is quick, and changes nothing when nothing changed.
    flags = ["-DCMAKE_BUILD_TYPE=RelWithDebInfo", "-DKOTOBARU_TESTS=ON",
             "-DKOTOBARU_WERROR=OFF", "-DKOTOBARU_SANITIZE=OFF", "-DKOTOBARU_FUZZ=OFF",
             "-DKOTOBARU_BENCH=OFF"]
    # Linking is most of what a mutant's build does; gold links in half the time.
    if shutil.which("ld.gold"):
        flags.append("-DCMAKE_EXE_LINKER_FLAGS=-fuse-ld=gold")
    # "return {};" from a function returning a reference leaves it dangling:
    # undefined behaviour rather than a fault, so such a mutant is stillborn.
    flags.append("-DCMAKE_CXX_FLAGS=-Werror=return-local-addr")
    if build.run(["cmake", "-S", src, "-B", bld, "-G", "Ninja"] + flags) != 0:
        sys.exit("mutate: configuring failed; see " + main_log.name)
    say("Building the unmutated copy in %s ..." % os.path.relpath(bld, root))
    if not build.ninja([]):
        sys.exit("mutate: the unmutated copy does not build; see " + main_log.name)

    objects_of, exe_objects, consumers = read_graph(build)
    all_tests = read_tests(build)
    tests = {t: e for t, e in all_tests.items() if not SKIPPED_TESTS.match(t) and e}
    # The folder under tests/ each test's own sources are in.
    test_folders = {}
    for f, objs in objects_of.items():
        pieces = f.split("/")
        if pieces[0] == "tests" and len(pieces) > 2 and f.endswith(".cpp"):
            for t, e in tests.items():
                if objs & exe_objects.get(e, set()):
                    test_folders.setdefault(t, set()).add(pieces[1])

    # Every candidate, in file and offset order, so that a seed always picks the same ones.
    candidates = []
    for rel in sorted(files):
        if rel.split("/", 1)[0] not in FOLDERS or not rel.endswith((".cpp", ".h")):
            continue
        if rel not in objects_of:
            continue  # compiled into nothing: no mutant there could be seen
        with open(os.path.join(src, rel), "rb") as f:
            text = f.read().decode("utf-8", "surrogateescape")
        if is_generated(rel, text):
            continue
        found = enumerate_mutants(rel, text)
        found.sort(key=lambda m: (m.edits[0][0], m.kind, m.edits[0][2]))
        candidates.extend(found)
    chosen = sorted(random.Random(args.s).sample(range(len(candidates)), min(args.n, len(candidates))))
    mutants = [candidates[i] for i in chosen]
    say("%d candidate mutants; %d chosen with seed %d." % (len(candidates), len(mutants), args.s))
    if args.list:
        for m in mutants:
            say("  %s:%d [%s]\n    - %s\n    + %s" % (m.path, m.line, m.kind, m.before, m.after))
        return
    shutil.rmtree(logs, ignore_errors=True)
    os.makedirs(logs)

    # The unmutated suite must pass: a test that fails already can kill nothing.
    say("Running the unmutated tests ...")
    durations, broken = {}, []
    for name in sorted(tests):
        t0 = time.monotonic()
        rc = build.run(["ctest", "--test-dir", bld, "-R", "^%s$" % re.escape(name),
                        "--output-on-failure"], timeout=TEST_TIMEOUT)
        durations[name] = time.monotonic() - t0
        if rc != 0:
            broken.append(name)
    for name in broken:
        say("  %s fails without any mutant; it is left out." % name)
        del tests[name]

    cache = ObjectCache(bld, os.path.join(work, "objects"))
    cache.fill({o for objs in objects_of.values() for o in objs})
    generated = snapshot_generated(bld)

    setup_seconds = time.monotonic() - started
    for index, m in enumerate(mutants, 1):
        t0 = time.monotonic()
        log = open(os.path.join(logs, "%03d.log" % index), "w")
        log.write("%s:%d [%s]\n- %s\n+ %s\n\n" % (m.path, m.line, m.kind, m.before, m.after))
        run_mutant(build, cache, generated, m, objects_of, exe_objects, consumers, tests,
                   test_folders, durations, log)
        m.seconds = time.monotonic() - t0
        log.write("\n%s %s\n" % (m.outcome, m.detail))
        log.close()
        say("[%2d/%d] %-9s %4.0f s  %s:%d [%s] %s" % (index, len(mutants), m.outcome, m.seconds,
                                                    m.path, m.line, m.kind, m.detail))

    report = summary(mutants, broken, setup_seconds, time.monotonic() - started, args)
    with open(os.path.join(work, "report.txt"), "w") as f:
        f.write(report)
    say(report)
    say("Logs of each mutant: %s" % os.path.relpath(logs, root))


def test_order(m, named, test_folders, exe_objects, objs, durations):
    # Tests of the mutated folder first, then those with the least to compile
    # again, then the quick ones: a failure ends the mutant's run.
    return sorted(named, key=lambda t: (m.folder() not in test_folders.get(t[0], ()),
                                        len(exe_objects[t[1]] & objs),
                                        durations.get(t[0], 0), t[0]))


def run_mutant(build, cache, generated, m, objects_of, exe_objects, consumers, tests,
               test_folders, durations, log):
    path = os.path.join(build.src, m.path)
    with open(path, "rb") as f:
        original = f.read()
    mtime = os.stat(path).st_mtime_ns
    text = original.decode("utf-8", "surrogateescape")
    objs = set(objects_of[m.path])
    try:
        with open(path, "wb") as f:
            f.write(apply_edits(text, m.edits).encode("utf-8", "surrogateescape"))
        # A source file is compiled once, up front, so that a mutant that does
        # not compile never reaches a test. A header can be in dozens of
        # objects: only those of the tests that run are compiled, and all of
        # them only when the mutant survives.
        if not m.path.endswith(".h") and not build.ninja(sorted(objs), log):
            m.outcome, m.detail = "stillborn", "does not compile"
            return
        exes = {e for e, held in exe_objects.items() if held & objs}
        mine = [(t, e) for t, e in tests.items() if e in exes]
        for name, exe in test_order(m, mine, test_folders, exe_objects, objs, durations):
            if not build.ninja([exe], log):
                m.outcome, m.detail = "stillborn", "does not build"
                return
            rc = build.run(["ctest", "--test-dir", build.bld, "-R", "^%s$" % re.escape(name),
                            "--output-on-failure"], log, timeout=TEST_TIMEOUT)
            if rc != 0:
                m.outcome = "killed"
                m.detail = "by %s%s" % (name, " (timed out)" if rc is None else "")
                return
        others = sorted(exes - {e for _, e in mine})
        if others and not build.ninja(others, log):
            m.outcome, m.detail = "stillborn", "does not build"
            return
        m.outcome = "survived"
        m.detail = "%d test(s) ran" % len(mine) if mine else "no test runs this code"
    finally:
        restore(build, cache, generated, objs, consumers, path, original, mtime)


def restore(build, cache, generated, objs, consumers, path, original, mtime):
    # Objects before the source: were this interrupted in between, the source
    # would still differ from the checkout and the next run would rebuild it.
    for o in objs:
        if cache.put_back(o):
            for t in consumers.get(o, ()):
                # An archive or program that took in the mutant must be made again.
                p = os.path.join(build.bld, t)
                if os.path.exists(p):
                    os.remove(p)
    for p, data in generated.items():
        try:
            with open(p, "rb") as f:
                same = f.read() == data
        except OSError:
            same = False
        if not same:
            with open(p, "wb") as f:
                f.write(data)
    write_keeping_time(path, original, mtime)


def summary(mutants, broken, setup_seconds, seconds, args):
    lines = ["", "Mutation testing: %d mutants, seed %d, %.0f s in all (%.0f s building and "
             "testing the unmutated copy)." % (len(mutants), args.s, seconds, setup_seconds), ""]
    lines.append("  %-7s %7s %7s %9s %9s" % ("folder", "killed", "built", "rate", "stillborn"))
    total = {"killed": 0, "built": 0, "stillborn": 0}
    for folder in FOLDERS + ("all",):
        ms = [m for m in mutants if folder == "all" or m.folder() == folder]
        killed = sum(m.outcome == "killed" for m in ms)
        built = sum(m.outcome in ("killed", "survived") for m in ms)
        still = sum(m.outcome == "stillborn" for m in ms)
        rate = "%.0f%%" % (100.0 * killed / built) if built else "-"
        lines.append("  %-7s %7d %7d %9s %9d" % (folder, killed, built, rate, still))
    survivors = [m for m in mutants if m.outcome == "survived"]
    lines += ["", "Survivors (%d):" % len(survivors)]
    for m in survivors:
        lines.append("  %s:%d [%s] %s" % (m.path, m.line, m.kind, m.detail))
        lines.append("    - %s" % m.before)
        lines.append("    + %s" % m.after)
    if broken:
        lines += ["", "Left out, failing without any mutant: " + ", ".join(broken)]
    return "\n".join(lines) + "\n"


if __name__ == "__main__":
    try:
        main()
    except KeyboardInterrupt:
        # The mutant in hand has been taken out again by then.
        sys.exit("mutate: interrupted")
