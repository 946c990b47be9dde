"""What the lab's end-to-end scripts share: checks that are counted, and the living
processes of a process group or a session, read from /proc."""

import os

failures = 0  # checks that failed so far


def check(condition, message):
    global failures
    print(("  ok     " if condition else "  FAILED ") + message)
    if not condition:
        failures += 1
    return condition


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
