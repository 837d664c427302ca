#!/usr/bin/env python3
"""Writes the seed corpus of the formats fuzz target: one small file of each layout the readers know."""
import os
import struct
import sys

out = sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(__file__), "corpus")
os.makedirs(out, exist_ok=True)


def wav(fmt_size, tag, channels, rate, bits, data, riff=None, data_size=None, extra=b"", fmt_tail=b""):
    fmt = struct.pack("<HHIIHH", tag, channels, rate, rate * channels * bits // 8, channels * bits // 8, bits)
    fmt += fmt_tail.ljust(fmt_size - 16, b"\0")
    body = b"WAVE" + b"fmt " + struct.pack("<I", fmt_size) + fmt + extra
    body += b"data" + struct.pack("<I", len(data) if data_size is None else data_size) + data
    return b"RIFF" + struct.pack("<I", len(body) if riff is None else riff) + body


def pcm16(values):
    return b"".join(struct.pack("<h", v) for v in values)


def floats(values):
    return b"".join(struct.pack("<f", v) for v in values)


def dap(rate, count, data):
    h = bytearray(b" " * 256)
    h[18:18 + len(rate)] = rate
    h[26:26 + len(count)] = count
    return bytes(h) + data


ramp = pcm16(range(-3000, 3000, 37))
files = {
    "wav16-stereo": wav(16, 1, 2, 44100, 16, ramp[:400]),
    "wav-int32": wav(16, 1, 1, 48000, 32, b"".join(struct.pack("<i", v) for v in (0, 2**31 - 1, -2**31, 98304))),
    "wav-float": wav(16, 3, 1, 8000, 32, floats([0.5, -1.0, 2.0, float("nan"), float("inf")])),
    "wav-float18": wav(18, 3, 2, 22050, 32, floats([0.25, -0.25, 0.125, 1e9])),
    "wav-extensible": wav(40, 0xFFFE, 1, 96000, 32, floats([0.1, 0.2]), fmt_tail=b"\x16\0\x20\0\0\0\0\0\x03\0"),
    "wav-chunks": wav(16, 1, 1, 8000, 16, ramp[:200], riff=0xFFFFFFF8, data_size=0xFFFFFFD4,
                      extra=b"LIST\x07\0\0\0INFOabc\0bext\x04\0\0\0abcd"),
    "wav-placeholder": wav(16, 1, 1, 11025, 16, ramp[:300], riff=0xFFFFFFF8, data_size=0xFFFFFFD4),
    "wav-five-channels": wav(16, 1, 5, 8000, 16, ramp[:100]),
    "wav-truncated": wav(16, 1, 1, 8000, 16, ramp[:10])[:30],
    "dap-header": dap(b"48000", b"12", ramp[:600]),
    "kay-header": bytes(120) + struct.pack("<hh", 3, 25) + bytes(512 - 124) + ramp[:200],
    "ears-records": b"".join(bytes(12) + b"".join(struct.pack(">h", v) for v in range(r, r + 250)) for r in (0, -125))
    + b"\xff\xfe" * 3,
}
for name, data in files.items():
    assert len(data) < 4096, name
    with open(os.path.join(out, name), "wb") as f:
        f.write(data)
