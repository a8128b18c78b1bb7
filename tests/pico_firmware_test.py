#!/usr/bin/env python3
"""Runs firmware/pico/main.py under CPython with stand-ins for MicroPython's
machine, micropython, select and time modules: pin changes fire the pin
interrupts, and the script's output must be the edge protocol, line for line."""
import io
import sys
import types

now, steps, pins = [1000], [], {}
stdin = types.SimpleNamespace(buf="")
stdin.read = lambda n: (stdin.buf[:n], setattr(stdin, "buf", stdin.buf[n:]))[0]


class Stop(Exception):
    pass


class Pin:
    IN = PULL_UP = IRQ_RISING = IRQ_FALLING = 1

    def __init__(self, gp, *_):
        self.level = 1
        pins[gp] = self

    def value(self):
        return self.level

    def irq(self, handler, trigger, hard=False):
        self.handler = handler

    def set(self, level):  # the level changes, the interrupt fires
        self.level = level
        self.handler(self)


def sleep_ms(ms):  # the main loop's pause: run what falls due meanwhile, at its time
    end = now[0] + ms
    while steps and steps[0][0] <= end:
        now[0] = max(now[0], steps[0][0])
        steps.pop(0)[1]()
    now[0] = end
    if not steps:
        raise Stop


mods = {name: types.ModuleType(name) for name in ("machine", "micropython", "select", "time")}
mods["machine"].Pin = Pin
mods["micropython"].alloc_emergency_exception_buf = lambda n: None
mods["select"].POLLIN = 1
mods["select"].poll = lambda: types.SimpleNamespace(register=lambda *a: None, poll=lambda t: [1] if stdin.buf else [])
mods["time"].ticks_ms = lambda: now[0] % (1 << 30)
mods["time"].sleep_ms = sleep_ms
sys.modules.update(mods)

IN, OUT, BB = 2, 3, 4  # the Pico's pins; lines are active low
for at, f in [(1100, lambda: pins[IN].set(0)), (1101, lambda: pins[IN].set(1)),  # bounce: sent raw
              (1102, lambda: pins[IN].set(0)), (1150, lambda: pins[IN].set(1)), (1200, lambda: pins[BB].set(0)),
              (1300, lambda: setattr(stdin, "buf", "?\n")),
              (1400, lambda: (pins[OUT].set(0), pins[OUT].set(0))),  # a second interrupt, no change: nothing
              (1450, lambda: pins[OUT].set(1)), (1500, lambda: None)]:
    steps.append((at, f))

out, real = io.StringIO(), (sys.stdin, sys.stdout, sys.platform)
sys.stdin, sys.stdout, sys.platform = stdin, out, "rp2"
try:
    exec(compile(open(sys.argv[1]).read(), sys.argv[1], "exec"), {"__name__": "__main__"})
except Stop:
    pass
finally:
    sys.stdin, sys.stdout, sys.platform = real

want = ["H 1 1000 00000 B", "I1 1100", "I0 1101", "I1 1102", "I0 1150", "B1 1200", "H 1 1300 00100 Q",
        "O1 1400", "O0 1450"]
got = out.getvalue().splitlines()
if got != want:
    sys.exit(f"FAIL: got {got}\nwant {want}")
print("ok")
