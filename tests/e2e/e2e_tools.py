#!/usr/bin/env python3
# What the scenario works out on its own, without the program or an image library.
#
#   e2e_tools.py synth OUT ROW0.pcm ... ROW6.pcm
#       writes the Synth file "Save..." must produce from seven sample files, from the file
#       layout alone: a little-endian 32-bit count N, then for each row a 32-bit length L
#       (at most 524,288) and the first L bytes of its file; every one of the N bytes after
#       the count has its two 4-bit halves exchanged, but for the very first one when N is odd.
#   e2e_tools.py dark FILE.xwd X Y WIDTH HEIGHT
#       prints how many pixels of the rectangle of a screenshot in X's XWD format are dark.
import pathlib
import struct
import sys

MAX_BLOCK_BYTES = 524288
DARK_LUMA = 100  # text is drawn near black on a light window background
# The XWD header's byte order, bits a pixel and red, green, blue masks that Xvfb's 24-bit
# screen gives: each pixel is blue, green, red and an unused byte.
BLUE_GREEN_RED_PIXELS = (0, 32, 0xFF0000, 0xFF00, 0xFF)


def synth_bytes(sample_paths):
    body = bytearray()
    for path in sample_paths:
        samples = pathlib.Path(path).read_bytes()[:MAX_BLOCK_BYTES]
        body += struct.pack("<I", len(samples)) + samples
    for i in range(len(body) % 2, len(body)):
        body[i] = ((body[i] & 0x0F) << 4) | (body[i] >> 4)
    return struct.pack("<I", len(body)) + bytes(body)


def dark_pixels(path, left, top, width, height):
    data = pathlib.Path(path).read_bytes()
    fields = struct.unpack(">25I", data[:100])  # the header's first 25 big-endian fields
    if (fields[7], fields[11], *fields[14:17]) != BLUE_GREEN_RED_PIXELS:
        sys.exit("e2e_tools: only 32-bit blue, green, red pixels are read")
    pixels, line = data[fields[0] + 12 * fields[19]:], fields[12]  # after the colour map
    starts = (y * line + 4 * x for y in range(top, top + height) for x in range(left, left + width))
    return sum((299 * pixels[i + 2] + 587 * pixels[i + 1] + 114 * pixels[i]) // 1000 < DARK_LUMA
               for i in starts)


if __name__ == "__main__":
    if len(sys.argv) == 10 and sys.argv[1] == "synth":
        pathlib.Path(sys.argv[2]).write_bytes(synth_bytes(sys.argv[3:]))
    elif len(sys.argv) == 7 and sys.argv[1] == "dark":
        print(dark_pixels(sys.argv[2], *map(int, sys.argv[3:7])))
    else:
        sys.exit("usage: e2e_tools.py synth OUT ROW0.pcm ... ROW6.pcm | dark FILE X Y W H")
