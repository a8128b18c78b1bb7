#!/usr/bin/env python3
"""Start-up time of the window program: from the launch to its first painted
window, as the program reports it (TOBRAK_FIRST_PAINT). Run under a display,
e.g. `xvfb-run -a scripts/startup-time.py build/src/tobrak 7`. Prints one JSON
object: every run's milliseconds and their median."""
import json
import os
import statistics
import subprocess
import sys
import time


def once(program):
    env = dict(os.environ, TOBRAK_FIRST_PAINT="quit")
    start = time.time_ns()
    run = subprocess.run([program], env=env, stderr=subprocess.PIPE, stdout=subprocess.DEVNULL, timeout=60,
                         text=True)
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
