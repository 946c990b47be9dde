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


def _members(field, value):
    members = []
    for entry in os.listdir("/proc"):
        if not entry.isdigit():
            continue
        try:
            with open(f"/proc/{entry}/stat") as stat:
                fields = stat.read().rsplit(")", 1)[1].split()
        except OSError:
            continue
        if int(fields[field]) == value and fields[0] != "Z":  # fields: state, ppid, pgrp, session
            members.append(int(entry))
    return members


def group_members(group):
    """The living processes of a process group."""
    return _members(2, group)


def session_members(session):
    """The living processes of a session (the lab and its jobs run in one of their own)."""
    return _members(3, session)
