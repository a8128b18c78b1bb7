"""Talking to a page server as a browser would: plain requests, an event stream,
and the page as headless Chromium builds it."""
import http.client
import json
import os
import shutil
import subprocess
import sys
import urllib.error
import urllib.request

chromium = shutil.which("chromium")


def need_chromium():
    if not chromium:
        print("SKIP: chromium is not installed")
        sys.exit(1 if os.environ.get("CI") == "true" else 77)


def get(url):
    try:
        with urllib.request.urlopen(url, timeout=10) as r:
            return r.status, r.read()
    except urllib.error.HTTPError as e:
        return e.code, b""
    except (urllib.error.URLError, OSError):
        return 0, b""  # nobody answers


def events(port, query, timeout=10):
    """An event stream: yields each event's JSON as it arrives (its status alone when refused)."""
    c = http.client.HTTPConnection("127.0.0.1", port, timeout=timeout)
    c.request("GET", "/api/events" + query)
    r = c.getresponse()
    if r.status != 200:
        yield r.status
        return
    for line in r:
        if line.startswith(b"data: "):
            yield json.loads(line[6:])


def dom(url):
    """The page's DOM once its scripts ran. A browser that fails to start on a loaded machine is tried once more."""
    out = ""
    for _ in range(2):
        out = subprocess.run([chromium, "--headless=new", "--no-sandbox", "--disable-gpu", "--dump-dom", url],
                             capture_output=True, text=True, timeout=90).stdout
        if "<html" in out:
            return out
    return out
