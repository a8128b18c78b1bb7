#!/usr/bin/env python3
"""Hand counters from the keyboard: `record` on a pseudo-terminal counts the keys
1-8 and "-" then a key, keeps the counts in its journal through kill -9 and in the
library, and gives the terminal back as it was.
usage: cli_counter_keys_test.py CLI WORKDIR"""
import json
import os
import pty
import shutil
import signal
import subprocess
import sys
import termios
import time

cli, work = sys.argv[1], sys.argv[2]
shutil.rmtree(work, ignore_errors=True)
os.makedirs(work)
failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAIL:", what)


def run(*args):
    return subprocess.run([cli, *args], capture_output=True, text=True, timeout=60)


def recording(db, journal):
    """`record` of the simulated machine with its standard input on a terminal."""
    master, slave = pty.openpty()
    out = open(os.path.join(work, "out.txt"), "w+")
    p = subprocess.Popen([cli, "record", "--board", "sim", "--speed", "20", "--db", db, "--journal", journal],
                         stdin=slave, stdout=out, stderr=subprocess.STDOUT)
    return p, master, slave, out


def wait_for(out, text, timeout=15):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        out.seek(0)
        if text in out.read():
            return True
        time.sleep(0.05)
    return False


db, journal = os.path.join(work, "library.sqlite"), os.path.join(work, "journal")
p, master, slave, out = recording(db, journal)
before = termios.tcgetattr(slave)
check(wait_for(out, "keys: 1 ブドウ 2 チェリー"), "on a terminal the keys of the profile's counters are told")
check(wait_for(out, "1G "), "games are recorded")
for keys, line in ((b"1", "count ブドウ 1"), (b"1", "count ブドウ 2"), (b"2", "count チェリー 1"),
                   (b"-1", "count ブドウ 1"), (b"9x", None), (b"1", "count ブドウ 2")):
    os.write(master, keys)
    if line:
        check(wait_for(out, line + "\n"), f"{keys!r} gives {line!r}")
out.seek(0)
check("count ブドウ 3" not in out.read(), "a key beyond the counters, or another key, counts nothing")
check(not termios.tcgetattr(slave)[3] & termios.ECHO, "the keys are not echoed while recording")
time.sleep(0.3)  # the journal is written with the count; the library within half a second
os.kill(p.pid, signal.SIGKILL)
p.wait()

# After kill -9 the journal holds the counts.
held = run("journal", journal, "--db", db)
check(held.returncode == 0, f"the journal after kill -9 is read ({held.stderr.strip()})")
if held.returncode == 0:
    j = json.loads(held.stdout)
    check(j["counts"] == [{"name": "ブドウ", "count": 2}, {"name": "チェリー", "count": 1}],
          f"the counts survive kill -9 in the journal ({j['counts']})")
    shown = json.loads(run("sessions", "show", str(j["library"]["session"]), "--db", db).stdout)
    check(shown["counts"] == j["counts"], f"the library keeps the counts ({shown['counts']})")
os.close(master)
os.close(slave)
out.close()

# Stopped as a user stops it: the terminal is as it was.
shutil.rmtree(journal, ignore_errors=True)
p, master, slave, out = recording(db, journal)
check(wait_for(out, "1G "), "a second recording starts")
os.write(master, b"2")
check(wait_for(out, "count チェリー 1\n"), "the second recording counts")
p.send_signal(signal.SIGINT)
check(p.wait(timeout=20) == 0, "Ctrl-C ends the recording cleanly")
check(termios.tcgetattr(slave) == before, "the terminal's settings are given back")
out.seek(0)
report = out.read()
check('"counts": [' in report and '"name": "チェリー"' in report, "the closing report has the counts")
os.close(master)
os.close(slave)
out.close()

# Without a terminal nothing is read, nothing is said.
piped = subprocess.run([cli, "record", "--board", "sim", "--fast", "--games", "5", "--no-library"],
                       input="111", capture_output=True, text=True, timeout=60)
check(piped.returncode == 0 and "keys:" not in piped.stdout and "count " not in piped.stdout,
      "standard input that is not a terminal is left alone")

print("FAILED" if failures else "ok", len(failures))
sys.exit(1 if failures else 0)
