#!/usr/bin/env python3
"""Reads a WAV file the program wrote, independently of the program, and reports what it holds.

    wav_check.py --out RESULT info WAV           header fields, sizes, and Python's wave module's reading
    wav_check.py --out RESULT placed WAV MIDI START
                                                 where mediainfo (the broadcast wave time reference) and
                                                 sndfile-info (the cue points and their labels) place
                                                 the file, beside where the song's tempo map and
                                                 markers from tick START say they belong
    wav_check.py --out RESULT onsets WAV MIDI    note onsets found in the WAV against the song's tempo map,
                                                 split into those at stream buffer boundaries and the rest
    wav_check.py --out RESULT tone WAV           the frequency of the tone it holds
    wav_check.py --out RESULT length MIDI        seconds from the song's start to its last event
    wav_check.py --out RESULT span MIDI START END TRACKS
                                                 seconds a job plays: from tick START to the first event
                                                 after tick END among the tracks TRACKS ("0,1,3")
    wav_check.py --out RESULT aligned WAV MIDI START TRACKS
                                                 each note-on of the tracks TRACKS ("0,2") at or after tick
                                                 START against the frame it must sound on when the WAV's
                                                 first frame is tick START (by those tracks' tempo records)
    wav_check.py --out RESULT timing WAV MIDI START TRACKS [ARRIVALS]
                                                 each note-on of the tracks TRACKS at or after tick START
                                                 found near its time (the WAV's first frame is tick START):
                                                 how many were heard, and the line through their delays
                                                 (offset at the start tick, drift), their mean and
                                                 their spread (of all, and of all but the latest
                                                 hundredth, at least two); with ARRIVALS (ms from
                                                 the first note on, as the MIDI OUT device received
                                                 them) also how evenly they reached the device and
                                                 how evenly they sounded after it, of all notes
                                                 (spread) and of all but the two latest (bulk)
    wav_check.py --out RESULT lost REPORT        frames the loopback devices lost (their report file)
    wav_check.py --out RESULT same FILE FILE     whether two files hold the same bytes
    wav_check.py --out RESULT levels WAV         peak in dBFS over every sample, and samples at full scale

Each writes "key value" lines to RESULT (through a temporary file, so the file appears whole) and
ends with "end". The caller (the UI scenarios under Wine) waits for RESULT.
"""

import math
import os
import re
import struct
import subprocess
import sys
import wave

try:
    import mido
except ImportError:  # the onsets and length commands need it
    mido = None


def read_riff(path):
    """The chunks as stored: the header fields, the sizes the file states and has, the data's offset
    and the broadcast wave chunk's fields."""
    data = open(path, "rb").read()
    out = {"filesize": len(data)}
    if len(data) < 12 or data[:4] != b"RIFF" or data[8:12] != b"WAVE":
        out.update(valid=0, reason="not a RIFF WAVE file")
        return out, data
    riff_size = struct.unpack_from("<I", data, 4)[0]
    out.update(riff="RIFF", riffsize=riff_size, wave="WAVE")
    chunks, at = [], 12
    while at + 8 <= len(data) and at < 8 + riff_size:
        chunk_id, size = struct.unpack_from("<4sI", data, at)
        chunks.append((chunk_id, at + 8, size))
        at += 8 + size + size % 2
    out["chunks"] = ",".join(c[0].decode("latin1").strip() for c in chunks)
    problems = []
    if not chunks or chunks[0][0] != b"fmt " or chunks[0][2] != 18:
        problems.append("no 18-byte format chunk first")
    else:
        tag, channels, rate, avg, align, bits, extra = struct.unpack_from("<HHIIHHH", data, chunks[0][1])
        out.update(fmt="fmt ", fmtsize=18, tag=tag, channels=channels, rate=rate, avgbytes=avg, blockalign=align,
                   bits=bits, extra=extra)
    found = [c for c in chunks if c[0] == b"data"]
    if not found:
        problems.append("no data chunk")
        data_at, data_size = len(data), 0
    else:
        _, data_at, data_size = found[0]
        out.update(data="data", datasize=data_size, dataoffset=data_at)
        pad = data_size % 2
        out["pad"] = pad
        out["padbyte"] = data[data_at + data_size] if pad and len(data) > data_at + data_size else -1
        if out.get("blockalign") and data_size % out["blockalign"]:
            problems.append("data not whole frames")
    for chunk_id, body, size in chunks:
        if chunk_id == b"bext" and size >= 602:
            text = lambda a, n: data[body + a:body + a + n].split(b"\0")[0].decode("latin1")
            out.update(bext_description=text(0, 256).replace(" ", "_"), bext_originator=text(256, 32),
                       bext_reference=text(288, 32), bext_date=text(320, 10), bext_time=text(330, 8),
                       bext_timereference=struct.unpack_from("<Q", data, body + 338)[0],
                       bext_version=struct.unpack_from("<H", data, body + 346)[0],
                       bext_history=text(602, size - 602).strip())
    if riff_size != at - 8:
        problems.append("RIFF size %d for chunks ending at %d" % (riff_size, at))
    if len(data) < 8 + riff_size:
        problems.append("file of %d bytes shorter than it states" % len(data))
    out["valid"] = 0 if problems else 1
    out["reason"] = "; ".join(problems) or "-"
    return out, data


def marker_frames(path, start, rate):
    """Every marker and cue point of the song at or after tick `start`: its frame from the start
    tick by the song's tempo map (every track's), and its text; and the start tick's own frame
    from the song's start."""
    song = mido.MidiFile(path)
    tempos, marks = [], []
    for track in song.tracks:
        tick = 0
        for message in track:
            tick += message.time
            if message.type == "set_tempo":
                tempos.append((tick, message.tempo))
            elif message.type in ("marker", "cue_marker"):
                marks.append((tick, message.text))
    tempos.sort(key=lambda t: t[0])

    def seconds(tick):
        at, tempo, total = 0, 500000, 0.0
        for change, value in tempos:
            if change >= tick:
                break
            total += (change - at) * tempo / 1e6 / song.ticks_per_beat
            at, tempo = change, value
        return total + (tick - at) * tempo / 1e6 / song.ticks_per_beat

    begin = seconds(start)
    found = [(round((seconds(t) - begin) * rate), text) for t, text in sorted(marks, key=lambda m: m[0]) if t >= start]
    return round(begin * rate), found


def placed(path, midi, start):
    """Where readers nobody here wrote place the file: mediainfo's delay (the broadcast wave time
    reference) and sndfile-info's cue points and labels, beside what the song says they must be."""
    info, _ = read_riff(path)
    rate, frames = info.get("rate", 0), info.get("datasize", 0) // max(info.get("blockalign", 1), 1)
    out = {"rate": rate, "frames": frames, "time_reference": info.get("bext_timereference", -1)}
    delay = subprocess.run(["mediainfo", "--Inform=Audio;%Delay%", path], capture_output=True, text=True).stdout
    out["mediainfo_delay_ms"] = delay.strip() or "-"
    if delay.strip():
        out["mediainfo_frames"] = round(float(delay) * rate / 1000)
    # The labels are the song's own bytes: read as latin1 here and by mido, so both keep them whole.
    listing = subprocess.run(["sndfile-info", path], capture_output=True).stdout.decode("latin1")
    cues = re.findall(r"Cue ID :\s*(\d+)\s+Pos :\s*(\d+).*?Offset :\s*(\d+)", listing)
    labels = dict(re.findall(r"labl : (\d+) : (.*)", listing))
    out["sndfile_cues"] = ",".join("%s@%s" % (labels.get(i, "?").strip().replace(" ", "_"), offset)
                                   for i, _, offset in cues) or "-"
    expected_reference, marks = marker_frames(midi, start, rate)
    out["expected_time_reference"] = expected_reference
    out["expected_cues"] = ",".join("%s@%d" % (text.replace(" ", "_"), frame) for frame, text in marks
                                    if frame < frames) or "-"
    return out


def samples(path):
    """Channel 0 as floats in [-1, 1], read with Python's wave module, and the rate."""
    with wave.open(path, "rb") as w:
        width, channels, rate, frames = w.getsampwidth(), w.getnchannels(), w.getframerate(), w.getnframes()
        raw = w.readframes(frames)
    step = width * channels
    values = []
    if width == 1:
        values = [(raw[i] - 128) / 128.0 for i in range(0, len(raw) - step + 1, step)]
    else:
        full = float(1 << (8 * width - 1))
        for i in range(0, len(raw) - step + 1, step):
            values.append(int.from_bytes(raw[i:i + width], "little", signed=True) / full)
    return values, rate


def tempo_map_times(path):
    """Seconds of every note-on (velocity > 0) and of the last event, from the song's tempo map."""
    song = mido.MidiFile(path)
    events = []
    for track in song.tracks:
        tick = 0
        for message in track:
            tick += message.time
            events.append((tick, message))
    events.sort(key=lambda e: e[0])
    tempo, last_tick, seconds = 500000, 0, 0.0
    onsets, last = [], 0.0
    for tick, message in events:
        seconds += (tick - last_tick) * tempo / 1e6 / song.ticks_per_beat
        last_tick = tick
        if message.type == "set_tempo":
            tempo = message.tempo
        if message.type == "note_on" and message.velocity > 0:
            onsets.append(seconds)
        if message.type != "end_of_track":
            last = seconds
    return sorted(set(round(t, 9) for t in onsets)), last


# A stream of short messages only: the record that brings a buffer within 12 bytes of its
# 32,768 closes it, so every buffer holds 2,730 records of 12 bytes.
RECORDS_PER_BUFFER = 2730


def boundary_onsets(path):
    """Onset times whose note-ons are the first record of a stream buffer or span two buffers.

    The records are the stream the program builds from all the song's tracks: every event but the
    end of track and the metas other than tempo, in tick order, earlier tracks first at one tick."""
    song = mido.MidiFile(path)
    events = []
    for number, track in enumerate(song.tracks):
        tick = 0
        for index, message in enumerate(track):
            tick += message.time
            if message.type == "end_of_track" or (message.is_meta and message.type != "set_tempo"):
                continue
            events.append((tick, number, index, message))
    events.sort(key=lambda e: e[:3])
    by_tick = {}
    for record, (tick, _, _, message) in enumerate(events):
        if message.type == "note_on" and message.velocity > 0:
            by_tick.setdefault(tick, []).append(record)
    boundary_ticks = set()
    for tick, records in by_tick.items():
        first, last = min(records), max(records)
        if first % RECORDS_PER_BUFFER == 0 or first // RECORDS_PER_BUFFER != last // RECORDS_PER_BUFFER:
            boundary_ticks.add(tick)
    return boundary_ticks, sorted(by_tick)


def played_events(song, track_numbers):
    """(tick, message) of the chosen tracks as a job plays them: no end of track, no metas but tempo."""
    events = []
    for number in track_numbers:
        tick = 0
        for message in song.tracks[number]:
            tick += message.time
            if message.type == "end_of_track" or (message.is_meta and message.type != "set_tempo"):
                continue
            events.append((tick, message))
    return sorted(events, key=lambda e: e[0])


def job_span(path, start, end, track_numbers):
    """Seconds from `start` to the first event after `end` of the chosen tracks, on their tempo map."""
    song = mido.MidiFile(path)
    events = played_events(song, track_numbers)
    last = next((tick for tick, _ in events if tick > end), events[-1][0] if events else end)
    tempo, previous, seconds, begin = 500000, 0, 0.0, None
    for tick, message in events + [(last, None)]:
        if begin is None and tick >= start:
            begin = seconds + (start - previous) * tempo / 1e6 / song.ticks_per_beat
        if tick > last:
            break
        seconds += (tick - previous) * tempo / 1e6 / song.ticks_per_beat
        previous = tick
        if message is not None and message.type == "set_tempo":
            tempo = message.tempo
    return seconds - (begin or 0.0)


def note_frames(path, start, track_numbers, rate):
    """The exact frame of every note-on (velocity > 0) at or after `start` among the chosen tracks,
    counted from tick `start`, on the tempo records of those tracks (120 beats per minute before the
    first), by tick."""
    song = mido.MidiFile(path)
    tempo, previous, seconds, begin, notes = 500000, 0, 0.0, None, []
    for tick, message in played_events(song, track_numbers):
        seconds += (tick - previous) * tempo / 1e6 / song.ticks_per_beat
        previous = tick
        if begin is None and tick >= start:
            begin = seconds - (tick - start) * tempo / 1e6 / song.ticks_per_beat
        if message.type == "note_on" and message.velocity > 0 and tick >= start:
            notes.append((tick, (seconds - begin) * rate))
        if message.type == "set_tempo":
            tempo = message.tempo
    return notes


def detect_onsets(values, rate, threshold=0.002, quiet_seconds=0.01):
    """Starts of sound after at least quiet_seconds of silence, in seconds."""
    quiet_needed = int(quiet_seconds * rate)
    found, quiet = [], quiet_needed
    for i, v in enumerate(values):
        if abs(v) > threshold:
            if quiet >= quiet_needed:
                found.append(i / rate)
            quiet = 0
        else:
            quiet += 1
    return found


def note_onset(values, rate, at, before=0.05, after=0.12, share=0.1):
    """The onset of the note sounding near frame `at`: the window's peak, walked back to where the
    level last stood below `share` of that peak. None when the window is silent (-60 dBFS)."""
    lo, hi = max(0, int(at - before * rate)), min(len(values), int(at + after * rate))
    if hi <= lo:
        return None
    peak_index = max(range(lo, hi), key=lambda i: abs(values[i]))
    peak = abs(values[peak_index])
    if peak < 0.001:
        return None
    onset = peak_index
    while onset > lo and abs(values[onset - 1]) >= share * peak:
        onset -= 1
    # Walk on through the note's own zero crossings: the level stays low for under a millisecond.
    gap = int(0.001 * rate)
    while onset > lo:
        earlier = [i for i in range(max(lo, onset - gap), onset) if abs(values[i]) >= share * peak]
        if not earlier:
            break
        onset = earlier[0]
        while onset > lo and abs(values[onset - 1]) >= share * peak:
            onset -= 1
    return onset


def spread(values, spare=0):
    """Largest less smallest, leaving out the `spare` largest (notes a busy machine made late)."""
    kept = sorted(values)[:len(values) - spare]
    return kept[-1] - kept[0]


def timing(values, rate, expected, arrivals=None):
    """Delays in ms of the notes at the expected frames, and the least-squares line through them
    against the note's time: offset at frame 0, drift in ppm and the largest distance from it.
    Given when each note reached the device, the delays split into the part before the device
    (arrival against the note's time) and the part after it (the synthesizer and the capture)."""
    points, after, lateness = [], [], None
    if arrivals is not None and len(arrivals) == len(expected):
        lateness = [a - (frame - expected[0][1]) * 1000.0 / rate for a, (_, frame) in zip(arrivals, expected)]
    for i, (_, frame) in enumerate(expected):
        onset = note_onset(values, rate, frame)
        if onset is not None:
            delay = (onset - frame) * 1000.0 / rate
            points.append((frame / rate, delay))
            if lateness is not None:
                after.append(delay - lateness[i])
    out = {"expected": len(expected), "heard": len(points)}
    if len(points) >= 2:
        n = len(points)
        mt = sum(t for t, _ in points) / n
        md = sum(d for _, d in points) / n
        stt = sum((t - mt) ** 2 for t, _ in points)
        slope = sum((t - mt) * (d - md) for t, d in points) / stt if stt else 0.0
        offset = md - slope * mt
        residuals = [d - (offset + slope * t) for t, d in points]
        delays = sorted(d for _, d in points)
        out.update(offset_ms="%.3f" % offset, drift_ppm="%.1f" % (slope * 1000.0), mean_ms="%.3f" % md,
                   spread_ms="%.3f" % spread(delays), bulk_ms="%.3f" % spread(delays, max(2, n // 100)),
                   median_ms="%.3f" % delays[n // 2], max_residual_ms="%.3f" % max(abs(r) for r in residuals),
                   first_ms="%.3f" % points[0][1], delays=",".join("%.2f" % d for _, d in points))
    for name, values in (("device", lateness or []), ("sound", after)):
        if len(values) >= 4:
            out[name + "_spread_ms"] = "%.3f" % spread(values)
            out[name + "_bulk_ms"] = "%.3f" % spread(values, 2)
    return out


def tone_frequency(values, rate):
    """Rising zero crossings, interpolated, over the whole recording."""
    crossings = []
    for i in range(1, len(values)):
        a, b = values[i - 1], values[i]
        if a < 0 <= b and b != a:
            crossings.append((i - 1 + (-a) / (b - a)) / rate)
    if len(crossings) < 3:
        return 0.0
    return (len(crossings) - 1) / (crossings[-1] - crossings[0])


def main(argv):
    if len(argv) < 4 or argv[1] != "--out":
        print(__doc__)
        return 2
    out_path, command, args = argv[2], argv[3], argv[4:]
    result = {}
    try:
        if command == "info":
            result, _ = read_riff(args[0])
            try:
                with wave.open(args[0], "rb") as w:
                    result.update(wave_ok=1, wave_frames=w.getnframes(), wave_rate=w.getframerate(),
                                  wave_bits=8 * w.getsampwidth(), wave_channels=w.getnchannels())
                    result["seconds"] = "%.6f" % (w.getnframes() / float(w.getframerate()))
            except (wave.Error, EOFError) as error:
                result.update(wave_ok=0, wave_error=str(error).replace("\n", " "))
        elif command == "onsets":
            values, rate = samples(args[0])
            expected, _ = tempo_map_times(args[1])
            found = detect_onsets(values, rate)
            result.update(expected=len(expected), found=len(found))
            if found:
                result["last_onset"] = "%.6f" % found[-1]
            if expected and len(found) == len(expected):
                errors = [(f - found[0]) - (e - expected[0]) for f, e in zip(found, expected)]
                worst = max(range(len(errors)), key=lambda i: abs(errors[i]))
                result.update(maxerror_ms="%.4f" % (abs(errors[worst]) * 1000), worst_index=worst,
                              first_onset="%.6f" % found[0])
                boundaries, ticks = boundary_onsets(args[1])
                at = [abs(errors[i]) for i, tick in enumerate(ticks) if tick in boundaries and i < len(errors)]
                rest = [abs(errors[i]) for i, tick in enumerate(ticks) if tick not in boundaries and i < len(errors)]
                result.update(boundaries=len(at), maxerror_boundary_ms="%.4f" % (max(at, default=0) * 1000),
                              maxerror_other_ms="%.4f" % (max(rest, default=0) * 1000))
        elif command == "placed":
            result.update(placed(args[0], args[1], int(args[2])))
        elif command == "tone":
            values, rate = samples(args[0])
            rms = (sum(v * v for v in values) / len(values)) ** 0.5 if values else 0.0
            result.update(frequency="%.3f" % tone_frequency(values, rate), rms="%.5f" % rms)
        elif command == "length":
            _, last = tempo_map_times(args[0])
            result["seconds"] = "%.6f" % last
        elif command == "span":
            tracks = [int(n) for n in args[3].split(",")]
            result["seconds"] = "%.6f" % job_span(args[0], int(args[1]), int(args[2]), tracks)
        elif command == "aligned":
            values, rate = samples(args[0])
            expected = note_frames(args[1], int(args[2]), [int(n) for n in args[3].split(",")], rate)
            found = [round(t * rate) for t in detect_onsets(values, rate)]
            result.update(expected=len(expected), found=len(found))
            if expected and len(found) == len(expected):
                errors = [f - round(e) for f, (_, e) in zip(found, expected)]
                worst = max(range(len(errors)), key=lambda i: abs(errors[i]))
                result.update(maxerror_frames=abs(errors[worst]), worst_tick=expected[worst][0],
                              notes=",".join("%d:%d" % (tick, f) for (tick, _), f in zip(expected, found)))
        elif command == "timing":
            values, rate = samples(args[0])
            expected = note_frames(args[1], int(args[2]), [int(n) for n in args[3].split(",")], rate)
            arrivals = [float(ms) for ms in args[4].split(",")] if len(args) > 4 and args[4] else None
            result.update(timing(values, rate, expected, arrivals))
        elif command == "lost":
            # Lines "wavein N lost FRAMES", one per capture the devices closed.
            lines = [line.split() for line in open(args[0]).read().splitlines() if line.strip()]
            captures = [int(words[3]) for words in lines if len(words) == 4 and words[2] == "lost"]
            result.update(captures=len(captures), lost=sum(captures))
        elif command == "levels":
            with wave.open(args[0], "rb") as w:
                width, raw = w.getsampwidth(), w.readframes(w.getnframes())
            if width == 1:
                values = [b - 128 for b in raw]
            else:
                values = [int.from_bytes(raw[i:i + width], "little", signed=True)
                          for i in range(0, len(raw) - width + 1, width)]
            full = 1 << (8 * width - 1)
            peak = max((abs(v) for v in values), default=0)
            result.update(peak_dbfs="%.1f" % (20 * math.log10(peak / full)) if peak else "-inf",
                          clipped=sum(1 for v in values if abs(v) >= full - 1))
        elif command == "same":
            result["same"] = int(open(args[0], "rb").read() == open(args[1], "rb").read())
        else:
            result["error"] = "unknown command " + command
    except Exception as error:  # reported to the caller, which fails the test with it
        result["error"] = "%s: %s" % (type(error).__name__, str(error).replace("\n", " "))
    temporary = out_path + ".part"
    with open(temporary, "w") as f:
        for key, value in result.items():
            f.write("%s %s\n" % (key, value))
        f.write("end\n")
    os.replace(temporary, out_path)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
