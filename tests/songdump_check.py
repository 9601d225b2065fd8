#!/usr/bin/env python3
"""Runs songdump on the bundled demo song and on malformed files, and checks exit
codes and output against what the demo's construction says the program must see.

Usage: songdump_check.py SONGDUMP SOURCE_DIR
"""

import json
import os
import runpy
import struct
import subprocess
import sys
import tempfile
import types
from fractions import Fraction

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
    return condition


def load_demo_module(src):
    path = os.path.join(src, "tools", "make-demo-song.py")
    return types.SimpleNamespace(**runpy.run_path(path, run_name="make_demo_song"))


def run(songdump, args):
    p = subprocess.run([songdump] + args, capture_output=True, timeout=60)
    return p.returncode, p.stdout.decode("latin-1"), p.stderr.decode("latin-1")


def run_json(songdump, args, what):
    rc, out, err = run(songdump, args)
    check(rc == 0, f"{what}: exit {rc}, stderr {err!r}")
    try:
        return json.loads(out)
    except ValueError:
        failures.append(f"{what}: output is not JSON: {out[:200]!r}")
        return None


# ---- what the demo's construction implies -------------------------------------------

def expected_tracks(demo):
    lengths = [len(c) for c in demo.track_chunks()]
    hexed = lambda b: b.hex()
    return [
        {"length": lengths[0], "bankMsb": 1, "bankLsb": 1, "program": 0, "channel": 0, "port": 0,
         "name": hexed(demo.TITLE), "instrumentName": None, "firstNoteTick": 0, "hasNotes": False,
         "endTick": demo.BARS * demo.BAR},
        {"length": lengths[1], "bankMsb": demo.PIANO_BANK[0], "bankLsb": demo.PIANO_BANK[1],
         "program": demo.PIANO_PROGRAM, "channel": demo.PIANO_CHANNEL + 1, "port": 0,
         "name": hexed(demo.PIANO_NAME), "instrumentName": hexed(demo.PIANO_INSTRUMENT),
         "firstNoteTick": 0, "hasNotes": True, "endTick": demo.PIANO_END},
        {"length": lengths[2], "bankMsb": 1, "bankLsb": 1, "program": 0, "channel": demo.DRUM_CHANNEL + 1,
         "port": demo.DRUM_PORT, "name": hexed(demo.DRUM_NAME), "instrumentName": None,
         "firstNoteTick": demo.DRUM_FIRST_NOTE, "hasNotes": True, "endTick": demo.DRUM_END},
    ]


def bar_count(demo):
    song_end = max(demo.BARS * demo.BAR, demo.PIANO_END, demo.DRUM_END)
    return -(-song_end // demo.BAR), song_end


def expected_conductor(demo):
    num, power, clocks, _ = demo.TIME_SIGNATURE
    # Conductor events in the order the demo's first track holds them.
    scan = [(0, 4, num << 16 | power << 8 | clocks),
            (demo.TEMPOS[0][0], 3, demo.TEMPOS[0][1]),
            (demo.MARKERS[0][0], 1, int.from_bytes(demo.MARKERS[0][1][:3], "big")),
            (demo.MARKERS[1][0], 1, int.from_bytes(demo.MARKERS[1][1][:3], "big")),
            (demo.TEMPOS[1][0], 3, demo.TEMPOS[1][1])]
    bars, song_end = bar_count(demo)
    resets = [0] + [tick for tick, _ in demo.MARKERS]
    lines = []
    for n in range(1, bars + 1):
        tick = n * demo.BAR
        reset = max(r for r in resets if r <= tick)
        since = sum(1 for k in range(1, n) if reset <= k * demo.BAR)
        lines.append((tick, 6 if since and since % 8 == 0 else 5, n))
    # Later insertions go after earlier ones at the same tick: a stable sort of the
    # insertion sequence (scan, song end, bar lines) is the list.
    entries = sorted(scan + [(song_end, 7, 0)] + lines, key=lambda e: e[0])
    return [{"tick": t, "kind": k, "value": v} for t, k, v in entries]


def exact_seconds(demo, start, end):
    """Seconds of the demo's tempo map between two ticks (start <= end)."""
    total = Fraction(0)
    changes = demo.TEMPOS + [(end, None)]
    for (tick, usec), (next_tick, _) in zip(changes, changes[1:]):
        lo, hi = max(start, tick), min(end, next_tick)
        if hi > lo:
            total += Fraction(hi - lo, demo.DIVISION) * usec / 1000000
    return total


def estimates(seconds, reverb, rate, bits, channels):
    expected = seconds + reverb
    size = (rate // 1000) * max(expected, 0) * bits * channels // 8000
    sign = "-" if expected < 0 else ""
    return expected, f"{sign}{abs(expected) // 60}:{abs(expected) % 60:02d}", f"{size}MB"


# ---- checks --------------------------------------------------------------------------

def check_demo(songdump, demo, demo_path):
    with open(demo_path, "rb") as f:
        check(f.read() == demo.build(), "resources/demo/demo.mid differs from what make-demo-song.py writes")

    out = run_json(songdump, [demo_path], "demo")
    if out is None:
        return
    bars, _ = bar_count(demo)
    check(out.get("loaded") is True, "demo: loaded is not true")
    check((out.get("format"), out.get("trackCount"), out.get("division")) == (1, 3, demo.DIVISION),
          f"demo: header values {out.get('format')}, {out.get('trackCount')}, {out.get('division')}")
    check(out.get("title") == demo.TITLE.hex(), f"demo: title {out.get('title')!r}")
    for i, (got, want) in enumerate(zip(out.get("tracks", []), expected_tracks(demo))):
        check(got == want, f"demo: track {i} is {got}, expected {want}")
    check(len(out.get("tracks", [])) == 3, "demo: not three track entries")
    check(out.get("conductor") == expected_conductor(demo),
          f"demo: conductor list {out.get('conductor')}")
    check(out.get("endBar") == bars, f"demo: endBar {out.get('endBar')}, expected {bars}")
    check("job" not in out, "demo: a job without a range option")


def check_job(songdump, demo, demo_path, args, start_tick, end_tick, reverb=0, rate=44100, bits=16, channels=2):
    what = "job " + " ".join(args)
    out = run_json(songdump, [demo_path] + args, what)
    if out is None or not check("job" in out, f"{what}: no job object"):
        return
    job = out["job"]
    if start_tick <= end_tick:
        exact = exact_seconds(demo, start_tick, end_tick)
    else:  # the demo's ranges that run backwards lie inside the first tempo
        exact = -exact_seconds(demo, end_tick, start_tick)
    check(exact.denominator == 1, f"{what}: test range is not whole seconds")
    seconds = int(exact)
    expected, time_text, size_text = estimates(seconds, reverb, rate, bits, channels)
    want = {"startTick": start_tick, "endTick": end_tick, "seconds": seconds, "expectedSeconds": expected,
            "timeText": time_text, "sizeText": size_text}
    estimates_part = {k: job.get(k) for k in want}
    check(estimates_part == want, f"{what}: job {estimates_part}, expected {want}")
    check_stream(what, job)


CALLBACK = 0x40000000
LONG_MESSAGE = 0x80000000


def check_stream(what, job):
    """The stream fields hold together: records add up to each buffer's bytes, every buffer
    ends with its one flagged record, and the flags add up to callbacksExpected."""
    keys = ("mergedLength", "trimmedLength", "fits", "callbacksExpected", "buffers")
    if not check(all(k in job for k in keys), f"{what}: stream fields missing from {sorted(job)}"):
        return
    flagged = 0
    for n, buf in enumerate(job["buffers"]):
        records = buf["records"]
        size = sum(12 + len(r["params"]) // 2 for r in records)
        check(size == buf["bytesRecorded"], f"{what}: buffer {n} records make {size} bytes, not {buf['bytesRecorded']}")
        flags = [bool(r["event"] & CALLBACK) for r in records]
        flagged += sum(flags)
        check(flags and flags[-1] and sum(flags) == 1, f"{what}: buffer {n} does not end with its one flagged record")
        for r in records:
            check(r["streamId"] == 0, f"{what}: stream id {r['streamId']}")
            if r["event"] & LONG_MESSAGE:
                n_bytes = r["event"] & 0xFFFFFF
                check(len(r["params"]) // 2 == (n_bytes + 3) // 4 * 4, f"{what}: long message padding")
            else:
                check(r["params"] == "", f"{what}: a short record with parameters")
    check(flagged == job["callbacksExpected"], f"{what}: {flagged} flagged records, {job['callbacksExpected']} expected")
    check(job["fits"] == bool(job["buffers"]), f"{what}: fits {job['fits']} with {len(job['buffers'])} buffers")


def check_layout(songdump, demo_path):
    """One track, conductor slot or stream record a line, so that long lists stay readable."""
    args = [demo_path, "--tracks", "all", "--start-bar", "0", "--end-bar", "4"]
    doc = run_json(songdump, args, "layout")
    if doc is None:
        return
    entries = doc["tracks"] + doc["conductor"] + [r for b in doc["job"]["buffers"] for r in b["records"]]
    out = run(songdump, args)[1]
    lines = []
    for line in out.splitlines():
        try:
            lines.append(json.loads(line.strip().rstrip(",")))
        except ValueError:
            pass  # the lines of the enclosing objects and arrays
    lines = [entry for entry in lines if isinstance(entry, dict)]
    check(lines == entries, f"layout: {len(lines)} one-line objects for {len(entries)} entries")
    check(out.endswith("}\n"), "layout: no final newline")


def check_help(songdump):
    rc, out, err = run(songdump, ["--help"])
    check(rc == 0 and "--start-bar" in out and err == "", f"--help: exit {rc}, output {out[:80]!r}")


def check_tracks_option(songdump, demo_path):
    for args in (["--tracks", "all"], ["--tracks", "2,0"], ["--tracks", "1,1"]):
        rc, out, err = run(songdump, [demo_path] + args)
        check(rc == 0, f"{' '.join(args)}: exit {rc} ({err.strip()})")


def check_bad_arguments(songdump, demo_path):
    cases = [
        [],
        [demo_path, demo_path],
        [demo_path, "--tracks", "3"],
        [demo_path, "--tracks", "64"],
        [demo_path, "--tracks", "1,x"],
        [demo_path, "--tracks", "0,,1"],
        [demo_path, "--tracks", ""],
        [demo_path, "--start-bar", "2"],
        [demo_path, "--end-tick", "2"],
        [demo_path, "--start-bar", "1", "--end-bar", "2", "--start-tick", "0", "--end-tick", "5"],
        [demo_path, "--start-bar", "abc", "--end-bar", "3"],
        [demo_path, "--start-bar", "1", "--end-bar", "3x"],
        [demo_path, "--start-tick", "-1", "--end-tick", "3"],
        [demo_path, "--start-tick", "0", "--end-tick", "4294967296"],
        [demo_path, "--reverb", "5s"],
        [demo_path, "--reverb"],
        [demo_path, "--rate", "12345"],
        [demo_path, "--bits", "12"],
        [demo_path, "--channels", "3"],
        [demo_path, "--frobnicate", "1"],
        # numbers are plain decimal: no hex, no blanks, no sign where none belongs
        [demo_path, "--start-tick", "0x10", "--end-tick", "20"],
        [demo_path, "--start-bar", " 1", "--end-bar", "2"],
        [demo_path, "--start-tick", "+1", "--end-tick", "2"],
        [demo_path, "--reverb", "-1"],
        [demo_path, "--channels", "0"],
    ]
    for args in cases:
        rc, out, err = run(songdump, args)
        what = "bad arguments " + repr(args[1:] if args else args)
        check(rc == 2, f"{what}: exit {rc}")
        check(err.startswith("songdump: ") and len(err.strip()) > len("songdump:"), f"{what}: message {err!r}")
        check(out == "", f"{what}: wrote to stdout")


def check_numbering(songdump, demo, tmp):
    """A song without a signature at its start that changes to 3/4 one beat into bar 1: the
    first bar line is bar 1, the change's bar names its own tick, and bar 0 is the song start."""
    bar, beat = demo.BAR, demo.DIVISION
    change, three = bar + beat, 3 * beat
    end = change + 2 * three
    t = demo.Track()
    t.add(change, demo.meta(0x58, bytes([3, 2, 24, 8])))
    data = t.chunk_data(end)
    path = os.path.join(tmp, "change.mid")
    with open(path, "wb") as f:
        f.write(b"MThd" + struct.pack(">IHHH", 6, 0, 1, beat) + b"MTrk" + struct.pack(">I", len(data)) + data)
    want = [(bar, 5, 1), (change, 4, 3 << 16 | 2 << 8 | 24), (change, 5, 2), (change + three, 5, 3), (end, 7, 0),
            (end, 5, 4)]
    out = run_json(songdump, [path], "signature change")
    if out is not None:
        got = [(e["tick"], e["kind"], e["value"]) for e in out.get("conductor", [])]
        check(got == want, f"signature change: conductor list {got}, expected {want}")
        check(out.get("endBar") == 4, f"signature change: endBar {out.get('endBar')}")
    out = run_json(songdump, [path, "--start-bar", "0", "--end-bar", "2"], "signature change job")
    if out is not None:
        job = out.get("job", {})
        check((job.get("startTick"), job.get("endTick")) == (0, change), f"signature change: job ticks {job}")


def check_malformed(songdump, tmp):
    header = lambda length, count: b"MThd" + struct.pack(">I", length) + struct.pack(">HHH", 1, count, 96)
    refused = {
        "empty.mid": b"",
        "garbage.mid": bytes(range(7, 200, 3)),
        "truncated.mid": b"MThd\x00\x00",
        "header7.mid": header(7, 1) + b"\x00",
        "track-first.mid": b"MTrk\x00\x00\x00\x04\x00\xff\x2f\x00",
    }
    for name, data in refused.items():
        path = os.path.join(tmp, name)
        with open(path, "wb") as f:
            f.write(data)
        refused[name] = path
    refused["missing.mid"] = os.path.join(tmp, "no-such-file.mid")
    for name, path in refused.items():
        rc, out, err = run(songdump, [path])
        check(rc == 1, f"{name}: exit {rc}")
        try:
            check(json.loads(out) == {"loaded": False}, f"{name}: output {out!r}")
        except ValueError:
            failures.append(f"{name}: output is not JSON: {out!r}")

    # Reading stops at a chunk that is not a track; the header's count stays.
    path = os.path.join(tmp, "foreign.mid")
    with open(path, "wb") as f:
        f.write(header(6, 2) + b"XFIH\x00\x00\x00\x02ab")
    out = run_json(songdump, [path], "foreign chunk")
    if out is not None:
        check(out.get("trackCount") == 2 and out.get("division") == 96, f"foreign chunk: header values {out}")
        check(out.get("title") == "", f"foreign chunk: title {out.get('title')!r}")
        tracks = out.get("tracks", [])
        check(len(tracks) == 2 and all(t["length"] == 0 and t["endTick"] == 0 and t["channel"] == 0
                                       and t["name"] is None for t in tracks),
              f"foreign chunk: tracks {tracks}")


def main(argv):
    if len(argv) != 3:
        print(__doc__, file=sys.stderr)
        return 2
    songdump, src = argv[1], argv[2]
    demo = load_demo_module(src)
    demo_path = os.path.join(src, "resources", "demo", "demo.mid")
    bar = demo.BAR

    check_demo(songdump, demo, demo_path)
    check_job(songdump, demo, demo_path, ["--start-bar", "2", "--end-bar", "10", "--reverb", "5"],
              2 * bar, 10 * bar, reverb=5)
    check_job(songdump, demo, demo_path, ["--start-bar", "0", "--end-bar", "12"], 0, 12 * bar)
    check_job(songdump, demo, demo_path,
              ["--start-tick", "0", "--end-tick", str(12 * bar), "--reverb", "100", "--rate", "22050",
               "--bits", "24", "--channels", "1", "--tracks", "all"],
              0, 12 * bar, reverb=100, rate=22050, bits=24, channels=1)
    # A bar number without a bar line gives tick 0, so the range runs backwards.
    check_job(songdump, demo, demo_path, ["--start-bar", "3", "--end-bar", "50"], 3 * bar, 0)
    # Leading zeros are decimal, a sign is allowed on signed values, and a repeated option keeps its last value.
    check_job(songdump, demo, demo_path, ["--start-bar", "02", "--end-bar", "+010", "--reverb", "1", "--reverb", "05"],
              2 * bar, 10 * bar, reverb=5)
    check_layout(songdump, demo_path)
    check_help(songdump)
    check_tracks_option(songdump, demo_path)
    check_bad_arguments(songdump, demo_path)
    with tempfile.TemporaryDirectory() as tmp:
        check_numbering(songdump, demo, tmp)
        check_malformed(songdump, tmp)

    for f in failures:
        print("FAIL:", f)
    print(f"{len(failures)} failure(s)")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
