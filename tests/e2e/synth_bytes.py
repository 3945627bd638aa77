#!/usr/bin/env python3
"""Writes the Synth file that "Save..." must produce from seven sample files, worked out
from the file layout on its own: a little-endian 32-bit count N, then for each row a
32-bit length L (at most 524,288) and the first L bytes of its file; every one of the N
bytes after the count has its two 4-bit halves exchanged, but for the very first one
when N is odd.

  synth_bytes.py OUT.syn ROW0.pcm ... ROW6.pcm
"""
import struct
import sys

MAX_BLOCK_BYTES = 524288


def synth_bytes(sample_paths):
    body = bytearray()
    for path in sample_paths:
        with open(path, "rb") as f:
            samples = f.read(MAX_BLOCK_BYTES)
        body += struct.pack("<I", len(samples)) + samples
    count = len(body)
    for i in range(count % 2, count):
        body[i] = ((body[i] & 0x0F) << 4) | (body[i] >> 4)
    return struct.pack("<I", count) + bytes(body)


if __name__ == "__main__":
    if len(sys.argv) != 9:
        sys.exit(__doc__)
    with open(sys.argv[1], "wb") as out:
        out.write(synth_bytes(sys.argv[2:]))
