#!/usr/bin/env python3
"""battle-lab under what a hostile but ordinary user does to a process.

Each case runs the real battle-lab in a session of its own and must end within seconds:
standard output closed; SIGTERM and SIGHUP; its jobs as threads of one process, and SIGKILL;
a second signal while the lab is stuck writing to a full pipe, a signal while it opens a FIFO; two labs writing one
file; a run of 2147483647 battles, whose memory must not grow. Every case checks that no job is
left and no part file lies about.

Usage: process-faults-test.py PATH-TO-battle-lab
"""
import json
import os
import signal
import subprocess
import sys
import tempfile
import time

import processes
from processes import check, no_process_left, session_members, wait_for

SMALL = ["--max-frames", "2500", "30", "8", "6", "30", "8", "6"]  # a battle in a few milliseconds
NOTHING = ["--max-frames", "60", "0", "0", "0", "0", "0", "0"]  # a battle in no time at all
LIMIT = 60  # seconds any case may take to end, on a loaded machine


def start(program, args, folder, **streams):
    streams.setdefault("stdout", subprocess.PIPE)
    streams.setdefault("stderr", subprocess.PIPE)
    return subprocess.Popen([program] + args, stdin=subprocess.DEVNULL, start_new_session=True, cwd=folder, **streams)


def finish(lab, limit=LIMIT):
    """Waits for the lab and its output; None as the status when it would not end."""
    try:
        out, err = lab.communicate(timeout=limit)
        return lab.returncode, (out or b"").decode(errors="replace"), (err or b"").decode(errors="replace")
    except subprocess.TimeoutExpired:
        os.killpg(lab.pid, signal.SIGKILL)
        lab.communicate()
        return None, "", ""


def part_files(folder):
    return [name for name in os.listdir(folder) if name.endswith(".part")]


def lines_written(folder, target):
    return any(name.startswith("." + target + ".") and os.path.getsize(os.path.join(folder, name)) > 0
               for name in part_files(folder))


def whole_lines(text):
    """The seeds of the lines, or None when one is not a whole battle line."""
    if text and not text.endswith("\n"):
        return None
    seeds = []
    for line in text.splitlines():
        try:
            record = json.loads(line)
            assert record["winner"] in ("red", "blue", "none") and "placed" in record
            seeds.append(record["seed"])
        except (ValueError, KeyError, AssertionError):
            return None
    return seeds


def closed_standard_output(program, folder):
    for args in (["--battles", "50", "--out", "-"], ["--battles", "50", "--out", "-", "--jobs", "1"],
                 ["--battles", "50", "--out", "lines.jsonl"]):
        print("== battle-lab " + " ".join(args) + " >&-")
        lab = start("/bin/sh", ["-c", 'exec "$0" "$@" >&-', program] + args + SMALL, folder, stdout=None)
        status, _, err = finish(lab)
        check(status == 1, f"exit status {status}, expected 1 within {LIMIT} s")
        check(err == "battle-lab: cannot write to standard output: Bad file descriptor\n", f"one line: {err!r}")
        check(os.listdir(folder) == [], f"no file made: {os.listdir(folder)}")
        no_process_left(lab.pid)


def stop_signal(program, folder, name, status_expected):
    print(f"== SIG{name} to battle-lab alone, its output read through a pipe as $(...) does")
    lab = start(program, ["--battles", "100000", "--jobs", "2", "--out", "lines.jsonl"] + SMALL, folder)
    check(wait_for(lambda: lines_written(folder, "lines.jsonl")), "lines are written while it runs")
    time.sleep(0.3)
    os.kill(lab.pid, getattr(signal, "SIG" + name))
    status, out, err = finish(lab)  # the pipe must reach its end: no job holds it open
    check(status == status_expected, f"exit status {status}, expected {status_expected}")
    with open(os.path.join(folder, "lines.jsonl")) as lines:
        seeds = whole_lines(lines.read())
    check(seeds is not None and len(seeds) > 0, f"whole battle lines kept: {len(seeds or [])}")
    check(seeds == sorted(seeds or []), "in seed order")
    first = out.splitlines()[0].split() if out else []
    check(seeds is not None and first == ["battles", str(len(seeds))], f"the summary counts them: {first}")
    check(f"interrupted: {len(seeds or [])} of 100000 battles finished" in err, f"stderr says so: {err.strip()!r}")
    check(part_files(folder) == [], "no part file left")
    no_process_left(lab.pid)


def threads_not_processes(program, folder):
    print("== --jobs 2: one process with its threads, no child; SIGKILL ends the jobs with it")
    endless = ["--max-frames", "2000000000", "0", "0", "0", "0", "0", "0"]  # no army: no base ever falls
    lab = start(program, ["--battles", "4", "--jobs", "2", "--out", "-"] + endless, folder)
    threads = lambda: len(os.listdir(f"/proc/{lab.pid}/task"))  # the lab is not reaped before finish()
    check(wait_for(lambda: threads() == 3), f"the lab and its two jobs: {threads()} threads")
    check(session_members(lab.pid) == [lab.pid], f"one process, no child: {session_members(lab.pid)}")
    os.kill(lab.pid, signal.SIGKILL)
    status, _, _ = finish(lab)  # nothing else holds its standard output
    check(status == -signal.SIGKILL, f"ended by SIGKILL ({status}), and its output reached its end")
    no_process_left(lab.pid)


def second_signal(program, folder):
    print("== battle-lab stuck writing to a full pipe: a second Ctrl-C ends it at once")
    with open(os.path.join(folder, "chart.png"), "w") as old:
        old.write("an older chart\n")
    read_end, write_end = os.pipe()  # nobody reads: the lab blocks once the pipe is full
    lab = start(program, ["--battles", "100000", "--out", "-", "--plot", "chart.png"] + NOTHING, folder,
                stdout=write_end)
    os.close(write_end)

    # Asleep in write(1, ...) (not running: the pipe is full), twice in a row.
    writing = lambda: open(f"/proc/{lab.pid}/syscall").read().split()[:2] == ["1", "0x1"]
    check(wait_for(lambda: len(part_files(folder)) == 1 and writing() and not time.sleep(0.2) and writing()),
          "the chart's part file is there, the lab stuck")
    os.kill(lab.pid, signal.SIGINT)
    time.sleep(0.3)
    check(lab.poll() is None, "the first Ctrl-C cannot end a write nobody reads")
    os.kill(lab.pid, signal.SIGINT)
    try:
        status = lab.wait(timeout=LIMIT)
    except subprocess.TimeoutExpired:
        os.killpg(lab.pid, signal.SIGKILL)
        status = lab.wait()
    os.close(read_end)
    lab.stderr.close()
    check(status == -signal.SIGINT, f"ended at once by the second SIGINT ({status})")
    check(part_files(folder) == [], f"its part file removed: {part_files(folder)}")
    with open(os.path.join(folder, "chart.png")) as chart:
        check(chart.read() == "an older chart\n", "the older chart left alone")
    no_process_left(lab.pid)


def signal_while_opening(program, folder):
    print("== SIGINT while --plot waits for a FIFO's reader: the part file of --out goes with the lab")
    os.mkfifo(os.path.join(folder, "ff")), os.symlink("/bin/false", os.path.join(folder, "gnuplot"))  # never run
    lab = start(program, ["--battles", "2", "--out", "o.jsonl", "--plot", "ff"] + SMALL, folder,
                env=dict(os.environ, PATH=folder + ":" + os.environ["PATH"]))
    proc = lambda name: open(f"/proc/{lab.pid}/{name}").read()
    opening = lambda: proc("wchan") == "wait_for_partner" or proc("syscall").split()[:1] == ["257"]
    check(wait_for(lambda: part_files(folder) and opening()), "the lines' part file is there, the lab opens the FIFO")
    os.kill(lab.pid, signal.SIGINT)
    status, _, err = finish(lab)
    check(status == 130 and err == "battle-lab: interrupted\n", f"status 130, one line: {status}, {err!r}")
    check(sorted(os.listdir(folder)) == ["ff", "gnuplot"], f"no part file, no o.jsonl: {os.listdir(folder)}")
    no_process_left(lab.pid)


def two_labs_one_file(program, folder):
    print("== two labs writing the same file at once")
    target = os.path.join(folder, "same.jsonl")
    with open(target, "w") as old:
        old.write("the lines of an older run\n")
    labs = [start(program, ["--first-seed", str(first), "--battles", "30", "--jobs", "1", "--out", "same.jsonl"] + SMALL,
                  folder) for first in (1, 101)]
    # Whenever it is looked at while they run, the file is the older one or one run's, whole.
    seen = set()
    while any(lab.poll() is None for lab in labs):
        with open(target) as file:
            text = file.read()
        seen.add("older" if text == "the lines of an older run\n" else
                 "whole" if whole_lines(text) in (list(range(1, 31)), list(range(101, 131))) else text[:80])
        time.sleep(0.01)
    check(seen <= {"older", "whole"}, f"the file is never a mix: {seen - {'older', 'whole'} or ''}")
    statuses = [finish(lab)[0] for lab in labs]
    check(statuses == [0, 0], f"both end with status 0: {statuses}")
    with open(target) as file:
        seeds = whole_lines(file.read())
    check(seeds in (list(range(1, 31)), list(range(101, 131))), f"one run's 30 whole lines, not a mix: {seeds}")
    check(part_files(folder) == [], "no part file left")
    for lab in labs:
        no_process_left(lab.pid)


def resident_kb(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def endless_run(program, folder):
    print("== --battles 2147483647: played as a stream, the memory does not grow")
    # Under AddressSanitizer freed memory is held back for a while; that is not the lab's.
    env = dict(os.environ)
    env["ASAN_OPTIONS"] = ":".join(filter(None, [env.get("ASAN_OPTIONS"), "quarantine_size_mb=0"]))
    lab = start(program, ["--battles", "2147483647", "--jobs", "2", "--out", "lines.jsonl"] + NOTHING, folder, env=env)
    line = 500  # bytes, about
    written = lambda: sum(os.path.getsize(os.path.join(folder, name)) for name in part_files(folder))
    check(wait_for(lambda: written() > 1000 * line or lab.poll() is not None), "1000 battles played")
    early = resident_kb(lab.pid) if lab.poll() is None else 0
    check(wait_for(lambda: written() > 10000 * line or lab.poll() is not None), "10,000 battles played")
    late = resident_kb(lab.pid) if lab.poll() is None else 0
    check(0 < late < early + 8 * 1024, f"resident memory {early} kB after 1000 battles, {late} kB after 10,000")
    os.kill(lab.pid, signal.SIGTERM)
    status, out, _ = finish(lab)
    check(status == 143, f"exit status {status}, expected 143")
    battles = int(out.split()[1]) if out.startswith("battles") else 0
    check(battles > 10000, f"{battles} battles played and summed up")
    check(os.path.getsize(os.path.join(folder, "lines.jsonl")) > 0 and part_files(folder) == [], "their lines kept")
    no_process_left(lab.pid)


def main():
    program = os.path.abspath(sys.argv[1])
    cases = [
        closed_standard_output,
        lambda p, f: stop_signal(p, f, "TERM", 143),
        lambda p, f: stop_signal(p, f, "HUP", 129),
        threads_not_processes,
        second_signal,
        signal_while_opening,
        two_labs_one_file,
        endless_run,
    ]
    started = time.monotonic()
    for case in cases:
        with tempfile.TemporaryDirectory(prefix="battle-lab-faults.") as folder:
            case(program, folder)
    print(f"process-fault test {'FAILED' if processes.failures else 'passed'} in {time.monotonic() - started:.1f} s")
    return 1 if processes.failures else 0


if __name__ == "__main__":
    sys.exit(main())
