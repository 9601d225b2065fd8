#!/usr/bin/env python3
"""Writes the starting inputs of fuzz_stream into fuzz/seeds/stream/.

Input layout (see fuzz_stream.cpp): form byte, start tick and end tick (16-bit big-endian),
the track byte (count - 1 in the low 2 bits, bits 2-5 switch tracks off), then the tracks,
each padded behind its end of track to the same length.
"""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tools"))
from midibytes import varlen  # noqa: E402


def ev(delta, *data):
    return varlen(delta) + bytes(data)


def meta(delta, kind, payload):
    return varlen(delta) + bytes([0xFF, kind]) + varlen(len(payload)) + bytes(payload)


def sysex(delta, payload):
    return varlen(delta) + bytes([0xF0]) + varlen(len(payload) + 1) + bytes(payload) + b"\xF7"


EOT = meta(0, 0x2F, b"")
TEMPO = meta(0, 0x51, [0x07, 0xA1, 0x20])


def job(tracks, start=0, end=0xFFFF, form=0, off=0):
    """form: bits 0-3 the range's form, bits 4-5 how often the tracks repeat (1, 16, 128, 1024)."""
    width = max(len(t) for t in tracks)
    head = bytes([form, start >> 8, start & 0xFF, end >> 8, end & 0xFF, (len(tracks) - 1) | (off << 2)])
    return head + b"".join(t + bytes(width - len(t)) for t in tracks)


def notes(channel, count, step, pitch=60):
    out = b""
    for k in range(count):
        out += ev(step, 0x90 | channel, pitch + k % 12, 100)
        out += ev(step // 2, 0x80 | channel, pitch + k % 12, 0)
    return out


def seeds():
    yield "one-track", job([TEMPO + ev(0, 0xC0, 5) + ev(0, 0xB0, 7, 100) + notes(0, 8, 120) + EOT], form=1)
    yield "lead-in", job([TEMPO + ev(0, 0xC0, 5) + ev(100, 0xB0, 7, 100) + ev(0, 0x90, 60, 100)
                          + sysex(200, [0x43, 0x10]) + ev(100, 0x80, 60, 0) + ev(100, 0x90, 64, 100)
                          + ev(60, 0x80, 64, 0) + ev(400, 0x90, 65, 100) + ev(40, 0x80, 65, 0) + EOT],
                         start=480, end=960)
    yield "equal-ticks", job([notes(0, 6, 96) + EOT, notes(1, 6, 96) + EOT, notes(2, 6, 48) + EOT], end=2000)
    # The second track's running-status notes meet controller events of the first.
    yield "running-status", job([ev(0, 0xB0, 7, 100) + ev(5, 0xC0, 5) + ev(5, 0xB0, 10, 64) + EOT,
                                 ev(0, 0x92, 48, 100) + ev(10, 49, 100) + ev(0, 50, 100) + ev(10, 48, 0) + EOT])
    yield "metas", job([meta(0, 0x03, b"Piano") + meta(0, 0x21, [0]) + meta(0, 0x58, [4, 2, 24, 8])
                        + meta(10, 0x01, b"text") + ev(0, 0xB0, 121, 0) + ev(0, 0xB0, 8, 64)
                        + meta(0, 0x7F, [0x41, 1, 2]) + ev(5, 0x90, 60, 100) + ev(0, 0xF8) + EOT], form=8, end=100)
    yield "sysex", job([sysex(0, [0x7E, 0x7F, 0x09, 0x01]) + sysex(10, list(range(0x10, 0x70)) * 3)
                        + ev(0, 0x90, 60, 100) + bytes([0x00, 0xF7, 0x02, 0x01, 0xF7]) + EOT])
    yield "malformed", job([ev(0, 0x90, 60, 100) + ev(0, 0xF4) + ev(0, 0x90, 61, 100),
                            ev(1, 0x35, 100) + ev(1, 0x91, 60, 100),
                            ev(2, 0x92, 60, 100) + bytes([0x00, 0xF0, 0x7F, 0x01])], form=1)
    # Repeated up to 16 KiB: streams of several fills; in the second, SysEx messages twice
    # miss the room left in a buffer.
    yield "many-fills", job([ev(1, 0x90, 60, 100) + ev(1, 0x80, 60, 0) + ev(0, 0xB0, 7, 90)] * 4, form=0x31)
    yield "sysex-fills", job([ev(1, 0xF8) * 29 + sysex(0, list(range(0x20, 0x44)))], form=0x31)
    yield "dense-four", job([TEMPO + notes(c, 120, 12) + EOT for c in range(4)], start=200, end=3000, off=0b0100)


def main():
    out_dir = os.path.join(os.path.dirname(os.path.abspath(__file__)), "seeds", "stream")
    os.makedirs(out_dir, exist_ok=True)
    for name, data in seeds():
        with open(os.path.join(out_dir, name), "wb") as f:
            f.write(data)
    return 0


if __name__ == "__main__":
    sys.exit(main())
