#!/usr/bin/python3
"""Runs a command the way a terminal starts it and says how it ended.

  run-as-from-a-terminal.py PIDFILE ENDFILE COMMAND...

SIGINT, SIGTERM and SIGHUP are set back to their defaults first (a shell without job control
starts background commands with SIGINT ignored, and a program rightly keeps such a signal
ignored). The command's pid goes to PIDFILE at once; when it ends, ENDFILE gets "exit N" when it
returned status N, or "signal N" when signal N killed it: a shell shows both as the same
number, and only the first is a program that stopped by itself. It ends with the status a shell
would show for the command.
"""
import signal
import subprocess
import sys

pid_file, end_file, command = sys.argv[1], sys.argv[2], sys.argv[3:]
for s in (signal.SIGINT, signal.SIGTERM, signal.SIGHUP):
    signal.signal(s, signal.SIG_DFL)
child = subprocess.Popen(command)
with open(pid_file, "w") as f:
    f.write(f"{child.pid}\n")
code = child.wait()
with open(end_file, "w") as f:
    f.write(f"exit {code}\n" if code >= 0 else f"signal {-code}\n")
sys.exit(code if code >= 0 else 128 - code)
