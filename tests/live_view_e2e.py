#!/usr/bin/env python3
"""The live view end to end: tobrak-cli serve and record --listen on loopback, the
page in headless Chromium, the token, the event stream and many watchers at once.
usage: live_view_e2e.py CLI_BINARY WORKDIR      (exit 77: skipped)"""
import json
import os
import re
import resource
import signal
import socket
import subprocess
import sys
import time
import urllib.error
import urllib.request

cli, work = sys.argv[1], sys.argv[2]
os.makedirs(work, exist_ok=True)
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from web_rig import dom, events, get, need_chromium  # noqa: E402

need_chromium()

failures = []


def check(ok, what):
    if not ok:
        failures.append(what)
        print("FAIL:", what)


def start(*args):
    """Starts the tool, returns it with the page's address it prints."""
    p = subprocess.Popen([cli, *args], stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
    for line in p.stderr:
        m = re.search(r"live view: (http://\S+)", line)
        if m:
            return p, m.group(1)
    raise SystemExit(f"FAIL: {' '.join(args)} printed no address (exit {p.wait()})")


def stop(p):
    p.send_signal(signal.SIGTERM)
    try:
        rc = p.wait(timeout=10)
        check(rc == 0, f"the tool ends cleanly on SIGTERM with streams open (exit {rc}: {p.stderr.read()[-300:]!r})")
    except subprocess.TimeoutExpired:
        p.kill()
        check(False, "the tool ends within 10 s of SIGTERM with streams open")


# A saved record, served read-only behind a token.
saved = os.path.join(work, "saved.slt")
subprocess.run([cli, "simulate", "--fast", "--games", "200", "--save", saved], check=True, stdout=subprocess.DEVNULL)
serve, url = start("serve", saved, "--listen", "127.0.0.1:0", "--token", "sesame")
port = int(re.search(r":(\d+)/", url).group(1))
base = f"http://127.0.0.1:{port}"
try:
    check(get(base + "/api/state")[0] == 401, "a request without the token gets 401")
    check(get(base + "/?token=sesamf")[0] == 401, "a wrong token gets 401")
    check(get(base + "/../saved.slt?token=sesame")[0] == 404, "no other path is served")
    status, body = get(base + "/api/state?token=sesame")
    check(status == 200 and json.loads(body)["games"] == 200, "/api/state has the file's games")
    record = json.loads(get(base + "/api/record?token=sesame")[1])
    check(len(record["rows"]) == 200 and record["rows"][-1][0] == 200, "/api/record has a row per game")
    status, png = get(base + "/graph.png?token=sesame")
    check(status == 200 and png.startswith(b"\x89PNG"), "/graph.png is a PNG")

    # 64 watchers at once: each gets the state, the next is turned away, the state still answers.
    streams = [events(port, "?token=sesame") for _ in range(64)]
    hellos = [next(s) for s in streams]
    check(all(isinstance(h, dict) and h["state"]["games"] == 200 for h in hellos), "every watcher gets the state")
    check(next(events(port, "?token=sesame")) == 503, "a 65th watcher is turned away")
    t = time.monotonic()
    status, _ = get(base + "/api/state?token=sesame")
    check(status == 200 and time.monotonic() - t < 2, "/api/state answers with 64 watchers connected")
    for st in streams:
        st.close()
    page = dom(url)
    check('総回転数</div><div class="v"><span id="games">200<' in page, "the page in Chromium shows every game as 総回転数")
    c = json.loads(get(base + "/api/state?token=sesame")[1])["counters"]
    odds = (c["BB_IntvCnt"] + c["BB_IntvSum"]) / (c["BB_Cnt"] + c["RB_Cnt"])
    check(f'id="odds">{odds:.1f}<' in page and "機械割" not in page, "the page shows the bonus odds, not the 出玉率 again")
finally:
    stop(serve)

# Beyond this machine only with a token.
refused = subprocess.run([cli, "serve", saved, "--listen", "0.0.0.0:0"], capture_output=True, text=True, timeout=30)
check(refused.returncode == 2 and "--token" in refused.stderr, "0.0.0.0 without --token is refused")
wide, url = start("serve", saved, "--listen", "0.0.0.0:0", "--token", "sesame")
try:
    wport = int(re.search(r":(\d+)/", url).group(1))
    check(get(f"http://127.0.0.1:{wport}/api/state")[0] == 401, "on 0.0.0.0 a tokenless request gets 401")
    check(get(f"http://127.0.0.1:{wport}/api/sessions")[0] == 401, "on 0.0.0.0 /api/sessions needs the token too")
    kept = json.loads(get(f"http://127.0.0.1:{wport}/api/sessions?token=sesame")[1])
    check(kept["library"] is False and kept["sessions"] == [], "serving a file keeps no library: /api/sessions says so")
finally:
    stop(wide)

# A live record: games stream as events and the state grows.
for old in ("", "-wal", "-shm"):  # a run before left its sessions: today's list would hold them
    if os.path.exists(os.path.join(work, "live-library.sqlite" + old)):
        os.remove(os.path.join(work, "live-library.sqlite" + old))
live, url = start("record", "--board", "sim", "--speed", "20", "--listen", "127.0.0.1:0",
                  "--db", os.path.join(work, "live-library.sqlite"))
lport = int(re.search(r":(\d+)/", url).group(1))
try:
    stream = events(lport, "")
    first = next(stream)["state"]["games"]
    seen = None
    deadline = time.monotonic() + 20
    for e in stream:
        if e["event"] == "game" and e["state"]["games"] > first:
            seen = e
            break
        if time.monotonic() > deadline:
            break
    check(seen is not None and seen["row"][0] == seen["state"]["games"], "a live game arrives as an event with its row")
    if seen:
        games = json.loads(get(f"http://127.0.0.1:{lport}/api/state")[1])["games"]
        check(games >= seen["state"]["games"] > first, "/api/state's games grow while recording")
    # Today's sessions: the one being recorded is there once its first games are written.
    today = None
    deadline = time.monotonic() + 10
    while time.monotonic() < deadline:
        today = json.loads(get(f"http://127.0.0.1:{lport}/api/sessions")[1])
        if today["library"] and today["sessions"] and today["sessions"][0]["games"] > 0:
            break
        time.sleep(0.3)
    ok = today and today["library"] and len(today["sessions"]) == 1 and today["sessions"][0]["open"]
    check(ok and today["totals"]["games"] == today["sessions"][0]["games"] > 0 and
          today["sessions"][0]["start"].startswith(today["day"]),
          f"/api/sessions lists today's open session and its totals ({today})")
finally:
    stop(live)

def post(url):
    try:
        req = urllib.request.Request(url, method="POST", data=b"")
        with urllib.request.urlopen(req, timeout=10) as r:
            return r.status, json.loads(r.read())
    except urllib.error.HTTPError as e:
        return e.code, None


def manual(port):
    return json.loads(get(f"http://127.0.0.1:{port}/api/state?token=sesame")[1])["manual"]


# Counting from the phone: only with the token, each tap once however often it is sent.
counting, url = start("record", "--board", "sim", "--speed", "20", "--listen", "127.0.0.1:0", "--token", "sesame",
                      "--no-library")
cport = int(re.search(r":(\d+)/", url).group(1))
try:
    count = f"http://127.0.0.1:{cport}/api/count"
    check([k["name"] for k in manual(cport)] == ["ブドウ", "チェリー"], "the state lists the profile's hand counters")
    check(post(count + "?counter=1&id=t1")[0] == 401, "a tap without the token is refused")
    check(post(count + "?counter=1&id=t1&token=sesamf")[0] == 401, "a tap with a wrong token is refused")
    check(get(count + "?counter=1&id=t1&token=sesame")[0] == 405, "a count is never a GET")
    check(post(count + "?counter=9&id=t1&token=sesame")[0] == 400, "a counter beyond 8 is refused")
    check(post(count + "?counter=1&token=sesame")[0] == 400, "a tap without its id is refused")
    first = post(count + "?counter=1&id=tap-1&token=sesame")
    again = post(count + "?counter=1&id=tap-1&token=sesame")
    other = post(count + "?counter=2&id=tap-2&token=sesame")
    back = post(count + "?counter=1&by=-1&id=tap-3&token=sesame")
    plus = post(count + "?counter=1&id=tap-4&token=sesame")
    check(first == (200, {"taken": True}) and again == (200, {"taken": False, "repeated": True}),
          f"a retried tap is taken once ({first}, {again})")
    check(other[0] == back[0] == plus[0] == 200, "taps with ids of their own are taken")
    deadline = time.monotonic() + 5
    while time.monotonic() < deadline and [k["count"] for k in manual(cport)] != [1, 1]:
        time.sleep(0.1)
    counts = manual(cport)
    check([k["count"] for k in counts] == [1, 1], f"the taps counted once each, the step back too ({counts})")
    st = json.loads(get(f"http://127.0.0.1:{cport}/api/state?token=sesame")[1])
    check(st["manual"][0]["odds"] == st["normal_games"] / 1 and st["since_bonus"] >= 0,
          "the state has each counter's odds over the normal games, and the games since the last bonus")
    page = dom(url)
    check("小役カウンター" in page and "ブドウを数える" in page, "the page with the token has a button for each counter")
    overlay = dom(url + "&overlay=1&fields=since,c1")
    check('data-field="since"' in overlay and re.search(r'class="cell wide" data-field="c1"><div class="k">ブドウ<', overlay)
          and "ブドウを数える" not in overlay, "?fields= picks the overlay's figures, a counter among them; no buttons")
finally:
    stop(counting)
tokenless, url = start("record", "--board", "sim", "--speed", "20", "--listen", "127.0.0.1:0", "--no-library")
try:
    nport = int(re.search(r":(\d+)/", url).group(1))
    check(post(f"http://127.0.0.1:{nport}/api/count?counter=1&id=x")[0] == 403,
          "without a token no page can count, not even on this machine")
    check("ブドウを数える" not in dom(url), "the page without the token has no buttons")
finally:
    stop(tokenless)

# A port in use is told: a second server never starts beside the first.
first, url = start("serve", saved, "--listen", "127.0.0.1:0")
try:
    fport = int(re.search(r":(\d+)/", url).group(1))
    for args, what in (
        (["serve", saved, "--listen", f"127.0.0.1:{fport}"], "a second serve on a port in use says so"),
        (["record", "--board", "sim", "--games", "1", "--listen", f"127.0.0.1:{fport}"],
         "record --listen on a port in use says so"),
    ):
        p = subprocess.Popen([cli, *args], stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True)
        try:
            _, err = p.communicate(timeout=10)
            check(p.returncode != 0 and "in use" in err, what + f" (exit {p.returncode}: {err.strip()})")
        except subprocess.TimeoutExpired:
            p.kill()
            p.wait()
            check(False, what + " (it started beside the first)")
finally:
    stop(first)


def vm(pid, field):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith(field + ":"):
                return int(line.split()[1]) * 1024
    return 0


def flood(pid, port, connections, megabytes):
    """Endless header lines on every connection at once, as fast as the server
    takes them; returns the bytes it took and how much it grew meanwhile."""
    taken = 0
    socks = []
    before = vm(pid, "VmRSS")
    for _ in range(connections):
        s = socket.create_connection(("127.0.0.1", port), timeout=5)
        s.sendall(b"GET /api/state HTTP/1.1\r\nX-Flood: ")
        socks.append(s)
    chunk = b"x" * 65536
    open_ = list(socks)
    for _ in range(megabytes * 16):
        for s in list(open_):
            try:
                s.sendall(chunk)
                taken += len(chunk)
            except OSError:
                open_.remove(s)  # cut off: what it should be
        if not open_:
            break
    grown = vm(pid, "VmRSS") - before
    for s in socks:
        s.close()
    return taken, grown


# A recording under a memory limit, flooded with header lines that never end by
# clients without the token: it records on, holds nothing for them and answers
# the player's phone.
rec, url = start("record", "--board", "sim", "--speed", "20", "--listen", "127.0.0.1:0", "--token", "sesame")
rport = int(re.search(r":(\d+)/", url).group(1))
try:
    sanitized = bool(os.environ.get("ASAN_OPTIONS"))  # the sanitizer's own reserve knows no such limit
    if not sanitized:
        limit = vm(rec.pid, "VmSize") + 96 * 1024 * 1024
        resource.prlimit(rec.pid, resource.RLIMIT_AS, (limit, limit))
    games0 = json.loads(get(f"http://127.0.0.1:{rport}/api/state?token=sesame")[1])["games"]
    taken, grown = flood(rec.pid, rport, 8, 16)
    # What the two ends' socket buffers hold aside, every connection is cut off early.
    check(taken < 8 * 16 * 1024 * 1024 // 2, f"the flood is cut off early ({taken} bytes taken of {8 * 16} MB)")
    check(rec.poll() is None, "the recording survives the flood")
    check(grown < 24 * 1024 * 1024, f"the flood does not grow the recording ({grown // 1024} KiB)")
    time.sleep(1.0)
    status, body = get(f"http://127.0.0.1:{rport}/api/state?token=sesame")
    check(status == 200 and json.loads(body)["games"] > games0, "the recording goes on and answers its token")
finally:
    stop(rec)

print("FAIL" if failures else "OK", f"({len(failures)} failed)")
sys.exit(1 if failures else 0)
