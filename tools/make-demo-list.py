#!/usr/bin/env python3
"""Writes FOLDER/demo.list, a job list of the bundled demo song, and FOLDER/general.ini, so that the
test build (solvena-loopback.exe, with resources/demo/loopback-devices.txt beside it) opens its
dialogs in FOLDER with the virtual devices chosen.

  job 1  the whole band, bars 0 to 4, 44,100 Hz 16 bit stereo, 2 s reverb -> FOLDER/demo-band.wav
  job 2  the piano alone, bars 2 to 6, 22,050 Hz 16 bit mono, 1 s reverb  -> FOLDER/demo-piano.wav

Paths are written as Wine sees them (drive Z: is /). Usage: make-demo-list.py FOLDER
"""

import os
import sys

BAR = 4 * 480  # the demo song's bar in ticks (tools/make-demo-song.py)


def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def job_line(midi, wav, rate, bits, channels, start_bar, end_bar, reverb, seconds, tracks):
    flags = ["1" if i in tracks else "0" for i in range(64)]
    numbers = [0, 0, rate, bits, channels, start_bar * BAR, end_bar * BAR, reverb, seconds]
    return "\t".join([midi, wav] + [str(n) for n in numbers] + flags + ["1"])


def main(folder):
    root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    song = windows_path(os.path.join(root, "resources", "demo", "demo.mid"))
    lines = [
        "2",
        job_line(song, windows_path(os.path.join(folder, "demo-band.wav")), 44100, 16, 2, 0, 4, 2, 8, {0, 1, 2}),
        job_line(song, windows_path(os.path.join(folder, "demo-piano.wav")), 22050, 16, 1, 2, 6, 1, 8, {0, 1}),
    ]
    with open(os.path.join(folder, "demo.list"), "wb") as out:
        out.write(("\r\n".join(lines) + "\r\n").encode("cp932"))
    with open(os.path.join(folder, "general.ini"), "wb") as out:
        out.write((windows_path(folder) + "\\\r\nLoopback Capture\r\nLoopback Synth\r\n").encode("cp932"))


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    main(sys.argv[1])
