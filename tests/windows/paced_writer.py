#!/usr/bin/env python3
"""Appends standard input to a file no faster than real time (signed 16-bit stereo, 44100 Hz).

ALSA's null device takes sound as fast as it is given, and Wine's sound output then runs ahead
of the clock; behind this writer the file plugin's pipe fills and holds it to real time.
Usage (as the file of ALSA's file plugin): "|paced_writer.py OUT.raw"
"""
import sys
import time

BYTES_PER_SECOND = 44100 * 4

out = open(sys.argv[1], "ab", buffering=0)
start = time.monotonic()
total = 0
while True:
    chunk = sys.stdin.buffer.read1(4096)
    if not chunk:
        break
    out.write(chunk)
    total += len(chunk)
    ahead = total / BYTES_PER_SECOND - (time.monotonic() - start)
    if ahead > 0:
        time.sleep(ahead)
