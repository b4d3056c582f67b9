#!/usr/bin/env python3
"""Independent readers judge the files the recorder writes: python3's wave module, sox and
libsndfile's sndfile-info must each report the format and length we wrote."""
import argparse
import re
import subprocess
import sys
import tempfile
import wave
from pathlib import Path

# name: channels, rate, bits, frames
EXPECTED = {
    "stereo16-8000.wav": (2, 8000, 16, 2085),
    "mono8-8000.wav": (1, 8000, 8, 4095),
    "stereo16-44100.MP3": (2, 44100, 16, 3072),
    "mono16-11025.wav": (1, 11025, 16, 2048),
    "stereo8-22050.wav": (2, 22050, 8, 0),
}


def by_wave_module(path):
    with wave.open(str(path), "rb") as f:
        return f.getnchannels(), f.getframerate(), 8 * f.getsampwidth(), f.getnframes()


def field(pattern, text, name):
    match = re.search(pattern, text, re.MULTILINE)
    if not match:
        raise AssertionError(f"{name}: no match for {pattern!r} in:\n{text}")
    return int(match.group(1))


def by_sox(path):
    # The type is named: sox would take a .MP3 name for an MP3 file. Reading the whole file into
    # the null output also proves every sample can be read.
    result = subprocess.run(["sox", "-V3", "-t", "wav", str(path), "-n"], capture_output=True,
                            text=True, timeout=30)
    text = result.stderr.split("Output File")[0]
    if result.returncode != 0 or "WARN" in result.stderr or "FAIL" in result.stderr:
        raise AssertionError(f"sox complains about {path.name}:\n{result.stderr}")
    return (field(r"^Channels\s*:\s*(\d+)", text, "sox"),
            field(r"^Sample Rate\s*:\s*(\d+)", text, "sox"),
            field(r"^Precision\s*:\s*(\d+)-bit", text, "sox"),
            # sox prints no duration for a file without samples.
            field(r"=\s*(\d+) samples", text, "sox") if "Duration" in text else 0)


# Our files carry no pad byte after an odd data chunk; libsndfile notes that, and reads on.
ODD_CHUNK_NOTE = "*** 'data' chunk should be an even number of bytes in length."
EMPTY_SCAN_NOTE = "Error : psf_fread returned short count."
# libsndfile's subtypes of WAV: 0x0002 signed 16-bit, 0x0005 unsigned 8-bit.
SNDFILE_BITS = {0x0002: 16, 0x0005: 8}


def by_sndfile_info(path):
    result = subprocess.run(["sndfile-info", str(path)], capture_output=True, text=True,
                            timeout=30)
    text = result.stdout + result.stderr
    complaints = text.replace(ODD_CHUNK_NOTE, "")
    if re.search(r"^Frames\s*:\s*0$", text, re.MULTILINE):
        # Its signal scan after the header finds nothing to read in an empty data chunk.
        complaints = complaints.replace(EMPTY_SCAN_NOTE, "")
    if result.returncode != 0 or "Error" in complaints or "**" in complaints:
        raise AssertionError(f"sndfile-info complains about {path.name}:\n{text}")
    kind = re.search(r"^Format\s*:\s*0x([0-9A-Fa-f]+)", text, re.MULTILINE)
    bits = SNDFILE_BITS.get(int(kind.group(1), 16) & 0xFFFF) if kind else None
    return (field(r"^Channels\s*:\s*(\d+)", text, "sndfile-info"),
            field(r"^Sample Rate\s*:\s*(\d+)", text, "sndfile-info"),
            bits,
            field(r"^Frames\s*:\s*(\d+)", text, "sndfile-info"))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--writer", required=True)
    args = parser.parse_args()
    failures = 0
    with tempfile.TemporaryDirectory(prefix="sonavel-readers-") as folder:
        subprocess.run([args.writer, folder], check=True, timeout=60)
        for name, expected in EXPECTED.items():
            path = Path(folder) / name
            header_and_data = 44 + expected[0] * expected[2] // 8 * expected[3]
            if path.stat().st_size != header_and_data:
                print(f"FAIL {name}: {path.stat().st_size} bytes, expected {header_and_data}")
                failures += 1
            for reader in (by_wave_module, by_sox, by_sndfile_info):
                try:
                    got = reader(path)
                except Exception as error:  # a reader that refuses the file is a failure
                    got = f"refused: {error}"
                if got != expected:
                    print(f"FAIL {name} by {reader.__name__}: {got}, expected {expected}")
                    failures += 1
                else:
                    print(f"ok   {name} by {reader.__name__}: {got}")
    print(f"{3 * len(EXPECTED) - failures} checks passed, {failures} failed")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
