#!/usr/bin/env python3
"""Writes the seed job lists for fuzz_job_list into fuzz/seeds/job_list/."""
import pathlib

OUT = pathlib.Path(__file__).resolve().parent / "seeds" / "job_list"


def job_line(midi, wav, enabled=1, tracks=(0,), numbers=(0, 0, 44100, 16, 2, 0, 1920, 3, 5)):
    fields = [midi, wav] + [str(n) for n in numbers]
    fields += ["1" if i in tracks else "0" for i in range(64)]
    fields.append(str(enabled))
    return b"\t".join(f.encode("latin-1") if isinstance(f, str) else f for f in fields)


def job_list(lines, count=None, end=b"\r\n"):
    count = len(lines) if count is None else count
    return str(count).encode() + end + b"".join(line + end for line in lines)


def main():
    OUT.mkdir(parents=True, exist_ok=True)
    a = job_line("C:\\songs\\a.mid", "C:\\songs\\a.wav")
    b = job_line("C:\\songs\\b.mid", "C:\\songs\\b.wav", enabled=0, tracks=(0, 2, 63),
                 numbers=(1, 2, 192000, 24, 1, -480, 2147483647, 0, -3))
    sjis = job_line(b"C:\\\x83\x5c\x83\x8b\\\x95\x5c.mid", b"C:\\\x83\x5c\x83\x8b\\out.wav")
    seeds = {
        "empty_table.list": b"0\r\n",
        "two_jobs.list": job_list([a, b]),
        "lf_only.list": job_list([a, b], end=b"\n"),
        "trailing_blanks.list": b"2 \r\n" + a + b" \t \r\n" + b + b"\t\r\n",
        "long_path.list": job_list([job_line("C:\\" + "p" * 296 + ".mid", "x.wav"), sjis]),
        "short_count.list": job_list([a], count=3),
        "bad_count.list": b"two\r\n" + a + b"\r\n",
        "missing_field.list": job_list([a, a.rsplit(b"\t", 1)[0]]),
    }
    for name, data in seeds.items():
        (OUT / name).write_bytes(data)


if __name__ == "__main__":
    main()
