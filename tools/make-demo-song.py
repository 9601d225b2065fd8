#!/usr/bin/env python3
"""Writes resources/demo/demo.mid, a short three-track demo song.

The construction is described by the constants below so that checks can derive
what the program must see in the file (tests/songdump_check.py imports them).

  track 0  conductor: title, 4/4, 120 BPM, markers at bar 0 and bar 2,
           60 BPM from bar 8, ends at bar 12
  track 1  piano, channel 1: bank 0/3, program 4, GM reset SysEx, one note per
           beat, mostly in running status, a pitch bend, ends at bar 12
  track 2  drums, channel 10 on port 1: starts on beat 2, ends at bar 11

Usage: make-demo-song.py [OUTPUT]   (default: resources/demo/demo.mid)
"""

import os
import struct
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from midibytes import meta, varlen  # noqa: E402

DIVISION = 480
BAR = 4 * DIVISION
BARS = 12

TITLE = "Solvena デモ".encode("cp932")
TIME_SIGNATURE = (4, 2, 24, 8)          # numerator, denominator power, clocks per click, 32nds per quarter
TEMPOS = [(0, 500000), (8 * BAR, 1000000)]
MARKERS = [(0, b"Intro"), (2 * BAR, b"Verse")]

PIANO_NAME = b"Piano"
PIANO_INSTRUMENT = b"Grand"
PIANO_CHANNEL = 0                       # status nibble; shown to the user as channel 1
PIANO_BANK = (0, 3)                     # controller 0, controller 32
PIANO_PROGRAM = 4
PIANO_END = BARS * BAR

DRUM_NAME = b"Drums"
DRUM_CHANNEL = 9
DRUM_PORT = 1
DRUM_FIRST_NOTE = DIVISION
DRUM_END = 11 * BAR

GM_RESET = bytes([0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7])


class Track:
    """Collects (tick, event bytes) and writes them with delta times. A note
    message whose status repeats the previous status is written in running status;
    other events keep theirs (the track scan only sees explicit statuses), and meta
    and system-exclusive events end a run, as other readers expect."""

    def __init__(self):
        self.events = []

    def add(self, tick, data):
        self.events.append((tick, data))

    def chunk_data(self, end_tick):
        out = bytearray()
        now = 0
        running = None
        for tick, data in sorted(self.events, key=lambda e: e[0]):  # stable: same-tick order kept
            status = data[0]
            if status >= 0xF0:
                running = None
            elif status == running and status & 0xE0 == 0x80:
                data = data[1:]
            else:
                running = status
            out += varlen(tick - now) + data
            now = tick
        out += varlen(end_tick - now) + meta(0x2F, b"")
        return bytes(out)


def conductor_track():
    t = Track()
    t.add(0, meta(0x03, TITLE))
    t.add(0, meta(0x58, bytes(TIME_SIGNATURE)))
    t.add(0, meta(0x51, TEMPOS[0][1].to_bytes(3, "big")))
    t.add(0, meta(0x06, MARKERS[0][1]))
    t.add(0, meta(0x02, "(c) Solvena".encode("ascii")))
    t.add(MARKERS[1][0], meta(0x06, MARKERS[1][1]))
    t.add(TEMPOS[1][0], meta(0x51, TEMPOS[1][1].to_bytes(3, "big")))
    return t.chunk_data(BARS * BAR)


def piano_track():
    t = Track()
    ch = PIANO_CHANNEL
    t.add(0, meta(0x03, PIANO_NAME))
    t.add(0, meta(0x04, PIANO_INSTRUMENT))
    t.add(0, GM_RESET[:1] + varlen(len(GM_RESET) - 1) + GM_RESET[1:])
    t.add(0, bytes([0xB0 | ch, 0x00, PIANO_BANK[0]]))
    t.add(0, bytes([0xB0 | ch, 0x20, PIANO_BANK[1]]))
    t.add(0, bytes([0xC0 | ch, PIANO_PROGRAM]))
    t.add(0, bytes([0xB0 | ch, 0x07, 100]))
    melody = [60, 62, 64, 65, 67, 65, 64, 62]
    for beat in range(BARS * 4):
        tick = beat * DIVISION
        note = melody[beat % len(melody)]
        # Note-offs are note-ons with velocity 0, so most of these ride on running status.
        t.add(tick, bytes([0x90 | ch, note, 96]))
        t.add(tick + DIVISION - 40, bytes([0x90 | ch, note, 0]))
    t.add(6 * BAR + 200, bytes([0xE0 | ch, 0x00, 0x50]))
    t.add(6 * BAR + 300, bytes([0xE0 | ch, 0x00, 0x40]))
    return t.chunk_data(PIANO_END)


def drum_track():
    t = Track()
    ch = DRUM_CHANNEL
    t.add(0, meta(0x03, DRUM_NAME))
    t.add(0, meta(0x21, bytes([DRUM_PORT])))
    t.add(0, bytes([0xC0 | ch, 0]))
    tick = DRUM_FIRST_NOTE
    while tick < DRUM_END:
        note = 38 if (tick // DIVISION) % 2 else 36
        t.add(tick, bytes([0x90 | ch, note, 110]))
        t.add(tick + 120, bytes([0x80 | ch, note, 64]))
        tick += DIVISION
    return t.chunk_data(DRUM_END)


def track_chunks():
    return [conductor_track(), piano_track(), drum_track()]


def build():
    chunks = track_chunks()
    out = bytearray(b"MThd" + struct.pack(">IHHH", 6, 1, len(chunks), DIVISION))
    for data in chunks:
        out += b"MTrk" + struct.pack(">I", len(data)) + data
    return bytes(out)


def main(argv):
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    path = argv[1] if len(argv) > 1 else os.path.join(root, "resources", "demo", "demo.mid")
    os.makedirs(os.path.dirname(os.path.abspath(path)), exist_ok=True)
    with open(path, "wb") as f:
        f.write(build())
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
