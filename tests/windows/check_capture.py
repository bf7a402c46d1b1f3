#!/usr/bin/env python3
"""Checks what the game played through Wine's sound output against the tool's render.

Usage: check_capture.py PLAYED.raw RENDER.wav MATCH_BYTES ESCAPE_BYTES
PLAYED.raw is signed 16-bit stereo at 44100 Hz as the ALSA file plugin wrote it, in real time;
MATCH_BYTES and ESCAPE_BYTES are its sizes when F1 and Escape were pressed (the match lasted
three seconds). Wine resamples on the way to the
device, so the samples are not compared one by one: the loudness of every 10 ms (the song's
rhythm and dynamics) is. Expected: the song from its start on the title screen, silence during
the match, and the song from its start again after Escape.
"""
import array
import math
import struct
import sys

RATE = 44100
BLOCK = RATE // 100  # frames per 10 ms
LOUD = 200  # mean absolute sample of a block that holds sound (silence is 0)


def envelope(samples, channels):
    """Mean absolute value per 10 ms block, both channels together."""
    step = BLOCK * channels
    return [sum(map(abs, samples[i:i + step])) / step for i in range(0, len(samples) - step + 1, step)]


def played_envelope(path):
    samples = array.array("h")
    with open(path, "rb") as f:
        samples.frombytes(f.read())
    if sys.byteorder != "little":
        samples.byteswap()
    return envelope(samples, 2)


def render_envelope(path):
    data = open(path, "rb").read()
    channels = struct.unpack_from("<H", data, 22)[0]
    at = data.index(b"data")
    size = struct.unpack_from("<I", data, at + 4)[0]
    pcm = data[at + 8:at + 8 + size]
    return envelope([(b - 128) * 256 for b in pcm], channels)


def onset(env, start=0):
    return next((i for i in range(start, len(env)) if env[i] > LOUD), None)


def correlation(a, b):
    n = min(len(a), len(b))
    a, b = a[:n], b[:n]
    ma, mb = sum(a) / n, sum(b) / n
    num = sum((x - ma) * (y - mb) for x, y in zip(a, b))
    den = math.sqrt(sum((x - ma) ** 2 for x in a) * sum((y - mb) ** 2 for y in b))
    return num / den if den else 0.0


def song_start_matches(played, start, render, blocks):
    """Best correlation of played[start...] with the render's first blocks, a few blocks either way."""
    song = render[onset(render):][:blocks]
    return max(correlation(played[max(0, start + lag):][:blocks], song) for lag in range(-3, 4))


def main():
    played_path, render_path, match_bytes, escape_bytes = sys.argv[1:5]
    played, render = played_envelope(played_path), render_envelope(render_path)
    to_block = lambda size: int(size) // (4 * BLOCK)
    at_match, at_escape = to_block(match_bytes), to_block(escape_bytes)
    failures = []

    first = onset(played)
    if first is None or first + 150 > at_match:
        failures.append("no 1.5 s of music before the match began")
    else:
        score = song_start_matches(played, first, render, 150)
        print(f"title song from its start: correlation {score:.3f} over 1.5 s")
        if score < 0.9:
            failures.append("the title screen did not play the song from its start")

    # The ring, Wine's buffer and the capture's pipe still hold up to a second when the player
    # stops; after that the match stays silent (Wine closes its sound output).
    loud = sum(1 for block in played[at_match:at_escape] if block > LOUD) / 100
    print(f"match: {loud:.2f} s of sound after F1")
    if loud > 1.2:
        failures.append("the music went on during the match")

    again = onset(played, at_escape)
    if again is None or again + 150 > len(played):
        failures.append("no 1.5 s of music after Escape")
    else:
        score = song_start_matches(played, again, render, 150)
        print(f"song after Escape from its start: correlation {score:.3f} over 1.5 s")
        if score < 0.9:
            failures.append("the song did not start again after Escape")

    for failure in failures:
        print(failure)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
