#!/usr/bin/env python3
"""What a hostile user can do to the lab's data, one table of cases, each run end to end.

Each case runs a real program (battle-lab, battle or battle-bench) in a scratch folder and a
session of its own and checks its exit status and its messages, that the files it was given
are byte for byte as they were, and that no part file and no process (gnuplot) is left. Cases
that stop a program with a signal wait for a condition first (a fake gnuplot running, a
recording waiting for its FIFO's reader), never for a fixed time. The memory bound is checked
under `ulimit -v`.

Usage: data-faults-test.py BATTLE-LAB BATTLE BATTLE-BENCH [--sanitized]
"""
import hashlib
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import pty
import tempfile
import time

import processes
from processes import check, session_members

LIMIT = 60           # seconds any case may take; a loaded machine is slow, a hung one is not
MEMORY_KB = 65536    # ulimit -v for the cases of endless or deep input
SMALL = ["--max-frames", "1500", "25", "4", "4", "25", "4", "4"]
VARY = ["--vary", "blue-tanks=0:8:4"]
STUDY = ["--battles", "4"] + VARY + SMALL


def line(seed, counts=(200, 50, 50, 200, 50, 50), winner="none", end_frame=None, left=None, placed=None,
         study=None, seconds="auto"):
    """A battle line as the lab writes it; study is a dict, or None for a line of an earlier version."""
    names = ["blue_riflemen", "blue_tanks", "blue_snipers", "red_riflemen", "red_tanks", "red_snipers"]
    record = {"seed": seed, **dict(zip(names, counts))}
    army = lambda side: {"red": {"riflemen": side[3], "snipers": side[5], "tanks": side[4]},
                         "blue": {"riflemen": side[0], "snipers": side[2], "tanks": side[1]}}
    record["placed"] = army(placed or counts)
    record["winner"] = winner
    record["end_frame"] = end_frame
    record["seconds"] = (round(end_frame / 60, 3) if end_frame else None) if seconds == "auto" else seconds
    record["left"] = army(left or (0,) * 6)
    if study is not None:
        record["study"] = study
    return json.dumps(record)


def study_of(battles, max_frames=36000, first=1, vary=(), shard="1/1"):
    return {"max_frames": max_frames, "first_seed": first, "battles": battles, "vary": list(vary), "shard": shard}


def grid_lines(side):
    """One battle of each of side x side compositions of a sweep of two counts."""
    study = study_of(1, vary=[f"blue-tanks=0:{side - 1}:1", f"red-snipers=0:{side - 1}:1"])
    return "".join(line(1, (200, t, 50, 200, 50, s), "red", 600, study=study) + "\n"
                   for t in range(side) for s in range(side))


def digest(path):
    with open(path, "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def fake_program(folder, name, body):
    os.makedirs(os.path.join(folder, "bin"), exist_ok=True)
    path = os.path.join(folder, "bin", name)
    with open(path, "w") as f:
        f.write("#!/bin/sh\n" + body + "\n")
    os.chmod(path, 0o755)
    return os.path.join(folder, "bin")


def wait_for(condition, limit=LIMIT):
    deadline = time.monotonic() + limit
    while not condition():
        if time.monotonic() > deadline:
            return False
        time.sleep(0.02)
    return True


def children_named(session, name):
    found = []
    for pid in session_members(session):
        try:
            with open(f"/proc/{pid}/comm") as comm:
                if comm.read().strip() == name:
                    found.append(pid)
        except OSError:
            pass
    return found


def reading_standard_input(pid):
    """The process sits in a read of its standard input."""
    try:
        with open(f"/proc/{pid}/syscall") as call:
            return call.read().split()[:2] == ["0", "0x0"]  # read(0, ...)
    except OSError:
        return False


def waiting_to_open(pid):
    """The process sits in open() of a FIFO nobody reads."""
    try:
        with open(f"/proc/{pid}/wchan") as wchan:
            if wchan.read().strip() == "wait_for_partner":
                return True
        with open(f"/proc/{pid}/syscall") as call:
            return call.read().split()[0] in ("2", "257")  # open, openat
    except (OSError, IndexError):
        return False


class Case:
    def __init__(self, name, args, status, err=None, out=None, files=None, stdin=None, program="lab",
                 path=None, memory=False, signal_when=None, then=None, tty=False):
        self.name, self.args, self.status, self.err, self.out = name, args, status, err, out
        self.files = files or {}      # name: text (or a callable of the folder) made before the run
        self.stdin = stdin            # a file name in the folder, or "endless" for a pipe nobody closes
        self.program, self.path, self.memory, self.tty = program, path, memory, tty
        self.signal_when = signal_when  # (condition on the folder and process, signal)
        self.then = then              # more checks: then(folder, out, err)


def cases(real_gnuplot):
    slow_gnuplot = ("slow", "exec sleep 600")
    capture = ("capture", f'tee script.gp | "{real_gnuplot}"')
    gnuplot_running = lambda folder, lab: children_named(lab.pid, "sleep")
    study_files = lambda folder: run_lab_study(folder)
    table = [
        # ---- 1. an output that is one of the inputs ----
        Case("--plot names the file summed up", ["--summarize", "all.jsonl", "--plot", "all.jsonl"], 2,
             "--plot all.jsonl would write over all.jsonl, one of the files to sum up", files=study_files),
        Case("--plot through a link to it", ["--summarize", "all.jsonl", "--plot", "link.png"], 2,
             "--plot link.png would write over all.jsonl, one of the files to sum up",
             files=lambda f: (study_files(f), os.symlink("all.jsonl", os.path.join(f, "link.png")))),
        Case("--plot with the folder's absolute name", ["--summarize", "./all.jsonl", "--plot", "{folder}/all.jsonl"],
             2, "--plot {folder}/all.jsonl would write over ./all.jsonl, one of the files to sum up", files=study_files),
        Case("--plot names standard input", ["--summarize", "-", "--plot", "all.jsonl"], 2,
             "--plot all.jsonl would write over standard input, one of the files to sum up",
             files=study_files, stdin="all.jsonl"),
        Case("standard output appends to the input", ["--summarize", "all.jsonl"], 2,
             "standard output goes to all.jsonl, one of the files to sum up", files=study_files, out=">>all.jsonl"),
        # ---- 2. a signal while the chart is drawn ----
        Case("SIGTERM while gnuplot draws a summary's chart", ["--summarize", "all.jsonl", "--plot", "g.png"], 143,
             "interrupted", files=study_files, path=slow_gnuplot, signal_when=(gnuplot_running, signal.SIGTERM),
             then=lambda f, o, e: check(not os.path.exists(os.path.join(f, "g.png")), "no chart")),
        Case("SIGINT while gnuplot draws a run's chart", ["--battles", "2", "--plot", "g.png"] + SMALL, 130,
             "interrupted: the chart was not drawn", path=slow_gnuplot, signal_when=(gnuplot_running, signal.SIGINT)),
        Case("SIGHUP while standard input gives nothing", ["--summarize", "-"], 129, "interrupted", stdin="endless",
             signal_when=(lambda folder, lab: reading_standard_input(lab.pid), signal.SIGHUP)),
        Case("SIGTERM while the real gnuplot draws 10,000 cells, if it is not done by then",
             ["--summarize", "grid.jsonl", "--plot", "g.png"], (0, 143), None, files={"grid.jsonl": grid_lines(100)},
             signal_when=(lambda folder, lab: children_named(lab.pid, "gnuplot"), signal.SIGTERM)),
        # ---- 3. input that would exhaust memory ----
        Case("10 MB of [ in one line", ["--summarize", "deep.jsonl"], 2,
             "deep.jsonl:1: not a battle line: longer than 65536 bytes", files={"deep.jsonl": "[" * 10_000_000},
             memory=True),
        Case("100 MB of [ through a pipe", ["--summarize", "-"], 2,
             "standard input:1: not a battle line: longer than 65536 bytes", stdin="brackets", memory=True),
        Case("a short line nested deep", ["--summarize", "nest.jsonl"], 2,
             "nest.jsonl:2: not a battle line: nested more than 8 levels deep",
             files={"nest.jsonl": line(1) + "\n" + "[" * 20 + "]" * 20 + "\n"}, memory=True),
        Case("10,000 compositions within the bound", ["--summarize", "grid.jsonl"], 0,
             files={"grid.jsonl": grid_lines(100)}, memory=True,
             then=lambda f, o, e: check(o.startswith("compositions 10000, battles 10000\n"), "all of them summed up")),
        # ---- 4. merges that must agree ----
        Case("shards of another --vary", ["--summarize", "s1.jsonl", "v2.jsonl"], 2,
             "s1.jsonl:1 and v2.jsonl:1 are lines of different studies: vary blue-tanks=0:8:4 and blue-tanks=0:12:4",
             files=lambda f: shards(f, {"v2.jsonl": ["--vary", "blue-tanks=0:12:4", "--shard", "2/3"]})),
        Case("shards of another --first-seed", ["--summarize", "s1.jsonl", "f2.jsonl"], 2,
             "s1.jsonl:1 and f2.jsonl:1 are lines of different studies: shards of battles from seed 1 (4 a "
             "composition) and from seed 9 (4)",
             files=lambda f: shards(f, {"f2.jsonl": ["--first-seed", "9", "--shard", "2/3"]})),
        Case("shards of another --max-frames", ["--summarize", "s1.jsonl", "m2.jsonl"], 2,
             "s1.jsonl:1 and m2.jsonl:1 are lines of different studies: max_frames 1500 and 1501",
             files=lambda f: shards(f, {"m2.jsonl": ["--shard", "2/3", "--max-frames", "1501"]})),
        Case("a shard missing", ["--summarize", "s1.jsonl", "s3.jsonl"], 0,
             "warning: the lines hold 2 of the 3 shards of their study; missing: 2/3", files=shards,
             then=lambda f, o, e: check(o.startswith("compositions 3, battles 8\n"), "the 8 battles given")),
        Case("a composition short", ["--summarize", "short.jsonl", "s2.jsonl", "s3.jsonl"], 0,
             "warning: 1 composition is short of battles: blue-tanks=8 has 3 of 4",
             files=lambda f: (shards(f), cut(f, "s1.jsonl", "short.jsonl", 3))),
        Case("a shard given twice counts once", ["--summarize", "s1.jsonl", "s2.jsonl", "s3.jsonl", "s2.jsonl"], 0,
             "warning: 4 battles (same seed and counts) appear more than once; each is counted once", files=shards,
             then=lambda f, o, e: check(o == open(os.path.join(f, "whole.txt")).read(), "the summary of the whole")),
        Case("a battle repeated with another result", ["--summarize", "s1.jsonl", "s2.jsonl", "other.jsonl"], 2,
             "other.jsonl:1: the battle of seed 2 (blue-tanks=0) was given before with another result",
             files=lambda f: (shards(f), changed(f, "s2.jsonl", "other.jsonl"))),
        Case("no battle line", ["--summarize", "empty.jsonl"], 2, "no battle line in empty.jsonl",
             files={"empty.jsonl": "\n  \n"}),
        Case("lines of an earlier version", ["--summarize", "old.jsonl"], 0,
             "warning: 2 lines do not say which study they belong to (written by an earlier version): whether the "
             "lines are of one study and complete cannot be checked",
             files={"old.jsonl": line(1) + "\n" + line(2) + "\n"}),
        Case("more left than placed and brought", ["--summarize", "bad.jsonl"], 2,
             "bad.jsonl:1: not a battle line: 'left' has more blue riflemen (201) than were placed and brought by 0 "
             "waves (200)", files={"bad.jsonl": line(1, winner="red", end_frame=600, left=(201, 0, 0, 0, 0, 0)) + "\n"}),
        Case("an end frame past the study's", ["--summarize", "bad.jsonl"], 2,
             "bad.jsonl:1: not a battle line: 'end_frame' 9000 is past the study's max_frames 6000",
             files={"bad.jsonl": line(1, winner="blue", end_frame=9000, study=study_of(1, 6000)) + "\n"}),
        Case("seconds that are not a number", ["--summarize", "bad.jsonl"], 2,
             "bad.jsonl:1: not a battle line: 'seconds' is not a number of 0 or more",
             files={"bad.jsonl": line(1, winner="blue", end_frame=60, seconds="soon") + "\n"}),
        Case("negative seconds", ["--summarize", "bad.jsonl"], 2,
             "bad.jsonl:1: not a battle line: 'seconds' is not a number of 0 or more",
             files={"bad.jsonl": line(1, winner="blue", end_frame=60, seconds=-1) + "\n"}),
        # ---- 5, 6. the recording ----
        Case("battle --record into a FIFO nobody opens, SIGTERM", ["--record", "fifo", "--frames", "3"], 143, "",
             program="battle", files=lambda f: os.mkfifo(os.path.join(f, "fifo")),
             signal_when=(lambda folder, lab: waiting_to_open(lab.pid), signal.SIGTERM),
             then=lambda f, o, e: check(os.path.exists(os.path.join(f, "fifo")), "the FIFO is still there")),
        Case("battle --record into a pipe whose reader quits", ["--record", "/dev/stdout", "--frames", "600"], 1,
             "battle: cannot write /dev/stdout: Broken pipe", program="battle", out="|head -c 100"),
        # ---- 7. standard output ----
        Case("--plot - writes the chart to standard output", ["--summarize", "s1.jsonl", "s2.jsonl", "s3.jsonl",
                                                              "--plot", "-"], 0, out=">chart.png", files=shards,
             then=lambda f, o, e: check(open(os.path.join(f, "chart.png"), "rb").read(8) == b"\x89PNG\r\n\x1a\n" and
                                        e.startswith("compositions 3, battles 12\n"), "the PNG, the table on stderr")),
        Case("--plot /dev/stdout into a file", ["--battles", "2", "--plot", "/dev/stdout"] + SMALL, 0, out=">f.png",
             then=lambda f, o, e: check(open(os.path.join(f, "f.png"), "rb").read(4) == b"\x89PNG" and
                                        e.startswith("battles               2\n"), "the PNG, the summary on stderr")),
        Case("--plot - on a terminal", ["--battles", "2", "--plot", "-"] + SMALL, 2,
             "--plot -: standard output is a terminal, not a place for a PNG", tty=True),
        Case("--out - and --plot -", ["--out", "-", "--plot", "-"], 2, "--out and --plot both name standard output"),
        # ---- smaller things ----
        Case("a sweep of one value names it", ["--battles", "2", "--vary", "blue-tanks=0:5:100"] + SMALL, 0,
             then=lambda f, o, e: check(re.search(r"^blue-tanks +battles.*\n +0 +2 ", o, re.M) is not None,
                                        "a one-row table with the value")),
        Case("a 100 x 100 heat map", ["--summarize", "grid.jsonl", "--plot", "g.png"], 0,
             files={"grid.jsonl": grid_lines(100)}, path=capture, then=readable_heat_map),
        Case("a folder to summarize", ["--summarize", "adir"], 2, "cannot read adir: Is a directory",
             files=lambda f: os.mkdir(os.path.join(f, "adir"))),
        Case("no gnuplot on PATH", ["--battles", "2", "--plot", "g.png"], 2,
             "--plot needs gnuplot, which is not on PATH", path=("none", None)),
        Case("a lone --", ["--summarize", "--", "--odd.jsonl"], 0, files={"--odd.jsonl": line(1) + "\n"}),
        Case("counts after a lone --", ["--battles", "1", "--max-frames", "60", "--", "0", "0", "0", "0", "0", "0"],
             0, then=lambda f, o, e: check(o.startswith("battles               1\n"), "one battle played")),
        Case("battle-lab --version", ["--version"], 0, then=lambda f, o, e: check(
            o.split()[-1] == battle_version(), f"the version of battle: {o.strip()!r}")),
        Case("battle --help names every exit status", ["--help"], 0, program="battle",
             then=lambda f, o, e: check(all(s in o for s in ("130", "143", "129", "lost display")), "130, 143, 129")),
        Case("battle-bench --help", ["--help"], 0, program="bench",
             then=lambda f, o, e: check(o.startswith("usage: battle-bench"), "its usage")),
    ]
    return table


def run_lab_study(folder):
    """A whole study's lines, as one run writes them."""
    subprocess.run([PROGRAMS["lab"], "--battles", "6", "--vary", "blue-tanks=0:8:4", "--out", "all.jsonl"] + SMALL,
                   cwd=folder, stdout=subprocess.DEVNULL, check=True)


def shards(folder, others=None):
    """The three shards of STUDY, the whole study's summary, and runs of STUDY with another --vary
    or more options, named in others."""
    runs = {f"s{k}.jsonl": VARY + ["--shard", f"{k}/3"] for k in (1, 2, 3)}
    for name, more in (others or {}).items():
        runs[name] = more if "--vary" in more else VARY + more
    for name, more in runs.items():
        subprocess.run([PROGRAMS["lab"], "--battles", "4"] + SMALL + more + ["--jobs", "1", "--out", name],
                       cwd=folder, stdout=subprocess.DEVNULL, check=True)
    with open(os.path.join(folder, "whole.txt"), "w") as whole:
        subprocess.run([PROGRAMS["lab"]] + STUDY, cwd=folder, stdout=whole, check=True)


def cut(folder, source, target, lines):
    with open(os.path.join(folder, source)) as f:
        kept = f.readlines()[:lines]
    with open(os.path.join(folder, target), "w") as f:
        f.writelines(kept)


def changed(folder, source, target):
    """The first battle of source, with one more red rifleman left."""
    with open(os.path.join(folder, source)) as f:
        record = json.loads(f.readline())
    record["left"]["red"]["riflemen"] += 1
    with open(os.path.join(folder, target), "w") as f:
        f.write(json.dumps(record) + "\n")


def readable_heat_map(folder, out, err):
    with open(os.path.join(folder, "script.gp")) as f:
        script = f.read()
    tics = [re.findall(r"-?\d+", m) for m in re.findall(r"set [xy]tics \(([^)]*)\)", script)]
    check(len(tics) == 2 and all(0 < len(t) <= 20 for t in tics), f"at most 20 labels an axis: {[len(t) for t in tics]}")
    check("with labels" not in script, "no numbers in cells too small for them")
    check(open(os.path.join(folder, "g.png"), "rb").read(4) == b"\x89PNG", "the chart drawn")


def battle_version():
    return subprocess.run([PROGRAMS["battle"], "--version"], capture_output=True, text=True).stdout.split()[-1]


def run(case, folder, real_gnuplot, sanitized):
    print(f"== {case.name}")
    if callable(case.files):
        case.files(folder)
    else:
        for name, text in case.files.items():
            with open(os.path.join(folder, name), "w") as f:
                f.write(text)
    inputs = {name: digest(os.path.join(folder, name)) for name in os.listdir(folder)
              if os.path.isfile(os.path.join(folder, name)) and not name.startswith(".")}
    env = dict(os.environ)
    env.pop("DISPLAY", None)
    if case.path is not None:  # a gnuplot of the test's own first on the PATH, or none at all
        _, body = case.path
        env["PATH"] = fake_program(folder, "gnuplot", body) + ":" + env["PATH"] if body else "/nonexistent"
    if case.memory and sanitized:
        print("  skip   the memory bound: the sanitizers reserve more address space than the bound")
        return
    args = [a.replace("{folder}", folder) for a in case.args]
    command = [PROGRAMS[case.program]] + args
    if case.memory:
        command = ["/bin/sh", "-c", f'ulimit -v {MEMORY_KB} && exec "$@"', "sh"] + command
    if case.out and case.out.startswith("|"):  # through a pipe to a command, with the program's status
        command = ["/bin/bash", "-c", '"$@" ' + case.out + ' >/dev/null; exit "${PIPESTATUS[0]}"', "bash"] + command
    expected = case.err.replace("{folder}", folder) if case.err is not None else None

    stdin = subprocess.DEVNULL
    feeder = None
    if case.stdin == "endless":
        stdin = subprocess.PIPE
    elif case.stdin == "brackets":
        feeder = subprocess.Popen([sys.executable, "-c", "import sys\nb = b'[' * (1 << 20)\n"
                                   "try:\n    [sys.stdout.buffer.write(b) for _ in range(100)]\nexcept OSError:\n    pass"],
                                  stdout=subprocess.PIPE)
        stdin = feeder.stdout
    elif case.stdin:
        stdin = open(os.path.join(folder, case.stdin), "rb")
    # Files, not pipes: a program blocked on a full pipe nobody reads yet would never end.
    captured = stdout = tempfile.TemporaryFile()
    stderr = tempfile.TemporaryFile()
    terminal = None
    if case.out and case.out.startswith(">"):
        stdout = open(os.path.join(folder, case.out.lstrip(">")), "ab" if case.out.startswith(">>") else "wb")
    if case.tty:
        terminal, stdout = pty.openpty()
    lab = subprocess.Popen(command, cwd=folder, env=env, stdin=stdin, stdout=stdout, stderr=stderr,
                           start_new_session=True)
    if case.signal_when:
        condition, sig = case.signal_when
        if check(wait_for(lambda: condition(folder, lab) or lab.poll() is not None), "the moment came"):
            if lab.poll() is None:
                os.kill(lab.pid, sig)
    try:
        lab.communicate(timeout=LIMIT)
        status = lab.returncode
    except subprocess.TimeoutExpired:
        os.killpg(lab.pid, signal.SIGKILL)
        lab.communicate()
        status = f"still running after {LIMIT} s"
    captured.seek(0)
    out = captured.read()
    captured.close()
    stderr.seek(0)
    err = stderr.read()
    stderr.close()
    for stream in (stdin, stdout):
        if hasattr(stream, "close"):
            stream.close()
    if terminal is not None:
        os.close(terminal)
        os.close(stdout)
    if feeder:
        feeder.wait()
    out = out.decode(errors="replace")
    err = err.decode(errors="replace")

    statuses = case.status if isinstance(case.status, tuple) else (case.status,)
    check(status in statuses, f"exit status {status}, expected {' or '.join(map(str, statuses))}")
    prefix = {"lab": "battle-lab: ", "battle": "", "bench": ""}[case.program]
    if expected is not None:
        if expected == "":
            check(err == "", f"nothing on stderr: {err!r}")
        elif status == 0 or "warning" in expected:
            check(prefix + expected + "\n" in err, f"says: {expected}" + ("" if prefix + expected in err else f"; got {err!r}"))
        else:
            wanted = expected if expected.startswith(prefix) or not prefix else prefix + expected
            check(err == wanted + "\n", f"one line: {err.strip()!r}" + ("" if err == wanted + "\n" else f", expected {wanted!r}"))
    for name, before in inputs.items():
        if case.out and case.out.startswith(">") and not case.out.startswith(">>") and name == case.out[1:]:
            continue  # what the shell would have truncated
        path = os.path.join(folder, name)
        check(os.path.isfile(path) and digest(path) == before, f"{name} unchanged")
    left = [name for name in os.listdir(folder) if name.endswith(".part")]
    check(not left, f"no part file left {left if left else ''}")
    wait_for(lambda: not session_members(lab.pid), 10)
    alive = session_members(lab.pid)
    for pid in alive:
        os.kill(pid, signal.SIGKILL)
    check(not alive, f"no process left {alive if alive else ''}")
    if case.then:
        case.then(folder, out, err)


PROGRAMS = {}


def main():
    PROGRAMS.update(zip(("lab", "battle", "bench"), map(os.path.abspath, sys.argv[1:4])))
    sanitized = "--sanitized" in sys.argv[4:]
    real_gnuplot = shutil.which("gnuplot")
    if real_gnuplot is None:
        print("gnuplot is not installed (scripts/install-deps installs it)")
        return 1
    started = time.monotonic()
    for case in cases(real_gnuplot):
        with tempfile.TemporaryDirectory(prefix="battle-lab-data.") as folder:
            run(case, folder, real_gnuplot, sanitized)
    print(f"data-fault test {'FAILED' if processes.failures else 'passed'} in {time.monotonic() - started:.1f} s")
    return 1 if processes.failures else 0


if __name__ == "__main__":
    sys.exit(main())
