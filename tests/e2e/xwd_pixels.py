#!/usr/bin/env python3
"""Reads a screenshot in X's XWD format (as xwd writes it) without any image library.

  xwd_pixels.py dark FILE X Y WIDTH HEIGHT   prints how many pixels of the rectangle are dark
  xwd_pixels.py png FILE OUT.png             converts the screenshot, to look at after a failure
"""
import struct
import sys
import zlib

HEADER_FIELDS = 25
DARK_LUMA = 100  # text is drawn near black on a light window background


def read_xwd(path):
    with open(path, "rb") as f:
        data = f.read()
    fields = struct.unpack(">%dI" % HEADER_FIELDS, data[: 4 * HEADER_FIELDS])
    header_size, _, _, _, width, height = fields[:6]
    byte_order, bits_per_pixel, bytes_per_line = fields[7], fields[11], fields[12]
    red_mask, green_mask, blue_mask = fields[14:17]
    ncolors = fields[19]
    if bits_per_pixel not in (24, 32):
        sys.exit("xwd_pixels: only true-colour pixels are read, not %d bits" % bits_per_pixel)
    pixels = data[header_size + 12 * ncolors:]
    pixel_bytes = bits_per_pixel // 8
    endian = "little" if byte_order == 0 else "big"

    def channel(value, mask):
        shift = (mask & -mask).bit_length() - 1
        return ((value & mask) >> shift) * 255 // (mask >> shift)

    def rgb(x, y):
        start = y * bytes_per_line + pixel_bytes * x
        value = int.from_bytes(pixels[start:start + pixel_bytes], endian)
        return channel(value, red_mask), channel(value, green_mask), channel(value, blue_mask)

    return width, height, rgb


def dark_pixels(path, left, top, width, height):
    image_width, image_height, rgb = read_xwd(path)
    count = 0
    for y in range(max(top, 0), min(top + height, image_height)):
        for x in range(max(left, 0), min(left + width, image_width)):
            r, g, b = rgb(x, y)
            if (299 * r + 587 * g + 114 * b) // 1000 < DARK_LUMA:
                count += 1
    return count


def write_png(path, out):
    width, height, rgb = read_xwd(path)
    rows = b"".join(
        b"\0" + bytes(c for x in range(width) for c in rgb(x, y)) for y in range(height))

    def chunk(kind, body):
        return (struct.pack(">I", len(body)) + kind + body +
                struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

    with open(out, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n")
        f.write(chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)))
        f.write(chunk(b"IDAT", zlib.compress(rows)))
        f.write(chunk(b"IEND", b""))


if __name__ == "__main__":
    if len(sys.argv) == 7 and sys.argv[1] == "dark":
        print(dark_pixels(sys.argv[2], *map(int, sys.argv[3:7])))
    elif len(sys.argv) == 4 and sys.argv[1] == "png":
        write_png(sys.argv[2], sys.argv[3])
    else:
        sys.exit(__doc__)
