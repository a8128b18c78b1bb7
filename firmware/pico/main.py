# Tobrak edge board for MicroPython: Raspberry Pi Pico (RP2040) and ESP32.
# Reports every level change of the machine's IN, OUT, BB, RB (and replay) lines
# with its millisecond time stamp over USB serial, as docs/edge-protocol.md says;
# the Tobrak program does all the decoding. Copy this file to the board as
# main.py (Thonny, or `mpremote cp main.py :main.py`) and start Tobrak with
# `--board edges:/dev/ttyACM0` (Pico) or `--board edges:/dev/ttyUSB0` (ESP32).
#
# Wiring: the machine's outputs are contacts to its GND, so every input uses
# the internal pull-up and reads 0 while the contact is closed (active low).
# Never connect the machine's lines straight to a 3.3 V board if they carry a
# voltage of their own: use photocouplers (docs/boards.md).
# Edges are timed in the pin interrupt, so the time stamps are exact to the
# millisecond whatever the main loop is doing.
import sys
import time
from array import array

import micropython
import select
from machine import Pin

micropython.alloc_emergency_exception_buf(100)

LETTERS = "IOBRA"  # IN, OUT, BB, RB, replay: the protocol's order
# GPIO numbers per board, in the order above; None = not wired.
PINS = {
    "rp2": (2, 3, 4, 5, 6),  # Pico: GP2..GP6 (pins 4, 5, 6, 7, 9), GND on pin 8
    "esp32": (16, 17, 18, 19, 21),  # ESP32 DevKit; 34..39 have no pull-up, avoid them
}.get(sys.platform, (2, 3, 4, 5, 6))
# True where the line is active low (the usual case); set False for a line that
# is active high on your machine.
ACTIVE_LOW = (True, True, True, True, True)

SIZE = 256  # edges waiting to be sent; a power of two
MASK = SIZE - 1
q_line = bytearray(SIZE)
q_level = bytearray(SIZE)
q_time = array("I", [0] * SIZE)
head = 0
tail = 0
lost = 0
level = bytearray(5)  # last level reported per line (1 = active)
pins = [None] * 5


def active(i):
    v = pins[i].value()
    return (v == 0) if ACTIVE_LOW[i] else (v == 1)


def make_handler(i):
    def handler(p):
        global head, lost
        v = 1 if active(i) else 0
        if v == level[i]:
            return  # a bounce already undone
        level[i] = v
        n = head
        if ((n + 1) & MASK) == tail:
            lost += 1
            return
        q_line[n] = i
        q_level[n] = v
        q_time[n] = time.ticks_ms()
        head = (n + 1) & MASK

    return handler


def hello(why):
    s = ""
    for i in range(5):
        s += "-" if pins[i] is None else ("1" if level[i] else "0")
    sys.stdout.write("H 1 %d %s %s\n" % (time.ticks_ms(), s, why))


def setup():
    for i, gp in enumerate(PINS):
        if gp is None:
            continue
        p = Pin(gp, Pin.IN, Pin.PULL_UP)
        pins[i] = p
        level[i] = 1 if active(i) else 0
        trig = Pin.IRQ_RISING | Pin.IRQ_FALLING
        try:
            p.irq(handler=make_handler(i), trigger=trig, hard=True)
        except TypeError:  # ports without hard interrupts
            p.irq(handler=make_handler(i), trigger=trig)


def main():
    global tail
    setup()
    hello("B")
    poller = select.poll()
    poller.register(sys.stdin, select.POLLIN)
    request = ""
    while True:
        while tail != head:
            n = tail
            sys.stdout.write("%s%d %d\n" % (LETTERS[q_line[n]], q_level[n], q_time[n]))
            tail = (n + 1) & MASK
        while poller.poll(0):
            c = sys.stdin.read(1)
            if c == "\n":
                if request.strip() == "?":
                    hello("Q")
                request = ""
            elif len(request) < 16:
                request += c
        time.sleep_ms(2)


main()
