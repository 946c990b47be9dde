#!/usr/bin/env python3
"""What a hostile user can do to the lab's data and to a recording, one table of cases run end to end.

Usage: data-faults-test.py BATTLE-LAB BATTLE BATTLE-BENCH [--sanitized]
"""
import json, os, pathlib, pty, re, shutil, signal, subprocess, sys, tempfile, time

import processes
from processes import check, session_members, wait_for

P = {}  # the programs
LIMIT = 60  # seconds a case may take on a loaded machine
SMALL = ["--battles", "4", "--max-frames", "1500", "25", "4", "4", "25", "4", "4"]
VARY = ["--vary", "blue-tanks=0:8:4"]
ARMY = lambda n: {side: {"riflemen": n, "snipers": 0, "tanks": 0} for side in ("red", "blue")}


def line(study=None, **fields):
    """A battle line of the default armies; with no study, as an earlier version wrote it."""
    record = dict(seed=1, blue_riflemen=200, blue_tanks=50, blue_snipers=50, red_riflemen=200, red_tanks=50,
                  red_snipers=50, placed=ARMY(200), winner="red", end_frame=600, seconds=10.0, left=ARMY(0)) | fields
    study = study and {"study": dict(zip(("max_frames", "first_seed", "battles", "vary", "shard"), study))}
    return json.dumps(record | (study or {})) + "\n"


def edit(f, source, target, keep=None, change=False):  # the first lines, or the first one changed
    lines = open(f"{f}/{source}").readlines()[:keep]
    record = json.loads(lines[0])
    record["left"]["red"]["riflemen"] += 1
    put(f, target, json.dumps(record) + "\n" if change else "".join(lines))


GRID = {"g.jsonl": "".join(line((36000, 1, 1, ["blue-tanks=0:99:1", "red-snipers=0:99:1"], "1/1"), blue_tanks=t,
                                red_snipers=s) for t in range(100) for s in range(100))}  # 100 x 100 compositions
lab = lambda f, *args: subprocess.run([P["lab"], *args], cwd=f, stdout=subprocess.DEVNULL, check=True)
put = lambda f, name, data: pathlib.Path(f, name).write_text(data)
untag = lambda f, source: put(f, "u.jsonl", "".join(  # the lines as an earlier version wrote them
    json.dumps({k: v for k, v in json.loads(l).items() if k != "study"}) + "\n" for l in open(f"{f}/{source}")))
text = lambda f, name: pathlib.Path(f, name).read_bytes()
shards = lambda f, **others: [  # the three shards of a sweep, and runs with other options
    lab(f, *SMALL, *(more if "--vary" in more else VARY + more), "--jobs", "1", "--out", name + ".jsonl")
    for name, more in ({f"s{k}": ["--shard", f"{k}/3"] for k in (1, 2, 3)} | others).items()]
proc = lambda pid, name: open(f"/proc/{pid}/{name}").read()
child = lambda name: lambda pid: any(proc(p, "comm") == name + "\n" for p in session_members(pid))
reading = lambda pid: proc(pid, "syscall").split()[:2] == ["0", "0x0"]  # read(0, ...)
opening = lambda pid: proc(pid, "wchan") == "wait_for_partner" or proc(pid, "syscall").split()[:1] == ["257"]
all_study = lambda f: (lab(f, *SMALL, *VARY, "--out", "all.jsonl"), os.symlink("all.jsonl", f + "/l.png"))
SLOW = "exec sleep 600"  # a gnuplot that never ends
EXEC = 'exec "$@" '  # how a shell command (sh) runs the program
GONE = 'mkfifo gone && exec 3<>gone 4>gone 3<&- && exec "$@" >&4 4>&-'  # into a pipe whose one reader has closed
tics = lambda f: [len(t.split(",")) for t in re.findall(r"set [xy]tics \(([^)]*)\)", text(f, "script.gp").decode())]
says = lambda regex: lambda f, o, e: check(re.search(regex, o, re.M), f"stdout {regex!r}: {o[:200]!r}")
png = lambda table: lambda f, o, e: check(text(f, "o.png")[:4] == b"\x89PNG" and e.startswith(table), "PNG, table")


# Each case runs in a folder and session of its own and checks the status, the message (a line of stderr, or a
# warning among others), that the files given are unchanged and that no part file or process is left. More: files
# (name: text, or a function), sh (bash running the program as "$@"), tty (a terminal as stdin and stdout), gnuplot
# (a script standing in for it; "" for none), memory (bounded: 64 MB, or ulimit's options), signal (condition,
# number), then (checks), program.
case = lambda name, args, status, message=None, **more: (name, args, status, message, more)
CASES = [
    *[case(f"--summarize {i} --plot {p}", ["--summarize", i, "--plot", p], 2, f"--plot {p} would write over {over}, "
           "one of the files to sum up", files=all_study, sh=EXEC + sh) for i, p, over, sh in [
        ("all.jsonl", "all.jsonl", "all.jsonl", ""), ("all.jsonl", "l.png", "all.jsonl", ""),  # l.png: a link
        ("./all.jsonl", "{f}/all.jsonl", "./all.jsonl", ""), ("-", "all.jsonl", "standard input", "<all.jsonl")]],
    case("standard output appends to the input", ["--summarize", "all.jsonl"], 2,
         "standard output goes to all.jsonl, one of the files to sum up", files=all_study, sh=EXEC + ">>all.jsonl"),
    case("SIGTERM while gnuplot draws a summary's chart", ["--summarize", "all.jsonl", "--plot", "g.png"], 143,
         "interrupted", files=all_study, gnuplot=SLOW, signal=(child("sleep"), signal.SIGTERM)),
    case("SIGINT while gnuplot draws a run's chart", ["--plot", "g.png"] + SMALL, 130,
         "interrupted: the chart was not drawn", gnuplot=SLOW, signal=(child("sleep"), signal.SIGINT)),
    case("SIGHUP while standard input gives nothing", ["--summarize", "-"], 129, "interrupted", tty=True,
         signal=(reading, signal.SIGHUP)),
    case("10 MB of [", ["--summarize", "d.jsonl"], 2, "d.jsonl:1: not a battle line: longer than 65536 bytes",
         files={"d.jsonl": "[" * 10_000_000}, memory=True),
    case("100 MB of [ through a pipe", ["--summarize", "-"], 2, "standard input:1: not a battle line: longer than "
         "65536 bytes", sh="head -c 100000000 /dev/zero | tr '\\0' '[' | \"$@\"", memory=True),
    case("10,000 compositions", ["--summarize", "g.jsonl"], 0, files=GRID, memory=True,
         then=says(r"\Acompositions 10000, battles 10000\n")),
    *[case("shards of another " + o[0], ["--summarize", "s1.jsonl", "o.jsonl"], 2, "s1.jsonl:1 and o.jsonl:1 are lines "
           "of different studies: " + m, files=lambda f, o=o: shards(f, o=o + ["--shard", "2/3"])) for o, m in [
        (["--vary", "blue-tanks=0:12:4"], "vary blue-tanks=0:8:4 and blue-tanks=0:12:4"),
        (["--first-seed", "9"], "shards of battles from seed 1 (4 a composition) and from seed 9 (4)"),
        (["--max-frames", "1501"], "max_frames 1500 and 1501")]],
    case("a shard missing", ["--summarize", "s1.jsonl", "s3.jsonl"], 0,
         "warning: the lines hold 2 of the 3 shards of their study; missing: 2/3", files=shards),
    case("a composition short", ["--summarize", "c.jsonl", "s2.jsonl", "s3.jsonl"], 0, "warning: 1 composition is "
         "short of battles: blue-tanks=8 has 3 of 4", files=lambda f: (shards(f), edit(f, "s1.jsonl", "c.jsonl", 3))),
    case("a battle repeated with another result", ["--summarize", "s1.jsonl", "s2.jsonl", "r.jsonl"], 2,
         "r.jsonl:1: the battle of seed 2 (blue-tanks=0) was given before with another result",
         files=lambda f: (shards(f), edit(f, "s2.jsonl", "r.jsonl", change=True))),
    case("no battle line", ["--summarize", "e.jsonl"], 2, "no battle line in e.jsonl", files={"e.jsonl": "\n \n"}),
    case("an empty file among several", ["--summarize", "s1.jsonl", "e.jsonl", "s2.jsonl"], 0,
         "warning: no battle line in e.jsonl", files=lambda f: (shards(f), put(f, "e.jsonl", ""))),
    case("every file empty", ["--summarize", "e.jsonl", "f.jsonl"], 2, "no battle line in any of the 2 files",
         files={"e.jsonl": "", "f.jsonl": "\n"}),
    case("a battle given three times", ["--summarize", "s1.jsonl", "s1.jsonl", "s1.jsonl"], 0,
         "warning: 4 battles (same seed and counts) appear more than once; each is counted once", files=shards),
    case("earlier lines that repeat tagged ones", ["--summarize", "s1.jsonl", "u.jsonl"], 0,
         files=lambda f: (shards(f), untag(f, "s1.jsonl")), then=says(r"\Acompositions 3, battles 4\n")),
    case("an earlier line with another result", ["--summarize", "u.jsonl", "s1.jsonl"], 2,
         "s1.jsonl:1: the battle of seed 1 (blue-tanks=0) was given before with another result",
         files=lambda f: (shards(f), edit(f, "s1.jsonl", "c.jsonl", change=True), untag(f, "c.jsonl"))),
    case("the last line without its end", ["--summarize", "n.jsonl"], 0, files={"n.jsonl": line(seed=1) + line(seed=2)[:-1]},
         then=says(r"\Abattles +2\n")),
    *[case(f"a line of {n} bytes", ["--summarize", "l.jsonl"], status, message, files={"l.jsonl": line()[:-1].ljust(n) + "\n"})
      for n, status, message in [(65536, 0, None), (65537, 2, "l.jsonl:1: not a battle line: longer than 65536 bytes")]],
    case("a line one seed past its study", ["--summarize", "b.jsonl"], 2,
         "b.jsonl:1: seed 3 is not one of the line's study (1 to 2)", files={"b.jsonl": line((36000, 1, 2, [], "1/1"), seed=3)}),
    case("seeds 4096 apart, 30,000 lines", ["--summarize", "w.jsonl"], 0, memory="-v 200000", then=says(r"\Abattles +30000\n"),
         files={"w.jsonl": "".join(line((36000, k * 4096, 1, [], "1/1"), seed=k * 4096) for k in range(30000))}),
    case("a run that cannot start a job", ["--out", "j.jsonl", "--plot", "o.png"] + SMALL, 1,
         "cannot start a job: Resource temporarily unavailable", files={"j.jsonl": "OLD\n", "o.png": "OLD\n"},
         memory="-s 4000000 -v 1000000"),
    case("--jobs 16 in 200 MB", ["--battles", "40", "--jobs", "16", "--max-frames", "600", "--out", "j.jsonl"], 0,
         memory="-v 200000", then=lambda f, o, e: check(len(text(f, "j.jsonl").splitlines()) == 40 and re.fullmatch(
             r"(battle-lab: only \d+ of 16 jobs could run \(.*\); the battles were played by fewer\n)?", e), f"40 lines: {e!r}")),
    *[case("not a battle line: " + why, ["--summarize", "b.jsonl"], 2, "b.jsonl:1: not a battle line: " + why,
           files={"b.jsonl": battle}) for battle, why in [
        (line(left=ARMY(201)), "'left' has more red riflemen (201) than were placed and brought by 0 waves (200)"),
        (line((6000, 1, 1, [], "1/1"), end_frame=9000), "'end_frame' 9000 is past the study's max_frames 6000"),
        *[(line(seconds=s), "'seconds' is not a number of 0 or more") for s in ("soon", -1)]]],
    case("battle --record into a FIFO nobody opens, SIGTERM", ["--record", "fifo", "--frames", "3"], 143, "",
         program="battle", files=lambda f: os.mkfifo(f + "/fifo"), signal=(opening, signal.SIGTERM)),
    case("battle --record into a pipe whose reader quits", ["--record", "/dev/stdout", "--frames", "600"], 1,
         "battle: cannot write /dev/stdout: Broken pipe", program="battle",
         sh='"$@" | head -c 100 >/dev/null; exit "${PIPESTATUS[0]}"'),
    case("--plot -", ["--summarize", "s1.jsonl", "s2.jsonl", "s3.jsonl", "--plot", "-"], 0, files=shards,
         sh=EXEC + ">o.png", then=png("compositions 3, battles 12\n")),
    case("--plot /dev/stdout into a file", ["--plot", "/dev/stdout"] + SMALL, 0, sh=EXEC + ">o.png",
         then=png("battles               4\n")),
    case("--plot - on a terminal", ["--plot", "-"] + SMALL, 2,
         "--plot -: standard output is a terminal, not a place for a PNG", tty=True),
    case("--out - and --plot -", ["--out", "-", "--plot", "-"], 2, "--out and --plot both name standard output"),
    case("a sweep of one value names it", ["--vary", "blue-tanks=0:5:100"] + SMALL, 0,
         then=says(r"^blue-tanks +battles.*\n +0 +4 ")),
    case("a 100 x 100 heat map", ["--summarize", "g.jsonl", "--plot", "g.png"], 0, files=GRID,
         gnuplot='tee "$CASE/script.gp" | "$REAL_GNUPLOT"', then=lambda f, o, e: check(
             max(tics(f) or [99]) <= 20 and "with labels" not in text(f, "script.gp").decode(), f"{tics(f)} labels")),
    case("a folder", ["--summarize", "a"], 2, "cannot read a: Is a directory", files=lambda f: os.mkdir(f + "/a")),
    case("no gnuplot on PATH", ["--plot", "g.png"], 2, "--plot needs gnuplot, which is not on PATH", gnuplot=""),
    case("a lone --", ["--summarize", "--", "--odd.jsonl"], 0, files={"--odd.jsonl": line()}),
    case("battle-lab --version", ["--version"], 0, then=lambda f, o, e: check(o.split()[-1] == subprocess.run(
         [P["battle"], "--version"], capture_output=True, text=True).stdout.split()[-1], f"battle's version: {o!r}")),
    case("battle --help names every exit status", ["--help"], 0, program="battle",
         then=says(r"(?s)\A(?=.*130)(?=.*143)(?=.*129)(?=.*lost display)")),
    case("battle-bench --help", ["--help"], 0, program="bench", then=says(r"\Ausage: battle-bench")),
    # One rule for both programs: what standard output cannot take (closed, full, a pipe whose reader has gone) is
    # status 1 with the reason, never a silent loss nor a death by SIGPIPE.
    *[case(f"{program} {' '.join(args)}: {message.split(': ')[-1]}", args, 1, message, program=program, sh=sh)
      for program, args, sh, message in [
        ("battle", ["--help"], EXEC + ">&-", "battle: cannot write to standard output: Bad file descriptor"),
        ("battle", ["--version"], EXEC + ">/dev/full", "battle: cannot write to standard output: No space left on device"),
        ("battle", ["--help"], GONE, "battle: cannot write to standard output: Broken pipe"),
        ("lab", ["--help"], GONE, "cannot write to standard output: Broken pipe"),
        ("lab", ["--version"], EXEC + ">/dev/full", "cannot write to standard output: No space left on device"),
        ("battle", ["--record", "-", "--frames", "3"], EXEC + ">&-",
         "battle: cannot write standard output: Bad file descriptor")]],
]


def run(name, args, status, message, more, f, sanitized):
    print(f"== {name}")
    if more.get("memory") and sanitized:
        return print("  skip   the sanitizers reserve more address space than the bound")
    files = more.get("files", {})
    files(f) if callable(files) else [put(f, n, t) for n, t in files.items()]
    inputs = {n: text(f, n) for n in os.listdir(f) if os.path.isfile(f"{f}/{n}")}
    env = {k: v for k, v in os.environ.items() if k != "DISPLAY"} | dict(REAL_GNUPLOT=shutil.which("gnuplot"), CASE=f)
    if "gnuplot" in more:  # a gnuplot of the test's own first on the PATH, or none at all
        put(f, "gnuplot", f"#!/bin/sh\n{more['gnuplot']}\n"), os.chmod(f + "/gnuplot", 0o755)
        env["PATH"] = f"{f}:{env['PATH']}" if more["gnuplot"] else "/nonexistent"
    limits = more.get("memory") and ("-v 65536" if more["memory"] is True else more["memory"])
    script = (f"ulimit {limits} && " if limits else "") + more.get("sh", EXEC)
    command = ["/bin/bash", "-c", script, "bash", P[more.get("program", "lab")], *(a.replace("{f}", f) for a in args)]
    out, err = tempfile.TemporaryFile(), tempfile.TemporaryFile()  # a full pipe nobody reads would block
    terminal, tty = pty.openpty() if more.get("tty") else (None, None)
    program = subprocess.Popen(command, cwd=f, env=env, stdin=tty or subprocess.DEVNULL, stdout=tty or out,
                               stderr=err, start_new_session=True)
    if "signal" in more:  # once its condition holds, unless the program ends before
        condition, number = more["signal"]
        if wait_for(lambda: condition(program.pid) or program.poll() is not None, LIMIT) and program.poll() is None:
            os.kill(program.pid, number)
    timely = wait_for(lambda: program.poll() is not None, LIMIT)
    if not timely:
        os.killpg(program.pid, signal.SIGKILL)
    got = program.wait() if timely else f"still running after {LIMIT} s, {program.wait()}"
    [os.close(end) for end in (terminal, tty) if end]
    o, e = ((stream.seek(0) or stream.read()).decode(errors="replace") for stream in (out, err))

    check(got == status, f"exit status {got}, expected {status}")
    if message is not None:  # one line, or a warning among others
        wanted = message and ("" if message.startswith("battle:") else "battle-lab: ") + message + "\n"
        wanted = wanted.replace("{f}", f)
        check(wanted in e if message.startswith("warning") else e == wanted, f"says {wanted!r}, said {e!r}")
    changed = [n for n, before in inputs.items() if not os.path.isfile(f"{f}/{n}") or text(f, n) != before]
    check(not changed, f"the files given unchanged {changed or ''}")
    check(not [n for n in os.listdir(f) if n.endswith(".part")], f"no part file left: {os.listdir(f)}")
    processes.no_process_left(program.pid)
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
