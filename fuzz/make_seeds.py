#!/usr/bin/env python3
"""Writes the seed corpus of fuzz_song into fuzz/seeds/song/.

Small valid songs that reach every branch of the reader and the track scan (tempo,
time signatures, markers, running status, system exclusive, meta events, several
tracks), and malformed files at the edges the reader has to survive.
"""

import os
import struct
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tools"))
from midibytes import meta, varlen  # noqa: E402


def eot(delta=0):
    return varlen(delta) + meta(0x2F, b"")


def header(fmt, count, division, length=6):
    return b"MThd" + struct.pack(">I", length) + struct.pack(">HH", fmt, count) + division.to_bytes(2, "big")


def track(data, declared=None):
    return b"MTrk" + struct.pack(">I", len(data) if declared is None else declared) + data


def song(tracks, fmt=1, division=480):
    return header(fmt, len(tracks), division) + b"".join(track(t) for t in tracks)


def ev(delta, data):
    return varlen(delta) + data


def tempo(usec):
    return meta(0x51, usec.to_bytes(3, "big"))


def timesig(num, power, clocks=24, notes=8):
    return meta(0x58, bytes([num, power, clocks, notes]))


def seeds():
    s = {}
    s["minimal"] = song([eot()], fmt=0)
    # Running status after a note-on and after a program change.
    s["running-status"] = song([bytes.fromhex("00903c64103e6400c005000600ff2f00")], fmt=0, division=96)
    s["conductor"] = song([
        ev(0, meta(0x03, b"Title")) + ev(0, meta(0x03, b"Second name")) + ev(0, timesig(4, 2)) +
        ev(0, tempo(500000)) + ev(0, meta(0x06, b"Intro")) + ev(1920, meta(0x07, b"Cue")) +
        ev(1920, timesig(3, 2)) + ev(1440, tempo(400000)) + ev(0, timesig(6, 3)) +
        ev(2880, meta(0x06, b"B")) + ev(5760, tempo(750000)) + eot(1440),
        ev(0, meta(0x03, b"Lead")) + ev(0, meta(0x03, b"Ignored")) + ev(0, meta(0x04, b"Synth")) +
        ev(0, meta(0x21, b"\x02")) + ev(0, meta(0x20, b"\x01")) +
        ev(0, bytes([0xB1, 0x00, 0x05])) + ev(0, bytes([0xB1, 0x20, 0x02])) + ev(0, bytes([0xC1, 0x30])) +
        ev(0, bytes([0xB1, 0x00, 0x09])) + ev(240, bytes([0x91, 0x40, 0x00])) + ev(0, bytes([0x40, 0x50])) +
        ev(480, bytes([0x81, 0x40, 0x40])) + ev(0, bytes([0xA1, 0x40, 0x10])) + ev(0, bytes([0xD1, 0x20])) +
        ev(0, bytes([0xE1, 0x00, 0x40])) + ev(10, tempo(300000)) + eot(3000),
    ])
    s["sysex"] = song([
        ev(0, bytes([0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7])) +
        ev(0, bytes([0xF0]) + varlen(200) + bytes(range(199)) + b"\xF7") +
        ev(0, bytes([0xF7, 0x02, 0x43, 0xF7])) + ev(0, bytes([0x90, 0x3C, 0x64])) +
        ev(0, bytes([0xF0, 0x01, 0xF7])) + ev(10, bytes([0x3C, 0x00])) + eot(),
    ], fmt=0)
    s["long-meta"] = song([ev(0, meta(0x03, bytes(65 + (k % 26) for k in range(200)))) +
                           ev(0, meta(0x01, b"x" * 300)) + ev(0, meta(0x7F, b"\x00\x00\x41")) + eot(96)],
                          fmt=0, division=96)
    s["system-common"] = song([ev(0, bytes([0xF1, 0x10, 0xF2, 0x01, 0x02, 0xF3, 0x05, 0xF6, 0xF8])) +
                               ev(0, bytes([0x01])) + ev(0, bytes([0xFA, 0xFB, 0xFC, 0xFE])) + eot()], fmt=0)
    s["many-tracks"] = song([ev(k, tempo(400000 + k * 1000)) + ev(0, bytes([0x90 | (k % 16), 60, 100])) +
                             eot(480 * (k + 1)) for k in range(12)])
    s["no-end-of-track"] = song([ev(0, bytes([0x90, 0x3C, 0x64])) + ev(100, bytes([0x3C, 0x00]))], fmt=0)
    s["no-time-signature"] = song([ev(0, bytes([0x90, 0x3C, 0x64])) + eot(768)], fmt=0, division=96)
    s["foreign-chunk"] = header(1, 2, 480) + b"XFIH" + struct.pack(">I", 4) + b"abcd"
    s["empty-track"] = song([b"", eot(10)])

    # Malformed or at the limits.
    s["bad-header-length"] = header(1, 1, 480, length=7) + b"\x00" + track(eot())
    s["truncated-header"] = b"MThd\x00\x00"
    s["truncated-track"] = header(0, 1, 480) + track(bytes.fromhex("00903c64"), declared=4000)
    s["smpte-division"] = header(0, 1, 0xE728) + track(eot())
    s["zero-division"] = header(0, 1, 0) + track(ev(0, timesig(4, 2)) + eot(100))
    s["division-1"] = header(0, 1, 1) + track(ev(0, timesig(1, 31)) + ev(0, timesig(255, 0)) + eot(5000))
    s["tempo-zero"] = song([ev(0, tempo(0)) + ev(100, tempo(50)) + ev(100, tempo(0xFFFFFF)) + eot(1000)], fmt=0)
    s["huge-deltas"] = song([ev(0x0FFFFFFF, tempo(500000)) + ev(0x0FFFFFFF, timesig(4, 2)) +
                             bytes([0x8F, 0xFF, 0xFF, 0xFF, 0x7F]) + meta(0x2F, b"")], fmt=0, division=32767)
    s["unsizable-status"] = song([ev(0, bytes([0x90, 0x3C, 0x64])) + ev(0, bytes([0xF4])) + eot()], fmt=0)
    s["running-without-status"] = song([ev(0, bytes([0x3C, 0x64])) + eot()], fmt=0)
    s["meta-past-end"] = song([ev(0, bytes([0xFF, 0x03, 0x8F, 0xFF, 0xFF, 0x7F])) + b"abc"], fmt=0)
    s["65-tracks"] = header(1, 65, 480) + b"".join(track(ev(k, tempo(500000)) + eot(k)) for k in range(65))
    s["oversized-track"] = header(0, 1, 480) + track(
        b"".join(ev(1, bytes([0x90, 60, 1])) + ev(1, bytes([60, 0])) for _ in range(9400)) + eot())
    s["garbage"] = bytes((k * 37 + 11) & 0xFF for k in range(64))
    s["empty"] = b""
    return s


def main(argv):
    here = os.path.dirname(os.path.abspath(__file__))
    out = argv[1] if len(argv) > 1 else os.path.join(here, "seeds", "song")
    os.makedirs(out, exist_ok=True)
    for name, data in seeds().items():
        with open(os.path.join(out, name + ".mid"), "wb") as f:
            f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
