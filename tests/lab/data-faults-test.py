#!/usr/bin/env python3
"""What a hostile user can do to the lab's data: a table of cases, each run end to end in a
folder and session of its own, checking the status, the message, that the files given are byte
for byte as they were and that no part file or process (gnuplot) is left. A signal waits for a
condition (a gnuplot of the test's own running, a read, a FIFO's open), never for a time.

Usage: data-faults-test.py BATTLE-LAB BATTLE BATTLE-BENCH [--sanitized]
"""
import hashlib, json, os, pty, re, shutil, signal, subprocess, sys, tempfile, time

import processes
from processes import check, session_members

P = {}  # the programs
LIMIT = 60  # seconds a case may take on a loaded machine
SMALL = ["--battles", "4", "--max-frames", "1500", "25", "4", "4", "25", "4", "4"]
VARY = ["--vary", "blue-tanks=0:8:4"]
COUNTS = ["blue_riflemen", "blue_tanks", "blue_snipers", "red_riflemen", "red_tanks", "red_snipers"]


def line(seed, winner="none", end=None, left=0, study=None, tanks=50, snipers=50, seconds="auto"):
    """A battle line of the default armies; study None: a line of an earlier version."""
    army = lambda n: {side: {"riflemen": n, "snipers": 0, "tanks": 0} for side in ("red", "blue")}
    record = dict(zip(COUNTS, (200, tanks, 50, 200, 50, snipers)), seed=seed, placed=army(200), winner=winner,
                  end_frame=end, seconds=(end and round(end / 60, 3)) if seconds == "auto" else seconds, left=army(left))
    if study:
        record["study"] = dict(zip(("max_frames", "first_seed", "battles", "vary", "shard"), study))
    return json.dumps(record) + "\n"


def grid(side):  # one battle of each of side x side compositions
    study = (36000, 1, 1, [f"blue-tanks=0:{side - 1}:1", f"red-snipers=0:{side - 1}:1"], "1/1")
    return "".join(line(1, "red", 600, study=study, tanks=t, snipers=s) for t in range(side) for s in range(side))


def lab(folder, *args, out=subprocess.DEVNULL):
    subprocess.run([P["lab"], *args], cwd=folder, stdout=out, check=True)


def shards(folder, **others):
    """The three shards of a sweep, the whole sweep's summary, and runs with other options."""
    runs = {f"s{k}": VARY + ["--shard", f"{k}/3"] for k in (1, 2, 3)} | others
    for name, more in runs.items():
        lab(folder, *SMALL, *(more if "--vary" in more else VARY + more), "--jobs", "1", "--out", name + ".jsonl")
    with open(os.path.join(folder, "whole.txt"), "w") as whole:
        lab(folder, *SMALL, *VARY, out=whole)


def edit(folder, source, target, keep=None, change=False):  # the first lines, or the first one changed
    lines = open(os.path.join(folder, source)).readlines()[:keep]
    record = json.loads(lines[0])
    record["left"]["red"]["riflemen"] += 1
    open(os.path.join(folder, target), "w").writelines([json.dumps(record) + "\n"] if change else lines)


def proc(pid, name):
    try:
        return open(f"/proc/{pid}/{name}").read()
    except OSError:
        return ""


child = lambda name: lambda f, pid: any(proc(p, "comm").strip() == name for p in session_members(pid))
reading = lambda f, pid: proc(pid, "syscall").split()[:2] == ["0", "0x0"]  # read(0, ...)
opening = lambda f, pid: proc(pid, "wchan") == "wait_for_partner" or proc(pid, "syscall").split()[:1] == ["257"]
text = lambda f, name: open(os.path.join(f, name), "rb").read()
all_study = lambda f: lab(f, *SMALL, *VARY, "--out", "all.jsonl")
SLOW = "exec sleep 600"  # a gnuplot that never ends
tics = lambda f: [len(t.split(",")) for t in re.findall(r"set [xy]tics \(([^)]*)\)", text(f, "script.gp").decode())]


# name, arguments, status, message (a line of stderr), what else: files (name: text, or a
# function making them), stdin, out (">file", ">>file", "|command", "tty"), gnuplot (a shell
# script standing in for it, or "" for none on the PATH), memory, signal (condition, number),
# then (more checks), program.
CASES = [
    ("--plot names the file summed up", ["--summarize", "all.jsonl", "--plot", "all.jsonl"], 2,
     "--plot all.jsonl would write over all.jsonl, one of the files to sum up", dict(files=all_study)),
    ("--plot through a link", ["--summarize", "all.jsonl", "--plot", "l.png"], 2,
     "--plot l.png would write over all.jsonl, one of the files to sum up",
     dict(files=lambda f: (all_study(f), os.symlink("all.jsonl", os.path.join(f, "l.png"))))),
    ("--plot by its absolute name", ["--summarize", "./all.jsonl", "--plot", "{f}/all.jsonl"], 2,
     "--plot {f}/all.jsonl would write over ./all.jsonl, one of the files to sum up", dict(files=all_study)),
    ("--plot names standard input", ["--summarize", "-", "--plot", "all.jsonl"], 2, "--plot all.jsonl would write "
     "over standard input, one of the files to sum up", dict(files=all_study, stdin="all.jsonl")),
    ("standard output appends to the input", ["--summarize", "all.jsonl"], 2,
     "standard output goes to all.jsonl, one of the files to sum up", dict(files=all_study, out=">>all.jsonl")),
    ("SIGTERM while gnuplot draws a summary's chart", ["--summarize", "all.jsonl", "--plot", "g.png"], 143,
     "interrupted", dict(files=all_study, gnuplot=SLOW, signal=(child("sleep"), signal.SIGTERM))),
    ("SIGINT while gnuplot draws a run's chart", ["--plot", "g.png"] + SMALL, 130,
     "interrupted: the chart was not drawn", dict(gnuplot=SLOW, signal=(child("sleep"), signal.SIGINT))),
    ("SIGHUP while standard input gives nothing", ["--summarize", "-"], 129, "interrupted",
     dict(stdin="endless", signal=(reading, signal.SIGHUP))),
    ("SIGTERM while the real gnuplot draws 10,000 cells, unless it is done", ["--summarize", "g.jsonl", "--plot",
     "g.png"], (0, 143), None, dict(files={"g.jsonl": grid(100)}, signal=(child("gnuplot"), signal.SIGTERM))),
    ("10 MB of [", ["--summarize", "d.jsonl"], 2, "d.jsonl:1: not a battle line: longer than 65536 bytes",
     dict(files={"d.jsonl": "[" * 10_000_000}, memory=True)),
    ("100 MB of [ through a pipe", ["--summarize", "-"], 2, "standard input:1: not a battle line: longer than 65536 "
     "bytes", dict(stdin="|head -c 100000000 /dev/zero | tr '\\0' '['", memory=True)),
    ("a short line nested deep", ["--summarize", "n.jsonl"], 2, "n.jsonl:2: not a battle line: nested more than 8 "
     "levels deep", dict(files={"n.jsonl": line(1) + "[" * 20 + "]" * 20 + "\n"}, memory=True)),
    ("10,000 compositions within the bound", ["--summarize", "g.jsonl"], 0, None, dict(files={"g.jsonl": grid(100)},
     memory=True, then=lambda f, o, e: check(o.startswith("compositions 10000, battles 10000\n"), "all summed up"))),
    ("shards of another --vary", ["--summarize", "s1.jsonl", "o.jsonl"], 2, "s1.jsonl:1 and o.jsonl:1 are lines of "
     "different studies: vary blue-tanks=0:8:4 and blue-tanks=0:12:4",
     dict(files=lambda f: shards(f, o=["--vary", "blue-tanks=0:12:4", "--shard", "2/3"]))),
    ("shards of another --first-seed", ["--summarize", "s1.jsonl", "o.jsonl"], 2, "s1.jsonl:1 and o.jsonl:1 are "
     "lines of different studies: shards of battles from seed 1 (4 a composition) and from seed 9 (4)",
     dict(files=lambda f: shards(f, o=["--first-seed", "9", "--shard", "2/3"]))),
    ("shards of another --max-frames", ["--summarize", "s1.jsonl", "o.jsonl"], 2, "s1.jsonl:1 and o.jsonl:1 are "
     "lines of different studies: max_frames 1500 and 1501",
     dict(files=lambda f: shards(f, o=["--shard", "2/3", "--max-frames", "1501"]))),
    ("a shard missing", ["--summarize", "s1.jsonl", "s3.jsonl"], 0,
     "warning: the lines hold 2 of the 3 shards of their study; missing: 2/3", dict(files=shards)),
    ("a composition short", ["--summarize", "c.jsonl", "s2.jsonl", "s3.jsonl"], 0,
     "warning: 1 composition is short of battles: blue-tanks=8 has 3 of 4",
     dict(files=lambda f: (shards(f), edit(f, "s1.jsonl", "c.jsonl", keep=3)))),
    ("a shard twice counts once", ["--summarize", "s1.jsonl", "s2.jsonl", "s3.jsonl", "s2.jsonl"], 0,
     "warning: 4 battles (same seed and counts) appear more than once; each is counted once", dict(
         files=shards, then=lambda f, o, e: check(o == text(f, "whole.txt").decode(), "the whole study's summary"))),
    ("a battle repeated with another result", ["--summarize", "s1.jsonl", "s2.jsonl", "r.jsonl"], 2,
     "r.jsonl:1: the battle of seed 2 (blue-tanks=0) was given before with another result",
     dict(files=lambda f: (shards(f), edit(f, "s2.jsonl", "r.jsonl", change=True)))),
    ("no battle line", ["--summarize", "e.jsonl"], 2, "no battle line in e.jsonl", dict(files={"e.jsonl": "\n \n"})),
    ("lines of an earlier version", ["--summarize", "old.jsonl"], 0, "warning: 2 lines do not say which study they "
     "belong to (written by an earlier version): whether the lines are of one study and complete cannot be checked",
     dict(files={"old.jsonl": line(1) + line(2)})),
    ("more left than placed and brought", ["--summarize", "b.jsonl"], 2, "b.jsonl:1: not a battle line: 'left' has "
     "more red riflemen (201) than were placed and brought by 0 waves (200)",
     dict(files={"b.jsonl": line(1, "red", 600, left=201)})),
    ("an end frame past the study's", ["--summarize", "b.jsonl"], 2, "b.jsonl:1: not a battle line: 'end_frame' "
     "9000 is past the study's max_frames 6000", dict(files={"b.jsonl": line(1, "blue", 9000, study=(6000, 1, 1, [],
     "1/1"))})),
    ("seconds that are not a number", ["--summarize", "b.jsonl"], 2, "b.jsonl:1: not a battle line: 'seconds' is "
     "not a number of 0 or more", dict(files={"b.jsonl": line(1, "blue", 60, seconds="soon")})),
    ("negative seconds", ["--summarize", "b.jsonl"], 2, "b.jsonl:1: not a battle line: 'seconds' is not a number of "
     "0 or more", dict(files={"b.jsonl": line(1, "blue", 60, seconds=-1)})),
    ("battle --record into a FIFO nobody opens, SIGTERM", ["--record", "fifo", "--frames", "3"], 143, "",
     dict(program="battle", files=lambda f: os.mkfifo(os.path.join(f, "fifo")), signal=(opening, signal.SIGTERM))),
    ("battle --record into a pipe whose reader quits", ["--record", "/dev/stdout", "--frames", "600"], 1,
     "battle: cannot write /dev/stdout: Broken pipe", dict(program="battle", out="|head -c 100")),
    ("--plot -", ["--summarize", "s1.jsonl", "s2.jsonl", "s3.jsonl", "--plot", "-"], 0, None, dict(
        files=shards, out=">c.png", then=lambda f, o, e: check(text(f, "c.png")[:4] == b"\x89PNG" and e.startswith(
            "compositions 3, battles 12\n"), "the PNG on stdout, the table on stderr"))),
    ("--plot /dev/stdout into a file", ["--plot", "/dev/stdout"] + SMALL, 0, None, dict(out=">f.png", then=lambda f, o, e:
        check(text(f, "f.png")[:4] == b"\x89PNG" and e.startswith("battles               4\n"), "PNG, summary"))),
    ("--plot - on a terminal", ["--plot", "-"] + SMALL, 2, "--plot -: standard output is a terminal, not a place "
     "for a PNG", dict(out="tty")),
    ("--out - and --plot -", ["--out", "-", "--plot", "-"], 2, "--out and --plot both name standard output", {}),
    ("a sweep of one value names it", ["--vary", "blue-tanks=0:5:100"] + SMALL, 0, None, dict(then=lambda f, o, e:
        check(re.search(r"^blue-tanks +battles.*\n +0 +4 ", o, re.M), "a one-row table with the value"))),
    ("a 100 x 100 heat map", ["--summarize", "g.jsonl", "--plot", "g.png"], 0, None,
     dict(files={"g.jsonl": grid(100)}, gnuplot='tee "$CASE/script.gp" | "$REAL_GNUPLOT"', then=lambda f, o, e: check(
         max(tics(f) or [99]) <= 20 and "with labels" not in text(f, "script.gp").decode(), f"{tics(f)} labels"))),
    ("a folder", ["--summarize", "a"], 2, "cannot read a: Is a directory", dict(files=lambda f: os.mkdir(f + "/a"))),
    ("no gnuplot on PATH", ["--plot", "g.png"], 2, "--plot needs gnuplot, which is not on PATH", dict(gnuplot="")),
    ("a lone --", ["--summarize", "--", "--odd.jsonl"], 0, None, dict(files={"--odd.jsonl": line(1)})),
    ("counts after a lone --", ["--battles", "1", "--max-frames", "9", "--", "0", "0", "0", "0", "0", "0"], 0, None,
     dict(then=lambda f, o, e: check(o.startswith("battles               1\n"), "one battle played"))),
    ("battle-lab --version", ["--version"], 0, None, dict(then=lambda f, o, e: check(o.split()[-1] == subprocess.run(
        [P["battle"], "--version"], capture_output=True, text=True).stdout.split()[-1], f"battle's version: {o!r}"))),
    ("battle --help names every exit status", ["--help"], 0, None, dict(program="battle", then=lambda f, o, e: check(
        all(s in o for s in ("130", "143", "129", "lost display")), "130, 143, 129 and a lost display"))),
    ("battle-bench --help", ["--help"], 0, None, dict(program="bench", then=lambda f, o, e: check(
        o.startswith("usage: battle-bench"), "its usage"))),
]


def run(name, args, status, message, more, f, sanitized):
    print(f"== {name}")
    if more.get("memory") and sanitized:
        return print("  skip   the sanitizers reserve more address space than the bound")
    files = more.get("files", {})
    files(f) if callable(files) else [open(os.path.join(f, n), "w").write(t) for n, t in files.items()]
    inputs = {n: hashlib.sha256(text(f, n)).digest() for n in os.listdir(f) if os.path.isfile(os.path.join(f, n))}
    env = {k: v for k, v in os.environ.items() if k != "DISPLAY"}
    env.update(REAL_GNUPLOT=shutil.which("gnuplot"), CASE=f)
    if "gnuplot" in more:  # a gnuplot of the test's own first on the PATH, or none at all
        os.mkdir(f + "/bin")
        with open(f + "/bin/gnuplot", "w") as script:
            script.write("#!/bin/sh\n" + more["gnuplot"] + "\n")
        os.chmod(f + "/bin/gnuplot", 0o755)
        env["PATH"] = f + "/bin:" + env["PATH"] if more["gnuplot"] else "/nonexistent"
    command = [P[more.get("program", "lab")]] + [a.replace("{f}", f) for a in args]
    if more.get("memory"):
        command = ["/bin/sh", "-c", 'ulimit -v 65536 && exec "$@"', "sh"] + command
    out, stdin = more.get("out", ""), more.get("stdin", "")
    if out.startswith("|"):  # through a pipe to a command, with the program's own status
        command = ["/bin/bash", "-c", f'"$@" {out} >/dev/null; exit "${{PIPESTATUS[0]}}"', "bash"] + command
    if stdin.startswith("|"):  # from a command through a pipe, likewise
        command = ["/bin/bash", "-c", f'{stdin[1:]} | "$@"; exit "${{PIPESTATUS[-1]}}"', "bash"] + command
    stdin = subprocess.PIPE if stdin == "endless" else \
        open(os.path.join(f, stdin), "rb") if stdin and stdin[0] != "|" else subprocess.DEVNULL
    # Files, not pipes: a program blocked on a full pipe nobody reads yet would never end.
    captured, err_file = tempfile.TemporaryFile(), tempfile.TemporaryFile()
    terminal = pty.openpty() if out == "tty" else None
    stdout = terminal[1] if terminal else open(os.path.join(f, out.lstrip(">")), "ab") if out.startswith(">") \
        else captured
    program = subprocess.Popen(command, cwd=f, env=env, stdin=stdin, stdout=stdout, stderr=err_file,
                               start_new_session=True)
    if "signal" in more:
        condition, number = more["signal"]
        started = time.monotonic()
        while not condition(f, program.pid) and program.poll() is None and time.monotonic() < started + LIMIT:
            time.sleep(0.02)
        if program.poll() is None:
            os.kill(program.pid, number)
    try:
        got = program.wait(timeout=LIMIT)
    except subprocess.TimeoutExpired:
        os.killpg(program.pid, signal.SIGKILL)
        got = f"still running after {LIMIT} s, {program.wait()}"
    for stream in (stdin, stdout if stdout is not captured else None, program.stdin):
        if hasattr(stream, "close"):
            stream.close()
    if terminal:
        os.close(terminal[0]), os.close(terminal[1])
    captured.seek(0), err_file.seek(0)
    o, e = captured.read().decode(errors="replace"), err_file.read().decode(errors="replace")

    statuses = status if isinstance(status, tuple) else (status,)
    check(got in statuses, f"exit status {got}, expected {statuses}")
    if message is not None:  # one line, or a warning among others
        wanted = ("" if message.startswith("battle:") or not message else "battle-lab: ") + message.replace("{f}", f)
        wanted += "\n" if wanted else ""
        check(wanted in e if message.startswith("warning") else e == wanted, f"says {wanted!r}, said {e!r}")
    for n, before in inputs.items():
        check(os.path.isfile(f + "/" + n) and hashlib.sha256(text(f, n)).digest() == before, f"{n} unchanged")
    check(not [n for n in os.listdir(f) if n.endswith(".part")], f"no part file left: {os.listdir(f)}")
    ended, deadline = processes.now(), time.monotonic() + 10
    while session_members(program.pid, ended) and time.monotonic() < deadline:
        time.sleep(0.02)
    left = session_members(program.pid, ended)
    [os.kill(p, signal.SIGKILL) for p in left]
    check(not left, f"no process left {left or ''}")
    if "then" in more:
        more["then"](f, o, e)


def main():
    P.update(zip(("lab", "battle", "bench"), map(os.path.abspath, sys.argv[1:4])))
    if shutil.which("gnuplot") is None:
        return print("gnuplot is not installed (scripts/install-deps installs it)") or 1
    started = time.monotonic()
    for case in CASES:
        with tempfile.TemporaryDirectory(prefix="battle-lab-data.") as folder:
            run(*case, folder, "--sanitized" in sys.argv[4:])
    print(f"data-fault test {'FAILED' if processes.failures else 'passed'} in {time.monotonic() - started:.1f} s")
    return 1 if processes.failures else 0


if __name__ == "__main__":
    sys.exit(main())
