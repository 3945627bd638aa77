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
import struct
import sys

MAX_BLOCK_BYTES = 524288
HEADER_FIELDS = 25
DARK_LUMA = 100  # text is drawn near black on a light window background


def synth_bytes(sample_paths):
    body = bytearray()
    for path in sample_paths:
        with open(path, "rb") as f:
            samples = f.read(MAX_BLOCK_BYTES)
        body += struct.pack("<I", len(samples)) + samples
    for i in range(len(body) % 2, len(body)):
        body[i] = ((body[i] & 0x0F) << 4) | (body[i] >> 4)
    return struct.pack("<I", len(body)) + bytes(body)


def channel(value, mask):
    shift = (mask & -mask).bit_length() - 1
    return ((value & mask) >> shift) * 255 // (mask >> shift)


def dark_pixels(path, left, top, width, height):
    with open(path, "rb") as f:
        data = f.read()
    fields = struct.unpack(">%dI" % HEADER_FIELDS, data[: 4 * HEADER_FIELDS])
    header_size, image_width, image_height = fields[0], fields[4], fields[5]
    little_endian, bits_per_pixel, bytes_per_line = fields[7] == 0, fields[11], fields[12]
    masks = fields[14:17]
    if bits_per_pixel not in (24, 32):
        sys.exit("e2e_tools: only true-colour pixels are read, not %d bits" % bits_per_pixel)
    pixels = data[header_size + 12 * fields[19]:]
    size = bits_per_pixel // 8
    count = 0
    for y in range(max(top, 0), min(top + height, image_height)):
        for x in range(max(left, 0), min(left + width, image_width)):
            start = y * bytes_per_line + size * x
            value = int.from_bytes(pixels[start:start + size], "little" if little_endian else "big")
            r, g, b = (channel(value, mask) for mask in masks)
            count += (299 * r + 587 * g + 114 * b) // 1000 < DARK_LUMA
    return count


if __name__ == "__main__":
    if len(sys.argv) == 10 and sys.argv[1] == "synth":
        with open(sys.argv[2], "wb") as out:
            out.write(synth_bytes(sys.argv[3:]))
    elif len(sys.argv) == 7 and sys.argv[1] == "dark":
        print(dark_pixels(sys.argv[2], *map(int, sys.argv[3:7])))
    else:
        sys.exit("usage: e2e_tools.py synth OUT ROW0.pcm ... ROW6.pcm | dark FILE X Y W H")
