#!/usr/bin/env python3
"""Start-up time of the window program: from the launch to its first painted
window, as the program reports it (TOBRAK_FIRST_PAINT). Run under a display,
e.g. `xvfb-run -a scripts/startup-time.py build/src/tobrak 7`. Prints one JSON
object: every run's milliseconds and their median."""
import json
import os
import shutil
import statistics
import subprocess
import sys
import tempfile
import time


def once(program):
    # A state folder of its own: a session journal left by an earlier crash would
    # stop the start at its restore question.
    state = tempfile.mkdtemp(prefix="tobrak-startup-")
    env = dict(os.environ, TOBRAK_FIRST_PAINT="quit", XDG_STATE_HOME=state)
    start = time.time_ns()
    run = subprocess.run([program], env=env, stderr=subprocess.PIPE, stdout=subprocess.DEVNULL, timeout=60,
                         text=True)
    shutil.rmtree(state, ignore_errors=True)
    for line in run.stderr.splitlines():
        if line.startswith("first-paint "):
            return (int(line.split()[1]) * 1000 - start) / 1e6
    sys.exit(f"no first paint reported (exit {run.returncode}): {run.stderr.strip()}")


def main():
    program = sys.argv[1] if len(sys.argv) > 1 else "build/src/tobrak"
    runs = int(sys.argv[2]) if len(sys.argv) > 2 else 7
    once(program)  # warms the file cache
    ms = [once(program) for _ in range(runs)]
    print(json.dumps({"runs_ms": [round(m, 1) for m in ms], "median_ms": round(statistics.median(ms), 1)}))


if __name__ == "__main__":
    main()
