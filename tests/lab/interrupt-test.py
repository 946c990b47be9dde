#!/usr/bin/env python3
"""Ctrl-C in the middle of a run of battle-lab, as a person would press it.

Twice: once SIGINT to battle-lab alone (as `kill -INT` does), once to its whole process group
(as a terminal does). Each time the run must end with status 130, keep
only whole JSON lines of finished battles in seed order, print the summary of exactly those
battles and leave no job running.

Usage: interrupt-test.py PATH-TO-battle-lab
"""
import json
import os
import signal
import subprocess
import sys
import tempfile
import time

import processes
from processes import check, group_members


def run(program, folder, whole_group):
    out_path = os.path.join(folder, "lines.jsonl")
    with open(os.path.join(folder, "stdout"), "w+") as stdout, open(os.path.join(folder, "stderr"), "w+") as stderr:
        lab = subprocess.Popen(
            [program, "--battles", "100000", "--jobs", "2", "--out", out_path],
            stdout=stdout, stderr=stderr, stdin=subprocess.DEVNULL, start_new_session=True)
        # Let some battles finish first; wait for the first line rather than a fixed time. The
        # lines go to a part file beside the target until the run ends.
        def lines_written():
            return any(name.startswith(".lines.jsonl.") and name.endswith(".part") and
                       os.path.getsize(os.path.join(folder, name)) > 0 for name in os.listdir(folder))
        deadline = time.monotonic() + 60
        while time.monotonic() < deadline and not lines_written():
            time.sleep(0.05)
        time.sleep(0.7)
        if whole_group:
            os.killpg(lab.pid, signal.SIGINT)
        else:
            os.kill(lab.pid, signal.SIGINT)
        try:
            status = lab.wait(timeout=30)
        except subprocess.TimeoutExpired:
            os.killpg(lab.pid, signal.SIGKILL)
            lab.wait()
            status = "still running 30 s after Ctrl-C"
        stdout.seek(0)
        summary = stdout.read()
        stderr.seek(0)
        messages = stderr.read()

    check(status == 130, f"exit status {status}, expected 130")
    check(sorted(os.listdir(folder)) == ["lines.jsonl", "stderr", "stdout"], f"no part file left: {os.listdir(folder)}")
    ended, deadline = processes.now(), time.monotonic() + 10
    while group_members(lab.pid, ended) and time.monotonic() < deadline:
        time.sleep(0.05)
    check(group_members(lab.pid, ended) == [], "no process left running")

    with open(out_path, "rb") as lines_file:
        text = lines_file.read().decode()
    check(text.endswith("\n"), "the output ends with a whole line")
    seeds = []
    for number, line in enumerate(text.splitlines(), 1):
        try:
            record = json.loads(line)
            seeds.append(record["seed"])
            assert record["winner"] in ("red", "blue", "none")
        except (ValueError, KeyError, AssertionError):
            check(False, f"line {number} is not a whole battle line: {line[:80]!r}")
            return
    check(len(seeds) >= 1, f"{len(seeds)} finished battles kept")
    check(seeds == sorted(seeds) and len(set(seeds)) == len(seeds), "lines in seed order, each seed once")
    first = summary.splitlines()[0].split() if summary else []
    check(first == ["battles", str(len(seeds))], f"the summary counts the {len(seeds)} kept battles: {first}")
    check(f"interrupted: {len(seeds)} of 100000 battles finished" in messages, f"stderr says so: {messages.strip()!r}")


def main():
    program = sys.argv[1]
    for whole_group in (False, True):
        print("== Ctrl-C to " + ("the whole process group" if whole_group else "battle-lab alone"))
        with tempfile.TemporaryDirectory(prefix="battle-lab-interrupt.") as folder:
            run(program, folder, whole_group)
    print("interrupt test " + ("FAILED" if processes.failures else "passed"))
    return 1 if processes.failures else 0


if __name__ == "__main__":
    sys.exit(main())
