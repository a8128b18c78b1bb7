#!/usr/bin/env python3
"""Runs firmware/pico/main.py under CPython with stand-ins for MicroPython's
machine, micropython, select and time modules: pin changes fire the pin
interrupts, the script's output must be the edge protocol, line for line."""
import io
import re
import sys
import types

script = sys.argv[1]
now = [1000]
steps = []  # (at ms, action), run from the script's sleep in its main loop


class Stop(Exception):
    pass


class Pin:
    IN, PULL_UP, IRQ_RISING, IRQ_FALLING = 0, 1, 2, 4
    all = {}

    def __init__(self, gp, mode, pull):
        self.gp, self.level, self.handler = gp, 1, None
        Pin.all[gp] = self

    def value(self):
        return self.level

    def irq(self, handler, trigger, hard=False):
        self.handler = handler

    def set(self, level):
        self.level = level
        self.handler(self)


class Stdin:
    def __init__(self):
        self.buf = ""

    def read(self, n):
        c, self.buf = self.buf[:n], self.buf[n:]
        return c


stdin, stdout = Stdin(), io.StringIO()


class Poll:
    def register(self, *_):
        pass

    def poll(self, _):
        return [1] if stdin.buf else []


def sleep_ms(ms):
    end = now[0] + ms
    while steps and steps[0][0] <= end:
        now[0] = max(now[0], steps[0][0])
        steps.pop(0)[1]()
    now[0] = end
    if not steps:
        raise Stop


machine = types.ModuleType("machine")
machine.Pin = Pin
micropython = types.ModuleType("micropython")
micropython.alloc_emergency_exception_buf = lambda n: None
select = types.ModuleType("select")
select.POLLIN = 1
select.poll = Poll
time = types.ModuleType("time")
time.ticks_ms = lambda: now[0] % (1 << 30)
time.sleep_ms = sleep_ms
sys.modules.update(machine=machine, micropython=micropython, select=select, time=time)

IN, OUT, BB = 2, 3, 4  # the Pico's pins
at = lambda t, f: steps.append((t, f))
at(1100, lambda: Pin.all[IN].set(0))  # bet: active low
at(1101, lambda: Pin.all[IN].set(1))  # bounce: reported raw
at(1102, lambda: Pin.all[IN].set(0))
at(1150, lambda: Pin.all[IN].set(1))
at(1200, lambda: Pin.all[BB].set(0))
at(1300, lambda: setattr(stdin, "buf", "?\n"))
at(1400, lambda: (Pin.all[OUT].set(0), Pin.all[OUT].set(0)))  # an interrupt with no change: nothing
at(1450, lambda: Pin.all[OUT].set(1))
at(1500, lambda: None)

real = sys.stdin, sys.stdout, sys.platform
sys.stdin, sys.stdout, sys.platform = stdin, stdout, "rp2"
try:
    exec(compile(open(script).read(), script, "exec"), {"__name__": "__main__"})
except Stop:
    pass
finally:
    sys.stdin, sys.stdout, sys.platform = real

got = stdout.getvalue().splitlines()
want = ["H 1 1000 00000 B", "I1 1100", "I0 1101", "I1 1102", "I0 1150", "B1 1200", "H 1 1300 00100 Q",
        "O1 1400", "O0 1450"]
# Edges are sent from the main loop, up to a couple of ms after they happened;
# their stamps are the interrupt's.
stamped = [re.sub(r"^(H 1) \d+", r"\1 T", l) for l in got]
expect = [re.sub(r"^(H 1) \d+", r"\1 T", l) for l in want]
if stamped != expect:
    print("FAIL: got", got, "want", want)
    sys.exit(1)
print("ok")
