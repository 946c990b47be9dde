"""What the lab's end-to-end scripts share: checks that are counted, waits for a condition, and
the living processes of a process group or a session, read from /proc."""

import os
import signal
import time

failures = 0  # checks that failed so far


def check(condition, message):
    global failures
    print(("  ok     " if condition else "  FAILED ") + message)
    if not condition:
        failures += 1
    return condition


def wait_for(condition, limit=60):
    """Whether the condition holds within limit seconds, looked at every 20 ms; a condition that
    reads the /proc of a process that just ended (OSError) does not hold yet."""
    deadline = time.monotonic() + limit
    while True:
        try:
            if condition():
                return True
        except OSError:
            pass
        if time.monotonic() > deadline:
            return False
        time.sleep(0.02)


def now():  # in clock ticks since boot, as /proc gives the start of a process
    return int(float(open("/proc/uptime").read().split()[0]) * os.sysconf("SC_CLK_TCK"))


def _members(field, value, ended):
    members = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/stat") as stat:
                fields = stat.read().rsplit(")", 1)[1].split()
        except OSError:
            continue
        # fields: state, ppid, pgrp, session, ... starttime (the 20th)
        if int(fields[field]) == value and fields[0] != "Z" and (ended is None or int(fields[19]) <= ended):
            members.append(int(entry))
    return members


# Once the leader is reaped, another test may get its id for a session: pass now() from then.
def group_members(group, ended=None):
    """The living processes of a process group."""
    return _members(2, group, ended)


def session_members(session, ended=None):
    """The living processes of a session (the lab and its jobs run in one of their own)."""
    return _members(3, session, ended)


def no_process_left(session):
    """Checks that the session of a leader already reaped comes to an end; kills what is left."""
    ended = now()
    wait_for(lambda: not session_members(session, ended), 30)
    left = session_members(session, ended)
    for member in left:  # the test must not leave them either
        os.kill(member, signal.SIGKILL)
    return check(not left, f"no process left running {left or ''}")
