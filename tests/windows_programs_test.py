#!/usr/bin/env python3
"""The Windows programs under Wine, used as a player would:
- tobrak-cli.exe on records made by the Linux build: the same reports, CSV and drawing traces,
  a PDF with the same text and a PNG of the same size, also for a file with a Japanese name;
- tobrak-cli.exe recording an edge board on COM9, which Wine maps to a pseudo-terminal here;
- tobrak.exe recording the simulated machine, quitting through its question, saving through
  its file dialog; the saved file read back with the games the library of sessions counted;
- the installer, installed silently, run through its Start-menu target and file type, and
  removed again, leaving nothing behind.
  windows_programs_test.py STAGE SETUP.exe NATIVE_TOBRAK_CLI WORK
WINEPREFIX must name the Wine prefix to use (scripts/test-windows makes it)."""
import json
import os
import pathlib
import pty
import select
import shutil
import struct
import subprocess
import sys
import time
import tty

stage, setup, native_cli, work = (pathlib.Path(a).resolve() for a in sys.argv[1:5])
WINE = "/usr/lib/wine/wine64"
prefix = pathlib.Path(os.environ["WINEPREFIX"])
failures = []


def check(ok, what):
    print(("ok   " if ok else "FAIL ") + what, flush=True)
    if not ok:
        failures.append(what)
    return ok


def win(p):
    """A path of this machine as Wine's Z: drive shows it."""
    return "Z:" + str(p).replace("/", "\\")


def run(cmd, timeout=120, **kw):
    return subprocess.run(cmd, capture_output=True, timeout=timeout, **kw)


def wine(exe, *args, timeout=120, **kw):
    return run([WINE, str(exe), *map(str, args)], timeout=timeout, **kw)


def same_report(a, b):
    """Two reports alike: JSON compared with the last bits of a float let go (each system's
    libm rounds its own way), anything else byte for byte."""
    try:
        return close(json.loads(a), json.loads(b))
    except ValueError:
        return a == b


def close(x, y):
    if isinstance(x, float) or isinstance(y, float):
        return isinstance(x, (int, float)) and isinstance(y, (int, float)) and abs(x - y) <= 1e-9 * max(1, abs(y))
    if isinstance(x, dict):
        return isinstance(y, dict) and x.keys() == y.keys() and all(close(x[k], y[k]) for k in x)
    if isinstance(x, list):
        return isinstance(y, list) and len(x) == len(y) and all(close(a, b) for a, b in zip(x, y))
    return x == y


def wait_until(done, timeout):
    end = time.time() + timeout
    while time.time() < end:
        if done():
            return True
        time.sleep(0.5)
    return done()


def png_size(path):
    head = pathlib.Path(path).read_bytes()[:24]
    if head[:8] != b"\x89PNG\r\n\x1a\n":
        return None
    return struct.unpack(">II", head[16:24])


def pdf_text(path):
    r = run(["pdftotext", "-layout", str(path), "-"])
    return r.stdout.decode("utf-8", "replace").split() if r.returncode == 0 else None


def user_folder():
    users = prefix / "drive_c" / "users"
    return next(p for p in users.iterdir() if p.is_dir() and p.name not in ("Public", "public"))


def cli_reports():
    records = work / "records"
    shutil.rmtree(records, ignore_errors=True)
    records.mkdir(parents=True)
    made = run([native_cli, "simulate", "--seed", "11", "--games", "1500", "--fast", "--save", records / "sim.slt"])
    check(made.returncode == 0, "the Linux build records a simulated session")
    shutil.copy(pathlib.Path(__file__).parent.parent / "fuzz/corpus/fuzz_load/full.slt", records / "full.slt")
    # A Japanese file name goes through the command line and the file system as UTF-16.
    shutil.copy(records / "sim.slt", records / "駅前の記録.slt")
    exe = stage / "tobrak-cli.exe"
    for name in ("sim.slt", "full.slt", "駅前の記録.slt"):
        f = records / name
        for cmd in (["stats"], ["hist"], ["koyaku"], ["history"], ["estimate"], ["trace", "graph"], ["trace", "print"]):
            w = wine(exe, *cmd, win(f))
            n = run([native_cli, *cmd, f])
            same = same_report(w.stdout, n.stdout)
            check(w.returncode == 0 and n.returncode == 0 and same, f"{' '.join(cmd)} {name}: as on Linux")
        out_w, out_n = records / (name + ".win.csv"), records / (name + ".linux.csv")
        w = wine(exe, "export", win(f), "--csv", win(out_w))
        run([native_cli, "export", f, "--csv", out_n])
        check(w.returncode == 0 and out_w.exists() and out_w.read_bytes() == out_n.read_bytes(), f"export {name}: the same CSV")
        pdf_w, pdf_n = records / (name + ".win.pdf"), records / (name + ".linux.pdf")
        w = wine(exe, "print", win(f), "--pdf", win(pdf_w))
        run([native_cli, "print", f, "--pdf", pdf_n])
        words = pdf_text(pdf_w) if pdf_w.exists() else None
        check(w.returncode == 0 and words and words == pdf_text(pdf_n), f"print --pdf {name}: a PDF with the same text")
        check(words is not None and "ＢＢ" in " ".join(words), f"print --pdf {name}: its Japanese text is text, not boxes")
        png_w, png_n = records / (name + ".win.png"), records / (name + ".linux.png")
        w = wine(exe, "render", win(f), "--png", win(png_w))
        run([native_cli, "render", f, "--png", png_n])
        check(w.returncode == 0 and png_w.exists() and png_size(png_w) == png_size(png_n) is not None,
              f"render --png {name}: a PNG of the window's size")
    bad = records / "bad.slt"
    bad.write_bytes(b"not a play-data file")
    w = wine(exe, "stats", win(bad))
    check(w.returncode != 0 and w.stderr.strip() != b"", "a damaged file: a message and a failure status")
    return records / "sim.slt"


def edge_board_on_com_port():
    """tobrak-cli.exe records from COM9 through Windows' serial calls; behind it, Wine's
    serial driver on a pseudo-terminal whose other end plays an edge board."""
    master, slave = pty.openpty()
    tty.setraw(slave)
    link = prefix / "dosdevices" / "com9"
    link.unlink(missing_ok=True)
    link.symlink_to(os.ttyname(slave))
    saved = work / "edge.slt"
    saved.unlink(missing_ok=True)
    rec = subprocess.Popen([WINE, str(stage / "tobrak-cli.exe"), "record", "--board", "edges:COM9", "--games", "4",
                            "--no-library", "--save", win(saved)], stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    asked = b""
    end = time.time() + 30
    while b"?\n" not in asked and time.time() < end:
        if select.select([master], [], [], 0.5)[0]:
            asked += os.read(master, 64)
    check(asked.endswith(b"?\n"), "the edge board on COM9 is asked for its hello")
    # Five games of three medals, each IN burst closed by the next edge, the last by a payout.
    lines, t = ["H 1 0 00000 Q"], 1000
    for _ in range(5):
        lines += [f"I{level} {t + 100 * k + 50 * (1 - level)}" for k in range(3) for level in (1, 0)]
        t += 1500
    lines += [f"O1 {t}", f"O0 {t + 50}"]
    for line in lines:
        os.write(master, (line + "\n").encode())
        time.sleep(0.02)
    try:
        _, err = rec.communicate(timeout=30)
    except subprocess.TimeoutExpired:
        rec.kill()
        _, err = rec.communicate()
    if err:
        print(err.decode("utf-8", "replace")[-400:])
    os.close(master)
    os.close(slave)
    link.unlink(missing_ok=True)
    stats = run([native_cli, "stats", saved]) if saved.exists() else None
    got = json.loads(stats.stdout) if stats and stats.returncode == 0 else {}
    check(rec.returncode == 0 and got.get("games") == 4 and got.get("counters", {}).get("Tot_In") == 12,
          f"recording from it ends after 4 games of 3 medals each ({got.get('games')} saved)")


class Display:
    """Xvfb with openbox, for the window program."""

    def __init__(self, number=93):
        self.env = dict(os.environ, DISPLAY=f":{number}")
        self.xvfb = subprocess.Popen(["Xvfb", f":{number}", "-screen", "0", "1280x960x24", "-nolisten", "tcp"],
                                     stderr=subprocess.DEVNULL)
        time.sleep(1.5)
        self.wm = subprocess.Popen(["openbox"], env=self.env, stderr=subprocess.DEVNULL)
        time.sleep(1)

    def windows(self, name=None):
        # The display holds nothing but the program's windows.
        r = run(["xdotool", "search", "--onlyvisible", *(["--name", name] if name else ["--class", "tobrak.exe"])],
                env=self.env)
        return r.stdout.split()

    def wait_window(self, name=None, timeout=60):
        end = time.time() + timeout
        while time.time() < end:
            w = self.windows(name)
            if w:
                return w[-1].decode()
            time.sleep(0.5)
        return None

    def close_window(self, window):
        # As the window manager's close button does (wmctrl reads the number in hex).
        run(["wmctrl", "-i", "-c", f"0x{int(window):08x}"], env=self.env)

    def key(self, window, *keys):
        run(["xdotool", "windowactivate", "--sync", window], env=self.env)
        time.sleep(0.3)
        run(["xdotool", "key", "--delay", "150", *keys], env=self.env)

    def type(self, textual):
        run(["xdotool", "type", "--delay", "40", textual], env=self.env)

    def shot(self, path):
        run(["import", "-window", "root", str(path)], env=self.env)

    def close(self):
        for p in (self.wm, self.xvfb):
            p.terminate()
            p.wait()


def window_program(display):
    local = user_folder() / "AppData" / "Local" / "tobrak"
    shutil.rmtree(local, ignore_errors=True)  # no journal of an earlier run to offer back
    wine("reg", "delete", r"HKCU\Software\tobrak", "/f")
    saved = work / "window.slt"
    saved.unlink(missing_ok=True)
    app = subprocess.Popen([WINE, str(stage / "tobrak.exe"), "--board", "sim", "--speed", "30", "--no-picker"],
                           env=display.env, stdout=subprocess.DEVNULL, stderr=subprocess.PIPE)
    main = display.wait_window("ＴＯＢＲＡＫ")
    if not check(main is not None, "tobrak.exe opens its window"):
        app.kill()
        return
    time.sleep(12)  # the simulated machine plays
    display.shot(work / "wine-window.png")
    display.close_window(main)
    question = display.wait_window("終了", timeout=20)
    if check(question is not None, "closing asks whether to save"):
        display.shot(work / "wine-question.png")
        # 保存して終了 stands first, before 保存せずに終了 and キャンセル (the default).
        display.key(question, "shift+Tab", "shift+Tab", "space")
        time.sleep(2)
        display.shot(work / "wine-dialog.png")
        dialog = [w for w in display.windows() if w.decode() not in (main, question)]
        if check(bool(dialog), "saving opens the file dialog"):
            display.key(dialog[-1].decode())
            display.type(win(saved))
            display.key(dialog[-1].decode(), "Return")
    try:
        app.wait(timeout=30)
    except subprocess.TimeoutExpired:
        display.shot(work / "wine-stuck.png")
        app.kill()
    check(app.returncode == 0, f"tobrak.exe ends after saving (status {app.returncode})")
    if not check(saved.exists(), "the record is saved where it was asked to be"):
        return
    stats = wine(stage / "tobrak-cli.exe", "stats", win(saved))
    check(stats.returncode == 0, "tobrak-cli.exe reads the window's file back")
    games = json.loads(stats.stdout).get("games") if stats.returncode == 0 else None
    library = local / "library.sqlite"
    listed = wine(stage / "tobrak-cli.exe", "sessions", "list", "--db", win(library))
    sessions = json.loads(listed.stdout or b"{}").get("sessions", []) if listed.returncode == 0 else []
    check(bool(sessions) and games is not None and games > 0 and sessions[0].get("games") == games,
          f"the file holds the games the library counted ({games})")


def reg_query(key):
    return wine("reg", "query", key)


def installer(display, record):
    installed = prefix / "drive_c" / "Program Files" / "Tobrak"
    menu = prefix / "drive_c" / "ProgramData" / "Microsoft" / "Windows" / "Start Menu" / "Programs" / "Tobrak"
    r = wine(setup, "/S", timeout=300)
    check(r.returncode == 0 and (installed / "tobrak.exe").exists() and (installed / "tobrak-cli.exe").exists(),
          "the installer puts both programs into Program Files")
    check((installed / "uninstall.exe").exists() and (installed / "plugins/platforms/qwindows.dll").exists()
          and (installed / "translations/qtbase_ja.qm").exists() and (installed / "doc/README.html").exists(),
          "with the uninstaller, Qt's platform plugin, its Japanese translation and the manual")
    check((menu / "Tobrak.lnk").exists(), "a Start-menu entry")
    cls = reg_query(r"HKLM\Software\Classes\.slt")
    cmd = reg_query(r"HKLM\Software\Classes\Tobrak.PlayData\shell\open\command")
    check(b"Tobrak.PlayData" in cls.stdout and b"tobrak.exe" in cmd.stdout and b"%1" in cmd.stdout,
          ".slt files open in tobrak.exe")
    stats = wine(installed / "tobrak-cli.exe", "stats", win(record))
    check(stats.returncode == 0 and b'"games"' in stats.stdout, "the installed tobrak-cli.exe runs")
    # A double-click on a play-data file: Windows' start with the file alone.
    opened = subprocess.Popen([WINE, "start", "/unix", str(record)], env=display.env,
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    window = display.wait_window(record.name, timeout=60)
    if check(window is not None, "a double-clicked .slt opens in the window program"):
        display.shot(work / "wine-opened.png")
        display.close_window(window)
        question = display.wait_window("終了", timeout=20)
        if question:
            display.key(question, "shift+Tab", "space")  # 本当に終了しますか？ OK, before キャンセル (the default)
        check(wait_until(lambda: not display.windows(), 30), "and it ends when asked")
    opened.wait(timeout=30)

    # The uninstaller runs on from a copy of itself in the temporary folder.
    r = wine(installed / "uninstall.exe", "/S", timeout=300)
    check(r.returncode == 0 and wait_until(lambda: not installed.exists(), 120),
          "the uninstaller removes the program's folder")
    check(not menu.exists(), "and its Start-menu entry")
    check(reg_query(r"HKLM\Software\Classes\.slt").returncode != 0
          and reg_query(r"HKLM\Software\Classes\Tobrak.PlayData").returncode != 0
          and reg_query(r"HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\Tobrak").returncode != 0
          and reg_query(r"HKLM\Software\Tobrak").returncode != 0,
          "and every registry key it wrote")


def main():
    work.mkdir(parents=True, exist_ok=True)
    record = cli_reports()
    edge_board_on_com_port()
    display = Display()
    try:
        window_program(display)
        installer(display, record)
    finally:
        display.close()
    print(f"{len(failures)} of the checks failed" if failures else "all checks passed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
